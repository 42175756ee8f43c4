#!/usr/bin/env bash
# Start-up to the first painted frame: the program's main window (with the
# simulated cable) against a bare QWidget of the same size, RUNS times each in
# turns (default 15); prints each one's median in milliseconds from the exec.
#
#   xvfb-run -a bench/startup.sh [RUNS]
set -euo pipefail
probe="$(dirname "$0")/../build/default/bench/startup_probe"
runs="${1:-15}"
window=() bare=()
for ((i = 0; i < runs; ++i)); do
  window+=("$(MX840_EXEC_NS=$(date +%s%N) exec "$probe")")
  bare+=("$(MX840_EXEC_NS=$(date +%s%N) exec "$probe" bare)")
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
w=$(median "${window[@]}")
b=$(median "${bare[@]}")
awk -v w="$w" -v b="$b" -v n="$runs" 'BEGIN { printf "main window %.1f ms, bare window %.1f ms (medians of %d): %.2fx\n", w, b, n, w / b }'
