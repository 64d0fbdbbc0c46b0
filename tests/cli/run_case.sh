#!/usr/bin/env bash
# Runs one end-to-end case: the binary, from inside the case folder, with the
# arguments listed in `args` (one per line, kept whole: blanks and empty lines count),
# then compares standard output, standard error and exit status with the files
# `stdout`, `stderr` and `status` of the case (a missing stdout or stderr means empty).
set -u
binary=$1
case_dir=$2
cd "$case_dir" || exit 1
arguments=()
if [ -f args ]; then
  while IFS= read -r argument || [ -n "$argument" ]; do arguments+=("$argument"); done < args
fi
actual=$(mktemp -d)
trap 'rm -rf "$actual"' EXIT
timeout 20 "$binary" "${arguments[@]}" >"$actual/stdout" 2>"$actual/stderr" </dev/null
echo $? >"$actual/status"
failed=0
for stream in stdout stderr; do
  expected=$stream
  [ -f "$expected" ] || expected=/dev/null
  if ! cmp -s "$expected" "$actual/$stream"; then
    echo "--- $stream differs (expected, then actual):"
    diff <(cat -A "$expected") <(cat -A "$actual/$stream")
    failed=1
  fi
done
if [ "$(cat status)" != "$(cat "$actual/status")" ]; then
  echo "--- exit status: expected $(cat status), got $(cat "$actual/status")"
  failed=1
fi
exit $failed
