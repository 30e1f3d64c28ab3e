#!/usr/bin/env bash
# Packs a built Windows program as released: rotandor-<version>-windows-x64.zip
# (the program, its pictures and layout, the licence and a short read-me) and
# the installer rotandor-<version>-windows-x64.msi with the same files.
#
#   tools/package-windows.sh rotandor.exe OUTDIR [VERSION]
#
# VERSION is the project's, from CMakeLists.txt, unless given (the installer
# test makes a next version with it). Both files depend on their content
# alone: every time in them is SOURCE_DATE_EPOCH (by default the changelog's
# date), and the installer's package code is a hash of what it installs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$(realpath "$1")
out=$(mkdir -p "$2" && cd "$2" && pwd)
version=${3:-$(sed -n 's/^project(rotandor VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")}
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "no version a.b.c: '$version'" >&2; exit 1; }

logged=$(sed -n 's/^ -- .*>  //p' "$root/packaging/debian/changelog" | head -1)
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(date -d "$logged" +%s)}
export SOURCE_DATE_EPOCH
umask 022

name=rotandor-$version-windows-x64
stage="$out/$name"
rm -rf "$stage" "$out/$name.zip" "$out/$name.msi"
mkdir -p "$stage"
cp "$exe" "$stage/rotandor.exe"
cp "$root"/data/*.roulette "$root/data/Button.txt" "$stage/"
# Windows editors expect CR LF.
sed 's/$/\r/' "$root/COPYING" > "$stage/COPYING.txt"
sed 's/$/\r/' "$root/packaging/windows/README-Windows.txt" > "$stage/LIESMICH-README.txt"
# The cabinet in the installer keeps each file's time.
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
"$root/tools/pack-zip.py" "$out/$name.zip" "$stage"

# Name-based GUIDs (version 5) in the upgrade code's namespace, which never
# changes, so that updates find the older version.
wxs="$root/packaging/windows/rotandor.wxs"
upgrade=$(sed -n 's/.*UpgradeCode="\([0-9A-F-]*\)".*/\1/p' "$wxs")
guid() {
  local hash variant
  hash=$( { printf "$(printf '%s' "${upgrade//-/}" | sed 's/../\\x&/g')"; printf '%s' "$1"; } | sha1sum)
  variant=$(printf '%x' $(( (0x${hash:16:1} & 3) | 8 )))
  printf '%s' "${hash:0:8}-${hash:8:4}-5${hash:13:3}-$variant${hash:17:3}-${hash:20:12}" | tr a-f A-F
}
# The product code: its own per version, always the same for that version.
product=$(guid "$version")
# The package code: its own for every installer with other content, the same
# for the same content (Windows Installer takes two packages with one code
# for the same). Made from the version, the source and every file's bytes.
content=$( { printf '%s\n' "$version"; sha256sum "$wxs" "$root/packaging/windows/rotandor.ico";
             (cd "$stage" && LC_ALL=C find . -type f -print0 | LC_ALL=C sort -z | xargs -0 sha256sum); } |
           sed 's|  /.*/|  |' | sha256sum | cut -c1-64)
package=$(guid "$content")

# wixl finds the listed files in the current directory, the icon beside the
# source. It stamps the installer with the time it runs, by the local clock,
# and cannot be told another: it runs on a clock stopped at SOURCE_DATE_EPOCH.
# (A clock faked already, as tools/check-reproducible.sh fakes it, gives way.)
# The library rather than the faketime wrapper: the wrapper gives up when a
# killed process left a clock under its own process id in /dev/shm.
faketime_lib=$(ls /usr/lib/*/faketime/libfaketimeMT.so.1 | head -1)
stopped=(env -u FAKETIME_SHARED LD_PRELOAD="$faketime_lib" FAKETIME_DONT_FAKE_MONOTONIC=1 TZ=UTC
         FAKETIME="$(TZ=UTC date -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S')")
(cd "$stage" && "${stopped[@]}" wixl -a x64 -D Version="$version" -D ProductCode="$product" -o "$out/$name.msi" "$wxs")
# wixl draws a random package code: -s sets ours, with the subject, author
# and template wixl gave. What wixl cannot say: the history file the game
# writes into the install folder goes with it, and the program is a
# versioned file (no hash then).
"${stopped[@]}" msibuild "$out/$name.msi" -s "Rotandor, Roulette" "Rotandor developers" "x64;1033" "{$package}"
"${stopped[@]}" msibuild "$out/$name.msi" \
  -q "INSERT INTO \`RemoveFile\` (\`FileKey\`, \`Component_\`, \`FileName\`, \`DirProperty\`, \`InstallMode\`)
      VALUES ('History', 'Game', 'Roulettezahlen.txt', 'INSTALLDIR', 2)" \
  -q "UPDATE \`File\` SET \`Version\` = '$version.0' WHERE \`File\` = 'rotandor.exe'" \
  -q "DELETE FROM \`MsiFileHash\` WHERE \`File_\` = 'rotandor.exe'"
