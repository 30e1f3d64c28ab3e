#!/usr/bin/env bash
# The README's two commands on a fresh Debian 12 machine: a minimal root made
# from Debian's archive, a clean clone of HEAD in it, then ./play.sh until
# the statistics screen shows (under a private Xvfb) and ./test.sh. Prints
# the wall time of each step and the packages each command installed.
#
#   sudo tools/fresh-check.sh           (needs root: mmdebstrap, mounts, chroot)
#
# FRESH_REV=COMMIT checks that commit instead of HEAD;
# FRESH_ROOT=DIR makes the root there (an empty or missing directory);
# FRESH_KEEP=1 leaves it in place afterwards (unmounted).
#
# More steps: a file tools/fresh-check.d/NAME.sh (NAME: letters, digits,
# underscores) defines a function fresh_step_NAME, which is run after the
# steps below, in name order, with the root mounted and the root's path as
# $1. Inside it, fresh_root_run ROOT CMD runs a command in the root (the
# clone is /root/rotandor), and tools/fresh-play.py -- CMD runs one under a
# private X server; its time and the packages it installed are reported
# like the others'.
#
# play.sh runs before test.sh: the test packages include all that play
# needs, so the other order would hide one missing from play's list.
set -uo pipefail
cd "$(dirname "$0")/.."
source tools/fresh-root.sh

if [ "$(id -u)" -ne 0 ]; then
  echo "fresh-check: must run as root (mmdebstrap --mode=root, bind mounts, chroot)" >&2
  exit 2
fi
tools/install-deps.sh fresh || exit 1

repo=$(pwd)
head=$(git rev-parse --verify "${FRESH_REV:-HEAD}^{commit}") || exit 2
if [ -n "${FRESH_ROOT:-}" ]; then
  # Deleted afterwards, so only a directory with nothing in it yet.
  if [ -e "$FRESH_ROOT" ] && [ -n "$(ls -A "$FRESH_ROOT" 2>/dev/null)" -o ! -d "$FRESH_ROOT" ]; then
    echo "fresh-check: FRESH_ROOT=$FRESH_ROOT is not an empty directory" >&2
    exit 2
  fi
  root=$FRESH_ROOT
else
  root=$(mktemp -d /var/tmp/rotandor-fresh.XXXXXX)
fi
log=$(mktemp -d /tmp/rotandor-fresh-log.XXXXXX)
summary=()
failed=0

finish() {
  fresh_root_unmount
  if [ "${FRESH_KEEP:-0}" = 1 ]; then
    echo "fresh-check: root kept in $root"
  else
    fresh_root_remove "$root"
  fi
  echo "== fresh-check summary (commit $head)"
  printf '%s\n' "${summary[@]}"
  echo "each step's output, and the statistics screen seen: $log"
}
trap finish EXIT
trap 'exit 130' INT TERM

# step NAME CMD...: runs CMD, times it, notes the packages it installed.
step() {
  local name=$1 t0 t1 status added line
  shift
  echo "== $name"
  [ -d "$root/var/lib/dpkg" ] && fresh_root_packages "$root" >"$log/$name.before"
  t0=$(date +%s.%N)
  "$@" >"$log/$name.log" 2>&1
  status=$?
  t1=$(date +%s.%N)
  if [ $status -eq 0 ]; then tail -n 4 "$log/$name.log"; else tail -n 80 "$log/$name.log"; fi
  line=$(printf '%-12s %7.1f s  %s' "$name" "$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')" "$([ $status -eq 0 ] && echo ok || echo "FAILED ($status)")")
  if [ -f "$log/$name.before" ]; then
    fresh_root_packages "$root" >"$log/$name.after"
    added=$(comm -13 "$log/$name.before" "$log/$name.after")
    line+="  $(echo "$added" | grep -c .) packages installed"
    if [ -n "$added" ]; then
      echo "$name installed:"
      echo "$added" | paste -sd' ' | fold -s -w 100 | sed 's/^/  /'
    fi
  fi
  summary+=("$line")
  echo "$line"
  [ $status -eq 0 ] || failed=1
  return $status
}

clone() {
  git clone --quiet --no-hardlinks "$repo" "$root/root/rotandor" &&
    git -C "$root/root/rotandor" checkout --quiet --detach "$head"
}

play() {
  /usr/bin/python3 tools/fresh-play.py --timeout 1200 --screenshot "$log/statistics.png" -- \
    bash -c 'source tools/fresh-root.sh && fresh_root_run "$1" "cd /root/rotandor && exec ./play.sh"' _ "$root"
}

run_tests() {
  fresh_root_run "$root" 'cd /root/rotandor && ./test.sh'
}

step root fresh_root_create "$root" || exit 1
echo "  the new root holds $(fresh_root_packages "$root" | wc -l) packages"
fresh_root_mount "$root" || { summary+=("mount        FAILED: mount --bind refused"); exit 1; }
step clone clone || exit 1
step play.sh play
step test.sh run_tests
for hook in tools/fresh-check.d/*.sh; do
  [ -f "$hook" ] || continue
  name=$(basename "$hook" .sh)
  source "$hook"
  step "$name" "fresh_step_$name" "$root"
done
exit $failed
