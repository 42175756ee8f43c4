#!/usr/bin/env python3
"""Splits a profile from `bench/cpu_usage.sh --perf FILE` by thread: CPU
samples and context switches, and how many of each have the umockdev preload
library on their call stack (the mocked device's own cost, which a real hidraw
node does not have).

    bench/perf_split.py FILE SECONDS
"""
import collections
import subprocess
import sys


def events(path):
    out = subprocess.run(["perf", "script", "-i", path, "-F", "comm,tid,event,ip,sym,dso"],
                         capture_output=True, text=True, check=True).stdout
    for block in out.split("\n\n"):
        lines = [line for line in block.strip().split("\n") if line.strip()]
        if not lines:
            continue
        head = lines[0]
        kind = "switch" if "sched_switch" in head else "cpu"
        fields = head.split()
        thread = f"{fields[0]} {fields[1]}" # name and thread id
        yield thread, kind, any("umockdev" in line for line in lines[1:])


def main():
    path, seconds = sys.argv[1], float(sys.argv[2])
    counts = collections.defaultdict(collections.Counter)
    for thread, kind, mocked in events(path):
        counts[thread][kind] += 1
        if mocked:
            counts[thread][kind + " umockdev"] += 1
    total = collections.Counter()
    print(f"{'thread':32} {'cpu ms/s':>9} {'of it umockdev':>15} {'switches/s':>11} {'of them umockdev':>17}")
    for thread, c in sorted(counts.items(), key=lambda kv: -kv[1]["switch"]):
        total.update(c)
        print(f"{thread:32} {c['cpu'] / seconds:9.2f} {c['cpu umockdev'] / seconds:15.2f} "
              f"{c['switch'] / seconds:11.1f} {c['switch umockdev'] / seconds:17.1f}")
    print(f"{'all':32} {total['cpu'] / seconds:9.2f} {total['cpu umockdev'] / seconds:15.2f} "
          f"{total['switch'] / seconds:11.1f} {total['switch umockdev'] / seconds:17.1f}")


main()
