#!/usr/bin/env bash
# wayland_fault_test.sh SAVER RENDER: `mandeldive --wayland` when things go wrong
# under it, each case on a headless sway of its own: the compositor killed
# or stopped while the saver draws and while it waits for its next step,
# an output too large for the memory the saver may have, and no compositor
# at all. With --ticks and no output that can be drawn on, it ends with 1.
# `mandeldive --lock` on a compositor without ext-session-lock-v1 (sway
# 1.7) ends with 1 and one line before it draws anything; with -f, so
# does the parent that waits for the lock.
set -u
SAVER=$1 RENDER=$2
here=$(dirname "$0")
# shellcheck source=tests/check_lib.sh
. "$here/../check_lib.sh"
# shellcheck source=tests/wayland/sway_lib.sh
. "$here/sway_lib.sh"
sway_scratch "$SAVER"
trap 'session_kill KILL mandeldive; sway_cleanup' EXIT
t=$SWAY_TMP
shows_something() {  # the saver's surface is up: no longer sway's grey
  rm -f "$t/out/up.png"
  as_user grim -o HEADLESS-1 "$t/out/up.png" 2>/dev/null &&
    [ "$(convert "$t/out/up.png" -format '%[pixel:p{0,0}]' info:)" != \
      "$(convert "$t/out/blank.png" -format '%[pixel:p{0,0}]' info:)" ]
}
one_line_lost() {
  [ "$(wc -l <"$t/err")" -eq 1 ] &&
    grep -q "^mandeldive: lost the connection to the Wayland display 'wayland-1'" "$t/err"
}

# With no delay a 1920x1080 output is drawn all the time; with 30 s the
# saver waits for its next step.
while read -r fault when size delay expected; do
  start_sway 1 "output HEADLESS-1 resolution $size" || exit 1
  as_user grim -o HEADLESS-1 "$t/out/blank.png"
  spawn saver mandeldive --wayland --delay "$delay" 2>"$t/err"
  waiter=$!
  wait_until 20 shows_something
  sleep 0.3
  sway=$(cat "$t/out/sway.pid")
  case $fault in
    killed) kill -KILL "$sway" ;;
    stopped) kill -STOP "$sway"; kill -TERM "$(pid_of saver)" ;;
  esac
  check "compositor $fault $when: the saver ends within 1 s" \
    gone_within 1 "$(pid_of saver)"
  wait_for 30 "$waiter" "the saver"
  rc=$?
  check "compositor $fault $when: exit code $expected (was $rc)" test "$rc" = "$expected"
  if [ "$fault" = killed ]; then
    check "compositor killed $when: one line says so ($(head -c 200 "$t/err"))" one_line_lost
  fi
  stop_sway
done <<'CASES'
killed while-drawing 1920x1080 0 1
killed between-steps 640x480 30 1
stopped while-drawing 1920x1080 0 0
stopped between-steps 640x480 30 0
CASES

# 60 MB of address space: the small output's picture and buffers fit, the
# 3840x2160 one's three copies (100 MB) do not. AddressSanitizer reserves
# far more than that for itself.
if [ -z "${ASAN_OPTIONS:-}" ]; then
  start_sway 2 "output HEADLESS-1 resolution 320x240 position 0 0" \
    "output HEADLESS-2 resolution 3840x2160 position 320 0" || exit 1
  "$RENDER" --size 320x240 -o "$t/full-320x240.png" >/dev/null
  spawn saver sh -c 'ulimit -v 60000; exec mandeldive --wayland' 2>"$t/err"
  waiter=$!
  check "out of memory for one output: the other shows its dive" \
    wait_until 20 output_shows HEADLESS-1 "$t/full-320x240.png"
  check "and one line names the output's size ($(head -c 200 "$t/err"))" \
    grep -qx "mandeldive: not enough memory for a 3840x2160 picture" "$t/err"
  check "and the saver runs on" kill -0 "$(pid_of saver)"
  kill -TERM "$(pid_of saver)"
  wait_for 30 "$waiter" "the saver"
  stop_sway

  # --ticks ends the run one delay after the last step; with nothing to
  # step on, it ends at once, with 1 and a line.
  start_sway 1 "output HEADLESS-1 resolution 3840x2160" || exit 1
  spawn saver sh -c 'ulimit -v 60000; exec mandeldive --wayland --ticks 2 --delay 0' 2>"$t/err"
  waiter=$!
  check "--ticks and no output to draw on: it ends within 10 s" \
    gone_within 10 "$(pid_of saver)"
  kill -KILL "$(pid_of saver)" 2>/dev/null
  wait "$waiter"
  rc=$?
  check "--ticks and no output to draw on: exit code 1 (was $rc)" test "$rc" = 1
  check "--ticks and no output to draw on: a line says so ($(tail -n1 "$t/err"))" \
    grep -qx "mandeldive: no output of the Wayland display 'wayland-1' can be drawn on" "$t/err"
  stop_sway
fi

start_sway 1 "output HEADLESS-1 resolution 320x240" || exit 1
as_user grim -o HEADLESS-1 "$t/out/blank.png"
as_user timeout 20 mandeldive --lock 2>"$t/err"
rc=$?
check "--lock without ext_session_lock_manager_v1: exit code 1 (was $rc)" test "$rc" = 1
check "--lock without ext_session_lock_manager_v1: one line says so ($(head -c 200 "$t/err"))" \
  eval '[ "$(wc -l <"$t/err")" = 1 ] && grep -q "^mandeldive: the compositor cannot lock this way" "$t/err"'
check "--lock without ext_session_lock_manager_v1: nothing was drawn" \
  output_shows HEADLESS-1 "$t/out/blank.png"
as_user timeout 20 mandeldive --lock -f 2>"$t/err"
rc=$?
check "--lock -f without it: the waiting parent ends with the locker's 1 (was $rc), its line once" \
  eval '[ "$rc" = 1 ] && [ "$(wc -l <"$t/err")" = 1 ] && grep -q "cannot lock this way" "$t/err"'
stop_sway

XDG_RUNTIME_DIR=$t/run WAYLAND_DISPLAY=mandeldive-none "$SAVER" --wayland 2>"$t/err"
rc=$?
check "no compositor: exit code 1 (was $rc)" test "$rc" = 1
check "no compositor: one line says so" \
  grep -qx "mandeldive: cannot connect to the Wayland display 'mandeldive-none'" "$t/err"
checks_summary
