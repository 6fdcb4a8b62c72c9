#!/usr/bin/env bash
# xvfb-run.sh [-a] [-s "SERVER ARGS"] COMMAND...
# Runs COMMAND on a private Xvfb, like `xvfb-run -a`, but the server takes the first free display
# number itself (-displayfd) instead of this script guessing one from the lock files: tests that
# start at the same moment can otherwise pick one number, and one of them finds no display.
set -u
server_args=()
while (($#)); do
  case $1 in
    -a) shift ;;
    -s) read -r -a server_args <<<"$2"; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
(($#)) || { echo "usage: $0 [-a] [-s \"server args\"] command..." >&2; exit 2; }

dir=$(mktemp -d) || exit 1
mkfifo "$dir/display"
Xvfb -displayfd 3 -nolisten tcp "${server_args[@]}" 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
server=$!
stop() {
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  rm -rf "$dir"
}
trap 'stop; exit 143' TERM
trap 'stop; exit 130' INT
# The server writes its display number once it accepts clients; nothing if it failed.
if ! read -r number <"$dir/display" || [[ -z $number ]]; then
  echo "xvfb-run.sh: Xvfb did not start:" >&2
  cat "$dir/xvfb.log" >&2
  stop
  exit 1
fi
DISPLAY=:$number "$@" &
child=$!
trap 'kill "$child" 2>/dev/null; wait "$child"; stop; exit 143' TERM
trap 'kill "$child" 2>/dev/null; wait "$child"; stop; exit 130' INT
wait "$child"
rc=$?
stop
exit "$rc"
