#!/usr/bin/env bash
# with-screenshots.sh [--pid-file FILE] <picture file> <seconds> <command> [arguments...]
# Runs the command on the current X display (an Xvfb's, from xvfb-run) and, while it runs, writes
# a picture of the whole screen to <picture file> every <seconds>. The file is replaced whole, so a
# reader never sees half a picture. SIGINT or SIGTERM ends the command with SIGTERM; --pid-file
# names a file that gets this script's process id, for a caller in another session to signal it.
# Exits with the command's exit code.
set -uo pipefail
if [[ ${1:-} == --pid-file && $# -ge 2 ]]; then
  echo $$ >"$2"
  shift 2
fi
if [[ $# -lt 3 ]]; then
  echo "usage: $0 [--pid-file FILE] <picture file> <seconds> <command> [arguments...]" >&2
  exit 2
fi
shot=$1
seconds=$2
shift 2
next="$(dirname "$shot")/.$(basename "$shot" .png).next.png"
(
  while :; do
    if import -window root "$next" 2>/dev/null; then mv -f "$next" "$shot"; fi
    sleep "$seconds"
  done
) &
shooter=$!
cmd_pid=""
finish() {
  kill "$shooter" 2>/dev/null
  wait "$shooter" 2>/dev/null
  rm -f "$next"
}
trap finish EXIT
# A signal ends the command the normal way; its exit code is still returned.
trap '[[ -n $cmd_pid ]] && kill -TERM "$cmd_pid" 2>/dev/null' INT TERM
"$@" &
cmd_pid=$!
while :; do
  wait "$cmd_pid"
  rc=$?
  kill -0 "$cmd_pid" 2>/dev/null || break
done
# A trapped signal interrupts wait (status above 128) while the command may have ended since.
if (( rc > 128 )); then
  wait "$cmd_pid"
  again=$?
  [[ $again -ne 127 ]] && rc=$again
fi
exit "$rc"
