#!/usr/bin/env bash
# Builds and runs the benchmarks (Google Benchmark); not part of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh dev
cmake --preset bench >/dev/null
cmake --build --preset bench -j"$(nproc)"
exec ./build-bench/rotandor_bench "$@"
