#!/usr/bin/env bash
# clang-tidy over the program's sources (src/) with the checks of .clang-tidy. Fails on any finding.
# It needs a configured and built tree (the compile commands and the headers Qt generates):
#   scripts/check-tidy.sh [BUILD_DIR]        (default build/ci)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/ci}
if [[ ! -f $build/compile_commands.json ]]; then
  echo "check-tidy: no $build/compile_commands.json; configure and build that tree first" >&2
  exit 2
fi
out=$(mktemp)
trap 'rm -f "$out"' EXIT
status=0
run-clang-tidy -p "$build" -quiet -j "$(nproc)" "$PWD/src/.*\.cpp$" >"$out" 2>/dev/null || status=$?
# Colours off, and each finding once (a header's finding is reported by every file that includes it).
findings=$(sed 's/\x1b\[[0-9;]*m//g' "$out" | grep -E '^[^ ].*: (warning|error): ' | sort -u || true)
if [[ -n $findings ]]; then
  echo "$findings"
  echo "check-tidy: $(echo "$findings" | wc -l) finding(s) in src/" >&2
  exit 1
fi
if [[ $status -ne 0 ]]; then
  sed 's/\x1b\[[0-9;]*m//g' "$out" | tail -20
  echo "check-tidy: clang-tidy failed" >&2
  exit 1
fi
echo "check-tidy: no findings in src/"
