#!/usr/bin/env bash
# Installs what is missing, builds Rotandor and runs the whole test suite:
# the unit and replay tests on the scripted platform, then the real-window
# tests of the built program under Xvfb; then the browser build: the unit
# suite under Node and the page in headless Chromium.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh test
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DROTANDOR_TESTS=ON -DROTANDOR_WERROR=ON >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
tools/build-web.sh
ctest --test-dir build-web --output-on-failure
