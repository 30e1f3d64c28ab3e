#!/usr/bin/env bash
# Builds Rotandor for the browser into build-web/site/ (index.html, rotandor.js,
# rotandor.wasm, rotandor.data: any static web server serves it) and the unit
# suite for Node. Try it: python3 -m http.server -d build-web/site 8000
#   tools/build-web.sh [TARGET...]   (rotandor_web: the site alone)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh web
# Debian's Emscripten runs on a Node that may not look in Debian's module tree.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
cmake --preset web >/dev/null
cmake --build --preset web -j"${ROTANDOR_JOBS:-$(nproc)}" ${1:+--target "$@"}
