#!/usr/bin/env bash
# xscreensaver_test.sh SAVER RENDER W H: Debian's xscreensaver daemon on
# this display, configured here to run only mandeldive, activated with
# xscreensaver-command, shows the dive. xscreensaver will not run hacks as
# root, so when the test runs as root the daemon runs as nobody, with a home
# and a copy of the saver of its own.
set -u
RENDER=$2 W=$3 H=$4
t=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-xss.XXXXXX")
chmod 755 "$t"
cp "$1" "$t/mandeldive"
SAVER=$t/mandeldive
as_user=()
if [ "$(id -u)" = 0 ]; then
  chown nobody "$t"
  as_user=(runuser -u nobody --)
fi
export HOME=$t
daemon=""
trap '[ -n "$daemon" ] && kill $daemon 2>/dev/null; pkill -f "$SAVER" 2>/dev/null; rm -rf "$t"' EXIT
cat >"$HOME/.xscreensaver" <<CONFIG
timeout:	0:30:00
cycle:		0:00:00
lock:		False
fade:		False
unfade:		False
splash:		False
dpmsEnabled:	False
mode:		one
selected:	0
programs:	"Mandeldive"  $SAVER -root \n
CONFIG
[ "$(id -u)" = 0 ] && chown nobody "$HOME/.xscreensaver"
"$RENDER" --size "${W}x$H" -o "$t/expected.png" >/dev/null
"${as_user[@]}" env HOME="$HOME" DISPLAY="$DISPLAY" xscreensaver -no-splash >"$t/daemon.log" 2>&1 &
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
