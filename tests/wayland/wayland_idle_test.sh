#!/usr/bin/env bash
# wayland_idle_test.sh SAVER RENDER POINTER_HELPER README: the README's
# swayidle recipe, run as written but for a 1-second timeout, on a headless
# sway with two outputs: the saver comes up on both once the seat is idle,
# and input (a key, then pointer motion) has the resume command end it.
set -u
SAVER=$1 RENDER=$2 POINTER=$3 README=$4
here=$(dirname "$0")
# shellcheck source=tests/check_lib.sh
. "$here/../check_lib.sh"
# shellcheck source=tests/wayland/sway_lib.sh
. "$here/sway_lib.sh"
sway_scratch "$SAVER" "$POINTER"
trap 'session_kill TERM swayidle; session_kill KILL mandeldive; sway_cleanup' EXIT
t=$SWAY_TMP
recipe=$(grep -m1 "^swayidle .*mandeldive --wayland &'" "$README")
check "the README has the recipe ($recipe)" test -n "$recipe"
quick=${recipe/timeout 300 /timeout 1 }
check "with a timeout of 300 s, which the test makes 1 s" test "$quick" != "$recipe"
start_sway 2 \
  "output HEADLESS-1 resolution 640x480 position 0 0" \
  "output HEADLESS-2 resolution 800x600 position 640 0" || exit 1
"$RENDER" --size 640x480 -o "$t/full-640x480.png" >/dev/null
"$RENDER" --size 800x600 -o "$t/full-800x600.png" >/dev/null
# The saver runs in the background, its parent init; one that has ended but
# that an init which does not reap keeps as a zombie counts as gone.
saver_runs() { ps -u "$SWAY_USER" -o stat=,comm= | grep -q '^[^Z]* *mandeldive$'; }
saver_gone() { ! saver_runs; }
spawn idle sh -c "$quick"
for input in key pointer; do
  check "idle, the saver comes up on HEADLESS-1 and HEADLESS-2 (before the $input)" \
    wait_outputs 20 HEADLESS-1 "$t/full-640x480.png" HEADLESS-2 "$t/full-800x600.png"
  case $input in
    # A second key after a pause: the first can race wtype's keymap.
    key) as_user wtype -k Escape -s 300 -k space ;;
    pointer) as_user "$SWAY_BIN/$(basename "$POINTER")" HEADLESS-1 move ;;
  esac
  check "a $input makes the resume command end it" wait_until 5 saver_gone
done
checks_summary
