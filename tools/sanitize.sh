#!/usr/bin/env bash
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer and runs the
# scripted-platform tests (the real-window tests run in ./test.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh test
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j"$(nproc)"
ctest --preset sanitize -j"$(nproc)"
