#!/usr/bin/env bash
# Builds the MP file fuzz target with clang++ (libFuzzer, ASan, UBSan) and runs it for a
# number of seconds (default 110) from the seed corpus; new inputs go to a scratch folder.
# Fails on any crash, leak, sanitizer report, slow input or out-of-memory; the input that
# caused it is kept as BUILD/crash-*, BUILD/leak-*, BUILD/timeout-* or BUILD/oom-*.
#   fuzz/run.sh [SECONDS] [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-110}
build=${2:-$root/build-fuzz}

compiler=$(command -v clang++ || command -v clang++-14)
cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER="$compiler" >/dev/null
cmake --build "$build" -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
"$build/tundrel_fuzz_mp" -max_total_time="$seconds" -timeout=10 -max_len=16384 \
  -dict="$root/fuzz/mp.dict" -print_final_stats=1 -artifact_prefix="$build/" \
  "$work" "$root/fuzz/corpus" >"$work/log" 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
  tail -n 80 "$work/log"
  echo "fuzzing FAILED (status $status)"
  exit 1
fi
grep -E '^#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb' "$work/log"
echo "fuzzing: no crash, leak or sanitizer report in $seconds s"
