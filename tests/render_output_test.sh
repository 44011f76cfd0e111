#!/usr/bin/env bash
# Where the renderer's pictures go, end to end: links, FIFOs, devices and
# standard output are written into, never replaced; a run that cannot write
# fails before it renders and takes back what it wrote; an interrupted run
# leaves no temporary file; a full disk is reported as such.
set -u
render=$1
dir=$(mktemp -d /tmp/mandeldive-out.XXXXXX)
mounted=""
cleanup() {
  [ -n "$mounted" ] && umount "$mounted" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
passed=0 failed=0 skipped=0
check() {  # check NAME CONDITION...
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
skip() { skipped=$((skipped + 1)); echo "skipped: $1"; }
run() {  # run CODE ARGS...: the renderer exits with CODE
  local code=$1; shift
  "$render" "$@" >"$dir/stdout" 2>"$dir/err"
  local rc=$?
  [ $rc -eq "$code" ] || { echo "exit $rc, not $code: $(cat "$dir/err")"; return 1; }
}
one_line_error() {  # one_line_error TEXT: stderr is one line holding TEXT
  [ "$(wc -l <"$dir/err")" -eq 1 ] && grep -q "^mandeldive-render: .*$1" "$dir/err"
}
no_temporaries() { [ -z "$(find "$dir" -name '*.png.??????' 2>/dev/null)" ]; }
wait_until() {  # wait_until SECONDS COMMAND...
  local deadline=$((SECONDS + $1)); shift
  while [ $SECONDS -lt $deadline ]; do "$@" && return 0; sleep 0.05; done
  "$@"
}

"$render" --size 64x48 --ticks 2 --time 7 -o "$dir/want.png"

# Links: the link stays, its target gets the picture.
echo old >"$dir/target.png"
ln -s target.png "$dir/link.png"
mkdir "$dir/sub" && ln -s ../link.png "$dir/sub/chain.png"
check "through a link: exit 0" run 0 --size 64x48 --ticks 2 --time 7 -o "$dir/sub/chain.png"
check "the links stay links" test -L "$dir/link.png" -a -L "$dir/sub/chain.png"
check "the link's target holds the picture" cmp -s "$dir/target.png" "$dir/want.png"
ln -s missing.png "$dir/dangling.png"
check "a dangling link: exit 0" run 0 --size 64x48 --ticks 2 --time 7 -o "$dir/dangling.png"
check "creates the link's target" cmp -s "$dir/missing.png" "$dir/want.png"
ln -s loop1 "$dir/loop2" && ln -s loop2 "$dir/loop1"
check "a link loop: exit 1" run 1 --size 4x4 -o "$dir/loop1"
check "a link loop: one line" one_line_error "loop1"
chmod 640 "$dir/target.png"
check "a replaced file keeps its permissions" bash -c "
  '$render' --size 4x4 -o '$dir/target.png' && [ \$(stat -c %a '$dir/target.png') = 640 ]"

# Standard output, FIFOs and devices are written into.
check "-o - writes standard output" run 0 --size 64x48 --ticks 2 --time 7 -o -
check "standard output holds the picture" cmp -s "$dir/stdout" "$dir/want.png"
mkfifo "$dir/fifo"
timeout 20 cat "$dir/fifo" >"$dir/from-fifo" &
reader=$!
check "into a FIFO: exit 0" run 0 --size 64x48 --ticks 2 --time 7 -o "$dir/fifo"
wait $reader
check "the FIFO's reader got the picture" cmp -s "$dir/from-fifo" "$dir/want.png"
check "the FIFO stays a FIFO" test -p "$dir/fifo"
check "a FIFO nobody reads: exit 1, in bounded time" run 1 --size 4x4 -o "$dir/fifo"
check "a FIFO nobody reads: one line" one_line_error "nothing reads it"
ln -s /dev/null "$dir/null"
check "a link to /dev/null: exit 0" run 0 --size 4x4 -o "$dir/null"
check "/dev/null stays a device" test -c /dev/null -a -L "$dir/null"
if mknod "$dir/node" c 1 3 2>/dev/null; then
  check "a device node: exit 0" run 0 --size 4x4 -o "$dir/node"
  check "the device node stays" test -c "$dir/node"
else
  skip "a device node of our own: mknod needs root"
fi
# Always through a link of our own, so that a renderer that replaces what
# is at the path replaces the link, not the system's device.
ln -s /dev/full "$dir/full"
check "a full device: exit 1" run 1 --size 64x48 -o "$dir/full"
check "a full device says why" one_line_error "cannot write .*/full: No space left on device"
check "a directory: exit 1" run 1 --size 4x4 -o "$dir/sub"
check "a directory: one line" one_line_error "is a directory"

# Every output is checked before anything is rendered or written.
check "frames with an unwritable -o: exit 1" \
  run 1 --size 32x24 --ticks 3 --frames "$dir/fr/deep" -o "$dir/missing/a.png"
check "no frames directory is left" test ! -e "$dir/fr"
echo file >"$dir/plain"
check "frames in a file: exit 1" run 1 --size 32x24 --ticks 3 --frames "$dir/plain" -o "$dir/b.png"
check "frames in a file: nothing written" test ! -e "$dir/b.png"

# A run that fails after writing frames takes them back: the FIFO's reader
# goes away once the second frame is there, so the last picture fails.
mkdir "$dir/kept" && echo mine >"$dir/kept/tick-01.png"
timeout 20 bash -c "exec 3<'$dir/fifo'; while [ ! -e '$dir/kept/tick-02.png' ]; do sleep 0.02; done" &
reader=$!
check "the reader leaving fails the run" \
  run 1 --size 600x400 --ticks 40 --time 3 --frames "$dir/kept" -o "$dir/fifo"
wait $reader
check "it says why" one_line_error "Broken pipe"
check "the frames it created are gone" test ! -e "$dir/kept/tick-02.png"
check "a frame it replaced stays a whole picture" \
  bash -c "file '$dir/kept/tick-01.png' | grep -q 'PNG image data, 600 x 400'"
check "the directory it did not make stays" test -d "$dir/kept"

# Interrupted while encoding: the temporary file goes, the status is 128+n.
for signal in TERM INT; do
  "$render" --size 8000x8000 --ticks 0 -o "$dir/big.png" 2>/dev/null &
  pid=$!
  temporary_there() { [ -n "$(find "$dir" -maxdepth 1 -name 'big.png.??????')" ]; }
  wait_until 20 temporary_there
  kill -"$signal" $pid
  ended() { ! kill -0 $pid 2>/dev/null; }
  wait_until 30 ended || { echo "the renderer did not end within 30 s; killed"; kill -KILL $pid; }
  wait $pid
  rc=$?
  want=$((128 + $(kill -l "$signal")))
  check "SIG$signal: status $want (was $rc)" test "$rc" -eq "$want"
  check "SIG$signal: no temporary file" no_temporaries
  check "SIG$signal: no picture" test ! -e "$dir/big.png"
done
bash -c "ulimit -f 64; exec '$render' --size 1500x1500 --background-color 11 -o '$dir/limited.png'" 2>/dev/null
rc=$?
check "a file size limit: status 153 (was $rc)" test "$rc" -eq 153
check "a file size limit: no temporary file" no_temporaries
check "a file size limit: no picture" test ! -e "$dir/limited.png"
# The same limit met by a frame encoding on its own thread.
bash -c "ulimit -f 64; exec '$render' --size 1500x1500 --background-color 11 --ticks 2 \
  --threads 2 --frames '$dir/limited' -o '$dir/limited.png'" 2>/dev/null
rc=$?
check "a file size limit on a frame in the background: status 153 (was $rc)" test "$rc" -eq 153
check "and no temporary frame" test -z "$(ls -A "$dir/limited")"

# A full disk, where a small tmpfs can be mounted.
mkdir "$dir/small"
if mount -t tmpfs -o size=64k tmpfs "$dir/small" 2>/dev/null; then
  mounted=$dir/small
  echo keep >"$dir/small/full.png"
  check "a full disk: exit 1" run 1 --size 1500x1500 --background-color 11 -o "$dir/small/full.png"
  check "a full disk says why" one_line_error "No space left on device"
  check "a full disk leaves the old file" test "$(cat "$dir/small/full.png")" = keep
  check "a full disk leaves no temporary" test "$(ls -A "$dir/small")" = full.png
  check "frames that fill the disk: exit 1" \
    run 1 --size 400x300 --background-color 11 --ticks 40 --time 1 --frames "$dir/small/f" -o "$dir/c.png"
  check "frames that fill the disk are taken back" test ! -e "$dir/small/f"
  umount "$dir/small" && mounted=""
else
  skip "a full disk: cannot mount a tmpfs here"
fi

echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
