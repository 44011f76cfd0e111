#!/usr/bin/env bash
# The renderer's command line end to end: exit codes, files written and not.
set -u
render=$1
dir=$(mktemp -d /tmp/mandeldive-cli.XXXXXX)
CHECK_TMP=$dir
trap 'chmod -R u+w "$dir"; rm -rf "$dir"' EXIT
# shellcheck source=tests/check_lib.sh
. "$(dirname "$0")/check_lib.sh"
expect_exit() {  # expect_exit CODE ARGS...
  local code=$1; shift
  "$render" "$@" >"$dir/out" 2>"$dir/err"
  [ $? -eq "$code" ]
}

for bad in "--size 0x5" "--size 16385x10" "--size 10" "--mandelbrot-color 9" \
           "--background-color 15" "--background-color x" "--ticks -1" \
           "--time 1.5" "--frobnicate 1" "--threads 0" "--threads 1025"; do
  # shellcheck disable=SC2086
  check "bad '$bad' exits 2" expect_exit 2 $bad -o "$dir/bad.png"
  check "bad '$bad' writes no file" test ! -e "$dir/bad.png"
  check "bad '$bad' explains in one line, with a hint" \
    bash -c "[ \$(wc -l <'$dir/err') -eq 1 ] && grep -q '^mandeldive-render: .* (try --help)\$' '$dir/err'"
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
check "-o may name a file in the frames directory it makes" \
  expect_exit 0 --size 20x15 --ticks 2 --frames "$dir/in/side" -o "$dir/in/side/last.png"
check "which holds the frames and the output" \
  cmp -s "$dir/in/side/tick-02.png" "$dir/in/side/last.png"
check "zero ticks exits 0" expect_exit 0 --size 9x9 --ticks 0 -o "$dir/white.png"
check "a fixed time repeats the same dive" bash -c "
  '$render' --size 60x45 --ticks 6 --time 99 -o '$dir/a.png' &&
  '$render' --size 60x45 --ticks 6 --time 99 -o '$dir/b.png' && cmp -s '$dir/a.png' '$dir/b.png'"
check "the literal pass draws the same dive" bash -c "
  '$render' --size 60x45 --ticks 6 --time 99 --literal -o '$dir/c.png' && cmp -s '$dir/a.png' '$dir/c.png'"
# Any number of threads draws the same dives: pictures, frames and
# animations, byte for byte.
while read -r size schemes; do
  for threads in 1 2 3 7; do
    # shellcheck disable=SC2086
    "$render" --size "$size" $schemes --ticks 23 --time 77 --threads "$threads" \
      --frames "$dir/t$threads" --animation "$dir/t$threads.webp" -o "$dir/t$threads.png"
  done
  for threads in 2 3 7; do
    check "$size, $schemes: $threads threads draw what one does" bash -c "
      cmp -s '$dir/t1.png' '$dir/t$threads.png' && cmp -s '$dir/t1.webp' '$dir/t$threads.webp' &&
      diff -r '$dir/t1' '$dir/t$threads' >/dev/null"
  done
  rm -rf "$dir"/t[0-9]*
done <<'CASES'
333x201 --mandelbrot-color 5 --background-color 11
96x2100 --mandelbrot-color 8 --background-color 10
CASES
# A picture big enough to be compressed in pieces, joined the same way on
# any number of threads.
for threads in 1 3; do
  "$render" --size 1600x1000 --mandelbrot-color 8 --background-color 10 --time 77 \
    --threads "$threads" -o "$dir/pieces$threads.png"
done
check "a picture compressed in pieces is the same file on 1 and 3 threads" \
  cmp -s "$dir/pieces1.png" "$dir/pieces3.png"
check "--help exits 0" expect_exit 0 --help
check "--help names the ticks of a dive" grep -q 'a whole dive is 23' "$dir/out"
check "--version exits 0" expect_exit 0 --version
check "--version names the release and the escape kernel" grep -Eqx \
  'mandeldive-render [0-9]+\.[0-9]+\.[0-9]+ \(escape kernel: (scalar|sse2|avx2|avx512|neon)\)' "$dir/out"
check "--help wins over --version" expect_exit 0 --version --help
check "and shows the options" grep -q '^usage: ' "$dir/out"
for answer in --help --version; do
  check "$answer into a full device exits 1" \
    bash -c "'$render' $answer >/dev/full 2>'$dir/err'; [ \$? -eq 1 ]"
  check "$answer into a full device says why" \
    grep -qx 'mandeldive-render: cannot write to standard output: No space left on device' "$dir/err"
done

