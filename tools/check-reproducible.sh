#!/usr/bin/env bash
# Makes a release of a commit twice with tools/release.sh and compares the two,
# file by file. The second build differs from the first in all a build could
# wrongly depend on: its folder (and that folder's length), the clock (a year
# and more ahead), time zone, locale, umask and, run as root, its user.
# On a difference diffoscope's report shows what differs; the check fails.
#
#   tools/check-reproducible.sh [--only deb,windows,web] [COMMIT]
#
# Both builds start from their own clone of the commit (HEAD by default), so
# the working tree need not be clean. The clones and builds go to a new
# folder under $TMPDIR, removed at the end unless it fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# The repository, and the clones, may belong to another user than the one
# building (sudo; the second build's user).
export GIT_CONFIG_COUNT=1 GIT_CONFIG_KEY_0=safe.directory GIT_CONFIG_VALUE_0="*"
only=deb,windows,web
commit=HEAD
while [ $# -gt 0 ]; do
  case $1 in
    --only) only=$2; shift 2 ;;
    -*) echo "usage: $0 [--only deb,windows,web] [COMMIT]" >&2; exit 2 ;;
    *) commit=$1; shift ;;
  esac
done
commit=$(git -C "$root" rev-parse --verify --quiet "$commit^{commit}") || { echo "no such commit" >&2; exit 2; }
"$root/tools/install-deps.sh" reproducible
for part in ${only//,/ }; do
  case $part in
    deb) "$root/tools/install-deps.sh" package ;;
    windows) "$root/tools/install-deps.sh" windows ;;
    web) "$root/tools/install-deps.sh" web ;;
    *) echo "no such build: $part" >&2; exit 2 ;;
  esac
done

base=$(mktemp -d "${TMPDIR:-/tmp}/rotandor-reproducible.XXXXXX")
chmod 755 "$base"
started=$(date +%s)
say() { printf '== %s (%ds)\n' "$*" $(($(date +%s) - started)); }

# The second build's user: nobody, when root may choose.
other=()
if [ "$(id -u)" -eq 0 ] && id nobody >/dev/null 2>&1; then
  other=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi

# build NAME FOLDER [PREFIX...]: a clone of the commit in FOLDER, its release
# in $base/NAME/<version>, its build folder in $base/NAME-tmp.
build() {
  local name=$1 folder=$2
  shift 2
  (umask 022; mkdir -p "$folder" "$base/$name" "$base/$name-tmp")
  git clone -q --no-hardlinks "$root" "$folder"
  git -C "$folder" checkout -q --detach "$commit"
  if [ ${#other[@]} -gt 0 ] && [ "$name" = b ]; then
    chown -R nobody:nogroup "$folder" "$base/$name" "$base/$name-tmp"
  fi
  TMPDIR="$base/$name-tmp" "$@" "$folder/tools/release.sh" --no-check --only "$only" --out "$base/$name" \
    > "$base/$name.log" 2>&1 || { tail -40 "$base/$name.log"; echo "the build $name failed: $base/$name.log" >&2; exit 1; }
  sed -n 's/^release: /  /p' "$base/$name.log"
}

say "build a: $base/src, as $(id -un), TZ=UTC, LC_ALL=C.UTF-8, umask 022, the real clock"
(umask 022; build a "$base/src" env TZ=UTC LC_ALL=C.UTF-8 LANG=C.UTF-8)

# A clock a year and 33 days ahead, running: another date, weekday and year.
# The library itself: the faketime wrapper gives up on a clock a killed
# process left in /dev/shm under the wrapper's process id. The library keeps
# its clock there under the first process it is loaded in, which removes it
# on exit unless it ends in another program: a shell that waits is first.
faketime_lib=$(ls /usr/lib/*/faketime/libfaketimeMT.so.1 | head -1)
user=$(id -un)
[ ${#other[@]} -gt 0 ] && user=nobody
say "build b: $base/another/much/longer/folder, as $user, TZ=Pacific/Kiritimati, LC_ALL=POSIX LANGUAGE=de, umask 077, the clock +398 days"
(umask 077; build b "$base/another/much/longer/folder" "${other[@]}" \
   env HOME="$base/b-tmp" TZ=Pacific/Kiritimati LC_ALL=POSIX LANG=de_DE.UTF-8 LANGUAGE=de \
   LD_PRELOAD="$faketime_lib" FAKETIME=+398d bash -c '"$@"; exit $?' build-b)

say "compare"
version=$(ls "$base/a")
version=${version//[[:space:]]/}
a=$base/a/$version
b=$base/b/$version
differ=0
if ! diff <(cd "$a" && ls) <(cd "$b" && ls); then
  echo "the builds made other files"
  differ=1
fi
for f in $(cd "$a" && ls); do
  [ -e "$b/$f" ] || continue
  if cmp -s "$a/$f" "$b/$f"; then
    printf '  identical  %10s  %s\n' "$(stat -c %s "$a/$f")" "$f"
  else
    printf '  DIFFERENT  %10s  %s\n' "$(stat -c %s "$a/$f")" "$f"
    differ=1
  fi
done
if [ $differ -ne 0 ]; then
  for f in $(cd "$a" && ls); do
    [ -e "$b/$f" ] && ! cmp -s "$a/$f" "$b/$f" || continue
    echo "== diffoscope $f"
    diffoscope --no-progress --max-text-report-size 200000 "$a/$f" "$b/$f" || true
  done
  say "NOT reproducible; both builds are kept in $base"
  exit 1
fi
rm -rf "$base"
say "reproducible: both builds identical"
