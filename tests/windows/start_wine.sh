#!/usr/bin/env bash
# Makes a Wine prefix for tests and a wineserver that stays up until the
# tests' cleanup kills it. Started on demand, the server leaves as soon as no
# Windows process runs, and a case that starts in that moment dies with
# "recvmsg: Connection reset by peer" instead of running.
set -euo pipefail
mkdir -p "$WINEPREFIX"
# A server already up for this prefix, say from an interrupted run, may not
# be a persistent one.
wineserver --kill 2>/dev/null && wineserver --wait || true
wineserver --persistent </dev/null >/dev/null 2>&1
# The services it starts live as long as the server: given the test's own
# output, they would keep CTest waiting for it to close.
status=0
wine wineboot --init >"$WINEPREFIX/wineboot.log" 2>&1 || status=$?
cat "$WINEPREFIX/wineboot.log"
exit $status
