#!/usr/bin/env bash
# Installs the package as a player would, in a fresh Debian 12 root, and
# checks it: apt pulls in only what the game needs, the game starts from
# /usr/games/rotandor in a home directory and plays a round under Xvfb, and
# `apt remove` leaves nothing of the package behind while the player's own
# files stay. Needs root (mmdebstrap, chroot, bind mounts).
#   tools/check-package.sh [out/rotandor_VERSION_ARCH.deb]
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/fresh-root.sh
deb=${1:-$(ls out/rotandor_*_*.deb | tail -1)}
name=$(basename "$deb")
[ "$(id -u)" -eq 0 ] || { echo "$0: run as root" >&2; exit 2; }
tools/install-deps.sh package

root=$(mktemp -d /var/tmp/rotandor-package.XXXXXX)
work=$(mktemp -d /tmp/rotandor-package-log.XXXXXX)
cleanup() {
  fresh_root_unmount
  fresh_root_remove "$root"
  rm -rf "$work"
}
trap cleanup EXIT

fresh_root_create "$root"
fresh_root_mount "$root"
cp "$deb" "$root/tmp/$name"
cp -r tests/window "$root/tmp/window"
# in_root CMD: one shell command line inside the root.
in_root() {
  fresh_root_run "$root" "export LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive; $1"
}
failed=0
fail() { echo "FAIL $*"; failed=1; }

# What the package pulls in, measured on the bare root.
in_root "apt-get update -qq"
fresh_root_packages "$root" > "$work/before"
needed=$(in_root "apt-get install -s --no-install-recommends /tmp/$name" | grep -c '^Inst ')
in_root "apt-get install -y -qq /tmp/$name" > "$work/apt.log" 2>&1
fresh_root_packages "$root" > "$work/after"
comm -13 "$work/before" "$work/after" > "$work/pulled"
echo "apt install ./$name pulled $(wc -l < "$work/pulled") packages ($needed without recommends):" $(cat "$work/pulled")
# A player needs the game and its libraries, never a tool to build it.
if grep -E -- '-dev$|^(gcc|g\+\+|cpp|make|cmake|build-essential|pkg-config|dpkg-dev)(-[0-9]+)?$' "$work/pulled"; then
  fail "apt pulled build tools"
fi
in_root "dpkg-query -L rotandor" | sort > "$work/files"

# The player's round, as the player's own user in a home directory.
in_root "apt-get install -y -qq --no-install-recommends xvfb xfonts-base xdotool x11-utils \
  python3 python3-pil libfaketime" > /dev/null 2>&1
install -d -m 1777 "$root/tmp/.X11-unix"
in_root "useradd --create-home player"
if ! in_root "runuser -u player -- env HOME=/home/player /usr/bin/python3 \
     /tmp/window/test_round.py /usr/games/rotandor --home /home/player"; then
  fail "the round in the installed game"
fi

in_root "apt-get remove -y -qq rotandor" > /dev/null 2>&1
status=$(in_root "dpkg-query -W -f='\${db:Status-Status}' rotandor" 2>/dev/null || echo not-installed)
[ "$status" = not-installed ] || fail "rotandor is still known to dpkg as $status"
left=0
while IFS= read -r path; do
  [ "$path" = /. ] && continue
  if [ -L "$root$path" ] || [ -f "$root$path" ]; then
    echo "left behind: $path"; left=1
  elif [ -d "$root$path" ] && ! in_root "dpkg-query -S $(printf %q "$path")" > /dev/null 2>&1; then
    echo "left behind: $path/"; left=1
  fi
done < "$work/files"
[ $left -eq 0 ] && echo "ok   apt remove left nothing of the package" || fail "apt remove left files"
for kept in .local/share/rotandor/Login.dat .local/share/rotandor/Secrets.dat Roulettezahlen.txt; do
  [ -f "$root/home/player/$kept" ] || fail "the player's $kept is gone"
done
[ $failed -eq 0 ] && echo "ok   the player's files stay"

[ $failed -eq 0 ] && echo "package check passed" || echo "package check FAILED"
exit $failed
