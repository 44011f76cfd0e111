#!/usr/bin/env bash
# x11_root_test.sh SAVER RENDER W H [SCHEMES...]: on a W x H screen, "-root"
# draws the renderer's picture of that size on the root window.
set -u
SAVER=$1 RENDER=$2 W=$3 H=$4
shift 4
# shellcheck source=tests/check_lib.sh
. "$(dirname "$0")/../check_lib.sh"
t=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-root.XXXXXX")
trap 'kill $pid 2>/dev/null; rm -rf "$t"' EXIT
"$RENDER" --size "${W}x$H" "$@" -o "$t/expected.png" >/dev/null
"$SAVER" -root "$@" &
pid=$!
for _ in $(seq 300); do   # up to 30 s
  xwd -root -silent | convert xwd:- "$t/shot.png"
  if cmp -s <(convert "$t/shot.png" -depth 8 rgb:-) <(convert "$t/expected.png" -depth 8 rgb:-); then
    kill -TERM $pid; wait_for 10 $pid "the saver"; rc=$?
    echo "root picture at ${W}x$H equals the renderer's; exit $rc"
    [ $rc -eq 0 ] && { echo "1 passed, 0 failed"; exit 0; }
    echo "0 passed, 1 failed"; exit 1
  fi
  sleep 0.1
done
echo "root picture at ${W}x$H never equalled the renderer's"
echo "0 passed, 1 failed"
exit 1
