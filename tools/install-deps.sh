#!/usr/bin/env bash
# Installs the Debian packages a task needs, only those that are missing.
#   tools/install-deps.sh play   - build and play
#   tools/install-deps.sh windows - cross-compile for Windows, pack the zip and the installer
#   tools/install-deps.sh web    - build for the browser (Emscripten) and the suite for Node
#   tools/install-deps.sh test   - build and run the whole test suite (Wine included)
#   tools/install-deps.sh dev    - also benchmarks, fuzzing and clang-format
#   tools/install-deps.sh format - clang-format, for tools/format.sh
#   tools/install-deps.sh gen    - the generators tools/gen/make_font.py, make_pictures.py
#   tools/install-deps.sh fresh  - the fresh-machine check (tools/fresh-check.sh)
#   tools/install-deps.sh package - build the Debian package, check it (tools/make-deb.sh, check-package.sh)
#   tools/install-deps.sh reproducible - build a release twice and compare (tools/check-reproducible.sh)
set -euo pipefail

play=(build-essential cmake pkg-config libsdl2-dev)
windows=(cmake g++-mingw-w64-x86-64-posix wixl msitools libfaketime python3)
web=(cmake emscripten nodejs googletest)
test=("${play[@]}" libgtest-dev googletest xvfb xauth xfonts-base xdotool x11-utils
      x11-xkb-utils libfaketime python3 python3-pil "${windows[@]}" wine wine64
      "${web[@]}" chromium chromium-driver python3-selenium firefox-esr python3-websockets webkit2gtk-driver)
dev=("${test[@]}" libbenchmark-dev clang libclang-rt-14-dev clang-format)
# The page's fuzzer comes from npm, which some builds of Node bring along; Debian's comes apart.
command -v npm >/dev/null || dev+=(npm)
format=(clang-format)
gen=(g++ python3 python3-pil fonts-dejavu-core console-data)
fresh=(mmdebstrap git xvfb x11-utils python3 python3-pil)
package=("${play[@]}" dpkg-dev lintian appstream desktop-file-utils mandoc mmdebstrap)
reproducible=(git libfaketime diffoscope)

case "${1:-play}" in
  play) wanted=("${play[@]}") ;;
  windows) wanted=("${windows[@]}") ;;
  web) wanted=("${web[@]}") ;;
  test) wanted=("${test[@]}") ;;
  dev) wanted=("${dev[@]}") ;;
  format) wanted=("${format[@]}") ;;
  gen) wanted=("${gen[@]}") ;;
  fresh) wanted=("${fresh[@]}") ;;
  package) wanted=("${package[@]}") ;;
  reproducible) wanted=("${reproducible[@]}") ;;
  *) echo "usage: $0 play|windows|web|test|dev|format|gen|fresh|package|reproducible" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
