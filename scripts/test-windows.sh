#!/usr/bin/env bash
# KaviraOB for Windows, built and proven on Linux with mingw-w64, Qt for Windows and wine64:
#   1. builds both programs and every test that builds for Windows (windows preset) and runs the
#      tests under wine, the widget tests on wine's own display under Xvfb;
#   2. builds the installer (KaviraOB-VERSION-win64.exe) and installs it silently into a new wine prefix;
#   3. runs the installed kaviraob-cli.exe against the Linux simulator on a pseudo-terminal mapped to
#      COM1: --version, ports, version, read all (the same files as the Linux program's), verify all,
#      a changes-only write and its undo, firmware verify; every exit status as on Linux;
#   4. starts the installed kaviraob.exe with COM1 mapped to the simulator: it must find the controller
#      and show "FW : 1.05A" in its status bar; its picture goes to build/windows/windows-main-window.png;
#   5. uninstalls silently: nothing of KaviraOB is left in Program Files.
# Without Qt for Windows (scripts/deps.sh --windows-qt ARCHIVE, or KAVIRA_WINDOWS_QT) it says so, says
# how to get it, and runs only the Qt-free core's tests (scripts/test-windows-core.sh).
#   scripts/test-windows.sh [LINUX_BUILD]   (LINUX_BUILD holds the Linux kaviraob-cli; default build/ci)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
linux_build=${1:-build/ci}
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

stage_start=$SECONDS
stage() {
  echo "windows: $1 took $((SECONDS - stage_start)) s"
  stage_start=$SECONDS
}
fail() {
  echo "=== FAILED (Windows): $*" >&2
  exit 1
}

