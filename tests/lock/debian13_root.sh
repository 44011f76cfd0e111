#!/usr/bin/env bash
# debian13_root.sh: prints the directory of a minimal Debian 13 (trixie)
# root for the locker's tests, built with mmdebstrap from the Debian archive
# this machine's apt already uses, once: sway 1.10 (which has
# ext-session-lock-v1; Debian 12's sway 1.7 has not), swayidle, PAM, wtype,
# grim and the libraries mandeldive links. Needs root (mmdebstrap's root
# mode). The root is cached outside the clone, in $MANDELDIVE_ROOT_CACHE
# (/var/cache/mandeldive-tests), under a name that hashes what goes into it,
# so a second run, or another clone's, reuses it and a changed list builds a
# new one. It is built under a temporary name and renamed when whole, so a
# build that is killed never leaves a half root that is reused; builders
# take turns on a lock; a build has a deadline.
set -eu
cache=${MANDELDIVE_ROOT_CACHE:-/var/cache/mandeldive-tests}
suite=trixie
# sway, swayidle, grim and wtype: the compositor, the idle daemon, the
# screenshots and the keyboard; swaybg, a desktop of a colour that no lock
# screen has; procps, the README's pkill. login and passwd: PAM's
# common-auth with pam_unix and its setgid unix_chkpwd, useradd and
# chpasswd. pamtester and wayland-utils (wayland-info): the runner's own
# checks. Then what `mandeldive` links, and the caption's font.
packages=(
  sway swayidle swaybg grim wtype procps login passwd pamtester wayland-utils
  libwayland-client0 libxkbcommon0 libpam0g libx11-6 libfreetype6 libfontconfig1
  libstdc++6 libgcc-s1 fonts-liberation
)

# The archive: the first Debian URI of this machine's apt sources.
mirror() {
  local uri
  uri=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
    awk '/^URIs:/ { for (i = 2; i <= NF; i++) if ($i ~ /\/debian\/?$/) { print $i; exit } }')
  [ -n "$uri" ] || uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
    awk '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i ~ /\/debian\/?$/) { print $i; exit } }')
  echo "${uri:-http://deb.debian.org/debian}"
}

[ "$(id -u)" = 0 ] || { echo "debian13_root.sh: mmdebstrap needs root" >&2; exit 1; }
command -v mmdebstrap >/dev/null || {
  echo "debian13_root.sh: no mmdebstrap (bash scripts/install-deps installs it)" >&2
  exit 1
}
uri=$(mirror)
key=$(printf '%s\n' "$suite" "$uri" "${packages[@]}" | sha256sum | cut -c1-16)
root=$cache/debian13-$key
mkdir -p "$cache"
exec 9>"$cache/build.lock"
flock -w 600 9 || { echo "debian13_root.sh: another build held $cache/build.lock for 10 minutes" >&2; exit 1; }
if [ ! -d "$root" ]; then
  # What a killed build left behind; no one else builds while we hold the lock.
  rm -rf "$cache"/debian13-*.part.*
  part=$(mktemp -d "$root.part.XXXXXX")
  echo "debian13_root.sh: building $root from $uri $suite" >&2
  started=$(date +%s)
  if ! timeout 600 mmdebstrap --quiet --variant=essential --mode=root \
    --aptopt='APT::Install-Recommends "false"' \
    --include="$(IFS=,; echo "${packages[*]}")" \
    --customize-hook='rm -rf "$1"/var/cache/apt/archives/*.deb "$1"/var/lib/apt/lists/*' \
    "$suite" "$part" "$uri" >&2; then
    rm -rf "$part"
    echo "debian13_root.sh: mmdebstrap failed or took over 600 s" >&2
    exit 1
  fi
  chmod 0755 "$part"
  mv -T "$part" "$root"
  echo "debian13_root.sh: built in $(($(date +%s) - started)) s, $(du -sm "$root" | cut -f1) MB" >&2
fi
echo "$root"
