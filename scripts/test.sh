#!/usr/bin/env bash
# Installs what is needed, builds and passes every test lane:
#   1. normal build (RelWithDebInfo): every suite; discovery suites inside a private network namespace
#   2. AddressSanitizer + UndefinedBehaviorSanitizer build (halt on the first error): every suite again
#   3. ThreadSanitizer build: the suites labelled "tsan"
#   4. clang libFuzzer build: each fuzz target for a bounded time (OSTREL_FUZZ_SECONDS, default 30)
# OSTREL_LANES="normal asan" runs a subset.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
lanes=${OSTREL_LANES:-normal asan tsan fuzz}
fuzz_seconds=${OSTREL_FUZZ_SECONDS:-30}
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:halt_on_error=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}

"$root/scripts/install-deps.sh"

configure_and_build() {
  local dir=$1; shift
  cmake -S "$root" -B "$root/$dir" -G Ninja "$@" >/dev/null
  cmake --build "$root/$dir" -j "$jobs"
}

# Suites labelled "netns" broadcast: they run inside a private network namespace so nothing leaves
# this machine; where user namespaces are refused they run one at a time on plain loopback.
run_suites() {
  local dir=$1
  ctest --test-dir "$root/$dir" -LE 'netns|fuzz' -j "$jobs" --output-on-failure
  if ctest --test-dir "$root/$dir" -N -L netns | grep -q 'Total Tests: [1-9]'; then
    if unshare -rn true 2>/dev/null; then
      unshare -rn sh -c "ip link set lo up && ip route add default dev lo && \
        ctest --test-dir '$root/$dir' -L netns -j '$jobs' --output-on-failure"
    else
      ctest --test-dir "$root/$dir" -L netns -j 1 --output-on-failure
    fi
  fi
}

for lane in $lanes; do
  echo "=== lane: $lane"
  case $lane in
    normal)
      configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
      run_suites build ;;
    asan)
      configure_and_build build-asan -DCMAKE_BUILD_TYPE=Debug -DOSTREL_SANITIZE=ON -DOSTREL_BUILD_BENCH=OFF
      run_suites build-asan ;;
    tsan)
      configure_and_build build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOSTREL_TSAN=ON \
        -DOSTREL_BUILD_BENCH=OFF -DOSTREL_BUILD_QT=OFF
      ctest --test-dir "$root/build-tsan" -L tsan -j "$jobs" --output-on-failure ;;
    fuzz)
      CC=clang CXX=clang++ configure_and_build build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DOSTREL_FUZZ=ON -DOSTREL_FUZZ_SECONDS="$fuzz_seconds"
      ctest --test-dir "$root/build-fuzz" -L fuzz -j "$jobs" --output-on-failure ;;
    *) echo "unknown lane $lane" >&2; exit 2 ;;
  esac
done
echo "=== all lanes passed: $lanes"
