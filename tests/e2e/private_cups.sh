# A private CUPS scheduler for tests, sourced by the test scripts.
#
#   cups_start <work folder> <queue>   starts cupsd on a free loopback port with
#                                      its configuration, spool, cache, state and
#                                      logs under the work folder, adds two cups-pdf
#                                      queues writing into <work folder>/out,
#                                      <queue> and <queue>-gs (CUPS_QUEUE and
#                                      CUPS_QUEUE_GS), and exports CUPS_SERVER
#   cups_stop                          stops the scheduler and everything it ran
#
# The first queue converts with pdftocairo rather than Ghostscript: Ghostscript
# turns the embedded TrueType fonts into Type 3 fonts whose text no longer reads
# back (pdftotext gives symbols), although the pages look the same. The -gs
# queue keeps cups-filters' own choice, as a freshly installed printer has it.
#
# cupsd runs in a session of its own; cups_stop ends that whole session, and a
# watchdog does the same should the calling script die without cleaning up.
# cups-pdf reads its settings for a queue whose device is cups-pdf:/<name> from
# /etc/cups/cups-pdf-<name>.conf (the only place it looks); that file is made
# for the run and removed again by cups_stop.

# A work folder for a test that starts a scheduler, in `work`, and `status`
# (1 until the test sets 0); at the end the scheduler stops (its logs shown
# when the test failed) and the folder goes.
cups_test_folder() {
  work=$(mktemp -d "/tmp/$1.XXXXXX") || exit 1
  status=1
  trap 'cups_stop; if [ "$status" -ne 0 ] && [ -n "${CUPS_WORK:-}" ]; then cups_logs; fi; rm -rf "$work"' EXIT
  trap 'exit 1' INT TERM HUP
}

cups_fail() {
  echo "private cups: $*" >&2
  exit 1
}

cups_check_tools() {
  if [ "$(id -u)" -ne 0 ]; then
    cups_fail "needs root: cupsd only runs the cups-pdf backend (mode 0700, owner root) as root"
  fi
  local tool
  for tool in cupsd lpadmin lpstat setsid; do
    command -v "$tool" >/dev/null 2>&1 ||
      cups_fail "$tool is missing (scripts/setup.sh installs cups, cups-daemon, cups-client)"
  done
  [ -x /usr/lib/cups/backend/cups-pdf ] ||
    cups_fail "the cups-pdf backend is missing (scripts/setup.sh installs printer-driver-cups-pdf)"
  [ -f /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd ] ||
    cups_fail "the cups-pdf driver file CUPS-PDF_opt.ppd is missing"
  [ -d /etc/cups ] || cups_fail "/etc/cups is missing (cups-pdf reads its settings there)"
}

