#!/usr/bin/python3
"""Opening a table of a million rows and writing it out again, whole
processes timed in turns: mx840-log (--open TABLE --out FILE) against the
tool people would reach for, pandas (Debian's python3-pandas: read_csv with
tabs, every field as text, then to_csv). Prints each one's median wall time
and peak memory.

    bench/against_pandas.py [ROWS] [RUNS]     (defaults 1000000 and 5)

The table is written here in the program's text layout: a header line, then
No, Time, Value and Unit separated by tabs, lines ended by CR LF."""
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
MX840_LOG = os.path.join(HERE, "..", "build", "default", "app", "mx840-log")
PANDAS = """
import sys
import pandas
table = pandas.read_csv(sys.argv[1], sep="\\t", dtype=str, keep_default_na=False)
table.to_csv(sys.argv[2], sep="\\t", index=False)
"""


def make_table(path, rows):
    with open(path, "w", newline="") as table:
        table.write("No\tTime\tValue\tUnit\r\n")
        for i in range(1, rows + 1):
            table.write(f"{i}\t{9 + i // 3600 % 15:02d}:{i // 60 % 60:02d}:{i % 60:02d}\t{1000 + i % 9000}.{i % 10}\tRPM\r\n")


def timed(command):
    """Wall seconds and peak resident MiB of one whole process."""
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    seconds = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{command[0]} failed")
    return seconds, usage.ru_maxrss / 1024


def main():
    rows = int(sys.argv[1]) if len(sys.argv) > 1 else 1000000
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    with tempfile.TemporaryDirectory() as folder:
        table = os.path.join(folder, "big.xls")
        make_table(table, rows)
        ours = [MX840_LOG, "--open", table, "--out", os.path.join(folder, "ours.xls")]
        theirs = ["/usr/bin/python3", "-c", PANDAS, table, os.path.join(folder, "pandas.xls")]
        results = {"mx840-log": [], "pandas": []}
        for _ in range(runs):  # in turns, so that a busy moment hurts both
            results["mx840-log"].append(timed(ours))
            results["pandas"].append(timed(theirs))
        size = os.path.getsize(table) / 2**20
    print(f"{rows} rows ({size:.0f} MiB), medians of {runs} runs in turns:")
    medians = {}
    for name, runs_of in results.items():
        seconds = statistics.median(s for s, _ in runs_of)
        memory = statistics.median(m for _, m in runs_of)
        medians[name] = seconds
        print(f"  {name:10} {seconds:6.3f} s  {memory:6.0f} MiB")
    print(f"  mx840-log is {medians['pandas'] / medians['mx840-log']:.1f}x as fast")


main()
