#!/usr/bin/env bash
# usage: xvfb-display.sh STATE_DIR RUN [-s "SERVER ARGS"] COMMAND [ARG...]
#
# Runs COMMAND under xvfb-run on an X display that no other test can hold at the same time.
# Each build folder owns the display numbers 1000 + RUN*200 ... +199 (RUN is the build folder's
# loopback run byte, 1..254, so two lanes or two checkouts never share a range), and hands them
# out in turn under a lock in STATE_DIR: a number comes back only after the other 199 were used,
# long after the test that had it ended, so a server that is going away can never remove the lock
# or socket of a new server on its number. Numbers whose lock or socket still exists (a server of
# some other program) are passed over. Before COMMAND starts, the server must answer a client.
set -euo pipefail
if [ $# -lt 3 ]; then
  echo "usage: xvfb-display.sh STATE_DIR RUN [-s \"SERVER ARGS\"] COMMAND [ARG...]" >&2
  exit 2
fi
state=$1
run=$2
shift 2
server_args="-screen 0 1280x1024x24"
if [ "${1:-}" = "-s" ]; then
  server_args=$2
  shift 2
fi
if ! [[ $run =~ ^[0-9]+$ ]] || [ "$run" -lt 1 ] || [ "$run" -gt 254 ]; then
  echo "xvfb-display: run byte must be 1..254, not '$run'" >&2
  exit 2
fi

range=200
base=$((1000 + run * range))
mkdir -p "$state"
display=""
{
  flock 9
  next=$(cat "$state/next" 2>/dev/null || true)
  [[ $next =~ ^[0-9]+$ ]] || next=0
  for ((i = 0; i < range; i++)); do
    k=$(((next + i) % range))
    d=$((base + k))
    if [ ! -e "/tmp/.X$d-lock" ] && [ ! -e "/tmp/.X11-unix/X$d" ]; then
      display=$d
      echo $(((k + 1) % range)) >"$state/next"
      break
    fi
  done
} 9>"$state/lock"
if [ -z "$display" ]; then
  echo "xvfb-display: every display of $base..$((base + range - 1)) is in use" >&2
  exit 1
fi

# xvfb-run returns once the server has said it is ready; the probe confirms that a client really
# gets through before the program under test starts.
exec xvfb-run -n "$display" -s "$server_args" bash -c '
  if ! xdpyinfo >/dev/null 2>&1; then
    echo "xvfb-display: the X server on $DISPLAY does not answer" >&2
    exit 1
  fi
  exec "$@"' xvfb-display "$@"
