#!/usr/bin/env bash
# wayland_saver_test.sh SAVER RENDER POINTER_HELPER: `mandeldive --wayland`
# on a headless sway with two outputs of different sizes, one at scale 2.
# Each output shows its own dive, pixel for pixel the renderer's at the
# output's size in device pixels, caption rows included; an output created
# while it runs gets a dive of its own, and one disabled leaves the others
# running; keys and pointer motion leave it running, and a button on the
# second output ends it with 0. Outputs that change under it (one moved, one
# given a new mode beside another, a new scale) leave it running, and after
# the next step each output is the renderer's at its new device size.
set -u
SAVER=$1 RENDER=$2 POINTER=$3
here=$(dirname "$0")
# shellcheck source=tests/check_lib.sh
. "$here/../check_lib.sh"
# shellcheck source=tests/wayland/sway_lib.sh
. "$here/sway_lib.sh"
sway_scratch "$SAVER" "$POINTER"
trap sway_cleanup EXIT
t=$SWAY_TMP

# HEADLESS-3 is named here so that it has its size from the start when the
# test creates it. HEADLESS-2 has no position: it stays beside HEADLESS-1,
# so it moves whenever HEADLESS-1 changes.
start_sway 2 \
  "output HEADLESS-1 resolution 640x480 position 0 0" \
  "output HEADLESS-2 resolution 800x600 scale 2" \
  "output HEADLESS-3 resolution 320x240 position 1040 0" || exit 1
for size in 640x480 800x600 320x240; do
  "$RENDER" --size "$size" -o "$t/full-$size.png" >/dev/null
  "$RENDER" --size "$size" --ticks 2 -o "$t/caption-$size.png" >/dev/null
done

# A caption tick 3 s after the full view, and as long before the zoom.
spawn saver mandeldive --wayland --delay 3 2>"$t/saver.err"
waiter=$!
full="HEADLESS-1 (640x480) and HEADLESS-2 (800x600 at scale 2) show the renderer's"
check "$full full view in device pixels" wait_outputs 20 \
  HEADLESS-1 "$t/full-640x480.png" HEADLESS-2 "$t/full-800x600.png"
# Each change is made within a step's 3 s, so the step after it is known: a
# move before the caption; a new mode after the zoom step, when the resized
# dive renders the full view again; a new scale before that one's caption.
# HEADLESS-2's zoomed steps depend on the second its zoom step read, so its
# screenshots, taken mid-step, are compared with every second it may have.
as_user swaymsg output HEADLESS-1 position 100 0 >/dev/null
check "then its captioned frame, caption rows included, with HEADLESS-1 moved" \
  wait_outputs 10 HEADLESS-1 "$t/caption-640x480.png" HEADLESS-2 "$t/caption-800x600.png"
zoom_from=$(date +%s)
check "the zoom step follows" \
  wait_until 10 eval '! output_shows HEADLESS-1 "$t/caption-640x480.png"'
as_user swaymsg output HEADLESS-1 resolution 800x600 >/dev/null
check "HEADLESS-1 at a new mode beside HEADLESS-2: the saver runs, and HEADLESS-1 shows the full view at 800x600" \
  wait_until 10 output_shows HEADLESS-1 "$t/full-800x600.png"
sleep 0.5
as_user grim -o HEADLESS-2 "$t/out/step-4.png"
as_user swaymsg output HEADLESS-1 scale 2 >/dev/null
check "HEADLESS-1 at scale 2: the saver runs and shows its caption at 800x600 device pixels" \
  wait_until 10 output_shows HEADLESS-1 "$t/caption-800x600.png"
sleep 0.5
as_user grim -o HEADLESS-2 "$t/out/step-5.png"
for ((s = zoom_from - 1; s <= zoom_from + 4; s++)); do
  "$RENDER" --size 800x600 --ticks 5 --time "$s" --frames "$t/at-$s" -o "$t/at-$s.png" >/dev/null
done
shows_step() {  # shows_step SHOT TICK: one of the seconds' renders
  local f
  for f in "$t"/at-*/tick-0"$2".png; do same_picture "$1" "$f" && return 0; done
  return 1
}
check "and HEADLESS-2 went on: its next steps are the renderer's" \
  eval 'shows_step "$t/out/step-4.png" 4 && shows_step "$t/out/step-5.png" 5'

as_user swaymsg create_output >/dev/null
check "an output created while it runs gets its own dive from the full view" \
  wait_until 20 output_shows HEADLESS-3 "$t/full-320x240.png"
as_user swaymsg output HEADLESS-1 disable >/dev/null
check "with HEADLESS-1 disabled, the dive on HEADLESS-3 goes on" \
  wait_until 10 output_shows HEADLESS-3 "$t/caption-320x240.png"
check "and the saver runs" kill -0 "$(pid_of saver)"

as_user wtype -k Escape q a
check "keys typed at it leave it running" \
  eval 'sleep 0.5; kill -0 "$(pid_of saver)"'
as_user "$SWAY_BIN/$(basename "$POINTER")" HEADLESS-2 move
check "pointer motion leaves it running" \
  eval 'sleep 0.5; kill -0 "$(pid_of saver)"'
# Each click makes a new pointer, in case the saver had not bound the last
# one's before its button went out.
click_ends_it() {
  as_user "$SWAY_BIN/$(basename "$POINTER")" HEADLESS-2 click
  gone_within 1 "$(pid_of saver)"
}
check "a button on the second output ends it" wait_until 10 click_ends_it
wait_for 30 "$waiter" "the saver"
rc=$?
check "with exit code 0 (got $rc)" test "$rc" = 0
check "and nothing on stderr" test ! -s "$t/saver.err"
checks_summary
