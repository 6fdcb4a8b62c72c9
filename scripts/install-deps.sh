#!/usr/bin/env bash
# Installs every Debian 12 package the build, the tests and the benchmarks need, printing one line
# (apt's own output goes to a log file, shown in full only when it fails).
# The lists live in scripts/deps/*.txt (one package a line, '#' starts a comment).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mapfile -t pkgs < <(cat "$here"/deps/*.txt | sed 's/#.*//' | awk 'NF {print $1}' | sort -u)
# One query for all of them: a package dpkg does not know is simply missing from the answer.
mapfile -t installed < <(dpkg-query -W -f='${Package} ${Status}\n' "${pkgs[@]}" 2>/dev/null |
  awk '$NF == "installed" && $(NF-1) == "ok" {sub(/:.*/, "", $1); print $1}')
missing=()
for p in "${pkgs[@]}"; do
  [[ " ${installed[*]} " == *" $p "* ]] || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#pkgs[@]} packages present"
  exit 0
fi
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
log=$(mktemp "${TMPDIR:-/tmp}/install-deps-XXXXXX.log")
echo "install-deps: installing ${#missing[@]} packages (log $log)"
if ! { $SUDO apt-get update -qq &&
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"; } \
  >"$log" 2>&1; then
  cat "$log" >&2
  echo "install-deps: apt-get failed (log $log)" >&2
  exit 1
fi
