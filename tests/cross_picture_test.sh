#!/usr/bin/env bash
# cross_picture_test.sh RENDER NATIVE_RENDER KERNEL: the cross-built renderer
# (run under its emulator) uses the escape kernel KERNEL, and it and the
# build machine's renderer draw the same pictures, pixel for pixel: several
# sizes and schemes, and whole dives with every frame.
set -u
RENDER=$1 NATIVE=$2 KERNEL=$3
[ -x "$NATIVE" ] || { echo "no renderer at $NATIVE: build the native preset first"; exit 1; }
CHECK_TMP=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-cross.XXXXXX")
trap 'rm -rf "$CHECK_TMP"' EXIT
# shellcheck source=tests/check_lib.sh
. "$(dirname "$0")/check_lib.sh"
t=$CHECK_TMP

both_draw() {  # both_draw NAME ARGS...: the two -o pictures, and any frames
  local name=$1
  shift
  "$RENDER" "$@" --frames "$t/$name-here" -o "$t/$name-here.png" >/dev/null &&
    "$NATIVE" "$@" --frames "$t/$name-native" -o "$t/$name-native.png" >/dev/null || return 1
  same_picture "$t/$name-here.png" "$t/$name-native.png" || return 1
  local frame
  for frame in "$t/$name-native"/*.png; do
    [ -e "$frame" ] || continue
    same_picture "$frame" "$t/$name-here/$(basename "$frame")" || { echo "differs: $frame"; return 1; }
  done
  [ "$(ls "$t/$name-here" | wc -l)" = "$(ls "$t/$name-native" | wc -l)" ]
}

check "the cross build runs the $KERNEL kernel" grep -q "(escape kernel: $KERNEL)" <("$RENDER" --version)

#       name        arguments
while read -r name args; do
  # shellcheck disable=SC2086
  check "$name: $args" both_draw "$name" $args
done <<'CASES'
full-800x600   --size 800x600
tiny-1x1       --size 1x1
odd-333x97     --size 333x97 --mandelbrot-color 8 --background-color 14
schemes-7-11   --size 640x480 --mandelbrot-color 7 --background-color 11 --ticks 3 --time 7
dive-320x240   --size 320x240 --mandelbrot-color 2 --background-color 9 --ticks 23 --time 1765000000
dive-200x150   --size 200x150 --mandelbrot-color 5 --background-color 13 --ticks 23 --time 42
CASES
checks_summary
