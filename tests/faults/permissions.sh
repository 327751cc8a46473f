#!/usr/bin/env bash
# The shell's rules for the output, which a user with fewer rights than root
# meets: a file the user may not write is refused; one the user may write is
# written, even where its folder takes no new file; hard links, the owner and
# the mode are kept; a dangling link creates its target; and no other user
# reads a 0600 output while it is written. Needs root, to act as an
# unprivileged user (and as root on that user's files); skipped otherwise.
# Usage: permissions.sh TABULON WORKDIR
set -euo pipefail
bin=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
if [[ $(id -u) -ne 0 ]] || ! command -v setpriv >/dev/null; then
  echo "skipped: needs root and setpriv to run as an unprivileged user (running as uid $(id -u))"
  exit 0
fi
user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
rm -rf "$work"
mkdir -p "$work"
chmod 777 "$work"
cd "$work"
umask 022
python3 -c "print('union(R, S)'); print('R(a int)'); print(1); print(); print('S(a int)'); print(2)" >input.txt
chmod 644 input.txt
"$bin" input.txt expected.txt >/dev/null

fail=0
ok() { echo "ok: $1"; }
bad() {
  echo "FAIL: $1" >&2
  fail=1
}
as_user() { "${user[@]}" "$@"; }
run() { # run COMMAND...: its status in status, without stopping
  status=0
  "$@" >/dev/null 2>&1 </dev/null || status=$?
}

case="a file the user may not write"
as_user sh -c 'echo old >ro.txt && chmod 444 ro.txt'
run as_user "$bin" input.txt ro.txt
[[ $status -eq 1 && $(cat ro.txt) == old && $(stat -c %a ro.txt) == 444 ]] || bad "$case: status $status"
[[ $fail -eq 0 ]] && ok "$case"

case="root writing the user's file keeps its owner and mode"
as_user sh -c 'echo old >theirs.txt && chmod 640 theirs.txt'
run "$bin" input.txt theirs.txt
[[ $status -eq 0 ]] && cmp -s theirs.txt expected.txt || bad "$case: status $status"
[[ $(stat -c '%u:%g %a' theirs.txt) == "65534:65534 640" ]] || bad "$case: now $(stat -c '%u:%g %a' theirs.txt)"
[[ $fail -eq 0 ]] && ok "$case"

case="hard links stay linked"
as_user sh -c 'echo old >one.txt && ln one.txt two.txt'
run as_user "$bin" input.txt one.txt
[[ $status -eq 0 && $(stat -c %h one.txt) == 2 ]] && cmp -s two.txt expected.txt || bad "$case: status $status"
[[ $fail -eq 0 ]] && ok "$case"

case="a dangling link creates its target"
as_user sh -c 'ln -s made.txt dangling.txt && ln -s missing/made.txt nowhere.txt'
run as_user "$bin" input.txt dangling.txt
[[ $status -eq 0 && -L dangling.txt ]] && cmp -s made.txt expected.txt || bad "$case: status $status"
run as_user "$bin" input.txt nowhere.txt
[[ $status -eq 1 && -L nowhere.txt && ! -e missing ]] || bad "$case: into a missing folder: status $status"
[[ $fail -eq 0 ]] && ok "$case"

case="a writable file in a folder the user cannot write"
mkdir closed
echo old >closed/open.txt
chmod 666 closed/open.txt
chmod 755 closed
run as_user "$bin" input.txt closed/open.txt
[[ $status -eq 0 && $(ls -A closed) == open.txt ]] && cmp -s closed/open.txt expected.txt || bad "$case: status $status"
run as_user "$bin" input.txt closed/new.txt
[[ $status -eq 1 && ! -e closed/new.txt ]] || bad "$case: a new file there: status $status"
[[ $fail -eq 0 ]] && ok "$case"

# Another user watches the folder and reads every temporary file it can open
# while root writes a large 0600 output there.
case="a 0600 output is not readable while written"
"$here/union_input.py" 400000 private >private.txt
chmod 600 private.txt
echo old >secret.txt
chmod 600 secret.txt
python=$(command -v python3)
[[ -x /usr/bin/python3 ]] && python=/usr/bin/python3
as_user "$python" - "$work" "$work/stop" >peeked.txt <<'EOF' &
import os, sys
folder, stop = sys.argv[1:]
opened = 0
while not os.path.exists(stop):
    for name in os.listdir(folder):
        if name.startswith(".tabulon-"):
            try:
                with open(os.path.join(folder, name), "rb") as f:
                    opened += 1
                    sys.stdout.buffer.write(f.read())
            except OSError:
                pass
sys.stderr.write(f"reader: {opened} temporary files opened\n")
EOF
reader=$!
for _ in 1 2 3 4 5; do
  "$bin" private.txt secret.txt >/dev/null
done
touch stop
wait "$reader"
[[ $(stat -c %a secret.txt) == 600 ]] || bad "$case: the output is now $(stat -c %a secret.txt)"
! grep -q private peeked.txt || bad "$case: another user read $(grep -c private peeked.txt) lines of it"
[[ $fail -eq 0 ]] && ok "$case"

exit $fail
