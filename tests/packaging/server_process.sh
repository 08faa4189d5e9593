# Servers started by the package tests, sourced by their helpers: waiting
# until one answers and stopping it by its process id. Needs `fail` from
# the sourcing script.

# Runs CHECK... every 0.2 s until it succeeds; fails when process PID has
# ended or after SECONDS. WHAT names the server in the message.
wait_for_server() {
  local pid=$1 what=$2 seconds=$3; shift 3
  for _ in $(seq $((seconds * 5))); do
    "$@" >/dev/null 2>&1 && return 0
    kill -0 "$pid" 2>/dev/null || fail "$what stopped at once"
    sleep 0.2
  done
  fail "$what did not answer within $seconds s"
}

# Asks process PID to end, gives it 30 s, then kills it; reaps it either way.
stop_server() {
  local pid=$1
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}
