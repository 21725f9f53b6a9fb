#!/usr/bin/env bash
# What CI runs. Installs what is missing, checks the sources' format and that system calls stay in the
# adapters (scripts/check-portability.sh), builds with warnings as errors and runs every test, runs
# clang-tidy over src/ (scripts/check-tidy.sh), runs the
# whole suite again under the sanitizers, runs each fuzz target for 10 s,
# builds the Debian package, checks it and runs the programs from it, then builds the Windows release,
# runs its tests under wine and tries its installer there (scripts/test-windows.sh; without Qt for
# Windows it says so and tests only the Qt-free core). Each step says how long it took.
set -euo pipefail
cd "$(dirname "$0")/.."

step() {
  local name=$1 start=$SECONDS
  shift
  echo "== $name"
  "$@"
  echo "== $name: $((SECONDS - start)) s"
}

./scripts/deps.sh

# Format check: every tracked C++ source as .clang-format says.
step "format check" ./scripts/check-format.sh
# Portability check: no system calls outside src/platform and the file layer's system files.
step "portability check" ./scripts/check-portability.sh

cmake --preset ci
cmake --build --preset ci
ctest --preset ci

# clang-tidy over src/ with .clang-tidy's checks, on the ci tree just built.
step "clang-tidy" ./scripts/check-tidy.sh build/ci

# Sanitizers: the whole test suite again, under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitizers() { cmake --preset asan && cmake --build --preset asan && ctest --preset asan; }
step "sanitizers (asan preset)" sanitizers

# Fuzz smoke run: each libFuzzer target (tests/fuzz) for 10 s in the clang build.
fuzz_smoke() { cmake --preset fuzz && cmake --build --preset fuzz && ctest --preset fuzz; }
step "fuzz smoke run (fuzz preset)" fuzz_smoke

./scripts/package-test.sh build/ci
windows() { ./scripts/test-windows.sh build/ci; }
if ! step "Windows (windows preset, installer, under wine)" windows; then
  echo "=== FAILED: Windows (scripts/test-windows.sh: mingw-w64 build, tests and installer under wine64) ===" >&2
  exit 1
fi
