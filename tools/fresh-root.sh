# Functions for a throwaway minimal Debian 12 root, to be sourced (bash, as root):
#
#   source tools/fresh-root.sh
#   fresh_root_create ROOT      # mmdebstrap minbase from the machine's own Debian sources
#   fresh_root_mount ROOT       # /proc /sys /dev /dev/pts bound in, resolv.conf copied
#   fresh_root_run ROOT CMD     # bash -c CMD inside, with a clean environment
#   fresh_root_packages ROOT    # installed package names, one a line
#   fresh_root_unmount          # ends what still runs inside, unmounts in reverse order
#   fresh_root_remove ROOT      # deletes the root, only once nothing is mounted in it
#
# The root sees only Debian's archive: no package, file or environment of
# the machine it is made on, except DISPLAY when that is set.

FRESH_ROOT_MOUNTS=()

# One-line apt entries for the bookworm suites among the machine's sources;
# other archives (third-party repositories) are left out.
fresh_root_sources() {
  local f
  {
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
      [ -f "$f" ] || continue
      awk '$1 == "deb" { i = 2; if ($2 ~ /^\[/) while ($i !~ /\]$/) i++; if ($2 ~ /^\[/) i++;
                         uri = $i; suite = $(i + 1); comps = "";
                         for (j = i + 2; j <= NF && $j !~ /^#/; j++) comps = comps " " $j;
                         print "deb " uri " " suite comps }' "$f"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] || continue
      # deb822: stanzas separated by blank lines; Types, URIs, Suites, Components.
      awk 'function flush() { if (types ~ /(^| )deb( |$)/)
                                for (u in uris) for (s in suites) print "deb " uris[u] " " suites[s] " " comps;
                              types = ""; comps = ""; delete uris; delete suites }
           /^[ \t]*$/ { flush(); next }
           /^#/ { next }
           { key = tolower($1); sub(/:$/, "", key); $1 = ""; sub(/^ +/, "");
             if (key == "types") types = $0;
             else if (key == "uris") split($0, uris, " ");
             else if (key == "suites") split($0, suites, " ");
             else if (key == "components") comps = $0 }
           END { flush() }' "$f"
    done
  } | awk '$3 ~ /^bookworm(-updates|-security)?$/' | sort -u
}

fresh_root_create() {
  local root=$1 sources=()
  mapfile -t sources < <(fresh_root_sources)
  if [ ${#sources[@]} -eq 0 ]; then
    echo "fresh-root: no bookworm source in /etc/apt; using Debian's default mirror" >&2
  fi
  mmdebstrap --quiet --variant=minbase --mode=root bookworm "$root" "${sources[@]}"
  # Nothing installed inside may start a daemon: it would outlive the check
  # and keep the bound /dev busy.
  printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
  chmod 755 "$root/usr/sbin/policy-rc.d"
  # The installer writes this on every Debian machine; mmdebstrap does not,
  # and without it "localhost" (where the browser tests reach chromedriver)
  # names nothing.
  [ -e "$root/etc/hosts" ] || printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\n' >"$root/etc/hosts"
}

fresh_root_mount() {
  local root=$1 d
  for d in /proc /sys /dev /dev/pts; do
    mkdir -p "$root$d"
    mount --bind "$d" "$root$d" || return 1
    FRESH_ROOT_MOUNTS+=("$root$d")
  done
  cp -L /etc/resolv.conf "$root/etc/resolv.conf"
}

fresh_root_run() {
  local root=$1 cmd=$2 env=(HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin)
  [ -n "${DISPLAY:-}" ] && env+=("DISPLAY=$DISPLAY")
  chroot "$root" /usr/bin/env -i "${env[@]}" /bin/bash -c "$cmd"
}

fresh_root_packages() {
  chroot "$1" dpkg-query -W -f='${db:Status-Status} ${Package}\n' | awk '$1 == "installed" { print $2 }' | sort
}

# Processes whose root directory is ROOT: started inside it, by this check.
fresh_root_processes() {
  local root p
  root=$(readlink -f "$1")
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] && echo "${p#/proc/}"
  done
  return 0
}

fresh_root_unmount() {
  local i m pids
  if [ ${#FRESH_ROOT_MOUNTS[@]} -gt 0 ]; then
    pids=$(fresh_root_processes "${FRESH_ROOT_MOUNTS[0]%/proc}")
    if [ -n "$pids" ]; then
      echo "fresh-root: ending processes still running inside: $(echo $pids)" >&2
      kill $pids 2>/dev/null; sleep 1; kill -9 $pids 2>/dev/null
    fi
  fi
  for ((i = ${#FRESH_ROOT_MOUNTS[@]} - 1; i >= 0; i--)); do
    m=${FRESH_ROOT_MOUNTS[i]}
    umount "$m" 2>/dev/null || umount --lazy "$m" || echo "fresh-root: could not unmount $m" >&2
  done
  FRESH_ROOT_MOUNTS=()
}

fresh_root_remove() {
  local root
  root=$(readlink -f "$1")
  [ -d "$root" ] || return 0
  if awk -v r="$root" '$2 == r || index($2, r "/") == 1 { found = 1 } END { exit !found }' /proc/self/mounts; then
    echo "fresh-root: $root still has mounts; left in place" >&2
    return 1
  fi
  rm -rf --one-file-system "$root"
}
