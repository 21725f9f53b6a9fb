#!/usr/bin/env bash
# Installs what building and testing KaviraOB needs from Debian 12's packages, what building and
# checking its Debian package needs, and clang with its fuzzing runtime and clang-format for the fuzz
# smoke run and the format check. Uses sudo when not root.
#   scripts/deps.sh [--windows] [--windows-qt ARCHIVE] [PACKAGE...]
# --windows installs instead what the Windows builds need: the mingw-w64 cross compiler, wine64 to run
# their programs, GoogleTest's sources to build for them, NSIS for the installer, and Xvfb and
# ImageMagick to run the window program and take its picture.
# --windows-qt ARCHIVE (or the variable KAVIRA_WINDOWS_QT_ARCHIVE) unpacks Qt for Windows, a tar.xz
# holding qt6-mingw-6.4.2/ (docs/building-on-windows.md says how to build one), into /opt, unless
# /opt/qt6-mingw-6.4.2 holds it already.
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev qt6-svg-dev qt6-translations-l10n qt6-l10n-tools qt6-tools-dev libcli11-dev libgtest-dev fonts-dejavu-core
  dpkg-dev file lintian desktop-file-utils appstream
  clang libclang-rt-dev clang-format clang-tidy)
qt_archive=${KAVIRA_WINDOWS_QT_ARCHIVE:-}
extra=()
while [ $# -gt 0 ]; do
  case $1 in
    --windows)
      packages=(cmake ninja-build g++-mingw-w64-x86-64-posix wine64 googletest nsis xvfb xauth imagemagick)
      shift ;;
    --windows-qt)
      [ $# -ge 2 ] || { echo "deps: --windows-qt wants the archive's path" >&2; exit 2; }
      qt_archive=$2
      shift 2 ;;
    *) extra+=("$1"); shift ;;
  esac
done
packages+=(${extra[@]+"${extra[@]}"})
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "deps: all packages present"
else
  echo "deps: installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

qt_dir=/opt/qt6-mingw-6.4.2
if [ -n "$qt_archive" ] && [ ! -e "$qt_dir/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
  if [ ! -f "$qt_archive" ]; then
    echo "deps: no Qt for Windows archive at $qt_archive" >&2
    exit 1
  fi
  echo "deps: unpacking Qt for Windows from $qt_archive into /opt"
  $sudo tar -C /opt -xJf "$qt_archive"
  if [ ! -e "$qt_dir/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
    echo "deps: $qt_archive did not give $qt_dir" >&2
    exit 1
  fi
fi
