# Sourced by the run scripts (bash).
# start_camsim <program> <address> [options...]: starts the camera simulator in the background,
# sets sim_pid, and returns 0 once it listens on its command port (at most about 10 s), else 1.
start_camsim() {
  local program=$1 address=$2
  shift 2
  "$program" --addr "$address" "$@" &
  sim_pid=$!
  for _ in $(seq 100); do
    if (exec 3<>"/dev/tcp/$address/55502") 2>/dev/null; then break; fi
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
  done
  # The port may answer for another program, and then ours ends at once: make sure it lives.
  sleep 0.2
  if ! kill -0 "$sim_pid" 2>/dev/null; then
    echo "ostrel-camsim did not start on $address" >&2
    return 1
  fi
}

# stop_camsim: stops the simulator start_camsim started, if it still runs.
stop_camsim() {
  if [[ -n ${sim_pid:-} ]] && kill -0 "$sim_pid" 2>/dev/null; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
}

# guard_program <label>: for a run script that runs one program beside the simulator. On exit the
# program (if it still runs) and then the simulator are stopped; a SIGINT or SIGTERM to the script
# ends the program the normal way, so that it can close its cameras and the script returns its code.
guard_program() {
  app_pid=""
  # shellcheck disable=SC2064  # the label is fixed now
  trap "stop_program_and_camsim '$1'" EXIT
  trap forward_to_program INT TERM
}

stop_program_and_camsim() {
  if [[ -n ${app_pid:-} ]] && kill -0 "$app_pid" 2>/dev/null; then
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
  fi
  stop_camsim
  echo "$1: simulator stopped"
}

forward_to_program() {
  if [[ -n ${app_pid:-} ]]; then kill -TERM "$app_pid" 2>/dev/null || true; fi
}

# run_program <label> <name> <program> [args...]: runs the program under guard_program's traps and
# exits the script with the program's exit code.
run_program() {
  local label=$1 name=$2 rc=0 again
  shift 2
  "$@" &
  app_pid=$!
  while :; do
    set +e; wait "$app_pid"; rc=$?; set -e
    # A trapped signal interrupts wait (status above 128) while the program may still run.
    kill -0 "$app_pid" 2>/dev/null || break
  done
  if (( rc > 128 )); then
    set +e; wait "$app_pid"; again=$?; set -e
    if [[ $again -ne 127 ]]; then rc=$again; fi
  fi
  app_pid=""
  echo "$label: $name exited with $rc"
  exit "$rc"
}
