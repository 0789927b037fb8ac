#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a clean folder tree and runs the installed
# programs from there: their version, help without a display, the settings they find and a
# sitting of an installed sample test. Usage: bash scripts/package-test.sh (after the build).
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/CPackConfig.cmake ] || bash scripts/build.sh
cmake --build build -j2
rm -rf build/package
(cd build && cpack -G DEB >/dev/null)
deb=$(ls build/package/examora_*.deb)
echo "== $deb"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6widgets6 libqt6network6 libx11-6 libc6; do
  grep -q "\b$lib\b" <<<"$depends" || { echo "the package does not depend on $lib"; exit 1; }
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
bin=$root/usr/bin
share=$root/usr/share
# No display, no configuration of this machine: the programs must manage on their own.
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$root/config" \
  XDG_CONFIG_DIRS="$root/etc/xdg" "$@"; }
run "$bin/examora-cli" --version
run "$bin/examora" --version
run "$bin/examora" --help | grep -q -- "--print-settings"
settings=$(run "$bin/examora" --print-settings)
grep -q "^web-base	file://$share/examora/webroot/	default$" <<<"$settings" ||
  { echo "the installed program does not find its web folder:"; echo "$settings"; exit 1; }
grep -q "^students	$share/examora/info/data/std_crypt.eqb	default$" <<<"$settings" ||
  { echo "the installed program looks for its students file outside its data:"; echo "$settings"; exit 1; }
sample="$share/examora/webroot/tests/10101 Beams/Beams-BF.txt"
# Seed 1 asks for a cantilever's bending moment of 6.12 kN.m first.
printf '1: 6.12 k N.m\n' >"$root/answers.txt"
run "$bin/examora-cli" sit "$sample" --seed 1 --answers "$root/answers.txt" >"$root/sit.txt"
head -n 1 "$root/sit.txt"
grep -qx "Q1 Y 9" "$root/sit.txt" || { echo "the installed sample was not marked right"; exit 1; }
for page in examora examora-cli; do
  zcat "$share/man/man1/$page.1.gz" | grep -q "^\.TH" || { echo "no man page for $page"; exit 1; }
done
grep -q "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" \
  "$share/doc/examora/copyright" || { echo "no machine-readable copyright file"; exit 1; }
zcat "$share/doc/examora/changelog.gz" | grep -q "^examora (" || { echo "no changelog"; exit 1; }
grep -Eq 'release version="[^"]+" date="[0-9]{4}-[0-9]{2}-[0-9]{2}"' \
  "$share/metainfo/org.examora.Examora.metainfo.xml" || { echo "no release date"; exit 1; }
for size in 16 24 32 48 64 128 256; do
  [ -s "$share/icons/hicolor/${size}x${size}/apps/org.examora.Examora.png" ]
done
[ -s "$share/icons/hicolor/scalable/apps/org.examora.Examora.svg" ]
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$share/metainfo/org.examora.Examora.metainfo.xml" >/dev/null
fi
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$share/applications/org.examora.Examora.desktop"
fi
echo "package test: passed"
