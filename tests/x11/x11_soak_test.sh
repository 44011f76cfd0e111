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
t=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-soak.XXXXXX")
pid="" helper=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "$helper" ] && kill "$helper" 2>/dev/null
  rm -rf "$t"
}
trap cleanup EXIT
"$HELPER" 640 480 >"$t/helper" &
helper=$!
for _ in $(seq 100); do [ -s "$t/helper" ] && break; sleep 0.1; done
"$SAVER" -window-id "$(cat "$t/helper")" --delay 0 --ticks "$TICKS" 2>"$t/err" &
pid=$!
# The first cycle (23 steps) is over well within a second here.
sleep 1
soak_watch "$pid"
wait "$pid"
rc=$?
pid=""
check "it ran all its steps and ended with 0 (was $rc)" test "$rc" -eq 0
soak_checks "$TICKS"
checks_summary
