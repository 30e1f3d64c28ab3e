#!/usr/bin/env bash
# Cross-compiles Rotandor for 64-bit Windows with MinGW-w64 and makes the
# release archive rotandor-<version>-windows-x64.zip: the program, its
# pictures and layout, the licence and a short read-me.
#
#   tools/build-windows.sh [build directory]   (default: build-windows-release)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-windows-release"}
"$root/tools/install-deps.sh" windows
cmake -S "$root" --preset windows-release -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target rotandor
x86_64-w64-mingw32-strip "$build/rotandor.exe"

version=$(sed -n 's/^project(rotandor VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name=rotandor-$version-windows-x64
stage="$build/$name"
rm -rf "$stage" "$build/$name.zip"
mkdir -p "$stage"
cp "$build/rotandor.exe" "$root"/data/*.roulette "$root/data/Button.txt" "$stage/"
# Windows editors expect CR LF.
sed 's/$/\r/' "$root/COPYING" > "$stage/COPYING.txt"
sed 's/$/\r/' "$root/packaging/windows/README-Windows.txt" > "$stage/LIESMICH-README.txt"
(cd "$build" && cmake -E tar cf "$name.zip" --format=zip "$name")
ls -l "$build/rotandor.exe" "$build/$name.zip"
