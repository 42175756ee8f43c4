#!/usr/bin/env bash
# Start-up to the first painted frame: the program's main window (with the
# simulated cable) against a bare QWidget of the same size, RUNS times each in
# turns (default 15); prints each one's median in milliseconds from the exec.
# The bare window runs twice: in the program's own binary (the libraries it
# loads counted on both sides) and in a binary that links Qt Widgets alone.
#
#   xvfb-run -a bench/startup.sh [RUNS]
set -euo pipefail
bin="$(dirname "$0")/../build/default/bench"
runs="${1:-15}"
window=() bare=() qtOnly=()
for ((i = 0; i < runs; ++i)); do
  window+=("$(MX840_EXEC_NS=$(date +%s%N) exec "$bin/startup_probe")")
  bare+=("$(MX840_EXEC_NS=$(date +%s%N) exec "$bin/startup_probe" bare)")
  qtOnly+=("$(MX840_EXEC_NS=$(date +%s%N) exec "$bin/startup_bare")")
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
w=$(median "${window[@]}")
b=$(median "${bare[@]}")
q=$(median "${qtOnly[@]}")
awk -v w="$w" -v b="$b" -v q="$q" -v n="$runs" 'BEGIN {
  printf "main window %.1f ms, bare window %.1f ms (medians of %d): %.2fx\n", w, b, n, w / b
  printf "bare window in a Qt Widgets-only binary %.1f ms: the main window takes %.2fx that\n", q, w / q }'
