#!/usr/bin/env bash
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer and runs the
# scripted-platform tests (the real-window tests run in ./test.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh test
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DROTANDOR_TESTS=ON \
      -DROTANDOR_SANITIZE=address,undefined >/dev/null
cmake --build build-asan -j"$(nproc)" --target rotandor_tests
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -L unit
