#!/usr/bin/env bash
# lock_dive_test.sh MANDELDIVE RENDER: `mandeldive --lock` on sway 1.10 in
# the Debian 13 root, as the test user, with two outputs, one at scale 2.
# While locked each output shows its own dive, pixel for pixel the
# renderer's at the output's device size, and an output created while
# locked gets its own. A wrong password keeps the lock and is said over the
# dive, which is whole again after. The right password, typed on a keyboard
# that came after the seat had lost the last one, unlocks: the desktop, and
# the program ends with 0. The password is in no argv or environment of the
# locker or its checker, and on no line the locker writes.
set -u
MANDELDIVE=$1 RENDER=$2
here=$(dirname "$0")
# shellcheck source=tests/lock/root_lib.sh
. "$here/root_lib.sh"
root_enter "$@"
trap root_cleanup EXIT
root_scratch "$MANDELDIVE" || exit 1
t=$SWAY_TMP

# HEADLESS-3 is named here so that it has its size when the test creates it.
start_sway 2 \
  "output HEADLESS-1 resolution 640x480 position 0 0" \
  "output HEADLESS-2 resolution 800x600 position 640 0 scale 2" \
  "output HEADLESS-3 resolution 320x240 position 1040 0" "$DESKTOP_CONFIG" || exit 1
for size in 640x480 800x600 320x240; do
  "$RENDER" --size "$size" -o "$t/full-$size.png" >/dev/null
done
check "before the lock, the desktop" wait_until 10 output_is HEADLESS-1 "$DESKTOP"
# keep OUTPUT...: with MANDELDIVE_LOCK_SHOTS naming a folder, a screenshot
# of each OUTPUT just compared, and the renderer's pictures, kept there.
keep() {
  local shots=${MANDELDIVE_LOCK_SHOTS:-} o
  [ -n "$shots" ] || return 0
  mkdir -p "$shots" && cp "$t"/full-*.png "$shots/"
  for o in "$@"; do as_user grim -o "$o" "$t/out/$o.png" && cp "$t/out/$o.png" "$shots/locked-$o.png"; done
}

# The full view for a minute: every check of the pictures falls within it.
spawn locker mandeldive --lock --delay 60 2>"$t/lock.err"
waiter=$!
check "locked, HEADLESS-1 (640x480) and HEADLESS-2 (800x600 at scale 2) show the renderer's full view in device pixels" \
  wait_outputs 20 HEADLESS-1 "$t/full-640x480.png" HEADLESS-2 "$t/full-800x600.png"
locker=$(pid_of locker)
as_user swaymsg create_output >/dev/null
check "an output created while locked gets its own dive" \
  wait_until 20 output_shows HEADLESS-3 "$t/full-320x240.png"
keep HEADLESS-1 HEADLESS-2 HEADLESS-3

type_password "not-$ROOT_PASSWORD"
check "a wrong password is said over the dive" \
  wait_until 10 output_overlaid HEADLESS-1 "$t/full-640x480.png"
check "then the dive is whole again" wait_until 20 output_shows HEADLESS-1 "$t/full-640x480.png"
check "and the locker runs on" running "$locker"
checker=$(pgrep -P "$locker")
check "the password is in no argv or environment of the locker or its checker (${checker:-none found})" \
  eval '[ -n "$checker" ] && ! secret_in_processes "$locker" $checker'

check "after wtype, the seat has no keyboard" seat_keyboardless
type_password "$ROOT_PASSWORD"
check "the right password, on the next keyboard, unlocks: the desktop" \
  wait_until 10 output_is HEADLESS-1 "$DESKTOP"
reap 10 "$locker" "$waiter"
check "and the locker ends with 0 (got $rc)" test "$rc" = 0
echo "its stderr: $(tr '\n' '|' <"$t/lock.err")"
check "the password is on no line it wrote" eval '! grep -qF -- "$ROOT_PASSWORD" "$t/lock.err"'
checks_summary
