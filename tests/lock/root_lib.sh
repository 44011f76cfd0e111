# The helpers of the locker's tests: the Debian 13 root (debian13_root.sh)
# entered in a mount and PID namespace of the test's own, a test user with
# a known password in it, and sway_lib.sh's headless sway run as that user
# inside it. Sourcing it sources check_lib.sh and sway_lib.sh too; call
# root_enter "$@" first.
#
# The root's files are the cached root under an overlay whose writes go to
# a tmpfs: each test has a root of its own, and nothing it does reaches the
# cache or another test. /proc, /sys, /dev and /dev/pts are bound in, /tmp
# and /dev/shm are fresh tmpfs (without /dev/shm nothing in the root can
# make a buffer). The namespaces end with the test: every mount is undone
# and every process of the test is killed, whatever state it ends in.
# shellcheck source=tests/check_lib.sh
. "$(dirname "${BASH_SOURCE[0]}")/../check_lib.sh"
# shellcheck source=tests/wayland/sway_lib.sh
. "$(dirname "${BASH_SOURCE[0]}")/../wayland/sway_lib.sh"
ROOT_USER=diver
ROOT_UID=4242
ROOT_PASSWORD='Dive deep-42!'
ROOT=""
# The desktop's colour (swaybg's), and sway's over a session whose locker
# has gone: neither is a dive.
DESKTOP=204080 ABANDONED=FF0000
DESKTOP_CONFIG="output * bg #$DESKTOP solid_color"

# root_enter "$@": the test itself again, in namespaces of its own (pid 1
# of its PID namespace), with the root mounted at $ROOT; or, not run as
# root, a line that says why it is skipped and exit 77 (ctest's skip).
root_enter() {
  if [ "$(id -u)" != 0 ]; then
    echo "skipped: the Debian 13 root needs root, to build with mmdebstrap and to mount (CI runs as root)"
    exit 77
  fi
  if [ -z "${MANDELDIVE_IN_ROOT:-}" ]; then
    exec unshare --mount --propagation private --pid --fork --kill-child --mount-proc \
      env MANDELDIVE_IN_ROOT=1 bash "$0" "$@"
  fi
  local here base
  here=$(dirname "${BASH_SOURCE[0]}")
  base=$("$here/debian13_root.sh") || { echo "no Debian 13 root"; exit 1; }
  ROOT_TOP=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-root.XXXXXX")
  ROOT=$ROOT_TOP/root
  {
    mount -t tmpfs -o mode=0755 tmpfs "$ROOT_TOP" &&
      mkdir "$ROOT_TOP/upper" "$ROOT_TOP/work" "$ROOT" &&
      mount -t overlay overlay \
        -o "lowerdir=$base,upperdir=$ROOT_TOP/upper,workdir=$ROOT_TOP/work" "$ROOT" &&
      mount --bind /proc "$ROOT/proc" &&
      mount --bind /sys "$ROOT/sys" &&
      mount --bind /dev "$ROOT/dev" &&
      mount --bind /dev/pts "$ROOT/dev/pts" &&
      mount -t tmpfs -o mode=1777 tmpfs "$ROOT/tmp" &&
      mount -t tmpfs -o mode=1777 tmpfs "$ROOT/dev/shm"
  } || { echo "could not mount the Debian 13 root at $ROOT"; exit 1; }
  # The test user, and the locker's PAM service as the package installs it.
  chroot "$ROOT" useradd -m -u "$ROOT_UID" -s /bin/sh "$ROOT_USER" &&
    echo "$ROOT_USER:$ROOT_PASSWORD" | chroot "$ROOT" chpasswd &&
    cp "$here/../../packaging/linux/pam.d/mandeldive" "$ROOT/etc/pam.d/mandeldive" ||
    { echo "could not make the test user and its PAM service in the root"; exit 1; }
}

# root_scratch PROGRAM...: sway_scratch's folder, seen inside the root at
# the same path, the user the root's; the programs' sanitizer runtimes
# (the build machine's, as the compiler that built them wants) put where
# the root's loader finds them. Fails, saying what, when a program would
# miss a library in the root.
root_scratch() {
  sway_scratch "$@"
  mkdir -p "$ROOT$SWAY_TMP"
  mount --bind "$SWAY_TMP" "$ROOT$SWAY_TMP"
  SWAY_USER=$ROOT_USER SWAY_ROOT=$ROOT
  chown "$ROOT_UID" "$SWAY_TMP/run"
  local program lib missing
  for program in "$@"; do
    for lib in $(ldd "$program" | awk '/lib(asan|ubsan|lsan)\.so/ { print $3 }'); do
      cp -L "$lib" "$ROOT/usr/local/lib/"
    done
  done
  chroot "$ROOT" ldconfig
  for program in "$@"; do
    missing=$(chroot "$ROOT" ldd "$SWAY_BIN/$(basename "$program")" | grep 'not found')
    [ -z "$missing" ] || { echo "the root lacks, for $program: $missing"; return 1; }
  done
}

