#!/usr/bin/env bash
# The Windows build's tests under Wine: the unit and replay suite, then the
# real program's window tests in Xvfb. Run by ./test.sh after the Linux tests.
# The folder is the windows preset's (build-windows/, without link-time
# optimisation: MinGW's LTO link of the suite takes minutes).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$PWD/build-windows
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)"

# A fresh prefix once per run: its first start is the slow part.
export WINEPREFIX="$build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
start=$(date +%s)
wineboot -i >/dev/null 2>&1
wineserver -w
echo "Wine prefix made in $(( $(date +%s) - start )) s"
ctest --preset windows
