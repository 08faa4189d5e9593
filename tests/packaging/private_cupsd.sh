# A cupsd for one test, sourced by the test scripts: its own socket (no
# network port), configuration, spool and logs under $work, the system's
# filters and PPD folders unless K7730_SERVERBIN names a program folder of
# the test's own. Needs root, `fail` and $work from the sourcing script.
# shellcheck source=tests/packaging/server_process.sh
source "$(dirname "${BASH_SOURCE[0]}")/server_process.sh"
cupsd_pid=""

start_cupsd() {
  mkdir -p "$work/etc" "$work/spool/tmp" "$work/cache" "$work/state" "$work/log" "$work/out"
  # The filters run as the CUPS user: they must reach the spool, and the
  # file device is written as that user too.
  chmod 755 "$work"
  chmod 777 "$work/out"
  {
    echo "ServerRoot $work/etc"
    echo "RequestRoot $work/spool"
    echo "TempDir $work/spool/tmp"
    echo "CacheDir $work/cache"
    echo "StateDir $work/state"
    echo "AccessLog $work/log/access_log"
    echo "ErrorLog $work/log/error_log"
    echo "PageLog $work/log/page_log"
    echo "FileDevice Yes"
    if [ -n "${K7730_SERVERBIN:-}" ]; then echo "ServerBin $K7730_SERVERBIN"; fi
  } > "$work/cups-files.conf"
  cat > "$work/cupsd.conf" <<CONF
Listen $work/cups.sock
LogLevel debug
Browsing No
WebInterface No
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  cupsd -f -c "$work/cupsd.conf" -s "$work/cups-files.conf" &
  cupsd_pid=$!
  export CUPS_SERVER="$work/cups.sock"
  wait_for_server "$cupsd_pid" "cupsd (see $work/log/error_log)" 10 scheduler_runs
}

# lpstat -r exits 0 whether the scheduler runs or not; only its words tell.
scheduler_runs() {
  [ "$(lpstat -r 2>/dev/null)" = "scheduler is running" ]
}

stop_cupsd() {
  if [ -n "$cupsd_pid" ]; then
    stop_server "$cupsd_pid"
    cupsd_pid=""
  fi
}

# Makes queue QUEUE from driver DRIVER (a name lpinfo -m lists), writing to
# $work/out/QUEUE.ras; a failing job is aborted rather than stopping it.
add_queue() {
  local queue=$1 driver=$2
  lpadmin -p "$queue" -E -v "file://$work/out/$queue.ras" -m "$driver" -o printer-error-policy=abort-job 2>&1 \
    | grep -v "Printer drivers are deprecated" || true
  lpstat -p "$queue" >/dev/null 2>&1 || fail "lpadmin -m $driver made no queue"
}

# Prints FILE on QUEUE with the lp options that follow and copies what the
# queue wrote to OUTPUT once cupsd has logged the job as completed.
print_job() {
  local queue=$1 file=$2 output=$3; shift 3
  local request id
  request=$(lp -d "$queue" "$@" "$file")
  id=$(sed -n "s/^request id is $queue-\([0-9]*\) .*/\1/p" <<<"$request")
  [ -n "$id" ] || fail "lp did not queue the job: $request"
  for _ in $(seq 600); do
    if grep -q "\[Job $id\] Job completed\." "$work/log/error_log"; then
      cp "$work/out/$queue.ras" "$output"
      return 0
    fi
    if grep -Eq "\[Job $id\] Job (stopped|aborted|canceled)" "$work/log/error_log"; then break; fi
    sleep 0.2
  done
  grep "\[Job $id\]" "$work/log/error_log" | grep -v "^d " | tail -n 20 >&2 || true
  fail "job $id on $queue ($*) did not complete"
}

# The driver names lpinfo -m gives the k7730fe PPDs: lsb/usr/k7730fe/k7730.ppd
# for the package's, lsb/local/... for one installed under /usr/local. The
# first listing builds
# cupsd's driver cache and now and then ends with "Bad file descriptor"
# while it does: asked again, it answers from the cache.
k7730_drivers() {
  local listing
  for _ in 1 2 3; do
    if listing=$(lpinfo -m 2>&1); then
      awk '/k7730fe\/k7730\.ppd/ {print $1}' <<<"$listing"
      return 0
    fi
    sleep 1
  done
  fail "lpinfo -m failed: $listing"
}