# root_cleanup: sway and the scratch folder; the namespaces take the rest.
root_cleanup() {
  sway_cleanup
  if [ -n "${ROOT_TOP:-}" ]; then
    umount -R -l "$ROOT_TOP" 2>/dev/null
    rmdir "$ROOT_TOP/" 2>/dev/null || true
  fi
}

# output_is OUTPUT RRGGBB: a screenshot of OUTPUT is that one colour.
output_is() {
  rm -f "$SWAY_TMP/out/shot.png"
  as_user grim -o "$1" "$SWAY_TMP/out/shot.png" 2>/dev/null &&
    [ "$(identify -format '%k %[hex:p{0,0}]' "$SWAY_TMP/out/shot.png")" = "1 $2" ]
}

# type_password WORDS: typed at the seat by a new virtual keyboard, then
# Return. The first key can race wtype's keymap and be lost, so it goes
# before a pause, and again after it: Escape clears what was typed before.
type_password() { as_user wtype -k Escape -s 300 -k Escape "$1" -k Return; }

# seat_keyboardless: the seat has no keyboard now (capability bit 2): what
# every wtype run that has ended leaves on a headless seat.
seat_keyboardless() {
  local caps
  caps=$(as_user swaymsg -r -t get_seats | sed -n 's/.*"capabilities": \([0-9]*\).*/\1/p')
  [ -n "$caps" ] && [ $((caps & 2)) = 0 ]
}

# output_overlaid OUTPUT EXPECTED: a screenshot of OUTPUT is EXPECTED but
# for a part of it (some pixels, under a quarter): something drawn over it.
output_overlaid() {
  local f=$SWAY_TMP/out/shot.png differing
  rm -f "$f"
  as_user grim -o "$1" "$f" 2>/dev/null || return 1
  differing=$(compare -metric AE "$f" "$2" null: 2>&1)
  [[ "$differing" =~ ^[0-9]+$ ]] && [ "$differing" -gt 0 ] &&
    [ "$differing" -lt $(($(identify -format '%w*%h' "$f") / 4)) ]
}

# secret_in_processes PID...: the password (or a string holding it) is in
# the argv or environment of one of PIDS.
secret_in_processes() {
  local p
  for p in "$@"; do
    grep -qaF -- "$ROOT_PASSWORD" "/proc/$p/cmdline" "/proc/$p/environ" && return 0
  done
  return 1
}

# running PID: the process exists and is no zombie.
running() { [ -n "$1" ] && ps -o stat= -p "$1" 2>/dev/null | grep -q '^[^Z]'; }

# never_desktop SECONDS OUTPUT...: for SECONDS, no screenshot of any OUTPUT
# is the desktop: the session stays locked.
never_desktop() {
  local deadline=$(($(date +%s%N) + $1 * 1000000000)) o
  shift
  while [ "$(date +%s%N)" -lt "$deadline" ]; do
    for o in "$@"; do
      output_is "$o" "$DESKTOP" && return 1
    done
    sleep 0.1
  done
  return 0
}

# daemon_locker: the locker that `--lock -f` left running, once its parent
# has gone: the `mandeldive --lock` adopted by pid 1 of the test's PID
# namespace, the test itself (its checker's parent is the locker).
daemon_locker() { pgrep -u "$ROOT_UID" -P 1 -r R,S,D,T -f '^mandeldive --lock'; }

# reap SECONDS PID WAITER: once PID has ended within SECONDS, the exit code
# of WAITER (the job that ran it) in $rc; otherwise rc says it still ran,
# PID is killed and reaped, and it fails: no wait goes unbounded.
reap() {
  if gone_within "$1" "$2"; then
    wait "$3"
    rc=$?
    return 0
  fi
  rc="still running after $1 s"
  kill -KILL "$2" 2>/dev/null
  wait "$3"
  return 1
}
