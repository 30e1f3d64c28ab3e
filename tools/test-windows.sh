#!/usr/bin/env bash
# The Windows build's tests under Wine: the unit and replay suite, then the
# real program's window tests in Xvfb. Run by ./test.sh after the Linux tests.
#
#   tools/test-windows.sh [build directory]   (default: build-windows)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-windows"}
# Without link-time optimisation: MinGW's LTO link of the suite takes minutes.
cmake -S "$root" --preset windows -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)"

# A fresh prefix once per run: its first start is the slow part.
export WINEPREFIX="$build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
start=$(date +%s)
wineboot -i >/dev/null 2>&1
wineserver -w
echo "Wine prefix made in $(( $(date +%s) - start )) s"
ctest --test-dir "$build" --output-on-failure
