#!/usr/bin/env bash
# monitors_test.sh SAVER HELPER RENDER LAYOUT: "/s" on a desktop of two
# monitors (cmake/with-xorg-dummy LAYOUT): the 800x600 primary one shows the
# dive, the 640x480 one beside it (right-of or left-of) is black all over,
# and a click on it ends the saver. Then with EveryMonitor set: each monitor
# shows its own full view at its own size; the other monitor switched off
# and back on at another size while it runs gets a new dive at that size;
# a click on it ends the saver.
LAYOUT=$4
. "$(dirname "$0")/lib.sh"
t=$E2E_TMP

# Where the two monitors are on the X screen, which starts at the leftmost.
# "again" is the other monitor back on at 800x600.
case "$LAYOUT" in
  right-of) primary=800x600+0+0 other=640x480+800+0 other_x=1120 wine_other="800,0-1440,480"
            again=800x586+800+0 again_x=1200 ;;
  left-of) primary=800x600+640+0 other=640x480+0+0 other_x=320 wine_other="-640,0-0,480"
           again=800x586+0+0 again_x=400 ;;
  *) echo "layout must be right-of or left-of"; exit 2 ;;
esac
wine "$HELPER" monitors 2>/dev/null | tr -d '\r' >"$t/monitors"
check "Windows sees both monitors ($(tr '\n' ' ' <"$t/monitors"))" \
  equals "$(sort "$t/monitors")" "$(printf '0,0-800,600 primary\n%s secondary\n' "$wine_other" | sort)"

# The root window in a colour no picture here has, so any desktop left in
# view shows.
xsetroot -solid '#ff00ff'
convert -size 640x480 xc:black "$t/black.png"
reg_set MandelbrotColor 2
reg_set BackgroundColor 10
# Missing in one layout and 0 in the other: each means covers.
[ "$LAYOUT" = left-of ] && reg_set EveryMonitor 0
render "$t/stored.png" --size 800x600 --mandelbrot-color 2 --background-color 10
convert "$t/stored.png" -crop 800x586+0+0 +repage "$t/stored-top.png"
primary_top=$(echo "$primary" | sed 's/^800x600/800x586/')
start_saver /s
check "the primary monitor shows the renderer's picture" \
  wait_until 60 screen_shows "$t/stored-top.png" "$primary_top"
check "the other monitor is black all over" wait_until 20 screen_shows "$t/black.png" "$other"
blanks() { wine "$HELPER" count BlankWndClass 2>/dev/null | tr -d '\r'; }
check "one blank window" equals "$(blanks)" 1
xdotool mousemove 400 300 key a key Escape mousemove "$other_x" 240
sleep_while_running() { ! wait_until 2 saver_gone; }
check "a key press and mouse motion over the other monitor do not end it" sleep_while_running
check "the other monitor is still black" screen_shows "$t/black.png" "$other"
xdotool click 1
check "a click on the other monitor ends it" saver_ends_within 20
check "with exit code 0" equals "$SAVER_RC" 0

# Every monitor its own dive.
reg_set EveryMonitor 1
render "$t/other.png" --size 640x480 --mandelbrot-color 2 --background-color 10
convert "$t/other.png" -crop 640x466+0+0 +repage "$t/other-top.png"
other_top=$(echo "$other" | sed 's/^640x480/640x466/')
dives() { wine "$HELPER" count MonitorDiveWndClass 2>/dev/null | tr -d '\r'; }
start_saver /s
check "every monitor: the primary one shows its full view" \
  wait_until 60 screen_shows "$t/stored-top.png" "$primary_top"
check "every monitor: the other one shows its own, at 640x480" \
  wait_until 60 screen_shows "$t/other-top.png" "$other_top"
# The picture of both for the README.
[ -n "${MONITORS_SCREENSHOT:-}" ] && screenshot "$MONITORS_SCREENSHOT"
check "one dive window and no blank one" equals "$(dives) $(blanks)" "1 0"
xrandr --output DUMMY1 --off
no_dive() { [ "$(dives)" = 0 ]; }
check "the other monitor switched off: its window goes" wait_until 20 no_dive
check "and the primary one dives on" saver_running
xrandr --output DUMMY1 --mode 800x600 "--$LAYOUT" DUMMY0
convert "$t/stored.png" -crop 800x586+0+0 +repage "$t/again-top.png"
check "switched on at 800x600: it gets a dive of its own from the full view" \
  wait_until 60 screen_shows "$t/again-top.png" "$again"
check "and the primary one dives on" saver_running
xdotool mousemove "$again_x" 240 click 1
check "a click on the other monitor ends it" saver_ends_within 20
check "with exit code 0" equals "$SAVER_RC" 0

finish
