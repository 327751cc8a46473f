#!/usr/bin/env bash
# Memory running out at every allocation of a small run, one at a time, with
# no explanation and with every form: each run ends with status 1 and the one
# out-of-memory line (never a signal, an abort, or another error's text), the
# old output intact and no temporary file left; or, where the failed
# allocation was one the C library does without (a stdio buffer), exactly as
# a run without the fault.
# Usage: alloc_sweep.sh TABULON SHIM WORKDIR
set -euo pipefail
bin=$1
shim=$2
work=$3
examples=$(cd "$(dirname "$0")/../../examples" && pwd)
rm -rf "$work"
mkdir -p "$work"
cd "$work"
cp "$examples/union.txt" input.txt
echo "old output" >old.txt

# The explanation on standard output shows times, which differ between runs.
untimed() { sed -E 's/[0-9.]+ ms/_ ms/g' "$1"; }

shopt -s nullglob
fail=0
swept=0
absorbed=0
for args in "" "--explain e.txt --explain e.json --explain e.dot --explain e.sql --explain -"; do
  # shellcheck disable=SC2086 # the options are split on purpose
  LD_PRELOAD=$shim TABULON_FAULT_ALLOC_COUNT=count "$bin" $args input.txt out.txt </dev/null >clean.stdout
  mv out.txt clean.txt
  total=$(cat count)
  rm -f count e.*
  for ((n = 1; n <= total; n++)); do
    cp old.txt out.txt
    status=0
    # shellcheck disable=SC2086
    LD_PRELOAD=$shim TABULON_FAULT_ALLOC_FAIL=$n "$bin" $args input.txt out.txt </dev/null >stdout.txt 2>stderr.txt ||
      status=$?
    swept=$((swept + 1))
    where="allocation $n of $total${args:+ with every explanation}"
    if [[ $status -eq 0 ]] && cmp -s out.txt clean.txt && [[ ! -s stderr.txt ]] &&
      cmp -s <(untimed stdout.txt) <(untimed clean.stdout); then
      absorbed=$((absorbed + 1))
    elif [[ $status -ne 1 ]]; then
      echo "FAIL: $where: status $status: $(head -c 300 stderr.txt)" >&2
      fail=1
    elif [[ $(grep -v -x "tabulon: elfogyott a memoria." stderr.txt | grep -c .) -ne 0 ]] ||
      ! grep -q -x "tabulon: elfogyott a memoria." stderr.txt; then
      echo "FAIL: $where: stderr $(head -c 300 stderr.txt)" >&2
      fail=1
    elif ! cmp -s out.txt old.txt && ! cmp -s out.txt clean.txt; then
      echo "FAIL: $where: the output is neither the old nor the whole new one" >&2
      fail=1
    fi
    leftover=(.tabulon-*)
    if [[ ${#leftover[@]} -ne 0 ]]; then
      echo "FAIL: $where: temporary files left: ${leftover[*]}" >&2
      fail=1
    fi
    rm -f e.*
  done
done
echo "allocation failures: $swept injection points swept, $absorbed absorbed by the C library, no temporary file left"
exit $fail
