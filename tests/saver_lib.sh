# The helpers the saver tests source beside check_lib.sh: the saver under
# test and a helper window program, started in the background and ended
# with deadlines. The caller sets SAVER, HELPER and t (its scratch
# directory); start and start_helper set pid and helper.
pid="" helper=""

start() { "$SAVER" "$@" >"$t/out" 2>"$t/err" & pid=$!; }

# start_helper ARGS...: the helper's window id in $window. A helper that
# has printed no whole id within HELPER_SECONDS (60: the helper under qemu
# on a loaded machine) fails a check that says so, and start_helper fails:
# nothing goes on with an empty id.
HELPER_SECONDS=60
start_helper() {
  "$HELPER" "$@" >"$t/helper" &
  helper=$!
  window=""
  has_window_id() { grep -qx '[0-9][0-9]*' "$t/helper"; }
  check "the window helper prints its window id within $HELPER_SECONDS s" \
    wait_until "$HELPER_SECONDS" has_window_id
  has_window_id || return 1
  window=$(cat "$t/helper")
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }
gone() { ! kill -0 "$pid" 2>/dev/null; }

rc=""
ends_within_ms() {  # ends_within_ms MS: the saver ends in time; sets rc
  local deadline=$(($(now_ms) + $1))
  rc="still running"
  while [ "$(now_ms)" -lt $deadline ]; do
    if gone; then
      wait "$pid"
      rc=$?
      pid=""
      return 0
    fi
    sleep 0.02
  done
  return 1
}

ends_with() {  # ends_with SECONDS CODE: the saver ends in time with CODE
  ends_within_ms $(($1 * 1000)) && [ "$rc" -eq "$2" ]
}

stop_helper() {  # the helper's window goes away with it
  [ -n "$helper" ] && kill "$helper" 2>/dev/null && wait_for 10 "$helper" "the window helper"
  helper=""
}

stop_processes() {  # the saver and the helper, whatever state they are in
  [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
  [ -n "$helper" ] && kill "$helper" 2>/dev/null
  pid="" helper=""
}
