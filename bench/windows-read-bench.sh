#!/usr/bin/env bash
# A whole read by the Windows kaviraob-cli.exe under wine against the paced simulator (the Linux
# kaviraob-cli simulate on a pseudo-terminal, mapped to COM1), next to the same read by the Linux
# program: wall time, the line's bound, their ratio, and CPU. The Windows figure's CPU counts the
# program and wine's own processes (wineserver, winedevice), since wine does part of the program's
# work there.
#
#   bench/windows-read-bench.sh WINDOWS_CLI.exe LINUX_CLI [AREA]
# AREA is what to read (default all). WINEPATH must name the DLLs' folders when the .exe is not an
# installed one (scripts/test-windows.sh runs it on the installed program).
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: $0 WINDOWS_CLI.exe LINUX_CLI [AREA]" >&2
  exit 2
fi
exe=$1
linux=$2
area=${3:-all}
wine=${KAVIRA_WINE:-/usr/lib/wine/wine64}
wineserver=$(dirname "$wine")/wineserver
work=$(mktemp -d)
export WINEPREFIX=${WINEPREFIX:-$work/prefix}
export WINEDEBUG=-all
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  "$wineserver" -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# The line's bound for a read: every block's request (6 bytes) and answer (134) at 11 bits a byte
# and 38400 baud, plus the simulator's 1 ms answer latency per block.
blocks_of() {
  case $1 in
    all) echo 2048 ;;
    scenes) echo 2044 ;;
    settings | midi) echo 2 ;;
    *) echo "" ;;
  esac
}
blocks=$(blocks_of "$area")
bound=""
[ -n "$blocks" ] && bound=$(awk -v b="$blocks" 'BEGIN { printf "%.2f", b * (140 * 11 / 38400 + 0.001) }')

"$linux" simulate --demo >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
pty=$(head -n 1 "$work/sim.out")
ln -s "$pty" "$work/com1"
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$work/com1" /f >/dev/null 2>&1
"$wineserver" -k >/dev/null 2>&1 || true  # the mapping is read when wine starts
"$wineserver" -p >/dev/null 2>&1
"$wine" "$exe" --port COM1 version >/dev/null 2>&1 || true  # wine's services start once, before timing

# CPU seconds of wine's own processes so far.
wine_cpu() {
  local total=0 pid
  for pid in $(pgrep -f 'wineserver|winedevice|services.exe|plugplay|explorer.exe' || true); do
    [ -r "/proc/$pid/stat" ] || continue
    total=$((total + $(awk '{print $14 + $15}' "/proc/$pid/stat")))
  done
  awk -v t="$total" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f", t / hz }'
}

run() {  # LABEL COMMAND...: prints LABEL wall bound ratio cpu cpu%
  local label=$1 before after
  shift
  before=$(wine_cpu)
  /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" >/dev/null 2>"$work/err" || {
    cat "$work/err" >&2
    return 1
  }
  after=$(wine_cpu)
  read -r wall user sys <"$work/time"
  echo "  $label: program ${user} s user + ${sys} s system; wine's own processes $(awk -v a="$before" -v b="$after" 'BEGIN { printf "%.2f", b - a }') s" >&2
  awk -v l="$label" -v w="$wall" -v b="${bound:-0}" -v c="$(awk -v u="$user" -v s="$sys" -v a="$before" -v z="$after" 'BEGIN { print u + s + z - a }')" \
    'BEGIN { printf "%-28s %8.2f %8s %7s %7.2f %6.2f%%\n", l, w, (b > 0 ? sprintf("%.2f", b) : "-"), (b > 0 ? sprintf("%.3f", w / b) : "-"), c, 100 * c / w }'
}

printf '%-28s %8s %8s %7s %7s %7s\n' "read $area" "wall s" "bound s" "ratio" "cpu s" "cpu"
run "Linux kaviraob-cli" "$linux" --port "$pty" -q read "$area" --image "$work/linux"
run "kaviraob-cli.exe under wine" "$wine" "$exe" --port COM1 -q read "$area" --image "$work/windows"
for ext in K3s K3p K3m; do
  if [ -e "$work/linux.$ext" ] && ! cmp -s "$work/linux.$ext" "$work/windows.$ext"; then
    echo "windows-read-bench: the two programs read different $ext files" >&2
    exit 1
  fi
done
