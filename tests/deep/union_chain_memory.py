#!/usr/bin/env python3
"""A chain of unions 200 deep over 200,000 rows must hold only a few results
at once: its peak memory stays within 3 times that of a single union.
Usage: union_chain_memory.py TABULON"""
import os
import subprocess
import sys
import tempfile

DEPTH = 200
ROWS = 200_000


def peak_rss_kib(binary, text, folder, name):
    path = os.path.join(folder, name + ".txt")
    with open(path, "w") as f:
        f.write(text)
    proc = subprocess.Popen([binary, path, os.path.join(folder, name + ".out")],
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    err = proc.stderr.read().decode(errors="replace")
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{name}: exit status {os.waitstatus_to_exitcode(status)}: {err}")
    return usage.ru_maxrss


def main():
    binary = sys.argv[1]
    relations = "R(id int, name char(12))\n" + "".join(f"{i},'row {i}'\n" for i in range(0, 2 * ROWS, 2))
    relations += "\nS(id int, name char(12))\n" + "".join(f"{i},'row {i}'\n" for i in range(1, 2 * DEPTH, 2))
    chain = "R"
    for _ in range(DEPTH):
        chain = f"union({chain}, S)"
    with tempfile.TemporaryDirectory() as folder:
        single = peak_rss_kib(binary, "union(R, S)\n" + relations, folder, "single")
        deep = peak_rss_kib(binary, chain + "\n" + relations, folder, "chain")
    print(f"peak RSS: single union {single} KiB, {DEPTH} deep {deep} KiB, ratio {deep / single:.2f}")
    if deep > 3 * single:
        sys.exit("the deep chain holds too many results at once")


if __name__ == "__main__":
    main()
