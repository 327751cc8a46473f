#!/usr/bin/env bash
# Another user who can write the output's folder: a helper replaces every
# name that appears there (the temporary file's included) with a symbolic link
# to a file outside, then with a file of its own, over and over, while runs
# write the output. The file outside is never touched, and a run that reports
# success has left the whole output at its name. Run as root, the helper runs
# as an unprivileged user, as an attacker would.
# Usage: race.sh TABULON WORKDIR
set -euo pipefail
bin=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"
mkdir -p "$work/shared" "$work/outside"
cd "$work"
chmod 755 . outside
chmod 777 shared

"$here/union_input.py" 40000 >input.txt
"$bin" input.txt expected.txt >/dev/null
echo "secret" >outside/secret.txt
chmod 644 outside/secret.txt
cp outside/secret.txt secret.orig

as_other=()
python=$(command -v python3)
[[ -x /usr/bin/python3 ]] && python=/usr/bin/python3 # reachable by another user
if [[ $(id -u) -eq 0 ]] && command -v setpriv >/dev/null; then
  as_other=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
"${as_other[@]}" "$python" - "$work/shared" "$work/outside/secret.txt" "$work/stop" <<'EOF' &
import os, sys, time
folder, target, stop = sys.argv[1:]
flips = 0
while not os.path.exists(stop):
    for name in os.listdir(folder):
        if name == "out.txt" or name.startswith("helper-"):
            continue
        path = os.path.join(folder, name)
        for make in ("link", "file"):
            spare = os.path.join(folder, f"helper-{make}")
            try:
                if make == "link":
                    os.symlink(target, spare)
                else:
                    with open(spare, "w") as f:
                        f.write("planted\n")
                os.rename(spare, path)
                flips += 1
            except OSError:
                pass
    time.sleep(0)
print(f"helper: {flips} names flipped")
EOF
helper=$!

fail=0
runs=0
succeeded=0
refused=0
kept=0
for _ in $(seq 1 40); do
  rm -f shared/out.txt
  echo "old output" >shared/out.txt
  status=0
  "$bin" input.txt shared/out.txt >/dev/null 2>&1 </dev/null || status=$?
  runs=$((runs + 1))
  if [[ $status -eq 0 ]]; then
    succeeded=$((succeeded + 1))
    [[ -f shared/out.txt && ! -L shared/out.txt ]] && cmp -s shared/out.txt expected.txt ||
      { echo "FAIL: run $runs reported success but out.txt is not the whole output" >&2 && fail=1; }
  else
    refused=$((refused + 1))
    [[ $(cat shared/out.txt 2>/dev/null) == "old output" ]] && kept=$((kept + 1))
  fi
  if ! cmp -s outside/secret.txt secret.orig || [[ $(stat -c %a outside/secret.txt) != 644 ]]; then
    echo "FAIL: run $runs touched the file outside" >&2
    fail=1
  fi
done
touch stop
wait "$helper"
echo "race: $runs runs, $succeeded succeeded, $refused failed ($kept of them with the old output kept)"
echo "race: left in the folder (the helper's files at temporary names): $(ls -A shared | tr '\n' ' ')"
exit $fail
