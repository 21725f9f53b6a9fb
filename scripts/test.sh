#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every test; builds the Debian
# package, checks it and runs the programs from it; then the Qt-free core built for Windows, its tests
# under wine (scripts/test-windows-core.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
cmake --preset ci
cmake --build --preset ci
ctest --preset ci
./scripts/package-test.sh build/ci
if ! ./scripts/test-windows-core.sh; then
  echo "=== FAILED: Windows core tests (windows-core preset: mingw-w64 build, tests under wine64) ===" >&2
  exit 1
fi
