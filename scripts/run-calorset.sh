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
# shellcheck source=camsim-lib.sh
source "$here/camsim-lib.sh"

sim_pid=""
guard_program run-calorset

# The simulated camera carries an XCali calibration block, so that DeviceXCali has one to edit.
xcali_block=$(mktemp "${TMPDIR:-/tmp}/xcali-block-XXXXXX")
python3 "$root/tools/camsim/xcali_seed.py" "$xcali_block"
start_camsim "$camsim" "$address" --discover --block 8="$xcali_block" "${extra[@]}" || exit 1
rm -f "$xcali_block"

export OSTREL_DISCOVER_BROADCAST=127.255.255.255
echo "run-calorset: simulator $sim_pid on $address"
run_program run-calorset Calorset "$program"
