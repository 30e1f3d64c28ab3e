#!/bin/sh
# Regenerates the golden files of the replay test (tests/golden/replay) on
# purpose, after a deliberate change to what the game draws or writes.
# Review `git diff --stat tests/golden` and the screens before committing.
#
#   tools/update_golden.sh [build directory]   (default: build-golden)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-golden"}
cmake -S "$root" -B "$build" -DROTANDOR_TESTS=ON >/dev/null
cmake --build "$build" -j2 --target rotandor_tests
rm -rf "$root/tests/golden/replay"
ROTANDOR_UPDATE_GOLDEN=1 "$build/rotandor_tests" --gtest_filter='Replay.*'
# The new files must pass as they are.
"$build/rotandor_tests" --gtest_filter='Replay.*'
git -C "$root" status --short tests/golden
