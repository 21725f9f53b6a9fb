#!/bin/sh
# Runs a Windows program under wine64 in the given wine prefix, with wine's own messages silenced:
#   wine-run.sh PREFIX [--dlls DIR]... [--plugins DIR] PROGRAM.exe [ARGUMENTS...]
# --dlls puts a Linux folder on wine's DLL search path (Qt's DLLs, the compiler's run-time);
# --plugins names Qt's plugin folder. The prefix is created on first use (a few seconds); a lock
# keeps programs started at the same time from creating it twice. The program's exit status is
# passed on.
set -eu
if [ $# -lt 2 ]; then
  echo "usage: $0 PREFIX [--dlls DIR]... [--plugins DIR] PROGRAM.exe [ARGUMENTS...]" >&2
  exit 2
fi
WINEPREFIX=$1
shift
# A Linux path as wine sees it: on drive Z:, which wine maps to /.
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
dll_path=""
while [ $# -gt 0 ]; do
  case $1 in
    --dlls) dll_path="${dll_path:+$dll_path;}$(windows_path "$2")"; shift 2 ;;
    --plugins) QT_PLUGIN_PATH=$(windows_path "$2"); export QT_PLUGIN_PATH; shift 2 ;;
    *) break ;;
  esac
done
if [ -n "$dll_path" ]; then
  WINEPATH="$dll_path${WINEPATH:+;$WINEPATH}"
  export WINEPATH
fi
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
      # Xvfb runs no window manager: wine manages its windows itself, or it waits seconds for a
      # manager's answer each time a window is shown or activated.
      "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
      "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v UseTakeFocus /t REG_SZ /d N /f >/dev/null 2>&1 || true
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