cups_port_in_use() {
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

cups_write_config() {
  local port=$1
  cat >"$CUPS_WORK/conf/cups-files.conf" <<EOF
User lp
Group lp
SystemGroup root
ServerRoot $CUPS_WORK/conf
RequestRoot $CUPS_WORK/spool
CacheDir $CUPS_WORK/cache
StateDir $CUPS_WORK/state
TempDir $CUPS_WORK/tmp
ErrorLog $CUPS_WORK/logs/error_log
AccessLog $CUPS_WORK/logs/access_log
PageLog $CUPS_WORK/logs/page_log
Printcap $CUPS_WORK/printcap
FileDevice No
EOF
  cat >"$CUPS_WORK/conf/cupsd.conf" <<EOF
LogLevel info
Listen 127.0.0.1:$port
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow from 127.0.0.1
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
}

cups_start() {
  CUPS_WORK=$1
  CUPS_QUEUE=$2
  CUPS_QUEUE_GS=$2-gs
  CUPS_PID=
  CUPS_PDF_CONF=/etc/cups/cups-pdf-$CUPS_QUEUE.conf
  cups_check_tools
  [ ! -e "$CUPS_PDF_CONF" ] || cups_fail "$CUPS_PDF_CONF exists already"

  mkdir -p "$CUPS_WORK"/{conf,spool,cache,state,tmp,logs,out,pdfspool} ||
    cups_fail "cannot make the folders under $CUPS_WORK"
  # The scheduler drops to lp for filters: the folders must be reachable.
  chmod 755 "$CUPS_WORK"
  chmod 1777 "$CUPS_WORK/tmp" "$CUPS_WORK/out" "$CUPS_WORK/pdfspool"
  cat >"$CUPS_PDF_CONF" <<EOF || cups_fail "cannot write $CUPS_PDF_CONF"
Out $CUPS_WORK/out
AnonDirName $CUPS_WORK/out
Spool $CUPS_WORK/pdfspool
Log $CUPS_WORK/logs
Label 2
EOF

  # Watchdog, in a session of its own so that nothing aimed at the caller's
  # process group reaches it: once the calling script is gone, it ends the
  # scheduler's session and removes the cups-pdf settings and the work folder.
  setsid bash -c '
    while kill -0 "$1" 2>/dev/null; do sleep 1; done
    if [ -f "$2/cupsd.sid" ]; then kill -KILL -- "-$(cat "$2/cupsd.sid")"; fi
    rm -f "$3"
    rm -rf "$2"' watchdog "$$" "$CUPS_WORK" "$CUPS_PDF_CONF" >/dev/null 2>&1 </dev/null &
  CUPS_WATCHDOG=$!

  local attempt port i
  for attempt in 1 2 3 4 5 6 7 8; do
    port=$((20000 + RANDOM % 40000))
    if cups_port_in_use "$port"; then continue; fi
    cups_write_config "$port"
    # Started from a non-interactive shell the background child is no process
    # group leader, so setsid makes cupsd itself the leader of a new session.
    setsid cupsd -f -c "$CUPS_WORK/conf/cupsd.conf" -s "$CUPS_WORK/conf/cups-files.conf" \
      >>"$CUPS_WORK/logs/stdout" 2>&1 </dev/null &
    CUPS_PID=$!
    echo "$CUPS_PID" >"$CUPS_WORK/cupsd.sid"
    for i in $(seq 100); do
      kill -0 "$CUPS_PID" 2>/dev/null || break
      if lpstat -h "127.0.0.1:$port" -r >/dev/null 2>&1; then
        [ "$(cups_session_of "$CUPS_PID")" = "$CUPS_PID" ] ||
          cups_fail "cupsd did not start a session of its own"
        export CUPS_SERVER=127.0.0.1:$port
        # Right after its start the scheduler may still be reloading: try a
        # few times before giving up.
        local tries
        for tries in 1 2 3 4 5 6 7 8 9 10; do
          if lpadmin -h "$CUPS_SERVER" -p "$CUPS_QUEUE" -v "cups-pdf:/$CUPS_QUEUE" \
            -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd -o pdftops-renderer-default=pdftocairo \
            -E >>"$CUPS_WORK/logs/stdout" 2>&1 &&
            lpadmin -h "$CUPS_SERVER" -p "$CUPS_QUEUE_GS" -v "cups-pdf:/$CUPS_QUEUE" \
              -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd -E >>"$CUPS_WORK/logs/stdout" 2>&1; then
            return 0
          fi
          sleep 0.5
        done
        cups_fail "lpadmin could not add the queue $CUPS_QUEUE"
      fi
      sleep 0.1
    done
    # Not up (the port was taken meanwhile, or cupsd failed): try again.
    cups_kill_session
  done
  cups_logs
  cups_fail "cupsd did not start"
}

# The session id of a process, from /proc (procps need not be installed).
cups_session_of() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
  # Fields after the command name: state, parent, process group, session.
  set -- ${stat##*) }
  echo "$4"
}

cups_session_members() {
  local dir pid
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    [ "$(cups_session_of "$pid")" = "$1" ] && echo "$pid"
  done
}

cups_kill_session() {
  [ -n "${CUPS_PID:-}" ] || return 0
  local i
  kill -TERM -- "-$CUPS_PID" 2>/dev/null
  for i in $(seq 50); do
    kill -0 "$CUPS_PID" 2>/dev/null || break
    sleep 0.1
  done
  # Whatever is left of the session (cupsd, filters, backends) is killed.
  local pids
  pids=$(cups_session_members "$CUPS_PID")
  [ -z "$pids" ] || kill -KILL $pids 2>/dev/null
  wait "$CUPS_PID" 2>/dev/null
  rm -f "$CUPS_WORK/cupsd.sid"
  CUPS_PID=
}

cups_logs() {
  local f
  for f in "$CUPS_WORK"/logs/*; do
    [ -s "$f" ] || continue
    echo "---- $(basename "$f") (last lines)" >&2
    tail -n 40 "$f" >&2
  done
}

cups_stop() {
  cups_kill_session
  rm -f "${CUPS_PDF_CONF:-}"
  if [ -n "${CUPS_WATCHDOG:-}" ]; then
    kill -KILL "$CUPS_WATCHDOG" 2>/dev/null
    wait "$CUPS_WATCHDOG" 2>/dev/null
    CUPS_WATCHDOG=
  fi
}
