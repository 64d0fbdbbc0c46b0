#!/usr/bin/env bash
# Runs the built program under valgrind memcheck on the example, each smoothing type and
# each error path, and fails when memcheck reports any error or any byte still allocated
# at exit (leaked or reachable), also when the run ends through the error handler, or when
# a run does not end with the status its case expects.
#   tests/valgrind/run_valgrind.sh build/Tundrel
set -u
binary=$(realpath "${1:?usage: run_valgrind.sh PATH_TO_Tundrel}")
root=$(cd "$(dirname "$0")/../.." && pwd)
example=$root/examples/valley.mp
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Damaged copies of the example.
head -c 6000 "$example" >"$work/truncated.mp"
sed 's/^Pop\. 7$/Pop. 13/' "$example" >"$work/bad_block.mp"
: >"$work/empty.mp"

failed=0
cases=0
# check NAME EXPECTED_STATUS ARGUMENTS...
check() {
  local name=$1 expected=$2
  shift 2
  local log=$work/$name.log
  cases=$((cases + 1))
  (cd "$work" && valgrind --leak-check=full --show-leak-kinds=all \
    --errors-for-leak-kinds=all --error-exitcode=99 --log-file="$log" \
    "$binary" "$@" >"$work/$name.out" 2>"$work/$name.err" </dev/null)
  local status=$?
  local heap errors verdict=ok
  heap=$(grep -oE 'in use at exit: .*' "$log")
  errors=$(grep -oE 'ERROR SUMMARY: [0-9]+ errors?' "$log")
  if [ "$status" -eq 99 ] || [ "$errors" != "ERROR SUMMARY: 0 errors" ] ||
    ! grep -qE 'in use at exit: 0 bytes in 0 blocks|All heap blocks were freed' "$log"; then
    verdict="MEMCHECK REPORT"
  elif [ "$status" -ne "$expected" ]; then
    verdict="status $status, expected $expected"
  fi
  printf '%-22s status %s  %-10s %s; %s\n' "$name" "$status" "$verdict" "$errors" "$heap"
  if [ "$verdict" != ok ]; then
    failed=1
    sed 's/^/    /' "$log" "$work/$name.err"
  fi
}

check example 0 "$example" 1990 Y 0.1 ,
check example_cleaning 0 "$example" 1990 X 0.25 ';' 3 2
check smoothing_sma 0 "$example" 1990 Y 0.1 , 5 0 sma 3
check smoothing_exp 0 "$example" 1990 Y 0.1 , 2 0 exp 3
check smoothing_smm 0 "$example" 1990 Y 0.1 , 0 1 smm 4
check threshold_above_one 0 "$example" 1990 Y 5 ,
check usage_too_few 1 "$example" 1990 Y 0.1
check usage_no_window 1 "$example" 1990 Y 0.1 , 0 0 smm
check unknown_smoothing 2 "$example" 1990 Y 0.1 , 0 0 median 3
check window_below_one 2 "$example" 1990 Y 0.1 , 0 0 sma 0
check missing_file 2 "$work/missing.mp" 1990 Y 0.1 ,
check directory 2 "$work" 1990 Y 0.1 ,
check truncated_file 2 "$work/truncated.mp" 1990 Y 0.1 ,
check no_patches 2 "$work/empty.mp" 1990 Y 0.1 ,
check burn_in_too_large 2 "$example" 1990 Y 0.1 , 30
check window_too_long 2 "$example" 1990 Y 0.1 , 0 0 smm 31
check cleaning_removes_all 2 "$example" 1990 Y 0.1 , 0 31
check patch_does_not_exist 2 "$work/bad_block.mp" 1990 Y 0.1 ,

echo "valgrind memcheck: $cases runs, $([ $failed -eq 0 ] && echo 'no errors, no bytes in use at exit' || echo FAILED)"
exit $failed
