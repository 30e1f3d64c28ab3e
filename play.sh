#!/usr/bin/env bash
# Installs what is missing, builds Rotandor and starts it.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh play
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DROTANDOR_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target rotandor
exec ./build/rotandor
