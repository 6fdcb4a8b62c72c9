#!/usr/bin/env bash
# run-start.sh [--demo|--calorset] [--addr 127.0.0.N] [--program FILE] <build folder>
# The run command's last step, for a build folder that already holds what it runs:
#   (default)  Calorvue showing the camera simulator's "room" scene live (scripts/run-calorvue.sh);
#              --program runs another copy of the program (its settings and logs live beside it).
#   --calorset the device tool Calorset, which finds the simulator by discovery
#              (scripts/run-calorset.sh).
#   --demo     the SDK demonstration (ostrel-demo) against the simulator.
# Without a display (DISPLAY unset) the program runs under xvfb-run and a screenshot of the screen
# is written every few seconds to a file whose path is printed. Exits with the program's exit code.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
usage() {
  echo "usage: $0 [--demo|--calorset] [--addr 127.0.0.N] [--program FILE] <build folder>" >&2
  exit 2
}
mode=calorvue
address=127.0.0.1
program=""
build=""
while [[ $# -gt 0 ]]; do
  case $1 in
    --demo) mode=demo ;;
    --calorset) mode=calorset ;;
    --addr) [[ $# -ge 2 ]] || usage; address=$2; shift ;;
    --program) [[ $# -ge 2 ]] || usage; program=$2; shift ;;
    -*) usage ;;
    *) [[ -z $build ]] || usage; build=$1 ;;
  esac
  shift
done
[[ -n $build ]] || usage
build=$(cd "$build" && pwd)
export OSTREL_CAMSIM=${OSTREL_CAMSIM:-$build/tools/camsim/ostrel-camsim}
shot_seconds=3

# shellcheck source=camsim-lib.sh
source "$here/camsim-lib.sh"
made_runtime=""
cleanup() {
  stop_camsim
  if [[ -n $made_runtime ]]; then rm -rf "$made_runtime"; fi
}
trap cleanup EXIT
# Qt wants a private runtime folder; without a session (a server, a container) there is none.
if [[ -z ${XDG_RUNTIME_DIR:-} ]]; then
  made_runtime=$(mktemp -d "${TMPDIR:-/tmp}/runtime-$(id -u)-XXXXXX")
  export XDG_RUNTIME_DIR=$made_runtime
fi

# start_gui <name> <program> <runner and its arguments...>: the runner starts the simulator and
# the program; without a display both run inside Xvfb with screenshots.
start_gui() {
  local name=$1 prog=$2
  shift 2
  local logs
  logs=$(dirname "$(readlink -f "$prog")")/$name-Log
  echo "run: $name on the simulator at $address; its log is in $logs"
  if [[ -n ${DISPLAY:-} ]]; then
    "$@"
    return
  fi
  mkdir -p "$logs"
  echo "run: no display (DISPLAY is not set): running under Xvfb; a screenshot every ${shot_seconds} s goes to $logs/screen.png"
  # Xvfb ends on the terminal's Ctrl-C as well, which would take Calorvue's display away before
  # the program could close: the X session runs in a session of its own, and a signal here ends
  # the program first, through the screenshot script.
  local pidfile=$made_runtime/.with-screenshots.pid
  [[ -n $made_runtime ]] || pidfile=$(mktemp "${TMPDIR:-/tmp}/with-screenshots-XXXXXX.pid")
  setsid xvfb-run -a -s "-screen 0 1600x1000x24" \
    "$here/with-screenshots.sh" --pid-file "$pidfile" "$logs/screen.png" "$shot_seconds" "$@" &
  local xvfb_pid=$! rc=0
  trap 'if [[ -s $pidfile ]]; then kill -TERM "$(<"$pidfile")" 2>/dev/null; fi' INT TERM HUP
  while :; do
    wait "$xvfb_pid" && rc=0 || rc=$?
    kill -0 "$xvfb_pid" 2>/dev/null || break
  done
  # A trapped signal interrupts wait (status above 128) while the session may have ended since.
  if ((rc > 128)); then
    local again=0
    wait "$xvfb_pid" || again=$?
    [[ $again -ne 127 ]] && rc=$again
  fi
  rm -f "$pidfile"
  return "$rc"
}

start_calorvue() {
  local prog=${program:-$build/workstation/Calorvue}
  start_gui Calorvue "$prog" "$here/run-calorvue.sh" "$prog" "$address" room
}

start_calorset() {
  local prog=${program:-$build/devicetool/Calorset}
  start_gui Calorset "$prog" "$here/run-calorset.sh" "$prog" "$address"
}

start_demo() {
  start_camsim "$OSTREL_CAMSIM" "$address" || return 1
  "$build/tools/demo/ostrel-demo" "$address"
}

"start_$mode"
