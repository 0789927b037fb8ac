#!/usr/bin/env bash
# Installs what is missing, builds, checks the formatting, runs every test and the package
# test; then, where clang is installed, runs each fuzz target briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
git ls-files -- '*.cpp' '*.h' | xargs -r clang-format --dry-run --Werror
ctest --test-dir build --output-on-failure -j2
# The Debian package, installed into a clean folder tree and run from there.
bash scripts/package-test.sh
if command -v clang++-14 >/dev/null && ls /usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  bash scripts/fuzz.sh 30
else
  echo "clang-14 with libclang-rt-14-dev is not installed: fuzzing skipped (bash scripts/fuzz.sh installs it)"
fi
