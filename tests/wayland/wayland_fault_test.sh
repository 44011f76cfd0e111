#!/usr/bin/env bash
# wayland_fault_test.sh SAVER: `mandeldive --wayland` when things go wrong
# under it, each case on a headless sway of its own: the compositor killed
# or stopped while the saver draws and while it waits for its next step,
# and no compositor at all.
set -u
SAVER=$1
here=$(dirname "$0")
# shellcheck source=tests/check_lib.sh
. "$here/../check_lib.sh"
# shellcheck source=tests/wayland/sway_lib.sh
. "$here/sway_lib.sh"
sway_scratch "$SAVER"
trap 'pkill -KILL -u "$SWAY_USER" -x mandeldive; sway_cleanup' EXIT
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
  wait "$waiter"
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

XDG_RUNTIME_DIR=$t/run WAYLAND_DISPLAY=mandeldive-none "$SAVER" --wayland 2>"$t/err"
rc=$?
check "no compositor: exit code 1 (was $rc)" test "$rc" = 1
check "no compositor: one line says so" \
  grep -qx "mandeldive: cannot connect to the Wayland display 'mandeldive-none'" "$t/err"
checks_summary
