#!/usr/bin/env bash
# Cross-compiles Rotandor for 64-bit Windows with MinGW-w64 and makes the
# release archive rotandor-<version>-windows-x64.zip (the program, its
# pictures and layout, the licence and a short read-me) and the installer
# rotandor-<version>-windows-x64.msi beside it (tools/package-windows.sh).
#
#   tools/build-windows.sh [build directory]   (default: build-windows-release)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-windows-release"}
"$root/tools/install-deps.sh" windows
cmake -S "$root" --preset windows-release -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target rotandor
x86_64-w64-mingw32-strip "$build/rotandor.exe"

"$root/tools/package-windows.sh" "$build/rotandor.exe" "$build"
ls -l "$build/rotandor.exe" "$build"/rotandor-*-windows-x64.{zip,msi}
