#!/usr/bin/env bash
# Installs what is missing, builds Rotandor and runs the whole test suite:
# the unit and replay tests on the scripted platform, then the real-window
# tests of the built program under Xvfb; then both for the Windows build under
# Wine; then the browser build: the unit suite under Node and the page in
# Chromium, Firefox and WebKitGTK.
set -euo pipefail
cd "$(dirname "$0")"
part() { echo "test.sh: $1 took $SECONDS s"; SECONDS=0; }
tools/install-deps.sh test
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$(nproc)"
ctest --preset linux -j"$(nproc)"
part "Linux (build, unit and window tests)"
# The same suites for the Windows build, under Wine.
tools/test-windows.sh
part "Windows under Wine (build, unit, window and installer tests)"
# The browser build: the unit suite under Node, the page in three engines.
tools/build-web.sh
# The engines run side by side: a browser mostly waits for the game. A page
# test that fails runs once more, as a browser's driver now and then fails on
# its own; a second failure still fails.
ctest --preset web -j3 --repeat until-pass:2
part "browser (build, Node, and the page in Chromium, Firefox and WebKitGTK)"
