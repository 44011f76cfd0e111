#!/usr/bin/env bash
# lock_idle_test.sh MANDELDIVE RENDER README: the README's swayidle recipe,
# run as written but for timeouts of 1 and 5 s, by swayidle on sway 1.10 in
# the Debian 13 root, with two outputs: idle, the saver comes up on both;
# later the lock. A key after the lock started has the resume command end
# the saver and leaves the locker running, the session locked, and the
# saver is not started again over the lock; the right password unlocks. (Its before-sleep hook needs logind, which the root has
# not; lock_takeover_test shows that --lock -f returns once locked.)
set -u
MANDELDIVE=$1 RENDER=$2 README=$3
here=$(dirname "$0")
# shellcheck source=tests/lock/root_lib.sh
. "$here/root_lib.sh"
root_enter "$@"
trap root_cleanup EXIT
root_scratch "$MANDELDIVE" || exit 1
t=$SWAY_TMP
recipe=$(grep -m1 "^swayidle .*mandeldive --wayland &'.*'mandeldive --lock -f'" "$README")
check "the README has the recipe ($recipe)" test -n "$recipe"
quick=${recipe/timeout 300 /timeout 1 }
quick=${quick/timeout 600 /timeout 5 }
check "with timeouts of 300 and 600 s, which the test makes 1 and 5 s" \
  test "$quick" != "${recipe/timeout 300 /timeout 1 }"
start_sway 2 \
  "output HEADLESS-1 resolution 640x480 position 0 0" \
  "output HEADLESS-2 resolution 800x600 position 640 0" "$DESKTOP_CONFIG" || exit 1
"$RENDER" --size 640x480 -o "$t/full-640x480.png" >/dev/null
"$RENDER" --size 800x600 -o "$t/full-800x600.png" >/dev/null
saver() { pgrep -u "$ROOT_UID" -r R,S,D,T -f '^mandeldive --wayland'; }

spawn idle sh -c "$quick"
check "idle, the saver comes up on HEADLESS-1 and HEADLESS-2" \
  wait_outputs 20 HEADLESS-1 "$t/full-640x480.png" HEADLESS-2 "$t/full-800x600.png"
check "later, the locker, once --lock -f has returned" wait_until 20 daemon_locker >/dev/null
lock=$(daemon_locker)
as_user wtype -k Escape -s 300 -k Escape
check "a key after the lock started has the resume command end the saver" \
  wait_until 5 eval '! saver'
check "and leaves the locker running" running "$lock"
check "and the session locked: neither output shows the desktop" \
  never_desktop 2 HEADLESS-1 HEADLESS-2
check "the saver, due again 1 s after the key, is not started over the lock" eval '! saver'
# Before the lock is due again, which a second locker would find taken.
pkill -P "$(pid_of idle)" -x swayidle
type_password "$ROOT_PASSWORD"
check "the right password unlocks: the desktop" \
  wait_until 10 eval 'output_is HEADLESS-1 "$DESKTOP" && output_is HEADLESS-2 "$DESKTOP"'
check "and the locker ends" wait_until 10 eval '! running "$lock"'
checks_summary
