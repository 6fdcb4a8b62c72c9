#!/usr/bin/env bash
# run-calorvue.sh <Calorvue program> <address> [scene]
# Starts the camera simulator on <address> showing [scene] ("room" unless named), writes a
# workspace with one live camera module for it (and, when absent, the camera's view record with one
# rectangle item, and English settings on a first run), runs Calorvue with that workspace and
# stops the simulator when Calorvue ends.
# Exits with Calorvue's exit code.
set -euo pipefail
if [[ $# -lt 2 || $# -gt 3 ]]; then
  echo "usage: $0 <Calorvue program> <address> [spots|room]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
program=$(readlink -f "$1")
address=$2
scene=${3:-room}
camsim=${OSTREL_CAMSIM:-$root/build/tools/camsim/ostrel-camsim}
progdir=$(dirname "$program")
# shellcheck source=camsim-lib.sh
source "$here/camsim-lib.sh"
python=/usr/bin/python3
[[ -x $python ]] || python=python3

sim_pid=""
guard_program run-calorvue

start_camsim "$camsim" "$address" --scene "$scene" || exit 1

confdir="$progdir/Calorvue-Config"
mkdir -p "$confdir"
if [[ ! -e "$confdir/Device-CAMSIM-0001.conf" ]]; then
  "$python" "$here/write-device-conf.py" "$confdir/Device-CAMSIM-0001.conf" CAMSIM-0001
fi

# A first run speaks English; a language the user has chosen since (the settings file) is kept.
if [[ ! -e "$confdir/AppConfig.bin" ]]; then
  "$python" "$here/write-app-config.py" "$confdir/AppConfig.bin" 1 "$progdir/Calorvue-Data"
fi

# The program points Qt Quick Controls at this file; it names the style Qt picks on Linux anyway.
if [[ ! -e "$confdir/qtquickcontrols2.conf" ]]; then
  printf '[Controls]\nStyle=Fusion\n' >"$confdir/qtquickcontrols2.conf"
fi

workspace="$confdir/live-$address.workspace"
empty_frame() {
  printf '                <frame viewIndex="%s" moduleSelected="-1">\n                    <modules/>\n                </frame>\n' "$1"
}
{
  cat <<XML
<?xml version="1.0" encoding="UTF-8"?>
<workspace>
    <tabs tabSelected="0">
        <tab viewIndex="0" viewName="1" layoutType="0">
            <frames>
                <frame viewIndex="0" moduleSelected="0">
                    <modules>
                        <module moduleType="1" inputName="$address" viewName=" [$address]">
                            <moduleData></moduleData>
                        </module>
                    </modules>
                </frame>
XML
  empty_frame 1
  empty_frame 2
  empty_frame 3
  cat <<XML
            </frames>
        </tab>
    </tabs>
</workspace>
XML
} >"$workspace"

echo "run-calorvue: simulator $sim_pid on $address, workspace $workspace"
# The device list's refresh looks for cameras on this host's loopback only, where the
# simulator answers.
export OSTREL_DISCOVER_BROADCAST=127.255.255.255
run_program run-calorvue Calorvue "$program" "$workspace"
