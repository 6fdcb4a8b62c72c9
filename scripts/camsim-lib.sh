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
