#!/usr/bin/env bash
# x11_test.sh SAVER RENDER HELPER: the native saver on a real X server
# (Xvfb, 800x600x24, made by with-xvfb): its own window, -window-id,
# XSCREENSAVER_WINDOW, ending by click, key, window and signal, bad options.
set -u
SAVER=$1
RENDER=$2
HELPER=$3
t=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-x11.XXXXXX")
CHECK_TMP=$t
# shellcheck source=tests/check_lib.sh
. "$(dirname "$0")/../check_lib.sh"
# shellcheck source=tests/saver_lib.sh
. "$(dirname "$0")/../saver_lib.sh"
trap 'stop_processes; rm -rf "$t"' EXIT

version_line() { "$SAVER" --version 2>/dev/null; }
check "--version names the release and the escape kernel" grep -Eqx \
  'mandeldive [0-9]+\.[0-9]+\.[0-9]+ \(escape kernel: (scalar|sse2|avx2|avx512|neon)\)' <(version_line)

# Its own 800x600 window: the renderer's picture; a left click ends it.
"$RENDER" --size 800x600 -o "$t/own.png" >/dev/null
start
check "its own window shows the renderer's picture" wait_until 30 screen_shows "$t/own.png" 800x600+0+0
check "the window is titled mandeldive" bash -c "xdotool search --name '^mandeldive\$' >/dev/null"
shown=$(date +%s)
caption_arrived() {
  xwd -root -silent | convert xwd:- -crop 800x600+0+0 +repage "$t/now.png" &&
    ! same_picture "$t/now.png" "$t/own.png"
}
check "the caption arrives" wait_until 12 caption_arrived
delay=$(($(date +%s) - shown))
check "about 5 s after the picture (took ${delay}s)" test "$delay" -ge 3 -a "$delay" -le 10
convert "$t/own.png" -crop 800x586+0+0 +repage "$t/own-top.png"
check "the caption stays in the bottom 14 rows" screen_shows "$t/own-top.png" 800x586+0+0
# The caption's glyphs are the renderer's: the whole captioned frame, every
# row, is the renderer's second tick. The screen is polled, as a loaded X
# server may still be drawing the caption when it is first seen; the next
# step is seconds away.
"$RENDER" --size 800x600 --ticks 2 -o "$t/own-captioned.png" >/dev/null
check "the captioned frame equals the renderer's, caption rows included" \
  wait_until 3 screen_shows "$t/own-captioned.png" 800x600+0+0
check "and the saver still runs" kill -0 "$pid"
xdotool mousemove 400 300 key a mousemove 10 10
still_running_after() { ! wait_until "$1" gone; }
check "a key other than q and motion leave it running" still_running_after 2
xdotool mousemove 400 300 click 1
check "a left click ends it with 0" ends_with 10 0

# q in its own window ends it; so do right and middle clicks.
start --mandelbrot-color 4 --background-color 9
"$RENDER" --size 800x600 --mandelbrot-color 4 --background-color 9 -o "$t/schemes.png" >/dev/null
check "--mandelbrot-color and --background-color are drawn" wait_until 30 screen_shows "$t/schemes.png" 800x600+0+0
xdotool mousemove 400 300 key q
check "q ends it with 0" ends_with 10 0
start -mandelbrot-color 4 -background-color 9
wait_until 30 screen_shows "$t/schemes.png" 800x600+0+0
xdotool mousemove 400 300 click 3
check "single-dash options work and a right click ends it" ends_with 10 0

# -window-id: into a window made here, whose buttons its maker holds (as a
# saver daemon does); its going away still ends the saver.
"$RENDER" --size 320x240 --mandelbrot-color 7 --background-color 12 -o "$t/small.png" >/dev/null
if start_helper 320 240 buttons; then
  start -window-id "$window" --mandelbrot-color 7 --background-color 12
  check "-window-id draws the renderer's picture into that window" \
    wait_until 30 screen_shows "$t/small.png" 320x240+0+0
  stop_helper
  check "the window going away ends it with 0 within a second" ends_with 1 0
fi

# -window-id in hexadecimal, and a middle click.
if start_helper 320 240; then
  start -window-id "$(printf '0x%x' "$window")" --mandelbrot-color 7 --background-color 12
  check "-window-id 0x... works too" wait_until 30 screen_shows "$t/small.png" 320x240+0+0
  xdotool mousemove 100 100 click 2
  check "a middle click ends it with 0" ends_with 10 0
  stop_helper
fi

# -root honours XSCREENSAVER_WINDOW.
if start_helper 320 240; then
  XSCREENSAVER_WINDOW=$window "$SAVER" -root --mandelbrot-color 7 --background-color 12 >/dev/null 2>&1 &
  pid=$!
  check "-root draws on \$XSCREENSAVER_WINDOW" wait_until 30 screen_shows "$t/small.png" 320x240+0+0
  kill -TERM "$pid"
  check "SIGTERM ends it with 0" ends_with 1 0
  stop_helper
fi

# SIGTERM and SIGINT in the middle of the cycle end it within a second.
start
wait_until 30 screen_shows "$t/own.png" 800x600+0+0
sleep 1
kill -TERM "$pid"
check "SIGTERM mid-cycle ends it within a second" ends_with 1 0
start
sleep 1
kill -INT "$pid"
check "SIGINT ends it within a second" ends_with 1 0

# Bad options: exit 2 with a one-line error and a hint.
for bad in "-window-id junk" "--mandelbrot-color 9" "--background-color -1" "-bogus" "-window-id"; do
  # shellcheck disable=SC2086
  "$SAVER" $bad >/dev/null 2>"$t/err"
  rc=$?
  check "'$bad' exits 2" test "$rc" -eq 2
  check "'$bad' says why in one line" bash -c "[ \$(wc -l <'$t/err') -eq 1 ] && grep -q '^mandeldive: .* (try -help)\$' '$t/err'"
done
DISPLAY=:9999 "$SAVER" >/dev/null 2>"$t/err"
check "no display exits 1" test $? -eq 1
check "a window that does not exist exits 1" bash -c "'$SAVER' -window-id 0x7fffff0 2>/dev/null; test \$? -eq 1"

checks_summary
