#!/usr/bin/env bash
# CPU use of a running program, from its own CPU time (utime + stime in
# /proc/PID/stat), over a window of seconds after a short settling time.
#
#   bench/cpu_usage.sh [--connect | --disconnect] SECONDS -- COMMAND [ARG...]
#
# --connect clicks the window's CONNECT panel first; --disconnect clicks it
# twice, connecting then disconnecting (run under xvfb-run, with xdotool
# installed). Prints "cpu% of one core over N s" and how often the process
# woke: its threads' voluntary context switches per second.
set -euo pipefail
connect=0
if [ "${1:-}" = "--connect" ]; then connect=1; shift; fi
if [ "${1:-}" = "--disconnect" ]; then connect=2; shift; fi
seconds=$1; shift
[ "$1" = "--" ] && shift

"$@" >/dev/null 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
sleep 3
if [ $connect -ge 1 ]; then
  wid=$(xdotool search --name "MX840 Interface" | head -1)
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  # CONNECT's centre: (534, 18) in the client area, below a 19-pixel menu bar
  for ((click = 0; click < connect; ++click)); do
    xdotool mousemove $((X + 534)) $((Y + 19 + 18)) click 1
    sleep 2
  done
fi
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
# Voluntary context switches by thread; a thread that ends within the window
# takes its count with it, one that starts counts from nothing.
switches() { grep -H '^voluntary_ctxt_switches' /proc/"$pid"/task/*/status 2>/dev/null | awk -F'[/:\t ]+' '{ print $5, $NF }'; }
hz=$(getconf CLK_TCK)
start=$(ticks)
before=$(switches)
sleep "$seconds"
end=$(ticks)
woke=$(awk 'NR == FNR { before[$1] = $2; next } { n += $2 - before[$1] } END { print n }' \
  <(printf '%s\n' "$before") <(switches))
awk -v t=$((end - start)) -v hz="$hz" -v s="$seconds" -v w="$woke" \
  'BEGIN { printf "%.2f%% of one core over %d s, %.1f wakeups/s\n", 100 * t / hz / s, s, w / s }'
