#!/usr/bin/env bash
# deb_test.sh DEB VERSION ARCH [EMULATOR]: the Debian package for ARCH, on a
# virtual X display of its own. Its files are exactly the layout of Debian's
# xscreensaver hacks, its control fields and desktop entry are right, lintian
# finds no error, and the hack and the renderer unpacked from it draw the
# same picture; a foreign ARCH's programs run under EMULATOR.
set -u
DEB=$1 VERSION=$2 ARCH=$3
emulator=("${@:4}")
here=$(dirname "$0")
CHECK_TMP=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-deb.XXXXXX")
trap 'rm -rf "$CHECK_TMP"' EXIT
# shellcheck source=tests/check_lib.sh
. "$here/../check_lib.sh"
t=$CHECK_TMP
[ -f "$DEB" ] || { echo "no package at $DEB: run scripts/package first"; exit 1; }

# Every file the package holds, and nothing else.
cat >"$t/layout" <<'LAYOUT'
/etc/pam.d/mandeldive
/usr/bin/mandeldive
/usr/bin/mandeldive-render
/usr/libexec/xscreensaver/mandeldive
/usr/share/applications/screensavers/mandeldive.desktop
/usr/share/doc/mandeldive/changelog.gz
/usr/share/doc/mandeldive/copyright
/usr/share/icons/hicolor/16x16/apps/mandeldive.png
/usr/share/icons/hicolor/256x256/apps/mandeldive.png
/usr/share/icons/hicolor/32x32/apps/mandeldive.png
/usr/share/icons/hicolor/48x48/apps/mandeldive.png
/usr/share/man/man1/mandeldive-render.1.gz
/usr/share/man/man6/mandeldive.6x.gz
/usr/share/xscreensaver/config/mandeldive.xml
LAYOUT
dpkg-deb -c "$DEB" | awk '$1 !~ /^d/ {print substr($6, 2)}' | sort >"$t/files"
check "the files are the xscreensaver hack layout" diff "$t/layout" "$t/files"
modes_ok() {
  dpkg-deb -c "$DEB" | awk '
    $2 != "root/root" { bad = 1 }
    $1 !~ /^l/ && $6 ~ /\/(bin|xscreensaver)\/mandeldive[^\/]*$/ && $1 != "-rwxr-xr-x" { bad = 1 }
    $1 ~ /^d/ && $1 != "drwxr-xr-x" { bad = 1 }
    END { exit bad }'
}
check "owned by root, programs 0755, directories 0755" modes_ok

field() { dpkg-deb -f "$DEB" "$1"; }
check "named with the version and $ARCH" test "$(basename "$DEB")" = "mandeldive_${VERSION}_$ARCH.deb"
check "Version: $VERSION" test "$(field Version)" = "$VERSION"
check "Architecture: $ARCH" test "$(field Architecture)" = "$ARCH"
check "Section: x11" test "$(field Section)" = x11
check "Recommends: xscreensaver" test "$(field Recommends)" = xscreensaver
check "the PAM service is a conffile" \
  test "$(dpkg-deb -I "$DEB" conffiles)" = /etc/pam.d/mandeldive
depends_from_shlibdeps() {
  local depends
  depends=$(field Depends)
  case "$depends" in *"libc6 (>="*"libx11-6"*) ;; *) return 1 ;; esac
  case "$depends" in *"libwayland-client0 (>="*) ;; *) return 1 ;; esac
  case "$depends" in *fonts-liberation*) ;; *) return 1 ;; esac
}
check "Depends: the libraries dpkg-shlibdeps found, and the caption's font" depends_from_shlibdeps

lintian --fail-on error "$DEB" >"$t/lintian" 2>&1
lintian_rc=$?
grep -v "root privileges" "$t/lintian" | sed 's/^/  lintian: /'
check "lintian reports no errors" test "$lintian_rc" = 0
# The desktop entry as freedesktop.org's own checker reads it.
dpkg-deb --fsys-tarfile "$DEB" |
  tar -xOf - ./usr/share/applications/screensavers/mandeldive.desktop >"$t/mandeldive.desktop"
check "desktop-file-validate accepts the desktop entry" \
  desktop-file-validate "$t/mandeldive.desktop"

root=$t/root
dpkg-deb -x "$DEB" "$root"
check "mandeldive on the PATH is the hack, for Wayland idle daemons" \
  test "$(readlink "$root/usr/bin/mandeldive")" = ../libexec/xscreensaver/mandeldive
desktop=$root/usr/share/applications/screensavers/mandeldive.desktop
entry() { sed -n "s/^$1=//p" "$desktop"; }
check "desktop entry runs the installed hack on the root" \
  test "$(entry Exec)" = "/usr/libexec/xscreensaver/mandeldive -root"
check "desktop entry tries the installed hack" test "$(entry TryExec)" = /usr/libexec/xscreensaver/mandeldive
check "desktop entry is a screen saver" test "$(entry Categories)" = "Screensaver;"
check "desktop entry's icon is in the package" test -f "$root/usr/share/icons/hicolor/48x48/apps/$(entry Icon).png"
manual_reads() { zcat "$1" | man -l - 2>/dev/null | grep -q "$2"; }
check "the hack's manual reads" manual_reads "$root/usr/share/man/man6/mandeldive.6x.gz" "dives into the Mandelbrot set"
check "the renderer's manual reads" manual_reads "$root/usr/share/man/man1/mandeldive-render.1.gz" "EXIT STATUS"
check "the changelog starts at $VERSION" \
  test "$(zcat "$root/usr/share/doc/mandeldive/changelog.gz" | head -n1)" = "mandeldive ($VERSION) unstable; urgency=medium"

# The package's own hack and renderer, on this display.
hack=$root/usr/libexec/xscreensaver/mandeldive
render=$root/usr/bin/mandeldive-render
machine=$(file -b "$render")
case $ARCH in
  amd64) check "the programs are x86-64" grep -q 'x86-64' <<<"$machine" ;;
  arm64) check "the programs are aarch64" grep -q 'ARM aarch64' <<<"$machine" ;;
esac
check "and stripped" grep -q ', stripped' <<<"$machine"
W=$(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1]}')
H=$(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[2]}')
"${emulator[@]}" "$render" --size "${W}x$H" --mandelbrot-color 7 --background-color 12 -o "$t/expected.png" >/dev/null
check "the packaged renderer writes a picture" test -s "$t/expected.png"
"${emulator[@]}" "$hack" -root --mandelbrot-color 7 --background-color 12 &
pid=$!
check "the packaged hack's -root picture equals the packaged renderer's" \
  wait_until 30 screen_shows "$t/expected.png"
kill -TERM "$pid" 2>/dev/null
wait_for 30 "$pid" "the packaged hack"
check "the hack ends with 0 on TERM" test $? = 0
checks_summary
