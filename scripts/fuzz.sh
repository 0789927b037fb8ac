#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and the address and undefined-behaviour sanitizers,
# then runs each for the given number of seconds (default 60) on a copy of its seed corpus.
# Usage: bash scripts/fuzz.sh [SECONDS]     (installs clang when it is missing)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
if ! command -v clang++-14 >/dev/null || ! ls /usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  as_root=(); [ "$(id -u)" -ne 0 ] && as_root=(sudo)
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends \
    clang-14 libclang-rt-14-dev
fi
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fsanitize=fuzzer-no-link -g -O1"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="$flags" -DEXAMORA_BUILD_GUI=OFF -DEXAMORA_BUILD_TESTS=OFF \
  -DEXAMORA_BUILD_BENCH=OFF -DEXAMORA_BUILD_FUZZ=ON >/dev/null
targets=(evaluator formula testfile_loader journal students records settings keeper_protocol
         import_moodle_xml import_gift html_text teacher_files)
cmake --build build-fuzz -j2 --target "${targets[@]/#/fuzz_}" examora-cli
# Every target runs even when one fails, so one finding does not hide another.
failed=()
for target in "${targets[@]}"; do
  work=$(mktemp -d)
  cp fuzz/corpus/$target/* "$work"/
  if [ "$target" = testfile_loader ]; then
    # The sample tests, enciphered here from their sources, seed the loader (mode byte 0).
    for source in samples/*.txt; do
      build-fuzz/src/examora-cli author "$source" -o "$work/plain.eqb" >/dev/null
      { printf '\0'; cat "$work/plain.eqb"; } > "$work/enciphered-$(basename "$source" .txt)"
    done
    rm -f "$work/plain.eqb"
  fi
  echo "== fuzz_$target for ${seconds}s"
  status=0
  UBSAN_OPTIONS=print_stacktrace=1 build-fuzz/fuzz/fuzz_$target -max_total_time="$seconds" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work." "$work" \
    >"$work.log" 2>&1 || status=$?
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$work.log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$work.log"
    echo "fuzz_$target failed (exit $status); the input that failed is in the log above and" \
      "in $work.crash-* (or .leak-, .timeout-, .oom-)"
    failed+=("fuzz_$target")
    continue
  fi
  rm -rf "$work" "$work.log"
done
if [ "${#failed[@]}" -ne 0 ]; then
  echo "failed: ${failed[*]}"
  exit 1
fi
