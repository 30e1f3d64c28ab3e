#!/usr/bin/env bash
# Formats every C++ file git tracks as .clang-format says (Debian 12's
# clang-format 14; tools/install-deps.sh format installs it). Run it after a
# merge to put the style back.
#   tools/format.sh          - rewrites the files that differ
#   tools/format.sh --check  - changes nothing; fails and names each line that differs
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --check ]; then
  clang-format --dry-run -Werror "${files[@]}"
else
  clang-format -i "${files[@]}"
fi
