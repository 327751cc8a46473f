#!/usr/bin/env bash
# Faults while writing the output: a disk that fills up, memory that runs out,
# an output behind a symbolic link or with its own permissions, signals during
# a large write; outputs that are the program's own descriptors; inputs and
# explanations that cannot be had. A failed run must leave the old output as
# it was and no temporary file behind.
# Usage: check.sh TABULON SHIM WORKDIR [sanitized]
set -euo pipefail
bin=$1
shim=$2
work=$3
here=$(cd "$(dirname "$0")" && pwd)
sanitized=${4:-}
rm -rf "$work"
mkdir -p "$work"
cd "$work"

fail=0
ok() { echo "ok: $1"; }
bad() {
  echo "FAIL: $1" >&2
  fail=1
}
# Only the files named may be in the folder: a leftover temporary is a fault.
only_files() { # only_files CASE FILE...
  local want have
  want=$(printf '%s\n' "$@" | sort | tr '\n' ' ')
  have=$(ls -A | sort | tr '\n' ' ')
  [[ $want == "$have" ]] || bad "$case: files left: $have (expected $want)"
}

# product(R, S) of two relations of N rows each: a result of N * N rows.
product_input() {
  python3 -c "
print('product(R, S)')
for name in 'RS':
    print(f'{name}(a{name} int)')
    for i in range($1): print(i)
    print()
"
}

# An input of about 2 MB whose output is larger still.
"$here/union_input.py" 100000 >input.txt

case="disk full"
echo "old output" >out.txt
cp out.txt old.txt
status=0
LD_PRELOAD=$shim TABULON_FAULT_WRITE_LIMIT=1048576 ASAN_OPTIONS=${ASAN_OPTIONS:-}:verify_asan_link_order=0 \
  "$bin" input.txt out.txt >stdout.txt 2>stderr.txt </dev/null || status=$?
[[ $status -eq 1 ]] || bad "$case: exit status $status"
cmp -s out.txt old.txt || bad "$case: the old output was changed"
grep -q "out.txt: a kimeneti file nem irhato." stderr.txt || bad "$case: no error line naming the output"
only_files input.txt out.txt old.txt stdout.txt stderr.txt
[[ $fail -eq 0 ]] && ok "$case"

case="disk full behind a symbolic link"
rm -f stdout.txt stderr.txt
mkdir target
echo "old output" >target/real.txt
ln -s target/real.txt link.txt
status=0
LD_PRELOAD=$shim TABULON_FAULT_WRITE_LIMIT=65536 ASAN_OPTIONS=${ASAN_OPTIONS:-}:verify_asan_link_order=0 \
  "$bin" input.txt link.txt >/dev/null 2>&1 </dev/null || status=$?
[[ $status -eq 1 && -L link.txt ]] || bad "$case: status $status, or the link is gone"
cmp -s target/real.txt old.txt || bad "$case: the old output was changed"
[[ $(ls -A target) == real.txt ]] || bad "$case: files left in the target's folder: $(ls -A target)"
only_files input.txt out.txt old.txt link.txt target
[[ $fail -eq 0 ]] && ok "$case"

case="replaced through a symbolic link, permissions kept"
chmod 640 target/real.txt
"$bin" input.txt link.txt >/dev/null
[[ -L link.txt ]] || bad "$case: the link was replaced by a file"
tail -n 2 target/real.txt | head -n 1 | grep -q "^99999,'name number 99999'$" || bad "$case: no result in the target"
[[ $(stat -c %a target/real.txt) == 640 ]] || bad "$case: permissions now $(stat -c %a target/real.txt)"
[[ $fail -eq 0 ]] && ok "$case"

# Address space limits and the sanitizers' shadow memory do not mix.
if [[ -z $sanitized ]]; then
  case="out of memory"
  rm -rf target link.txt
  product_input 10000 >big.txt
  status=0
  (
    ulimit -v 400000
    exec "$bin" big.txt out.txt >stdout.txt 2>stderr.txt </dev/null
  ) || status=$?
  [[ $status -eq 1 ]] || bad "$case: exit status $status"
  grep -q "elfogyott a memoria" stderr.txt || bad "$case: no out-of-memory line: $(cat stderr.txt)"
  cmp -s out.txt old.txt || bad "$case: the old output was changed"
  only_files input.txt big.txt out.txt old.txt stdout.txt stderr.txt
  [[ $fail -eq 0 ]] && ok "$case"

  # A deep chain whose explanation runs out of memory as each step is recorded.
  case="out of memory while explaining"
  python3 -c "n = 100000; print('select(' * n + 'R' + ', EQ(a, a))' * n); print('R(a int)'); print(1)" >deep.txt
  for limit in 65536 100000; do
    status=0
    (
      ulimit -v $limit
      exec "$bin" --explain deep.json deep.txt out.txt >/dev/null 2>stderr.txt </dev/null
    ) || status=$?
    [[ $status -eq 1 ]] && grep -q -x "tabulon: elfogyott a memoria." stderr.txt ||
      bad "$case: limit $limit: status $status: $(head -c 200 stderr.txt)"
  done
  rm -f deep.txt deep.json stdout.txt stderr.txt
  [[ $fail -eq 0 ]] && ok "$case"
fi

