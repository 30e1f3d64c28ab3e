#!/bin/sh
# Regenerates the golden files of the replay test (tests/golden/replay) on
# purpose, after a deliberate change to what the game draws or writes, with
# the build ./test.sh checks them with. Review `git diff --stat tests/golden`
# and the screens before committing.
#
#   tools/update_golden.sh
set -eu
cd "$(dirname "$0")/.."
cmake --preset linux >/dev/null
cmake --build --preset linux -j2 --target rotandor_tests
rm -rf tests/golden/replay
ROTANDOR_UPDATE_GOLDEN=1 ctest --preset linux -R '^Replay\.'
# The new files must pass as they are.
ctest --preset linux -R '^Replay\.'
git status --short tests/golden
