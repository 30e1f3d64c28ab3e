#!/usr/bin/env bash
# Packs a built Windows program as released: rotandor-<version>-windows-x64.zip
# (the program, its pictures and layout, the licence and a short read-me) and
# the installer rotandor-<version>-windows-x64.msi with the same files.
#
#   tools/package-windows.sh rotandor.exe OUTDIR [VERSION]
#
# VERSION is the project's, from CMakeLists.txt, unless given (the installer
# test makes a next version with it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$(realpath "$1")
out=$(mkdir -p "$2" && cd "$2" && pwd)
version=${3:-$(sed -n 's/^project(rotandor VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")}
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "no version a.b.c: '$version'" >&2; exit 1; }

name=rotandor-$version-windows-x64
stage="$out/$name"
rm -rf "$stage" "$out/$name.zip" "$out/$name.msi"
mkdir -p "$stage"
cp "$exe" "$stage/rotandor.exe"
cp "$root"/data/*.roulette "$root/data/Button.txt" "$stage/"
# Windows editors expect CR LF.
sed 's/$/\r/' "$root/COPYING" > "$stage/COPYING.txt"
sed 's/$/\r/' "$root/packaging/windows/README-Windows.txt" > "$stage/LIESMICH-README.txt"
(cd "$out" && cmake -E tar cf "$name.zip" --format=zip "$name")

# A product code of its own per version, always the same for that version:
# a name-based GUID (version 5) in the upgrade code's namespace.
wxs="$root/packaging/windows/rotandor.wxs"
upgrade=$(sed -n 's/.*UpgradeCode="\([0-9A-F-]*\)".*/\1/p' "$wxs")
hash=$( { printf "$(printf '%s' "${upgrade//-/}" | sed 's/../\\x&/g')"; printf '%s' "$version"; } | sha1sum)
variant=$(printf '%x' $(( (0x${hash:16:1} & 3) | 8 )))
product=$(printf '%s' "${hash:0:8}-${hash:8:4}-5${hash:13:3}-$variant${hash:17:3}-${hash:20:12}" | tr a-f A-F)

# wixl finds the listed files in the current directory, the icon beside the source.
(cd "$stage" && wixl -a x64 -D Version="$version" -D ProductCode="$product" -o "$out/$name.msi" "$wxs")
# What wixl cannot say: the history file the game writes into the install
# folder goes with it, and the program is a versioned file (no hash then).
msibuild "$out/$name.msi" \
  -q "INSERT INTO \`RemoveFile\` (\`FileKey\`, \`Component_\`, \`FileName\`, \`DirProperty\`, \`InstallMode\`)
      VALUES ('History', 'Game', 'Roulettezahlen.txt', 'INSTALLDIR', 2)" \
  -q "UPDATE \`File\` SET \`Version\` = '$version.0' WHERE \`File\` = 'rotandor.exe'" \
  -q "DELETE FROM \`MsiFileHash\` WHERE \`File_\` = 'rotandor.exe'"
