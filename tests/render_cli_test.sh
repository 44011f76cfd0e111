#!/usr/bin/env bash
# The renderer's command line end to end: exit codes, files written and not.
set -u
render=$1
dir=$(mktemp -d /tmp/mandeldive-cli.XXXXXX)
trap 'chmod -R u+w "$dir"; rm -rf "$dir"' EXIT
passed=0 failed=0
check() {  # check NAME CONDITION...
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
expect_exit() {  # expect_exit CODE ARGS...
  local code=$1; shift
  "$render" "$@" >"$dir/out" 2>"$dir/err"
  [ $? -eq "$code" ]
}

for bad in "--size 0x5" "--size 16385x10" "--size 10" "--mandelbrot-color 9" \
           "--background-color 15" "--background-color x" "--ticks -1" \
           "--time 1.5" "--frobnicate 1"; do
  # shellcheck disable=SC2086
  check "bad '$bad' exits 2" expect_exit 2 $bad -o "$dir/bad.png"
  check "bad '$bad' writes no file" test ! -e "$dir/bad.png"
  check "bad '$bad' explains in one line plus usage" \
    bash -c "head -n1 '$dir/err' | grep -q '^mandeldive-render: ' && grep -q '^usage:' '$dir/err'"
done
check "missing -o exits 2" expect_exit 2 --size 10x10

check "unwritable output exits 1" expect_exit 1 --size 8x6 -o "$dir/none/x.png"
check "unwritable output leaves nothing" test ! -e "$dir/none"
mkdir "$dir/ro" && chmod a-w "$dir/ro"
if [ "$(id -u)" != 0 ]; then
  check "read-only directory exits 1" expect_exit 1 --size 8x6 -o "$dir/ro/x.png"
fi
check "read-only directory has no partial file" test -z "$(ls -A "$dir/ro")"

check "default render exits 0" expect_exit 0 --size 40x30 -o "$dir/one.png"
check "the picture is 40x30 RGB" \
  bash -c "file '$dir/one.png' | grep -q '40 x 30, 8-bit/color RGB'"

check "frames are written per tick" \
  expect_exit 0 --size 50x40 --ticks 3 --time 5 --frames "$dir/f/g" -o "$dir/last.png"
check "three frames" test -f "$dir/f/g/tick-01.png" -a -f "$dir/f/g/tick-03.png" -a ! -e "$dir/f/g/tick-04.png"
check "the last frame is the output" cmp -s "$dir/f/g/tick-03.png" "$dir/last.png"
check "zero ticks exits 0" expect_exit 0 --size 9x9 --ticks 0 -o "$dir/white.png"
check "a fixed time repeats the same dive" bash -c "
  '$render' --size 60x45 --ticks 6 --time 99 -o '$dir/a.png' &&
  '$render' --size 60x45 --ticks 6 --time 99 -o '$dir/b.png' && cmp -s '$dir/a.png' '$dir/b.png'"
check "the literal pass draws the same dive" bash -c "
  '$render' --size 60x45 --ticks 6 --time 99 --literal -o '$dir/c.png' && cmp -s '$dir/a.png' '$dir/c.png'"
check "--help exits 0" expect_exit 0 --help

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
