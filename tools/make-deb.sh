#!/usr/bin/env bash
# Builds the Debian package out/rotandor_<version>_<arch>.deb from what
# `cmake --install` puts under /usr, then checks it: lintian without errors,
# the menu entry, the software-centre metainfo and both manual pages.
#   tools/make-deb.sh [--no-check]
# ROTANDOR_SCREENSHOT_URL, when set, is where docs/*.png are published; only
# then does the metainfo name screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
check=1
[ "${1:-}" = "--no-check" ] && check=0
tools/install-deps.sh package

build=build-deb
out=out
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
root=$stage/debian/rotandor  # where dpkg-shlibdeps expects the package
umask 022

# Debian's hardening flags, all of them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# The deb preset reads them from the environment.
CXXFLAGS=$(dpkg-buildflags --get CXXFLAGS)
CPPFLAGS=$(dpkg-buildflags --get CPPFLAGS)
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CXXFLAGS CPPFLAGS LDFLAGS
# Every time in the package: the release's (tools/release.sh: its commit's), else the changelog's.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(dpkg-parsechangelog -l packaging/debian/changelog -S Timestamp)}
export SOURCE_DATE_EPOCH
cmake --preset deb >/dev/null
cmake --build --preset deb -j"$(nproc)"
DESTDIR=$root cmake --install "$build" >/dev/null
# Stripped as Debian strips programs.
strip --remove-section=.comment --remove-section=.note "$root/usr/lib/games/rotandor/rotandor"
mkdir -p "$root/DEBIAN"

# One version everywhere: the build, the changelog and the release in the metainfo.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
logged=$(dpkg-parsechangelog -l packaging/debian/changelog -S Version)
metainfo=$(echo "$root"/usr/share/metainfo/*.metainfo.xml)
released=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -1)
if [ "$version" != "$logged" ] || [ "$version" != "$released" ]; then
  echo "version mismatch: CMakeLists.txt $version, changelog $logged, metainfo $released" >&2
  exit 1
fi

doc=$root/usr/share/doc/rotandor
install -d "$doc"
install -m 644 packaging/debian/copyright "$doc/copyright"
gzip -9n < packaging/debian/changelog > "$doc/changelog.gz"
chmod 644 "$doc/changelog.gz"

# Run-time dependencies from the libraries the program links.
mkdir -p "$stage/debian"
printf 'Source: rotandor\n\nPackage: rotandor\nArchitecture: any\n' > "$stage/debian/control"
depends=$(cd "$stage" && dpkg-shlibdeps -O debian/rotandor/usr/lib/games/rotandor/rotandor | sed -n 's/^shlibs:Depends=//p')

arch=$(dpkg --print-architecture)
# Counted as dpkg-gencontrol counts, not by the size the build's file system
# gives folders: KiB per file or link, rounded up, and one per folder.
installed=$(find "$root/usr" -printf '%y %s\n' |
            awk '$1 == "f" || $1 == "l" { k += int(($2 + 1023) / 1024); next } { k += 1 } END { print k }')
cat > "$root/DEBIAN/control" <<EOF
Package: rotandor
Version: $version
Architecture: $arch
Maintainer: Rotandor maintainers <maintainers@users.noreply.c-seed-1ba802e5.example>
Installed-Size: $installed
Depends: $depends
Section: games
Priority: optional
Description: single-zero casino roulette with tasks to solve
 Rotandor is a roulette game for one player with a mouse: a single-zero
 table, a wheel whose ball runs for half a minute before it drops, three
 chips and a croupier who spins on his own when nobody bets. All its texts
 are German.
 .
 Fourteen tasks wait to be solved; two of them open the 100 Euro chip and
 the corner bets. Once all are solved, the table plays with a balance that
 is kept between games. The money is play money.
EOF
(cd "$root" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) > "$root/DEBIAN/md5sums"
chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"

mkdir -p "$out"
deb=$out/rotandor_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "$deb: $(stat -c %s "$deb") bytes"
[ $check -eq 1 ] || exit 0

echo "== lintian"
lintian --fail-on error --display-info "$deb"
echo "== desktop-file-validate"
desktop-file-validate "$root/usr/share/applications/rotandor.desktop"
echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net "$metainfo"
echo "== mandoc -T lint"
for page in "$root/usr/share/man/man6/rotandor.6.gz" "$root/usr/share/man/de/man6/rotandor.6.gz"; do
  mandoc -T lint -W warning "$page"
done
echo "all package checks passed"
