#!/usr/bin/env bash
# Installs what is missing, builds Rotandor and runs the whole test suite:
# the unit and replay tests on the scripted platform, then the real-window
# tests of the built program under Xvfb; then both for the Windows build under
# Wine; then the browser build: the unit suite under Node and the page in
# headless Chromium.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh test
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$(nproc)"
ctest --preset linux -j"$(nproc)"
# The same suites for the Windows build, under Wine.
tools/test-windows.sh
# The browser build: the unit suite under Node, the page in headless Chromium.
tools/build-web.sh
ctest --preset web
