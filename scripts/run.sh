#!/usr/bin/env bash
# Installs what is needed, builds, and starts the camera simulator on 127.0.0.1 with Calorvue
# showing it live. With --demo it runs the SDK demonstration against the simulator instead; with
# --calorset the device tool Calorset, which finds the simulated camera by discovery.
# The simulator is stopped however the script ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j "$(nproc)"

if [[ "${1:-}" == "--calorset" ]]; then
  exec "$root/scripts/run-calorset.sh" "$root/build/devicetool/Calorset" 127.0.0.1
fi
if [[ "${1:-}" != "--demo" ]]; then
  exec "$root/scripts/run-calorvue.sh" "$root/build/workstation/Calorvue" 127.0.0.1
fi

sim_pid=""
cleanup() {
  if [[ -n "$sim_pid" ]] && kill -0 "$sim_pid" 2>/dev/null; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT INT TERM

"$root/build/tools/camsim/ostrel-camsim" --addr 127.0.0.1 &
sim_pid=$!
# Wait until the simulator listens on its command port (at most about 5 s).
for _ in $(seq 50); do
  if (exec 3<>/dev/tcp/127.0.0.1/55502) 2>/dev/null; then break; fi
  kill -0 "$sim_pid" 2>/dev/null || { echo "ostrel-camsim did not start" >&2; exit 1; }
  sleep 0.1
done
# The port may answer for another program: make sure it is ours that listens.
sleep 0.2
kill -0 "$sim_pid" 2>/dev/null || { echo "ostrel-camsim did not start" >&2; exit 1; }
"$root/build/tools/demo/ostrel-demo" 127.0.0.1
