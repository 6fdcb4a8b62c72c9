#!/usr/bin/env bash
# run-calorset.sh <Calorset program> <address>
# Starts the camera simulator on <address> answering discovery there, points the SDK's discovery
# at the loopback broadcast address, runs Calorset (which lists the camera by itself) and stops the
# simulator when Calorset ends. Exits with Calorset's exit code. OSTREL_CAMSIM_ARGS adds simulator
# options (for example "--observe FILE").
set -euo pipefail
if [[ $# -ne 2 ]]; then
  echo "usage: $0 <Calorset program> <address>" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
program=$(readlink -f "$1")
address=$2
camsim=${OSTREL_CAMSIM:-$root/build/tools/camsim/ostrel-camsim}
read -r -a extra <<<"${OSTREL_CAMSIM_ARGS:-}"

sim_pid=""
app_pid=""
cleanup() {
  if [[ -n "$app_pid" ]] && kill -0 "$app_pid" 2>/dev/null; then
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
  fi
  if [[ -n "$sim_pid" ]] && kill -0 "$sim_pid" 2>/dev/null; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  echo "run-calorset: simulator stopped"
}
trap cleanup EXIT
# A signal to the script ends Calorset the normal way (it logs out); the script returns its code.
forward() {
  if [[ -n "$app_pid" ]]; then kill -TERM "$app_pid" 2>/dev/null || true; fi
}
trap forward INT TERM

"$camsim" --addr "$address" --discover "${extra[@]}" &
sim_pid=$!
for _ in $(seq 100); do
  if (exec 3<>"/dev/tcp/$address/55502") 2>/dev/null; then break; fi
  kill -0 "$sim_pid" 2>/dev/null || { echo "ostrel-camsim did not start" >&2; exit 1; }
  sleep 0.1
done
kill -0 "$sim_pid" 2>/dev/null || { echo "ostrel-camsim did not start" >&2; exit 1; }

export OSTREL_DISCOVER_BROADCAST=127.255.255.255
echo "run-calorset: simulator $sim_pid on $address"
"$program" &
app_pid=$!
rc=0
while :; do
  set +e; wait "$app_pid"; rc=$?; set -e
  # A trapped signal interrupts wait (status above 128) while Calorset may still run.
  kill -0 "$app_pid" 2>/dev/null || break
done
if (( rc > 128 )); then
  set +e; wait "$app_pid"; again=$?; set -e
  [[ $again -ne 127 ]] && rc=$again
fi
app_pid=""
echo "run-calorset: Calorset exited with $rc"
exit "$rc"
