#!/usr/bin/env bash
# CPU use of a running program, from its own CPU time (utime + stime in
# /proc/PID/stat), over a window of seconds after a short settling time.
#
#   bench/cpu_usage.sh [--perf FILE] [--connect | --disconnect] SECONDS -- COMMAND [ARG...]
#
# --connect clicks the window's CONNECT panel first; --disconnect clicks it
# twice, connecting then disconnecting (run under xvfb-run, with xdotool
# installed). Prints "cpu% of one core over N s" and how often the process
# woke: its threads' voluntary context switches per second; then the same
# for each thread, by name, so that one can see where the time goes.
# --perf FILE records the window with perf (CPU samples and context switches,
# with call stacks) for bench/perf_split.py, which tells our share from the
# mocking library's.
set -euo pipefail
perfFile=
if [ "${1:-}" = "--perf" ]; then perfFile=$2; shift 2; fi
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
# Per thread: id, name, CPU ticks and voluntary context switches.
threads() {
  for task in /proc/"$pid"/task/*; do
    [ -r "$task/stat" ] || continue
    printf '%s\t%s\t%s\t%s\n' "${task##*/}" "$(cat "$task/comm" 2>/dev/null)" \
      "$(sed 's/.*) //' "$task/stat" 2>/dev/null | awk '{print $12 + $13}')" \
      "$(awk '/^voluntary_ctxt_switches/ {print $2}' "$task/status" 2>/dev/null)"
  done
}
# Voluntary context switches by thread; a thread that ends within the window
# takes its count with it, one that starts counts from nothing.
switches() { grep -H '^voluntary_ctxt_switches' /proc/"$pid"/task/*/status 2>/dev/null | awk -F'[/:\t ]+' '{ print $5, $NF }'; }
hz=$(getconf CLK_TCK)
start=$(ticks)
before=$(switches)
threadsBefore=$(threads)
if [ -n "$perfFile" ]; then
  env -u LD_PRELOAD perf record -q -e cpu-clock/period=1000000/ -e sched:sched_switch --call-graph dwarf,16384 \
    -p "$pid" -o "$perfFile" -- sleep "$seconds" >/dev/null 2>&1
else
  sleep "$seconds"
fi
end=$(ticks)
threadsAfter=$(threads)
woke=$(awk 'NR == FNR { before[$1] = $2; next } { n += $2 - before[$1] } END { print n }' \
  <(printf '%s\n' "$before") <(switches))
awk -v t=$((end - start)) -v hz="$hz" -v s="$seconds" -v w="$woke" \
  'BEGIN { printf "%.2f%% of one core over %d s, %.1f wakeups/s\n", 100 * t / hz / s, s, w / s }'
awk -F'\t' -v hz="$hz" -v s="$seconds" '
  NR == FNR { cpu[$1] = $3; woke[$1] = $4; next }
  { printf "  %-16s %6.2f%%, %7.1f wakeups/s\n", $2, 100 * ($3 - cpu[$1]) / hz / s, ($4 - woke[$1]) / s }' \
  <(printf '%s\n' "$threadsBefore") <(printf '%s\n' "$threadsAfter")
