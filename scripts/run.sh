#!/usr/bin/env bash
# Installs what is needed, builds, and runs the demonstration against the camera simulator.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j "$(nproc)"
"$root/build/tools/demo/ostrel-demo"
