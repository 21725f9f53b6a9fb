#!/usr/bin/env bash
# Checks that every C++ source in the repository is formatted as .clang-format says; CI runs it and
# fails on the first difference. To format a file: clang-format -i FILE.
set -euo pipefail
cd "$(dirname "$0")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
else  # an unpacked copy without its history
  find bench src tests tools \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format --dry-run --Werror
fi
echo "format: every C++ source is formatted"
