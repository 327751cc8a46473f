#!/usr/bin/env bash
# Faults while writing the output: a disk that fills up, memory that runs out,
# an output behind a symbolic link or with its own permissions. A failed run
# must leave the old output as it was and no temporary file behind.
# Usage: check.sh TABULON SHIM WORKDIR [sanitized]
set -euo pipefail
bin=$1
shim=$2
work=$3
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

# An input of about 2 MB whose output is larger still.
python3 -c "
print('union(R, S)')
print('R(id int, name char(20))')
for i in range(0, 100000, 2): print(f\"{i},'name number {i}'\")
print()
print('S(id int, name char(20))')
for i in range(1, 100000, 2): print(f\"{i},'name number {i}'\")
" >input.txt

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
  python3 -c "
print('product(R, S)')
for name in 'RS':
    print(f'{name}(a{name} int)')
    for i in range(10000): print(i)
    print()
" >big.txt
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
fi

exit $fail
