#!/usr/bin/env bash
# Remakes the README's screenshots (docs/*.png) with the real-window test.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" -j"$(nproc)" --target rotandor
ROTANDOR_SCREENSHOT_DIR=docs /usr/bin/python3 tests/window/test_screenshots.py "$build/rotandor"
