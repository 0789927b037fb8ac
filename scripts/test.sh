#!/usr/bin/env bash
# Installs what is missing, builds, checks the formatting and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
git ls-files -- '*.cpp' '*.h' | xargs -r clang-format --dry-run --Werror
ctest --test-dir build --output-on-failure -j2
