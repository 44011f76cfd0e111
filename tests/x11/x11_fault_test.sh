#!/usr/bin/env bash
# x11_fault_test.sh SAVER RENDER HELPER: the native saver when things go
# wrong under it. Each case starts an X server of its own (Xvfb, which this
# script may kill or stop), so the cases cannot disturb each other: the
# server killed mid-render and between steps, the window destroyed, the
# server stopped and the saver sent SIGTERM, the window resized.
set -u
SAVER=$1
RENDER=$2
HELPER=$3
t=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-x11-fault.XXXXXX")
xvfb=""
# shellcheck source=tests/check_lib.sh
. "$(dirname "$0")/../check_lib.sh"
# shellcheck source=tests/saver_lib.sh
. "$(dirname "$0")/../saver_lib.sh"
stop_server() {
  [ -n "$xvfb" ] || return 0
  kill -CONT "$xvfb" 2>/dev/null
  kill "$xvfb" 2>/dev/null
  wait_for 10 "$xvfb" Xvfb
  xvfb=""
}
trap 'stop_processes; stop_server; rm -rf "$t"' EXIT
start_server() {  # start_server WxH: a fresh Xvfb; sets DISPLAY and xvfb
  : >"$t/displayfd"
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp -noreset 3>"$t/displayfd" >/dev/null 2>&1 &
  xvfb=$!
  server_up() {
    local d
    d=$(tr -dc '0-9' <"$t/displayfd")
    [ -n "$d" ] && DISPLAY=":$d" xdpyinfo >/dev/null 2>&1 && export DISPLAY=":$d"
  }
  wait_until 10 server_up
}
viewable() { xwininfo -name mandeldive 2>/dev/null | grep -q 'IsViewable'; }
one_line_lost() {
  [ "$(wc -l <"$t/err")" -eq 1 ] && grep -q '^mandeldive: lost the connection to the X display' "$t/err"
}

# The server killed while the saver draws (with no delay it always is, on a
# screen large enough that a step takes a while) and while it waits.
while read -r when size delay; do
  start_server "$size"
  start --delay "$delay"
  wait_until 10 viewable
  sleep 0.5
  kill -9 "$xvfb"
  wait_for 10 "$xvfb" Xvfb
  xvfb=""
  check "server killed $when: ends within 1 s" ends_within_ms 1000
  check "server killed $when: exit code 1 (was $rc)" test "$rc" = 1
  check "server killed $when: one line says so ($(head -c 200 "$t/err"))" one_line_lost
done <<'CASES'
mid-render 1920x1080 0
between-steps 640x480 30
CASES

# The server stopped, then SIGTERM: the saver must not wait on it, neither
# while it waits for a step nor while it draws.
for delay in 30 0; do
  start_server 1920x1080
  start --delay "$delay"
  wait_until 10 viewable
  sleep 0.5
  kill -STOP "$xvfb"
  sleep 0.2
  kill -TERM "$pid"
  check "server stopped, SIGTERM (delay $delay): ends within 1 s" ends_within_ms 1000
  check "server stopped, SIGTERM (delay $delay): exit code 0 (was $rc)" test "$rc" = 0
  stop_server
done

# Its window destroyed, while it waits and while it draws: it ends within
# a column, not at the end of the tick (which, with a large window on a
# slow machine, can take seconds).
has_drawn() {  # the helper's white window shows the set in the saver's red
  xwd -id "$(cat "$t/helper")" -silent 2>/dev/null |
    convert xwd:- -unique-colors txt:- 2>/dev/null | grep -q '#FF0000'
}
for delay in 30 0; do
  start_server 1920x1080
  start_helper 1920 1080 || { stop_helper; stop_server; continue; }
  # Red inside the set: a colour nothing but the saver puts there.
  start -window-id "$window" --delay "$delay" --mandelbrot-color 2
  check "window destroyed (delay $delay): the saver draws" wait_until 60 has_drawn
  sleep 0.5
  stop_helper
  check "window destroyed (delay $delay): ends within 1 s" ends_within_ms 1000
  check "window destroyed (delay $delay): exit code 0 (was $rc)" test "$rc" = 0
  stop_server
done

# A window that changes size: from the next step on the dive fills the new
# size, from the full view (the caption rows aside).
start_server 800x600
"$RENDER" --size 320x240 -o "$t/small.png" >/dev/null
convert "$t/small.png" -crop 320x226+0+0 +repage "$t/small-top.png"
if start_helper 480 360; then
  start -window-id "$window" --delay 1
  sleep 1.5
  xdotool windowsize "$window" 320 240
  shows_small() {
    xwd -root -silent | convert xwd:- -crop 320x226+0+0 +repage "$t/shot.png" &&
      same_picture "$t/shot.png" "$t/small-top.png"
  }
  check "a resized window gets the full view at its new size" wait_until 60 shows_small
  kill "$pid" 2>/dev/null
  ends_within_ms 2000
  stop_helper
fi
stop_server

checks_summary
