#!/usr/bin/env bash
# run-start.sh [--demo] [--addr 127.0.0.N] [--program FILE] <build folder>
# The run command's last step, for a build folder that already holds what it runs:
#   (default)  Calorvue showing the camera simulator's "room" scene live (scripts/run-calorvue.sh);
#              --program runs another copy of Calorvue (its settings and logs live beside it).
#   --demo     the SDK demonstration (ostrel-demo) against the simulator.
# Without a display (DISPLAY unset) Calorvue runs under xvfb-run and a screenshot of the screen is
# written every few seconds to a file whose path is printed. Exits with the program's exit code.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
usage() {
  echo "usage: $0 [--demo] [--addr 127.0.0.N] [--program FILE] <build folder>" >&2
  exit 2
}
mode=calorvue
address=127.0.0.1
program=""
build=""
while [[ $# -gt 0 ]]; do
  case $1 in
    --demo) mode=demo ;;
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

# Qt wants a private runtime folder; without a session (a server, a container) there is none.
if [[ -z ${XDG_RUNTIME_DIR:-} ]]; then
  XDG_RUNTIME_DIR=$(mktemp -d "${TMPDIR:-/tmp}/runtime-$(id -u)-XXXXXX")
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi

start_calorvue() {
  local prog=${program:-$build/workstation/Calorvue}
  local logs
  logs=$(dirname "$(readlink -f "$prog")")/Calorvue-Log
  echo "run: Calorvue on the simulator at $address; its log is in $logs"
  if [[ -n ${DISPLAY:-} ]]; then
    "$here/run-calorvue.sh" "$prog" "$address" room
    return
  fi
  mkdir -p "$logs"
  echo "run: no display (DISPLAY is not set): running under Xvfb; a screenshot every ${shot_seconds} s goes to $logs/screen.png"
  xvfb-run -a -s "-screen 0 1600x1000x24" \
    "$here/with-screenshots.sh" "$logs/screen.png" "$shot_seconds" "$here/run-calorvue.sh" "$prog" "$address" room
}

start_demo() {
  local sim_pid=""
  stop_sim() {
    if [[ -n $sim_pid ]] && kill -0 "$sim_pid" 2>/dev/null; then
      kill "$sim_pid" 2>/dev/null || true
      wait "$sim_pid" 2>/dev/null || true
    fi
  }
  trap stop_sim RETURN INT TERM
  "$OSTREL_CAMSIM" --addr "$address" &
  sim_pid=$!
  # Wait until the simulator listens on its command port (at most about 5 s).
  for _ in $(seq 50); do
    if (exec 3<>"/dev/tcp/$address/55502") 2>/dev/null; then break; fi
    kill -0 "$sim_pid" 2>/dev/null || { echo "ostrel-camsim did not start" >&2; return 1; }
    sleep 0.1
  done
  # The port may answer for another program: make sure it is ours that listens.
  sleep 0.2
  kill -0 "$sim_pid" 2>/dev/null || { echo "ostrel-camsim did not start" >&2; return 1; }
  "$build/tools/demo/ostrel-demo" "$address"
}

"start_$mode"
