# The Debian package, built in the fresh root from the clean clone (so the
# package group of install-deps.sh is complete), then installed as a player
# would in a second fresh root by tools/check-package.sh.
fresh_step_package() {
  local root=$1 deb
  fresh_root_run "$root" 'cd /root/rotandor && tools/make-deb.sh' || return 1
  deb=$(ls "$root"/root/rotandor/out/rotandor_*_*.deb) || return 1
  tools/check-package.sh "$deb"
}