# The copy of the input goes out while the command is evaluated: a result
# that cannot be held must still leave the old output and nothing else.
case="a result too large after the copy went ahead"
rm -rf target link.txt big.txt
product_input 100000 >huge.txt
cp old.txt out.txt
status=0
"$bin" --threads 2 huge.txt out.txt >/dev/null 2>stderr.txt </dev/null || status=$?
[[ $status -eq 1 ]] && grep -q "eredmenye tul nagy" stderr.txt || bad "$case: status $status: $(head -c 200 stderr.txt)"
cmp -s out.txt old.txt || bad "$case: the old output was changed"
only_files input.txt huge.txt out.txt old.txt stderr.txt
rm -f huge.txt stderr.txt
[[ $fail -eq 0 ]] && ok "$case"

# The program's own descriptors are written where they stand, never reopened.
rm -rf target link.txt big.txt
python3 -c "print('union(R, S)'); print('R(a int)'); print(1); print(); print('S(a int)'); print(2)" >small.txt
"$bin" small.txt expected.txt >/dev/null

case="/dev/stdout appended to a file"
echo "old line" >log.txt
"$bin" small.txt /dev/stdout >>log.txt
"$bin" small.txt /dev/stdout >>log.txt
[[ $(head -n 1 log.txt) == "old line" ]] || bad "$case: the log lost its first line"
[[ $(grep -c "^Tabulon$" log.txt) -eq 2 && $(grep -c "^__!!temp(a int)$" log.txt) -eq 2 ]] ||
  bad "$case: the log does not hold both runs: $(cat log.txt)"
[[ $fail -eq 0 ]] && ok "$case"

case="/dev/stdout to a pipe, /dev/fd/N"
status=0
"$bin" small.txt /dev/stdout | cat >piped.txt || status=$?
grep -q "^__!!temp(a int)$" piped.txt && [[ $status -eq 0 ]] || bad "$case: nothing came through the pipe"
echo "old line" >fd.txt
"$bin" small.txt /dev/fd/3 3>>fd.txt >/dev/null
cmp -s fd.txt <(echo "old line" && cat expected.txt) || bad "$case: /dev/fd/3 is not the old line and the output"
[[ $fail -eq 0 ]] && ok "$case"

case="control bytes in paths"
"$bin" $'no\e]0;title\a.txt' out.txt >stdout.txt 2>stderr.txt </dev/null || true
! grep -q $'[\e\a]' stdout.txt stderr.txt && grep -q 'no\\x1B\]0;title\\x07.txt' stdout.txt ||
  bad "$case: raw control bytes reach the terminal: $(cat -v stdout.txt stderr.txt)"
[[ $fail -eq 0 ]] && ok "$case"

case="SQL of a value with a NUL"
printf "select(R, EQ(a, '1'))\nR(a char(5), b char(5))\n1,'x\0y'\n" >nul.txt
status=0
"$bin" --explain nul.sql --explain nul.json nul.txt nul-out.txt >/dev/null 2>stderr.txt </dev/null || status=$?
[[ $status -eq 1 && ! -e nul.sql && -s nul.json && -s nul-out.txt ]] ||
  bad "$case: status $status, or the SQL written, or the others not: $(ls)"
grep -q "nul.sql: a magyarazat nem irhato ki: .*NUL" stderr.txt || bad "$case: no line saying why: $(cat stderr.txt)"
[[ $fail -eq 0 ]] && ok "$case"

if [[ -z $sanitized ]]; then
  case="/dev/zero as input"
  rm -f out.txt
  status=0
  (
    ulimit -v 400000
    exec "$bin" /dev/zero out.txt >stdout.txt 2>stderr.txt </dev/null
  ) || status=$?
  [[ $status -eq 1 && ! -e out.txt ]] || bad "$case: status $status"
  grep -q -E "elfogyott a memoria|nem fer a memoriaba" stderr.txt || bad "$case: $(cat stderr.txt)"
  [[ $fail -eq 0 ]] && ok "$case"
fi

# Signals at random points of a large run: the old output stays, or the new
# one is whole, and no temporary file is left, KILL included.
case="signals"
"$here/union_input.py" 600000 "a value of some length, number" >big.txt
"$bin" big.txt new.txt >/dev/null
echo "old output" >old.txt
sent=0
ended=0
shopt -s nullglob
set -m # background runs keep INT and QUIT
for signal in INT TERM HUP QUIT PIPE KILL; do
  for _ in 1 2 3 4 5 6; do
    cp old.txt out.txt
    "$bin" big.txt out.txt >/dev/null 2>&1 </dev/null &
    pid=$!
    sleep "$(printf '0.%03d' $((RANDOM % 100)))" # the run takes about 0.1 s
    kill -s "$signal" "$pid" 2>/dev/null && sent=$((sent + 1))
    status=0
    wait "$pid" 2>/dev/null || status=$? # not the shell's job notices
    [[ $status -ne 0 ]] && ended=$((ended + 1))
    [[ $status -eq 0 || $status -eq $((128 + $(kill -l "$signal"))) ]] || bad "$case: $signal: status $status"
    cmp -s out.txt old.txt || cmp -s out.txt new.txt || bad "$case: $signal: the output is neither old nor whole"
    left=(.tabulon-*)
    [[ ${#left[@]} -eq 0 ]] || bad "$case: $signal left ${left[*]}"
    rm -f "${left[@]}"
  done
done
set +m
echo "signals: $sent sent, $ended runs ended by them, no temporary file left"
[[ $fail -eq 0 ]] && ok "$case"

exit $fail
