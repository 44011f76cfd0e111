#!/usr/bin/env bash
# x11_soak_test.sh SAVER HELPER [TICKS]: the native saver runs TICKS steps
# (default 2000, over 90 whole cycles) back to back on a small window of a
# real X server (with-xvfb); its resident memory and its open file
# descriptors must not grow after the first cycle.
set -u
SAVER=$1
HELPER=$2
TICKS=${3:-2000}
# shellcheck source=tests/check_lib.sh
. "$(dirname "$0")/../check_lib.sh"
# shellcheck source=tests/saver_lib.sh
. "$(dirname "$0")/../saver_lib.sh"
t=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-soak.XXXXXX")
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "$helper" ] && kill "$helper" 2>/dev/null
  rm -rf "$t"
}
trap cleanup EXIT
start_helper 640 480 || { checks_summary; exit 1; }
"$SAVER" -window-id "$window" --delay 0 --ticks "$TICKS" 2>"$t/err" &
pid=$!
# The first cycle (23 steps) is over well within a second here.
sleep 1
soak_watch "$pid"
wait_for 10 "$pid" "the saver"
rc=$?
pid=""
check "it ran all its steps and ended with 0 (was $rc)" test "$rc" -eq 0
soak_checks "$TICKS"
checks_summary
