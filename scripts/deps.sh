#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; does nothing when all are there.
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libgtest-dev
          libbenchmark-dev libssl-dev fonts-dejavu-core clang-format python3 libx11-dev xvfb
          libmuparser-dev libsodium-dev zlib1g-dev libxml2-dev appstream desktop-file-utils
          chromium  # chromium: only the report tests use it, to render the pages headless
          cage grim xwayland qt6-wayland)  # the exam session and its test

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Run this as root to install: ${missing[*]}" >&2; exit 1; }
  as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends \
  "${missing[@]}"
