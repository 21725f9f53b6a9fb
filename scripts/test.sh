#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, runs every test, then builds the Debian
# package, checks it and runs the programs from it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
cmake --preset ci
cmake --build --preset ci
ctest --preset ci
./scripts/package-test.sh build/ci
