#!/usr/bin/env bash
# The input may be a pipe, a FIFO or /dev/stdin: it is read once, so the
# output file must be the same as from a regular file, copy included.
# Usage: check.sh TABULON WORKDIR
set -euo pipefail
bin=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
cd "$work"
printf 'union(R, S)\r\nR(a int)\r\n1\r\n\r\nS(a int)\r\n2\r\n' >input.txt
"$bin" input.txt expected.txt >/dev/null

fail=0
check() { # check NAME OUTPUT
  if ! cmp -s expected.txt "$2"; then
    echo "FAIL: $1: output differs from the run on a regular file" >&2
    diff expected.txt "$2" >&2 || true
    fail=1
  else
    echo "ok: $1"
  fi
}

cat input.txt | "$bin" /dev/stdin pipe.txt >/dev/null
check "pipe into /dev/stdin" pipe.txt

"$bin" /dev/stdin stdin.txt <input.txt >/dev/null
check "/dev/stdin redirected from a file" stdin.txt

mkfifo fifo
cat input.txt >fifo &
# A run that opened the FIFO twice would wait for a second writer forever.
timeout 20 "$bin" fifo fifo.txt >/dev/null
wait
check "named pipe" fifo.txt

exit $fail
