#!/usr/bin/env bash
# Sourced by run.sh --demo and screenshot.sh: starts a loopback POP3 server with the sample
# mailbox of scripts/demo/mailbox (Dovecot through kestrix-test-dovecot when it can run, else
# the project's small Python server) and writes a "demo" profile pointing at it into a fresh
# demo data folder. Sets DEMO_DIR, DEMO_PORT, DEMO_SERVER_PID and DEMO_PASSWORD; stop_demo
# stops the server again (by its PID).
#   needs: $build (the build folder, with kestrix-test-dovecot built)

demo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
DEMO_DIR=${DEMO_DIR:-$build/demo-data}
DEMO_USER=demo
DEMO_PASSWORD=${KESTRIX_DEMO_PASSWORD:-demo-pass}
DEMO_SERVER_PID=
DEMO_PORT=

crlf() { printf '%s\r\n' "$@"; }

wait_for_port() {  # file pid
  local i
  for i in $(seq 1 100); do
    DEMO_PORT=$(sed -n 's/^port=//p' "$1" | head -n 1)
    [ -n "$DEMO_PORT" ] && return 0
    kill -0 "$2" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

start_demo_server() {
  local out
  out=$(mktemp)
  if [ -x "$build/tests/support/kestrix-test-dovecot" ] && [ -x /usr/sbin/dovecot ]; then
    "$build/tests/support/kestrix-test-dovecot" --messages "$demo_root/mailbox" \
      --user "$DEMO_USER" --password "$DEMO_PASSWORD" > "$out" 2>&1 &
    DEMO_SERVER_PID=$!
    if wait_for_port "$out" "$DEMO_SERVER_PID"; then
      echo "demo: Dovecot on 127.0.0.1:$DEMO_PORT (pid $DEMO_SERVER_PID)"
      rm -f "$out"
      return 0
    fi
    echo "demo: Dovecot could not start here; using the project's own test server" >&2
    kill "$DEMO_SERVER_PID" 2>/dev/null || true
    wait "$DEMO_SERVER_PID" 2>/dev/null || true
  fi
  python3 "$demo_root/demo_pop3_server.py" "$demo_root/mailbox" "$DEMO_USER" "$DEMO_PASSWORD" \
    > "$out" 2>&1 &
  DEMO_SERVER_PID=$!
  if ! wait_for_port "$out" "$DEMO_SERVER_PID"; then
    cat "$out" >&2
    rm -f "$out"
    echo "demo: no POP3 server could be started" >&2
    return 1
  fi
  echo "demo: test server on 127.0.0.1:$DEMO_PORT (pid $DEMO_SERVER_PID)"
  rm -f "$out"
}

write_demo_profile() {
  rm -rf "$DEMO_DIR"
  mkdir -p "$DEMO_DIR"
  crlf default demo > "$DEMO_DIR/Kestrix.pro"
  printf 'demo' > "$DEMO_DIR/Kestrix.lpr"
  # The 29 settings lines: deleted count, host, port, user, notify limit, mail tool, resume
  # mark, 126, resume switch, hide on mail tool, three marks, tool parameters, two column
  # shares, tray action, mark copy, check interval (0: no automatic check), log on, check after
  # download, no update check, last check, window place and size, split, row height.
  crlf 12 127.0.0.1 "$DEMO_PORT" "$DEMO_USER" 20 "" -1 126 1 0 -1 -1 -1 "" 33 33 1 -1 0 1 1 0 "" \
       40 40 900 620 0.62 20 > "$DEMO_DIR/demo.ini"
  crlf "Anna Berg <anna@familyberg.example>" "Bike Club <news@bikeclub.example>" \
       > "$DEMO_DIR/demo.acc"
  printf 'pharma deals <deals@pills.example>\tcheap pills\r\nmail team <it@other.example>\tyour mailbox is full\r\n' \
       > "$DEMO_DIR/demo.log"
}

stop_demo() {
  if [ -n "$DEMO_SERVER_PID" ]; then
    kill "$DEMO_SERVER_PID" 2>/dev/null || true
    wait "$DEMO_SERVER_PID" 2>/dev/null || true
    DEMO_SERVER_PID=
  fi
}
