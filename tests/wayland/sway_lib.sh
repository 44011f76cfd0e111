# The helpers of the Wayland tests: a headless sway of the test's own, run
# as an unprivileged user (sway refuses root), with its own runtime
# directory and scratch folder; programs run as that user against it;
# screenshots of one output. Source it after check_lib.sh, with the
# programs the user must run as arguments to sway_scratch.
#
# sway_scratch PROGRAM...: a scratch folder that user may read and write,
# with copies of the programs in $SWAY_BIN (so they run wherever the build
# lives), then the runtime directory (0700, the user's own).
sway_scratch() {
  SWAY_TMP=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-sway.XXXXXX")
  chmod 0755 "$SWAY_TMP"
  SWAY_BIN=$SWAY_TMP/bin
  mkdir -p "$SWAY_BIN" "$SWAY_TMP/run" "$SWAY_TMP/out"
  [ $# = 0 ] || cp "$@" "$SWAY_BIN/"
  chmod -R a+rX "$SWAY_BIN"
  chmod 0700 "$SWAY_TMP/run"
  chmod 1777 "$SWAY_TMP/out"
  SWAY_USER=$(id -un)
  if [ "$(id -u)" = 0 ]; then
    SWAY_USER=nobody
    chown "$SWAY_USER" "$SWAY_TMP/run"
  fi
  # The sanitizers' suppressions, where that user can read them.
  if [[ "${LSAN_OPTIONS:-}" =~ suppressions=([^:]*) ]]; then
    cp "${BASH_REMATCH[1]}" "$SWAY_BIN/lsan.supp"
    chmod a+r "$SWAY_BIN/lsan.supp"
    LSAN_OPTIONS=${LSAN_OPTIONS/${BASH_REMATCH[1]}/$SWAY_BIN/lsan.supp}
  fi
  CHECK_TMP=$SWAY_TMP
  SWAY_PID=""
}

# as_user COMMAND...: COMMAND as that user, with the compositor's
# environment and nothing else of ours; inside the root $SWAY_ROOT, when
# set (tests/lock/root_lib.sh).
as_user() {
  local env=(env -i PATH="$SWAY_BIN:/usr/bin:/bin" HOME="$SWAY_TMP"
    XDG_RUNTIME_DIR="$SWAY_TMP/run" WAYLAND_DISPLAY=wayland-1
    ASAN_OPTIONS="${ASAN_OPTIONS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}"
    UBSAN_OPTIONS="${UBSAN_OPTIONS:-}")
  local sock
  sock=$(ls "$SWAY_TMP"/run/sway-ipc.*.sock 2>/dev/null | head -n1)
  [ -n "$sock" ] && env+=(SWAYSOCK="$sock")
  if [ -n "${SWAY_ROOT:-}" ]; then
    chroot "$SWAY_ROOT" runuser -u "$SWAY_USER" -- "${env[@]}" "$@"
  elif [ "$SWAY_USER" = "$(id -un)" ]; then
    "${env[@]}" "$@"
  else
    runuser -u "$SWAY_USER" -- "${env[@]}" "$@"
  fi
}

# spawn NAME COMMAND...: COMMAND as that user in the background. $! is
# the process to wait for, for its exit code; its own pid, to signal, is
# in $SWAY_TMP/out/NAME.pid once it runs (pid_of NAME).
spawn() {
  local name=$1
  shift
  rm -f "$SWAY_TMP/out/$name.pid"
  as_user sh -c 'echo $$ >"$0"; exec "$@"' "$SWAY_TMP/out/$name.pid" "$@" &
}
pid_of() {  # pid_of NAME: the pid spawn wrote; a line says so if none came
  local file=$SWAY_TMP/out/$1.pid
  if ! wait_until 30 grep -qx '[0-9][0-9]*' "$file" 2>/dev/null; then
    echo "$1 wrote no pid within 30 s" >&2
    return 1
  fi
  cat "$file"
}

# session_kill SIGNAL NAME...: the processes named NAME that run in this
# test's session (their XDG_RUNTIME_DIR is ours), and none of another
# test's that runs as the same user at the same time.
session_kill() {
  local sig=$1 p names
  shift
  names=$(IFS='|' && echo "$*")
  for p in $(pgrep -x "$names"); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null |
      grep -qxF "XDG_RUNTIME_DIR=$SWAY_TMP/run" && kill "-$sig" "$p" 2>/dev/null
  done
  true
}

# start_sway OUTPUTS [CONFIG LINES...]: sway headless with OUTPUTS outputs
# (HEADLESS-1 ...), rendering with pixman, without input devices; waits,
# bounded, until it answers on its IPC socket.
start_sway() {
  local outputs=$1
  shift
  printf '%s\n' "$@" >"$SWAY_TMP/config"
  # What a killed compositor left behind would name the wrong socket.
  rm -rf "${SWAY_TMP:?}"/run/*
  chmod a+r "$SWAY_TMP/config"
  spawn sway env WLR_BACKENDS=headless WLR_RENDERER=pixman \
    WLR_LIBINPUT_NO_DEVICES=1 WLR_HEADLESS_OUTPUTS="$outputs" \
    sway -c "$SWAY_TMP/config" >"$SWAY_TMP/sway.log" 2>&1
  SWAY_PID=$!
  wait_until 20 as_user swaymsg -t get_version >/dev/null 2>&1 || {
    echo "sway did not start:"
    tail -n 20 "$SWAY_TMP/sway.log"
    return 1
  }
}

stop_sway() {
  local pid
  pid=$(cat "$SWAY_TMP/out/sway.pid" 2>/dev/null || true)
  if [ -n "$pid" ]; then
    kill -CONT "$pid" 2>/dev/null || true
    kill -TERM "$pid" 2>/dev/null || true
  fi
  if [ -n "$SWAY_PID" ]; then
    # runuser, under the shell that spawned it, stops itself when its
    # child is stopped.
    pkill -CONT -P "$SWAY_PID" 2>/dev/null || true
    # Its status says how it was ended, not whether the caller did well.
    wait "$SWAY_PID" 2>/dev/null || true
  fi
  SWAY_PID=""
}

sway_cleanup() {
  stop_sway
  if [ -n "${SWAY_TMP:-}" ]; then rm -rf "$SWAY_TMP"; fi
}

# output_shows OUTPUT EXPECTED: a screenshot of OUTPUT equals EXPECTED.
output_shows() {
  rm -f "$SWAY_TMP/out/shot.png"
  as_user grim -o "$1" "$SWAY_TMP/out/shot.png" 2>/dev/null &&
    same_picture "$SWAY_TMP/out/shot.png" "$2"
}

# wait_outputs SECONDS OUTPUT EXPECTED...: before the deadline, each OUTPUT
# has shown its EXPECTED. Every output keeps its own clock and a picture
# lasts only until that output's next step, so the outputs are watched
# together and each is done with once seen; those never seen are named.
wait_outputs() {
  local seconds=$1
  shift
  OUTPUTS_AWAITED=("$@")
  wait_until "$seconds" outputs_awaited_shown && return 0
  echo "not seen: ${OUTPUTS_AWAITED[*]}"
  return 1
}
outputs_awaited_shown() {
  local i rest=()
  for ((i = 0; i < ${#OUTPUTS_AWAITED[@]}; i += 2)); do
    output_shows "${OUTPUTS_AWAITED[i]}" "${OUTPUTS_AWAITED[i + 1]}" ||
      rest+=("${OUTPUTS_AWAITED[i]}" "${OUTPUTS_AWAITED[i + 1]}")
  done
  OUTPUTS_AWAITED=("${rest[@]}")
  [ ${#rest[@]} = 0 ]
}

# gone_within SECONDS PID: the process has ended before the deadline.
gone_within() {
  local deadline=$(($(date +%s%N) + $1 * 1000000000))
  while kill -0 "$2" 2>/dev/null; do
    [ "$(date +%s%N)" -lt "$deadline" ] || return 1
    sleep 0.02
  done
}
