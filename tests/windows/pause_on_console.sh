#!/usr/bin/env bash
# On a console, a failed run ends with the command interpreter's "pause",
# which waits for a key (with input redirected it does not: the golden cases
# show that). script(1) gives Wine a terminal, which Wine makes a console.
# Usage: pause_on_console.sh TABULON_EXE WORK_FOLDER
set -euo pipefail
bin=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
cd "$work"
printf 'union(R, Q)\nR(a int)\n1\n' >input.txt # Q does not exist
log=$work/typescript
: >"$log"

# Presses a key once the prompt is shown; gives up after 30 s.
answer() {
  for _ in $(seq 300); do
    grep -q 'Press any key' "$log" && break
    sleep 0.1
  done
  printf x
}

status=0
answer | timeout 90 script -qefc "wine '$bin' input.txt output.txt" "$log" >/dev/null || status=$?
# Wine draws blanks as cursor moves: compare the screen without them.
screen=$(sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' "$log" | tr -d '\r')
squeezed=${screen//[[:space:]]/}
fail() {
  printf '%s\n--- screen\n%s\n' "$1" "$screen" >&2
  exit 1
}
[[ $squeezed == *"inputfile!"* ]] || fail "the failure message is missing"
[[ $squeezed == *"inputfile!"*"Pressanykey"* ]] || fail "no pause after the failure message"
[[ $status -eq 1 ]] || fail "exit status $status, expected 1 once the key was pressed"
echo "paused after the failure and went on at a key press"
