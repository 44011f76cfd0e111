#!/usr/bin/env bash
# Where the renderer's pictures go, end to end: links, FIFOs, devices and
# standard output are written into, never replaced; other users' links and
# files in sticky directories are left alone; a run that cannot write fails
# before it renders and takes back what it made, and so does an interrupted
# one; a full disk or a file size limit is reported as such.
set -u
render=$1
dir=$(mktemp -d /tmp/mandeldive-out.XXXXXX)
mounted=""
protected=""
cleanup() {
  [ -n "$mounted" ] && umount "$mounted" 2>/dev/null
  [ -n "$protected" ] && echo "$protected" >/proc/sys/fs/protected_symlinks
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
# (env gives it back SIGINT, which a script's background job ignores.)
for signal in TERM INT; do
  env --default-signal "$render" --size 8000x8000 --ticks 0 -o "$dir/big.png" 2>/dev/null &
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
# A file size limit is a failed write, as a full disk is: one line, exit 1,
# and what the run made taken back, whether -o, the animation or a frame
# encoding on a thread of its own meets it.
for threads in 1 3 8; do
  bash -c "ulimit -f 64; exec '$render' --size 1500x1500 --background-color 11 --ticks 2 \
    --threads $threads --frames '$dir/limited' --animation '$dir/limited.webp' \
    -o '$dir/limited.png'" 2>"$dir/err"
  rc=$?
  check "a file size limit at $threads threads: exit 1 (was $rc)" test "$rc" -eq 1
  check "a file size limit at $threads threads: says so" one_line_error "File too large"
  check "a file size limit at $threads threads: nothing left" \
    test -z "$(find "$dir" -name 'limited*')"
done
bash -c "ulimit -f 64; exec '$render' --size 1500x1500 --background-color 11 -o '$dir/limited.png'" 2>"$dir/err"
check "a file size limit on the picture alone: exit 1" test $? -eq 1
check "and no temporary file" no_temporaries

# Interrupted at any point, on any number of threads, by any of the three
# signals: the run takes back what it made (temporary files, the frames it
# created, the directory it made), leaves -o and --animation as they were,
# says so in one line and ends by the signal.
for signal in INT TERM HUP; do
  for threads in 1 3 8; do
    # Afresh, so that the frames waited for are this run's.
    rm -rf "$dir/sig" && mkdir "$dir/sig" && echo old >"$dir/sig/last.png"
    env --default-signal "$render" --threads "$threads" --ticks 1000 --time 0 --size 800x600 \
      --frames "$dir/sig/d" --animation "$dir/sig/a.webp" -o "$dir/sig/last.png" 2>"$dir/err" &
    pid=$!
    at="SIG$signal at $threads threads"
    check "$at: the run wrote three frames in time" wait_until 30 test -e "$dir/sig/d/tick-03.png"
    kill -"$signal" $pid
    wait $pid
    rc=$?
    want=$((128 + $(kill -l "$signal")))
    check "$at: status $want (was $rc)" test "$rc" -eq "$want"
    check "$at: says so in one line" one_line_error "stopped by SIG$signal"
    check "$at: leaves the old picture alone: $(ls -A "$dir/sig" | tr '\n' ' ')" \
      test "$(ls -A "$dir/sig")" = last.png -a "$(cat "$dir/sig/last.png")" = old
  done
done
# A signal ignored when it starts stays ignored, as under nohup.
rm -rf "$dir/sig" && mkdir "$dir/sig"
bash -c "trap '' HUP; exec '$render' --ticks 40 --time 0 --size 400x300 --frames '$dir/sig/d' \
  -o '$dir/sig/nohup.png'" 2>"$dir/err" &
pid=$!
check "an ignored SIGHUP: the run started" wait_until 30 test -e "$dir/sig/d/tick-02.png"
kill -HUP $pid
wait $pid
check "an ignored SIGHUP: the run ends written (exit $?)" test -e "$dir/sig/d/tick-40.png" -a -e "$dir/sig/nohup.png"
rm -rf "$dir/sig"

# Standard output closed: -o - fails in one line rather than write into
# whatever file takes its number, and /dev/stdout into a pipe is written
# into as -o - is.
"$render" --ticks 3 --time 0 --size 200x150 --animation "$dir/closed.webp" -o - >&- 2>"$dir/err"
check "-o - with standard output closed: exit 1 (was $?)" test $? -eq 1
check "-o - with standard output closed: says so" one_line_error "standard output is closed"
check "-o - with standard output closed: no animation" test ! -e "$dir/closed.webp"
# And so does a path that leads to it: /dev/stdout is /dev/null only after
# the renderer put /dev/null in the closed stream's place.
"$render" --size 8x8 -o /dev/stdout >&- 2>"$dir/err"
check "-o /dev/stdout with standard output closed: exit 1 (was $?)" test $? -eq 1
check "-o /dev/stdout with standard output closed: says so" one_line_error "closed standard stream"
"$render" --size 64x48 --ticks 2 --time 7 -o /dev/stdout 2>"$dir/err" | cat >"$dir/piped.png"
check "/dev/stdout into a pipe: exit 0 (was ${PIPESTATUS[0]})" test "${PIPESTATUS[0]}" -eq 0
check "/dev/stdout into a pipe: the picture" cmp -s "$dir/piped.png" "$dir/want.png"

# Other users' links and files in sticky directories, as root and as
# nobody: a link is followed where the kernel follows one for a plain >,
# with fs.protected_symlinks=1 (set here and put back), and a file that
# the final rename could not replace fails the run before it renders.
as_user() {  # as_user USER COMMAND...: USER is root or nobody
  local user=$1; shift
  if [ "$user" = root ]; then "$@"; else setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; fi
}
if [ "$(id -u)" != 0 ]; then
  skip "other users' links and files: needs root, to set fs.protected_symlinks and be nobody"
elif ! was=$(cat /proc/sys/fs/protected_symlinks) || ! echo 1 >/proc/sys/fs/protected_symlinks 2>/dev/null; then
  skip "other users' links and files: fs.protected_symlinks cannot be set here"
else
  protected=$was
  chmod 755 "$dir"
  mkdir -m 1777 "$dir/sticky" "$dir/theirs" && chown nobody "$dir/theirs"
  mkdir -m 777 "$dir/open" "$dir/t"
  n=0
  while read -r user where owner; do
    n=$((n + 1))
    link=$dir/$where/l$n.png
    printf old >"$dir/t/$n" && chmod 666 "$dir/t/$n"
    ln -s "$dir/t/$n" "$link" && chown -h "$owner" "$link"
    if as_user "$user" stat -L "$link" >/dev/null 2>&1; then kernel=0; else kernel=1; fi
    as_user "$user" "$render" --size 8x8 -o "$link" 2>"$dir/err"
    rc=$?
    at="$user, through $owner's link in $where"
    check "$at: exit $kernel as the kernel's > (was $rc)" test "$rc" -eq "$kernel"
    if [ "$kernel" = 1 ]; then
      check "$at: says why" one_line_error "another user's link in a sticky directory"
      check "$at: the target untouched" test "$(cat "$dir/t/$n")" = old
    fi
  done <<'CASES'
root sticky nobody
root sticky root
root theirs nobody
root open nobody
nobody sticky root
nobody sticky 4242
nobody sticky nobody
CASES
  check "the kernel refused some of them" test -n "$(find "$dir/t" -size -4c)"
  # The same for the animation and the frames directory.
  ln -s "$dir/t/a.webp" "$dir/sticky/a.webp" && chown -h nobody "$dir/sticky/a.webp"
  ln -s "$dir/t" "$dir/sticky/frames" && chown -h nobody "$dir/sticky/frames"
  check "--animation through nobody's link: exit 1" \
    run 1 --size 8x8 --animation "$dir/sticky/a.webp" -o "$dir/x.png"
  check "--animation through nobody's link: nothing written" test ! -e "$dir/t/a.webp" -a ! -e "$dir/x.png"
  check "--frames through nobody's link: exit 1" \
    run 1 --size 8x8 --ticks 2 --frames "$dir/sticky/frames" -o "$dir/x.png"
  check "--frames through nobody's link: says why" one_line_error "another user's link"
  check "--frames through nobody's link: nothing written" test ! -e "$dir/t/tick-01.png" -a ! -e "$dir/x.png"
  # root's file, writable by all, which nobody may write but not replace.
  printf old >"$dir/sticky/root.png" && chmod 666 "$dir/sticky/root.png"
  as_user nobody timeout 20 "$render" --ticks 100000 -o "$dir/sticky/root.png" 2>"$dir/err"
  rc=$?
  check "nobody replacing root's file in a sticky directory: exit 1 at once (was $rc)" test "$rc" -eq 1
  check "and says why" one_line_error "another user's file in a sticky directory"
  check "and leaves it as it was" test "$(cat "$dir/sticky/root.png")" = old
  # The same for a frame, however far into the run it comes.
  printf old >"$dir/sticky/tick-50000.png" && chmod 666 "$dir/sticky/tick-50000.png"
  as_user nobody timeout 20 "$render" --size 400x300 --ticks 100000 --frames "$dir/sticky" \
    -o "$dir/t/frames.png" 2>"$dir/err"
  rc=$?
  check "nobody's frames over root's in a sticky directory: exit 1 at once (was $rc)" test "$rc" -eq 1
  check "and says which" one_line_error "tick-50000.png: it is another user's file"
  check "and writes no frame" test ! -e "$dir/sticky/tick-01.png"
  echo "$protected" >/proc/sys/fs/protected_symlinks && protected=""
fi

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
