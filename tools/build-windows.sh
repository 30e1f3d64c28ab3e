#!/usr/bin/env bash
# Cross-compiles Rotandor for 64-bit Windows with MinGW-w64 and makes the
# release archive rotandor-<version>-windows-x64.zip (the program, its
# pictures and layout, the licence and a short read-me) and the installer
# rotandor-<version>-windows-x64.msi beside it (tools/package-windows.sh).
# The folder is the windows-release preset's: build-windows-release/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$PWD/build-windows-release
tools/install-deps.sh windows
cmake --preset windows-release >/dev/null
cmake --build --preset windows-release -j"$(nproc)"
x86_64-w64-mingw32-strip "$build/rotandor.exe"

tools/package-windows.sh "$build/rotandor.exe" "$build"
ls -l "$build/rotandor.exe" "$build"/rotandor-*-windows-x64.{zip,msi}
