#!/usr/bin/env bash
# fullscreen_test.sh SAVER HELPER RENDER: "/s" on an 800x600 screen.
. "$(dirname "$0")/lib.sh"
t=$E2E_TMP

# Default schemes: the first picture, then the caption, then the buttons.
render "$t/plain.png" --size 800x600
start_saver /s
check "first picture equals the renderer's" wait_until 60 screen_shows "$t/plain.png"
shown=$SECONDS
blanks() { wine "$HELPER" count BlankWndClass 2>/dev/null | tr -d '\r'; }
check "one monitor gets no blank window" equals "$(blanks)" 0
caption_arrived() {
  screenshot "$t/now.png" && ! same_picture "$t/now.png" "$t/plain.png"
}
check "the caption arrives" wait_until 20 caption_arrived
delay=$((SECONDS - shown))
check "about 5 s after the picture (took ${delay}s)" test "$delay" -ge 3 -a "$delay" -le 12
convert "$t/plain.png" -crop 800x586+0+0 +repage "$t/plain-top.png"
check "the caption stays in the bottom 14 rows" screen_shows "$t/plain-top.png" 800x586+0+0
xdotool mousemove 400 300 key a key Escape mousemove 10 10 mousemove 700 500
sleep_while_running() { ! wait_until 2 saver_gone; }
check "a key press and mouse motion do not end it" sleep_while_running
xdotool mousemove 400 300 click 1
check "a left click ends it" saver_ends_within 20
check "with exit code 0" equals "$SAVER_RC" 0
stop_saver

# Stored schemes are drawn; a right click ends it.
reg_set MandelbrotColor 7
reg_set BackgroundColor 12
render "$t/stored.png" --size 800x600 --mandelbrot-color 7 --background-color 12
start_saver /s
check "stored schemes 7/12 are drawn" wait_until 60 screen_shows "$t/stored.png"
xdotool mousemove 200 200 click 3
check "a right click ends it with 0" saver_ends_within 20
check "right click exit code" equals "$SAVER_RC" 0
stop_saver

# "/S", as Windows' Test command starts it, runs the saver too; a middle
# click ends it.
reg_set MandelbrotColor 3
reg_set BackgroundColor 14
render "$t/upper.png" --size 800x600 --mandelbrot-color 3 --background-color 14
start_saver /S
check "\"/S\" runs full screen" wait_until 60 screen_shows "$t/upper.png"
xdotool mousemove 600 100 click 2
check "a middle click ends it with 0" saver_ends_within 20
check "middle click exit code" equals "$SAVER_RC" 0

finish
