#!/usr/bin/env bash
# x11_visual_test.sh SAVER: on a display whose visual is not 24- or 32-bit
# TrueColor, the saver exits with 1 and says why in one line.
out=$("$1" -root 2>&1)
rc=$?
echo "exit $rc: $out"
if [ "$rc" -eq 1 ] && [ "$(echo "$out" | wc -l)" -eq 1 ] && grep -q TrueColor <<<"$out"; then
  echo "1 passed, 0 failed"
  exit 0
fi
echo "0 passed, 1 failed"
exit 1
