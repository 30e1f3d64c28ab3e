#!/usr/bin/env bash
# Installs what is missing, builds Rotandor and starts it.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh play
cmake --preset play >/dev/null
cmake --build --preset play -j"$(nproc)"
exec ./build/rotandor
