#!/usr/bin/env bash
# wayland_soak_test.sh SAVER [TICKS]: `mandeldive --wayland` runs TICKS
# steps (default 2000, over 90 whole cycles) back to back on a small output
# of a headless sway; its resident memory and its open file descriptors
# must not grow after the first cycle.
set -u
SAVER=$1
TICKS=${2:-2000}
here=$(dirname "$0")
# shellcheck source=tests/check_lib.sh
. "$here/../check_lib.sh"
# shellcheck source=tests/wayland/sway_lib.sh
. "$here/sway_lib.sh"
sway_scratch "$SAVER"
trap 'session_kill KILL mandeldive; sway_cleanup' EXIT
start_sway 1 "output HEADLESS-1 resolution 640x480" || exit 1
spawn saver mandeldive --wayland --delay 0 --ticks "$TICKS" 2>"$SWAY_TMP/err"
waiter=$!
# The first cycle (23 steps) is over well within a second.
sleep 1
soak_watch "$(pid_of saver)"
wait_for 30 "$waiter" "the saver"
rc=$?
check "it ran all its steps and ended with 0 (was $rc)" test "$rc" -eq 0
soak_checks "$TICKS"
check "nothing on stderr" test ! -s "$SWAY_TMP/err"
checks_summary
