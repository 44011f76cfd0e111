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
trap 'pkill -KILL -u "$SWAY_USER" -x mandeldive; sway_cleanup' EXIT
start_sway 1 "output HEADLESS-1 resolution 640x480" || exit 1
spawn saver mandeldive --wayland --delay 0 --ticks "$TICKS" 2>"$SWAY_TMP/err"
waiter=$!
pid=$(pid_of saver)
rss() { awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null; }
fds() { ls "/proc/$pid/fd" 2>/dev/null | wc -l; }
# The first cycle (23 steps) is over well within a second; samples from
# then on, every 0.1 s until it ends or a 10-minute bound.
sleep 1
base_rss=$(rss) base_fds=$(fds)
max_rss=$base_rss max_fds=$base_fds last_rss=$base_rss samples=0
for _ in $(seq 6000); do
  f=$(fds) r=$(rss)
  [ -z "$r" ] && break
  last_rss=$r samples=$((samples + 1))
  [ "$r" -gt "$max_rss" ] && max_rss=$r
  [ "$f" -gt "$max_fds" ] && max_fds=$f
  sleep 0.1
done
wait "$waiter"
rc=$?
echo "soak: $TICKS steps; RSS after the first cycle ${base_rss} KiB, at most ${max_rss} KiB, last ${last_rss} KiB; fds ${base_fds}, at most ${max_fds}; ${samples} samples"
check "it ran all its steps and ended with 0 (was $rc)" test "$rc" -eq 0
check "it was sampled while it ran" test "$samples" -ge 2
if [ -n "${ASAN_OPTIONS:-}" ]; then
  # AddressSanitizer's quarantine grows by design; its leak check at the
  # end stands in for this one.
  echo "skipped: resident memory under AddressSanitizer"
else
  check "resident memory stays flat" test "$max_rss" -le $((base_rss + 32))
fi
check "open file descriptors do not grow" test "$max_fds" -le "$base_fds"
check "nothing on stderr" test ! -s "$SWAY_TMP/err"
checks_summary