# More threads than CPUs compute nothing sooner: no more are started.
"$render" --threads 1024 --ticks 100000 --time 5 --size 400x300 --frames "$dir/many" \
  -o "$dir/many.png" 2>/dev/null &
pid=$!
check "--threads 1024: the run is under way" wait_until 30 test -e "$dir/many/tick-02.png"
running=$(awk '/^Threads:/ {print $2}' "/proc/$pid/status")
kill $pid
wait $pid
check "--threads 1024 runs at most the CPUs and 8 more threads (ran ${running:-none})" \
  test "${running:-9999}" -le $(($(nproc) + 8))

# --animation: one lossless frame per tick, each the tick's own picture,
# shown for --frame-ms (WebP keeps centiseconds) or the saver's 5 s.
check "an animation is written" expect_exit 0 --size 64x48 --ticks 4 --time 7 \
  --mandelbrot-color 7 --background-color 12 --frames "$dir/anim" \
  --animation "$dir/dive.webp" --frame-ms 250 -o "$dir/anim.png"
mkdir -p "$dir/unpacked"
convert "$dir/dive.webp" -coalesce "$dir/unpacked/f-%d.png" 2>/dev/null
check "with a frame a tick" test "$(ls "$dir/unpacked" | wc -l)" -eq 4
for k in 1 2 3 4; do
  check "frame $k is tick $k's picture" same_picture "$dir/unpacked/f-$((k - 1)).png" "$dir/anim/tick-0$k.png"
done
check "each shown for 250 ms" test "$(identify -format '%T ' "$dir/dive.webp")" = "25 25 25 25 "
check "by default for 5 s" bash -c "'$render' --size 16x12 --ticks 2 --animation '$dir/slow.webp' \
  -o '$dir/slow.png' && test \"\$(identify -format '%T ' '$dir/slow.webp')\" = '500 500 '"
check "an animation wider than WebP allows is bad input" \
  expect_exit 2 --size 16384x10 --animation "$dir/wide.webp" -o "$dir/wide.png"
check "an animation of no ticks is bad input" \
  expect_exit 2 --ticks 0 --animation "$dir/none.webp" -o "$dir/none.png"
check "an unwritable animation exits 1 before rendering" \
  expect_exit 1 --size 8x6 --animation "$dir/nowhere/a.webp" -o "$dir/a2.png"
check "and writes no picture" test ! -e "$dir/a2.png"

# A picture the process cannot have: one line, exit 1, and nothing left of
# the files and directories the run made. Not under the sanitizers, whose
# allocator ends the process itself, nor under qemu, which needs the
# address space the limit takes.
if [ -n "${MANDELDIVE_MEMORY_LIMIT_TEST:-}" ]; then
  check "a picture too large for the memory exits 1" bash -c "
    ulimit -v 600000; '$render' --size 16383x16383 --frames '$dir/oom/f' \
      --animation '$dir/oom.webp' -o '$dir/oom.png' 2>'$dir/err'; [ \$? -eq 1 ]"
  check "and says so in one line" bash -c "[ \$(wc -l <'$dir/err') -eq 1 ] &&
    grep -q '^mandeldive-render: .*memory' '$dir/err'"
  check "the picture itself, too" bash -c "
    ulimit -v 600000; '$render' --size 16384x16384 -o '$dir/oom.png' 2>'$dir/err'
    [ \$? -eq 1 ] && grep -qx 'mandeldive-render: not enough memory for a 16384x16384 picture' '$dir/err'"
  check "leaving nothing behind" bash -c "! ls -A '$dir' | grep -q oom"
fi

# The progress line: on a terminal, once a run passes a second; never in a
# file. script(1) gives the renderer a terminal.
start=$(date +%s%N)
script -qec "'$render' --size 2400x2400 --literal --ticks 7 --time 5 -o '$dir/slow-one.png'" /dev/null \
  >"$dir/tty" 2>&1
took_ms=$((($(date +%s%N) - start) / 1000000))
if [ "$took_ms" -ge 2000 ]; then
  check "a long render on a terminal shows its progress (${took_ms} ms)" \
    grep -q 'mandeldive-render: tick [2-7] of 7, *[0-9]*%' "$dir/tty"
  check "and clears it at the end" grep -q $'\033\\[K' "$dir/tty"
else
  echo "skipped: the render took ${took_ms} ms, too quick for a progress line"
fi
"$render" --size 2400x2400 --literal --ticks 7 --time 5 -o "$dir/slow-two.png" 2>"$dir/notty"
check "standard error in a file gets no progress" test ! -s "$dir/notty"

checks_summary
