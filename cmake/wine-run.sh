#!/bin/sh
# Runs a Windows program under wine64 in the given wine prefix, with wine's own messages silenced:
#   wine-run.sh PREFIX PROGRAM.exe [ARGUMENTS...]
# The prefix is created on first use (a few seconds); a lock keeps programs started at the same
# time from creating it twice. The program's exit status is passed on.
set -eu
if [ $# -lt 2 ]; then
  echo "usage: $0 PREFIX PROGRAM.exe [ARGUMENTS...]" >&2
  exit 2
fi
WINEPREFIX=$1
shift
WINEDEBUG=-all
export WINEPREFIX WINEDEBUG
wine=${KAVIRA_WINE:-/usr/lib/wine/wine64}
if [ ! -x "$wine" ]; then
  echo "wine-run.sh: $wine not found (install the wine64 package)" >&2
  exit 127
fi
ready=$WINEPREFIX/.kavira-ready
if [ ! -f "$ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$ready" ]; then
      "$wine" wineboot --init >/dev/null 2>&1 || true
      touch "$ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
# The first program started in a wine session also starts wine's background services, and they inherit
# its standard output and error. Were those ctest's pipes, ctest would wait for the services to end
# (seconds after the last program, or never with a persistent wineserver) before it saw the test end.
# So the program writes into files, which are passed on when it exits.
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
status=0
"$wine" "$@" >"$out" 2>"$err" || status=$?
cat "$out"
cat "$err" >&2
if [ "$status" -ne 0 ]; then
  echo "wine-run.sh: $1 ended with status $status" >&2
fi
exit "$status"
