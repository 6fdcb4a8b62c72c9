#!/usr/bin/env bash
# run-calorset.sh <Calorset program> <address>
# Starts the camera simulator on <address> answering discovery there, points the SDK's discovery
# at the loopback broadcast address, runs Calorset (which lists the camera by itself) and stops the
# simulator when Calorset ends. Exits with Calorset's exit code. OSTREL_CAMSIM_ARGS adds simulator
# options (for example "--observe FILE"). The simulator's calibration tables (memory blocks 3, 4, 5
# and 7) are seeded from tools/camsim/calib_blocks.py, so every editor has a table to show;
# OSTREL_CAMSIM_NONFINITE=1 seeds them and the XCali block with NaN and infinities in shown values.
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

seeds=$(mktemp -d)
nonfinite=()
[[ "${OSTREL_CAMSIM_NONFINITE:-0}" == 1 ]] && nonfinite=(--nonfinite)
python3 "$root/tools/camsim/calib_blocks.py" "$seeds" "${nonfinite[@]}"
# The XCali calibration block too, so that DeviceXCali has one to edit.
python3 "$root/tools/camsim/xcali_seed.py" "$seeds/block8.bin" "${nonfinite[@]}"
blocks=()
for b in 3 4 5 7 8; do blocks+=(--block "$b=$seeds/block$b.bin"); done
# The simulator has read its seeds once it listens.
start_camsim "$camsim" "$address" --discover "${blocks[@]}" "${extra[@]}" || { rm -rf "$seeds"; exit 1; }
rm -rf "$seeds"

# A first run shows English: without a settings file the program starts in Chinese, so write the
# program's default settings record with language 1 ("en_US"). A file already there is the user's.
config_dir="$(dirname "$program")/Calorset-Config"
if [[ ! -e "$config_dir/AppConfig.bin" ]]; then
  mkdir -p "$config_dir"
  python3 - "$config_dir/AppConfig.bin" "$(dirname "$program")/Calorset-Data" <<'EOF'
import struct, sys
path, save_dir = sys.argv[1], sys.argv[2].encode()
# magic, language, saveDir[1024], transType, chartFifoSize, chartUpdateInterval, displayFpsMax
record = struct.pack("<Ii1024siiii", 20240408, 1, save_dir[:1023], 0, 500, 1, 100)
assert len(record) == 1048
with open(path, "xb") as f:
    f.write(record)
EOF
fi

export OSTREL_DISCOVER_BROADCAST=127.255.255.255
echo "run-calorset: simulator $sim_pid on $address"
run_program run-calorset Calorset "$program"
