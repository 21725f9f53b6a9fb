#!/usr/bin/env bash
# The Qt-free core on Windows: installs the cross compiler and wine when missing, cross-compiles the
# core and its tests with mingw-w64 (windows-core preset), and runs the tests under wine64.
# Prints how long each stage took.
set -euo pipefail
cd "$(dirname "$0")/.."
wineserver=/usr/lib/wine/wineserver
# The preset's prefix: cmake/mingw-w64-x86_64.cmake hands it to cmake/wine-run.sh.
export WINEPREFIX=$PWD/build/windows-core/wine-prefix

stage_start=$SECONDS
stage() {
  echo "windows-core: $1 took $((SECONDS - stage_start)) s"
  stage_start=$SECONDS
}

./scripts/deps.sh --windows
stage "installing packages"
cmake --preset windows-core
cmake --build --preset windows-core
stage "building"

# One wine session for all the tests: a persistent wineserver, and wine's background services started
# once, away from ctest's pipes (see cmake/wine-run.sh). Each test then starts in a fraction of a second.
mkdir -p "$WINEPREFIX"
WINEDEBUG=-all "$wineserver" -p
trap '"$wineserver" -k || true' EXIT
./cmake/wine-run.sh "$WINEPREFIX" cmd /c exit
stage "starting wine"
ctest --preset windows-core
stage "testing"
