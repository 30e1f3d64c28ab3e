#!/usr/bin/env bash
# Makes a release of a commit in out/release/<version>/, built from a clean
# checkout of that commit (its source archive, unpacked in a new folder):
#   rotandor_<version>_amd64.deb            the Debian package
#   rotandor-<version>-windows-x64.zip      Windows, to unzip anywhere
#   rotandor-<version>-windows-x64.msi      Windows, the installer
#   rotandor-<version>-web.zip              the site, for any static host
#   rotandor-<version>.tar.gz               the source (git archive)
#   RELEASE-NOTES.md                        the changelog's entry, the systems
#   SHA256SUMS                              the checksums of all of them
#
#   tools/release.sh [--only deb,windows,web] [--out DIR] [--no-check] [--keep] [COMMIT]
#
# COMMIT: a tag or any commit, HEAD by default. It refuses a dirty working
# tree, and a version that CMakeLists.txt, packaging/debian/changelog and the
# metainfo (or the commit's tag) do not all name. Every file depends on the
# commit alone: every time in them is the commit's (SOURCE_DATE_EPOCH), paths
# of the build folder are mapped away, archives hold sorted members with
# fixed times and owners. tools/check-reproducible.sh proves it.
#   --only     make only these of the builds (the source, notes and sums always)
#   --out      the folder that receives <version>/ (default out/release)
#   --no-check leave out the Debian package's lintian and validators
#   --keep     keep the build folder (printed) instead of removing it
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

only=deb,windows,web
out=$root/out/release
check=
keep=0
commit=HEAD
while [ $# -gt 0 ]; do
  case $1 in
    --only) only=$2; shift 2 ;;
    --out) out=$(mkdir -p "$2" && cd "$2" && pwd); shift 2 ;;
    --no-check) check=--no-check; shift ;;
    --keep) keep=1; shift ;;
    -*) echo "usage: $0 [--only deb,windows,web] [--out DIR] [--no-check] [--keep] [COMMIT]" >&2; exit 2 ;;
    *) commit=$1; shift ;;
  esac
done
for part in ${only//,/ }; do
  [[ $part =~ ^(deb|windows|web)$ ]] || { echo "release: no such build: $part" >&2; exit 2; }
done
wants() { [[ ,$only, == *,$1,* ]]; }
took() { echo "release: $1 took $SECONDS s"; SECONDS=0; }
fail() { echo "release: $*" >&2; exit 1; }

# What the release is made of does not depend on who makes it, or where.
export LC_ALL=C.UTF-8 TZ=UTC
umask 022

[ -z "$(git status --porcelain)" ] ||
  fail "the working tree is not clean (git status): commit or stash first"
named=$commit
commit=$(git rev-parse --verify --quiet "$commit^{commit}") || fail "no such commit: $named"

# One version everywhere.
work=$(mktemp -d "${TMPDIR:-/tmp}/rotandor-release.XXXXXX")
if [ $keep -eq 1 ]; then
  trap 'echo "build folder kept: $work"' EXIT
else
  trap 'rm -rf "$work"' EXIT
fi
git show "$commit:packaging/debian/changelog" > "$work/changelog"
version=$(git show "$commit:CMakeLists.txt" | sed -n 's/^project(rotandor VERSION \([0-9.]*\).*/\1/p')
logged=$(sed -n '1s/^rotandor (\([^)]*\)).*/\1/p' "$work/changelog")
logged_day=$(date -u -d "$(sed -n 's/^ -- .*>  //p' "$work/changelog" | head -1)" +%F)
release=$(git show "$commit:packaging/linux/rotandor.metainfo.xml.in" |
          sed -n 's/.*<release version="\([^"]*\)" date="\([^"]*\)".*/\1 \2/p' | head -1)
released=${release% *}
released=${released//@PROJECT_VERSION@/$version}
released_day=${release#* }
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "no version a.b.c in CMakeLists.txt: '$version'"
if [ "$version" != "$logged" ] || [ "$version" != "$released" ]; then
  fail "versions disagree: CMakeLists.txt $version, changelog $logged, metainfo $released"
fi
[ "$logged_day" = "$released_day" ] ||
  fail "the changelog dates $version $logged_day, the metainfo $released_day"
for tag in $(git tag --points-at "$commit"); do
  if [[ $tag =~ ^v?[0-9]+\.[0-9]+\.[0-9]+$ ]] && [ "${tag#v}" != "$version" ]; then
    fail "the commit's tag $tag is not its version $version"
  fi
done

export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$commit")
dest=$out/$version
rm -rf "$dest"
mkdir -p "$dest"
source=rotandor-$version
echo "== rotandor $version from $(git rev-parse --short "$commit"), time $(date -d "@$SOURCE_DATE_EPOCH" '+%F %T %Z')"

# The source, and from it the clean checkout everything is built in.
git -c tar.umask=0022 -c tar.tar.gz.command="gzip -9n" archive --format=tar.gz --prefix="$source/" \
  -o "$dest/$source.tar.gz" "$commit"
tar -xzf "$dest/$source.tar.gz" -C "$work"
tree=$work/$source
took "the source"
# The build folder's path stays out of the programs (tools/make-deb.sh's flags
# from dpkg-buildflags do the same for the Debian build).
export CFLAGS="-ffile-prefix-map=$tree=." CXXFLAGS="-ffile-prefix-map=$tree=."

if wants deb; then
  echo "== Debian package"
  (cd "$tree" && tools/make-deb.sh $check)
  cp "$tree"/out/rotandor_"${version}"_*.deb "$dest/"
  took "the Debian package"
fi
if wants windows; then
  echo "== Windows"
  (cd "$tree" && tools/build-windows.sh >/dev/null)
  cp "$tree/build-windows-release/rotandor-$version-windows-x64".{zip,msi} "$dest/"
  took "Windows"
fi
if wants web; then
  echo "== site"
  (cd "$tree" && tools/build-web.sh rotandor_web >/dev/null)
  site=$work/rotandor-$version-web
  cp -r "$tree/build-web/site" "$site"
  "$tree/tools/pack-zip.py" "$dest/rotandor-$version-web.zip" "$site"
  took "the site"
fi

# The notes: the changelog's entry, then what it runs on and how to check it.
{
  echo "# Rotandor $version"
  echo
  echo "Released $logged_day."
  echo
  echo "## Changes"
  echo
  # The entry's lines between its first line and its signature, as Markdown.
  sed -n '2,/^ -- /p' "$work/changelog" | sed '$d' | sed -e '/^[[:space:]]*$/d' \
    -e 's/^  \* /- /' -e 's/^    /  /'
  echo
  sed "s/@VERSION@/$version/g" "$tree/packaging/release-notes.md"
} > "$dest/RELEASE-NOTES.md"

(cd "$dest" && sha256sum -- * > "$work/SHA256SUMS")
mv "$work/SHA256SUMS" "$dest/"

echo "== $dest"
(cd "$dest" && for f in *; do printf '%10s  %s\n' "$(stat -c %s "$f")" "$f"; done)
