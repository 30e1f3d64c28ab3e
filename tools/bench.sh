#!/usr/bin/env bash
# Builds and runs the benchmarks (Google Benchmark); not part of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh dev
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DROTANDOR_TESTS=OFF -DROTANDOR_BENCH=ON >/dev/null
cmake --build build-bench -j"$(nproc)" --target rotandor_bench
exec ./build-bench/rotandor_bench "$@"
