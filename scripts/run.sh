#!/usr/bin/env bash
# run.sh [--demo|--calorset]
# Installs what is needed, builds only what it runs, and starts it against the camera simulator on
# 127.0.0.1: Calorvue showing the simulator's live "room" scene, with --calorset the device tool
# Calorset (which finds the simulated camera by discovery), or with --demo the SDK demonstration.
# Each step prints one line; the build shows its progress on one line on a terminal and prints a
# failure in full. scripts/test.sh builds everything else (tests, benchmarks).
# The start step alone is scripts/run-start.sh. The simulator is stopped however the script ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
jobs=${OSTREL_JOBS:-$(nproc)}
mode=calorvue
case ${1:-} in
  "") ;;
  --demo) mode=demo ;;
  --calorset) mode=calorset ;;
  *) echo "usage: $0 [--demo|--calorset]" >&2; exit 2 ;;
esac

# What each program needs built: the program, the plug-ins it loads and the simulator.
targets() {
  case $1 in
    calorvue) echo Calorvue Kiv ostrel-camsim ;;
    calorset) echo Calorset Kiv ostrel-camsim ;;
    demo) echo ostrel-demo ostrel-camsim ;;
  esac
}

# Runs a command with its output in a log file; on failure shows the log and stops.
quietly() {
  local log=$1
  shift
  if ! "$@" >"$log" 2>&1; then
    cat "$log" >&2
    echo "run: failed: $* (log $log)" >&2
    exit 1
  fi
}

# Builds the targets, every line into the log; progress on one line on a terminal, any other line
# (a warning, a failure) in full, but CMake's status lines when the build configures again.
build_targets() {
  local log=$1
  shift
  local tty=0
  [[ -t 1 ]] && tty=1
  set +e
  cmake --build "$build" -j "$jobs" --target "$@" 2>&1 | tee "$log" | {
    while IFS= read -r line; do
      if [[ $line =~ ^\[([0-9]+)/([0-9]+)\]\  ]]; then
        ((tty)) && printf '\r\033[Krun: building %s/%s' "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}"
      elif [[ $line != "ninja: no work to do." && $line != "-- "* ]]; then
        ((tty)) && printf '\r\033[K'
        printf '%s\n' "$line"
      fi
    done
    ((tty)) && printf '\r\033[K'
  }
  local rc=${PIPESTATUS[0]}
  set -e
  if [[ $rc -ne 0 ]]; then
    echo "run: the build failed (log $log)" >&2
    exit 1
  fi
}

"$root/scripts/install-deps.sh"
mkdir -p "$build"
# A configured folder configures itself again when a CMake file changed, inside the build.
if [[ -f $build/build.ninja ]]; then
  echo "run: $build is configured"
else
  echo "run: configuring $build"
  quietly "$build/configure.log" cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
read -ra wanted <<<"$(targets "$mode")"
echo "run: building ${wanted[*]} (log $build/build.log; the first build takes several minutes)"
start=$SECONDS
build_targets "$build/build.log" "${wanted[@]}"
echo "run: built in $((SECONDS - start)) s"

if [[ $mode != calorvue ]]; then
  exec "$root/scripts/run-start.sh" "--$mode" "$build"
fi
exec "$root/scripts/run-start.sh" "$build"
