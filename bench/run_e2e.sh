#!/usr/bin/env bash
# End-to-end benchmark. Builds the program, the generator and the floor in BUILD_DIR
# (default build-bench), generates the workloads into BUILD_DIR/bench-data (kept for the
# next run), then runs the floor and Tundrel on each file RUNS times, alternately, and
# prints a Markdown table of medians: file size, wall time, peak memory (maximum
# resident set size from /usr/bin/time -v) and Tundrel's time over the floor's.
#
#   bench/run_e2e.sh [BUILD_DIR]        RUNS=5 WORKLOADS="W1 W2 W3 W4" by default
#
# Tundrel runs with threshold 0.1, burn-in 10 and a simple moving average of window 5.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build-bench}")
runs=${RUNS:-5}
workloads=${WORKLOADS:-W1 W2 W3 W4}

declare -A patches=([W1]=500 [W2]=10000 [W3]=5000 [W4]=10000)
declare -A years=([W1]=200 [W2]=1000 [W3]=1000 [W4]=500)

if [ ! -x /usr/bin/time ]; then
  echo "/usr/bin/time is missing (Debian: apt-get install time)" >&2
  exit 1
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j2 --target Tundrel GenerateMP TundrelFloor >/dev/null
tundrel=$build/Tundrel
generator=$build/tools/GenerateMP
floor=$build/bench/TundrelFloor

data=$build/bench-data
mkdir -p "$data"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

median() {
  sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Runs one command under /usr/bin/time -v; appends "seconds peak_kib" to the file $1.
measure() {
  local out=$1
  shift
  local start end
  start=$(date +%s%N)
  /usr/bin/time -v -o "$scratch/time" "$@" >/dev/null
  end=$(date +%s%N)
  local peak
  peak=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$scratch/time")
  echo "$(( (end - start) / 1000 )) $peak" | awk '{ printf "%.6f %d\n", $1 / 1e6, $2 }' >>"$out"
}

declare -A result
for w in $workloads; do
  p=${patches[$w]}
  y=${years[$w]}
  file=$data/$w-${p}x${y}.mp
  if [ ! -f "$file" ] || [ "$generator" -nt "$file" ]; then
    "$generator" --patches "$p" --years "$y" --seed 1 -o "$file.part"
    mv "$file.part" "$file"
  fi
  cat "$file" >/dev/null  # into the page cache, for both programs alike
  : >"$scratch/floor"
  : >"$scratch/tundrel"
  for ((run = 0; run < runs; run++)); do
    measure "$scratch/floor" "$floor" "$file"
    measure "$scratch/tundrel" "$tundrel" "$file" 2000 Y 0.1 , 10 0 sma 5
  done
  floor_s=$(cut -d' ' -f1 "$scratch/floor" | median)
  tundrel_s=$(cut -d' ' -f1 "$scratch/tundrel" | median)
  peak_kib=$(cut -d' ' -f2 "$scratch/tundrel" | median)
  size=$(stat -c %s "$file")
  values=$((p * y))
  result[$w]="$floor_s $tundrel_s"
  awk -v w="$w" -v p="$p" -v y="$y" -v size="$size" -v f="$floor_s" -v t="$tundrel_s" \
    -v peak="$peak_kib" -v values="$values" 'BEGIN {
      budget = (96 * values + 64 * 1048576) / 1048576
      printf "| %s | %d x %d | %.1f MB | %.3f s | %.3f s | %.2f | %.0f MiB | %.0f MiB |\n",
             w, p, y, size / 1e6, f, t, t / f, peak / 1024, budget
    }' >>"$scratch/rows"
  echo "$w done" >&2
done

echo
echo "Medians of $runs runs; Tundrel runs with threshold 0.1, burn-in 10, sma window 5."
echo
echo "| Workload | patches x years | file | floor | Tundrel | Tundrel / floor | peak memory | memory budget |"
echo "|---|---|---|---|---|---|---|---|"
cat "$scratch/rows"
if [ -n "${result[W2]:-}" ]; then
  t2=${result[W2]#* }
  for other in W3 W4; do
    if [ -n "${result[$other]:-}" ]; then
      awk -v a="$t2" -v b="${result[$other]#* }" -v o="$other" \
        'BEGIN { printf "\nW2 / %s (Tundrel time): %.2f", o, a / b }'
    fi
  done
  echo
fi
