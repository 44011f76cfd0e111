#!/usr/bin/env bash
# xscreensaver_test.sh DEB README RENDER W H: Debian's xscreensaver daemon on
# this display runs the hack from the package, set up by nothing but the
# README's ~/.xscreensaver recipe (below the daemon's quiet settings), and
# shows the dive once activated with xscreensaver-command, without anyone
# picking it. xscreensaver will not run hacks as root, so when the test
# runs as root the daemon runs as nobody, with a home of its own.
set -u
DEB=$1 README=$2 RENDER=$3 W=$4 H=$5
[ -f "$DEB" ] || { echo "no package at $DEB: run scripts/package first"; exit 1; }
t=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-xss.XXXXXX")
chmod 755 "$t"
dpkg-deb -x "$DEB" "$t/root"
HACKS=$t/root/usr/libexec/xscreensaver
SAVER=$HACKS/mandeldive
as_user=()
if [ "$(id -u)" = 0 ]; then
  chown nobody "$t"
  as_user=(runuser -u nobody --)
fi
export HOME=$t
daemon=""
trap '[ -n "$daemon" ] && kill $daemon 2>/dev/null; pkill -f "$SAVER" 2>/dev/null; rm -rf "$t"' EXIT
recipe=$(awk '/^<!-- the xscreensaver recipe/ {on = 1; next}
              /^<!-- end of the xscreensaver recipe/ {on = 0}
              on && !/^```/' "$README")
if ! printf '%s\n' "$recipe" | grep -q '^programs:'; then
  echo "no xscreensaver recipe in $README"; echo "0 passed, 1 failed"; exit 1
fi
cat >"$HOME/.xscreensaver" <<CONFIG
timeout:	0:30:00
cycle:		0:00:00
lock:		False
fade:		False
unfade:		False
splash:		False
dpmsEnabled:	False
$recipe
CONFIG
[ "$(id -u)" = 0 ] && chown nobody "$HOME/.xscreensaver"
"$RENDER" --size "${W}x$H" -o "$t/expected.png" >/dev/null
"${as_user[@]}" env HOME="$HOME" DISPLAY="$DISPLAY" PATH="$HACKS:$PATH" xscreensaver -no-splash >"$t/daemon.log" 2>&1 &
daemon=$!
up=""
for _ in $(seq 100); do   # up to 20 s for the daemon to answer
  "${as_user[@]}" env HOME="$HOME" DISPLAY="$DISPLAY" xscreensaver-command -time >/dev/null 2>&1 &&
    { up=yes; break; }
  sleep 0.2
done
if [ -z "$up" ]; then
  echo "the xscreensaver daemon did not start:"; cat "$t/daemon.log"
  echo "0 passed, 1 failed"; exit 1
fi
"${as_user[@]}" env HOME="$HOME" DISPLAY="$DISPLAY" xscreensaver-command -activate >/dev/null 2>&1
for _ in $(seq 300); do   # up to 30 s
  xwd -root -silent 2>/dev/null | convert xwd:- "$t/shot.png" 2>/dev/null
  if cmp -s <(convert "$t/shot.png" -depth 8 rgb:-) <(convert "$t/expected.png" -depth 8 rgb:-); then
    # xscreensaver starts its hacks itself (and spells -root as --root).
    hack=$(ps -eo user=,args= | grep -E "[m]andeldive --?root" | head -n1)
    echo "xscreensaver shows the dive, drawn by: $hack"
    if [ -z "$hack" ]; then echo "0 passed, 1 failed"; exit 1; fi
    echo "1 passed, 0 failed"
    exit 0
  fi
  sleep 0.1
done
echo "the screen never showed the renderer's ${W}x$H picture"
cp "$t/shot.png" /tmp/mandeldive-xscreensaver-last.png 2>/dev/null
tail -20 "$t/daemon.log"
echo "0 passed, 1 failed"
exit 1
