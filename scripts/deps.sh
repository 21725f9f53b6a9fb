#!/usr/bin/env bash
# Installs what building and testing KaviraOB needs from Debian 12's packages, what building and
# checking its Debian package needs, and clang with its fuzzing runtime and clang-format for the fuzz
# smoke run and the format check. Uses sudo when not root.
#   scripts/deps.sh [--windows] [PACKAGE...]
# --windows installs instead what the windows-core preset needs: the mingw-w64 cross compiler, wine64
# to run its programs, and GoogleTest's sources to build for it.
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev qt6-svg-dev qt6-translations-l10n qt6-l10n-tools qt6-tools-dev libcli11-dev libgtest-dev fonts-dejavu-core
  dpkg-dev file lintian desktop-file-utils appstream
  clang libclang-rt-dev clang-format clang-tidy)
if [ "${1:-}" = "--windows" ]; then
  shift
  packages=(cmake ninja-build g++-mingw-w64-x86-64-posix wine64 googletest)
fi
packages+=("$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "deps: all packages present"
  exit 0
fi
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "deps: installing ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