./scripts/deps.sh
./scripts/deps.sh --windows
qt=${KAVIRA_WINDOWS_QT:-/opt/qt6-mingw-6.4.2}
if [ ! -e "$qt/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
  cat >&2 <<EOF
=== SKIPPED: the Windows programs, their Qt tests, the installer and its trial under wine.
    There is no Qt for Windows in $qt. Unpack a prebuilt one with
      scripts/deps.sh --windows-qt qt6-mingw-6.4.2-x86_64-w64-mingw32.tar.xz
    (or set KAVIRA_WINDOWS_QT to where one is), or build it as docs/building-on-windows.md says.
    Only the Qt-free core is built and tested for Windows now.
EOF
  exec ./scripts/test-windows-core.sh
fi
export KAVIRA_WINDOWS_QT=$qt
stage "installing packages"

# A display for wine's windows, and one wine session at a time.
work=$(mktemp -d)
xvfb_pid=""
sim_pid=""
window_pid=""
cleanup() {
  for pid in $window_pid $sim_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
  WINEPREFIX=$root/build/windows/wine-prefix "$wineserver" -k >/dev/null 2>&1 || true
  [ -n "${WINEPREFIX:-}" ] && "$wineserver" -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
export WINEDEBUG=-all

# 1. Build, and the tests under wine.
cmake --preset windows
cmake --build --preset windows
stage "building"
export WINEPREFIX=$root/build/windows/wine-prefix
mkdir -p "$WINEPREFIX"
"$wineserver" -p >/dev/null 2>&1
./cmake/wine-run.sh "$WINEPREFIX" cmd /c exit
QT_QPA_PLATFORM=windows ctest --preset windows || fail "tests under wine (ctest --preset windows)"
"$wineserver" -k >/dev/null 2>&1 || true
stage "testing under wine"

# 2. The installer, installed silently into a wine prefix of its own.
rm -rf build/windows/package
cpack --config build/windows/CPackConfig.cmake -G NSIS -B build/windows/package >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack -G NSIS"; }
installer=$(ls build/windows/package/KaviraOB-*-win64.exe)
echo "windows: installer $installer ($(du -h "$installer" | cut -f1))"
export WINEPREFIX=$work/prefix
mkdir -p "$WINEPREFIX"
"$wineserver" -p >/dev/null 2>&1
./cmake/wine-run.sh "$WINEPREFIX" cmd /c exit  # a new prefix, set up as for the tests
"$wine" "$root/$installer" /S >/dev/null 2>&1 || fail "the silent install"
program_files="$WINEPREFIX/drive_c/Program Files/KaviraOB"
for f in bin/kaviraob.exe bin/kaviraob-cli.exe bin/Qt6Core.dll bin/Qt6Widgets.dll bin/Qt6SerialPort.dll \
  bin/platforms/qwindows.dll bin/styles/qwindowsvistastyle.dll share/doc/kaviraob/manual/pl.md \
  share/doc/kaviraob/manual/en.md Uninstall.exe; do
  [ -e "$program_files/$f" ] || fail "the installation lacks $f"
done
start_menu=$(find "$WINEPREFIX/drive_c" -path '*Start Menu*' -iname 'KaviraOB*.lnk' | head -n 1)
[ -n "$start_menu" ] || fail "no Start-menu entry for KaviraOB"
"$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KaviraOB' >"$work/uninstall.txt" 2>&1 ||
  fail "no entry in the list of installed programs"
grep -q 'UninstallString' "$work/uninstall.txt" || fail "the installed programs' entry has no uninstaller"
"$wine" reg query 'HKLM\Software\Classes\.K3s' 2>/dev/null | grep -q 'KaviraOB.Scenes' ||
  fail ".K3s files are not opened with KaviraOB"
stage "installer built and installed"

# 3. The installed kaviraob-cli.exe against the Linux simulator on COM1.
linux_cli=$linux_build/src/cli/kaviraob-cli
if [ ! -x "$linux_cli" ]; then
  cmake --preset default >/dev/null && cmake --build --preset default --target kaviraob-cli
  linux_cli=build/default/src/cli/kaviraob-cli
fi
cli_exe="$program_files/bin/kaviraob-cli.exe"
start_simulator() {  # [SIMULATE OPTIONS...]: serves on a new pty, which COM1 then names
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  "$linux_cli" simulate --demo "$@" >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
  ln -sfn "$(head -n 1 "$work/sim.out")" "$work/com1"
}
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$work/com1" /f >/dev/null 2>&1
"$wineserver" -k >/dev/null 2>&1 || true  # wine reads the ports' mapping when it starts
"$wineserver" -p >/dev/null 2>&1
start_simulator

# Runs the Windows program: its exit status in $status, its output in $work/out and $work/err (with
# Windows' line ends made Linux ones).
win() {
  status=0
  "$wine" "$cli_exe" "$@" >"$work/out.crlf" 2>"$work/err.crlf" || status=$?
  tr -d '\r' <"$work/out.crlf" >"$work/out"
  tr -d '\r' <"$work/err.crlf" >"$work/err"
}
# Runs the Linux program on the simulator's pseudo-terminal (its own --port first).
lin() {
  lstatus=0
  "$linux_cli" --port "$(readlink "$work/com1")" "$@" >"$work/lout" 2>"$work/lerr" || lstatus=$?
}
expect() {  # WHAT WANTED_STATUS
  if [ "$status" -ne "$2" ]; then
    cat "$work/out" "$work/err" >&2
    fail "kaviraob-cli.exe $1: exit status $status, on Linux $2"
  fi
}

win --version
expect --version 0
grep -q "kaviraob-cli $(sed -n 's/^project(KaviraOB VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)" "$work/out" ||
  fail "kaviraob-cli.exe --version printed: $(cat "$work/out")"
win ports
expect ports 0
grep -qx 'COM1' "$work/out" || fail "kaviraob-cli.exe ports does not list COM1: $(cat "$work/out")"
win --port COM1 version
expect version 0
grep -qx '1.05A' "$work/out" || fail "kaviraob-cli.exe version printed: $(cat "$work/out")"

# A whole read at the line's pace, timed, against the Linux program's read of the same show.
start_simulator
read_start=$(date +%s.%N)
win --port COM1 -q read all --image "$work/win"
read_wall=$(awk -v a="$read_start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
expect "read all" 0
start_simulator --no-pacing
lin -q read all --image "$work/linux"
[ "$lstatus" -eq 0 ] || fail "the Linux read for comparison failed: $(cat "$work/lerr")"
for ext in K3s K3p K3m; do
  cmp "$work/win.$ext" "$work/linux.$ext" || fail "read all: the .$ext files differ from the Linux program's"
done
echo "windows: read all under wine: ${read_wall} s (the line's bound is 84.2 s); files as on Linux"

win --port COM1 -q verify all --image "$work/win"
expect "verify all" 0

# A changes-only write of one edited scene, then its undo: the controller is as before.
cp "$work/win.K3s" "$work/edit.K3s"
cp "$work/win.K3p" "$work/edit.K3p"
cp "$work/win.K3m" "$work/edit.K3m"
printf '\x2a' | dd of="$work/edit.K3s" bs=1 seek=300 conv=notrunc status=none
win --port COM1 write scenes=1:1-1:2 --image "$work/edit" --changed --journal-dir "$work/journals"
lin write scenes=1:1-1:2 --image "$work/edit" --changed --journal-dir "$work/ljournals"
expect "write --changed" "$lstatus"
journal=$(sed -n 's/.*undo journal: \(.*\.K3j\).*/\1/p' "$work/err" | tail -n 1)
[ -n "$journal" ] || fail "write --changed named no undo journal: $(cat "$work/err")"
win --port COM1 -q verify scenes=1:1-1:2 --image "$work/edit"
expect "verify after write --changed" 0
win --port COM1 undo "$journal"
expect undo 0
win --port COM1 -q verify all --image "$work/win"
expect "verify after undo" 0
lin -q verify scenes=1:1-1:2 --image "$work/edit"
win --port COM1 -q verify scenes=1:1-1:2 --image "$work/edit"
expect "verify of the edit after undo" "$lstatus"

# A packed update file: installed, then verified, by the Windows program.
printf ':10000000101112131415161718191A1B1C1D1E1F78\n:00000001FF\n' >"$work/fw.hex"
"$linux_cli" pack-update "$work/fw.hex" --version 1.06 -o "$work/qz418-1.06.upg" >/dev/null
win --port COM1 -q firmware install "$work/qz418-1.06.upg" --yes
lin -q firmware verify "$work/qz418-1.06.upg"
expect "firmware install" 0
win --port COM1 -q firmware verify "$work/qz418-1.06.upg"
expect "firmware verify" "$lstatus"
stage "kaviraob-cli.exe against the simulator"

# 4. The window program finds the controller on COM1 by itself.
start_simulator
status_file=$work/status.txt
KAVIRA_STATUS_FILE=$(printf 'Z:%s' "$status_file" | tr / '\\') "$wine" "$program_files/bin/kaviraob.exe" \
  >"$work/window.out" 2>&1 &
window_pid=$!
found=""
for _ in $(seq 120); do
  if [ -f "$status_file" ] && grep -q 'FW : 1.05A' "$status_file"; then
    found=yes
    break
  fi
  sleep 0.5
done
[ -n "$found" ] || { cat "$status_file" 2>/dev/null; fail "kaviraob.exe did not show FW : 1.05A"; }
sleep 1
import -display "$display" -window root "$root/build/windows/windows-main-window.png" 2>/dev/null || true
"$wine" taskkill /IM kaviraob.exe /F >/dev/null 2>&1 || true
wait "$window_pid" 2>/dev/null || true
window_pid=""
stage "kaviraob.exe found the controller"

# 5. The silent uninstall leaves nothing of KaviraOB behind.
"$wine" "$program_files/Uninstall.exe" /S >/dev/null 2>&1 || fail "the silent uninstall"
for _ in $(seq 60); do
  [ -e "$program_files" ] || break
  sleep 0.5
done
[ ! -e "$program_files" ] || { find "$program_files"; fail "the uninstall left files in Program Files"; }
if "$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KaviraOB' >/dev/null 2>&1; then
  fail "the uninstall left its entry in the list of installed programs"
fi
if "$wine" reg query 'HKLM\Software\Classes\KaviraOB.Scenes' >/dev/null 2>&1; then
  fail "the uninstall left the .K3s association"
fi
stage "uninstalled"
echo "windows: all five steps passed"
