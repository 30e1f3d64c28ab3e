#!/usr/bin/env bash
# Remakes the README's screenshots (docs/*.png) with the real-window test.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$(nproc)" --target rotandor
ROTANDOR_SCREENSHOT_DIR=docs /usr/bin/python3 tests/window/test_screenshots.py build/rotandor
