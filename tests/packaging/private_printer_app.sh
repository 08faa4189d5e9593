# A k7730-printer-app server for one test, sourced by the test scripts: the
# program from the PATH, run as the service's user with the service's umask,
# on a free loopback port, its state, log and device folder under $work,
# stopped by its process id. Needs `fail`, $work and $app_user from the
# sourcing script.
# shellcheck source=tests/packaging/server_process.sh
source "$(dirname "${BASH_SOURCE[0]}")/server_process.sh"
app_pid=""
app_port=""

# Starts the server with control socket SOCKET (none: the service's is left
# alone). PAPPL also listens on the user's own socket in $TMPDIR, which is
# the state folder here, as the service's private /tmp is for the service.
start_printer_app() {
  app_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  chmod 0711 "$work"
  install -d -o "$app_user" -g "$app_user" -m 0700 "$work/app-state" "$work/app-out"
  (umask 077
   exec setpriv --reuid="$app_user" --regid="$app_user" --init-groups \
     env HOME="$work/app-state" TMPDIR="$work/app-state" \
     k7730-printer-app server -o server-port="$app_port" -o state-directory="$work/app-state" \
       -o server-socket="$1" -o log-file="$work/app-state/app.log") > "$work/app.out" 2>&1 &
  app_pid=$!
  wait_for_server "$app_pid" "k7730-printer-app (see $work/app.out)" 60 answers_on_port "$app_port"
}

answers_on_port() { (exec 3<>"/dev/tcp/127.0.0.1/$1"); }

stop_printer_app() {
  if [ -n "$app_pid" ]; then
    stop_server "$app_pid"
    app_pid=""
  fi
}

# Adds printer NAME writing its jobs to $work/app-out, with the program's own
# sub-command through the control socket.
add_app_printer() {
  k7730-printer-app add -d "$1" -m k7730 -v "file://$work/app-out" \
    || fail "k7730-printer-app add did not add $1"
}

# Prints FILE on printer NAME with ipptool and waits until the job has
# completed (the test file waits for any end, aborted included).
print_with_ipptool() {
  ipptool -tv -f "$2" "ipp://localhost:$app_port/ipp/print/$1" print-job-and-wait.test > "$work/ipptool.out" 2>&1 \
    || { cat "$work/ipptool.out" >&2; fail "ipptool could not print $2 on $1"; }
  grep -q "job-state (enum) = completed" "$work/ipptool.out" \
    || { cat "$work/ipptool.out" >&2; fail "the job printing $2 on $1 did not complete"; }
}
