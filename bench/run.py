#!/usr/bin/env python3
"""Whole-process benchmark of tabulon against the sqlite3 shell.

For every operator and size it generates one valid input file (and the same
rows as CSV), runs tabulon and the sqlite3 shell doing the same work back to
back, checks that both produce the same result rows, and prints per operator
and size: the median wall times, their ratio, and tabulon's peak RSS.

Generated data lives outside the repository (default /tmp/bench-data).
"""

import argparse
import json
import math
import os
import platform
import random
import resource
import shutil
import statistics
import string
import subprocess
import sys
import tempfile
import time
from pathlib import Path

GENERATOR_VERSION = 2
OPERATORS = ["union", "minus", "product", "project", "select", "rename"]
DEFAULT_SIZES = [10**4, 10**5, 10**6]
LETTERS = string.ascii_lowercase

# Targets at the largest size.
TARGET_RATIO = 0.5
TARGET_GROWTH = 12.0
TARGET_BYTES_PER_VALUE = 64.0


# --------------------------------------------------------------------------
# Data


def random_word(rng, low, high):
    return "".join(rng.choices(LETTERS, k=rng.randint(low, high)))


def merge_operands(n, rng):
    """Two relations (grp int, name char(20), qty int) of n rows each, sorted,
    without repeated rows, sharing half of their rows. Sorting is by grp and
    then by name, so comparisons often reach the char column."""
    groups = max(1, n // 20)
    keys = set()
    while len(keys) < n * 3 // 2:
        keys.add((rng.randrange(groups), random_word(rng, 6, 20)))
    rows = sorted(keys)  # ASCII strings: Python order is byte order
    # Each row lands in A only, B only or both, a third each.
    labels = [0, 1, 2] * (len(rows) // 3) + [2] * (len(rows) % 3)
    rng.shuffle(labels)
    a, b = [], []
    for (grp, name), label in zip(rows, labels):
        row = (grp, name, rng.randrange(1000000))
        if label != 1:
            a.append(row)
        if label != 0:
            b.append(row)
    return a, b


def wide_relation(n, rng):
    """R(id int, city char(20), year int, amount int) sorted by id. city comes
    from n/100 names and year from 20 values, so projecting on (city, year)
    keeps about a fifth of the rows in an order unrelated to R's."""
    cities = [random_word(rng, 5, 20) for _ in range(max(1, n // 100))]
    rows = []
    ident = 0
    for _ in range(n):
        ident += rng.randint(1, 9)
        rows.append((ident, rng.choice(cities), 1990 + rng.randrange(20), rng.randrange(1000000)))
    return rows


def product_operands(n, rng):
    """A(id int, name char(20)) and B(code int, label char(20)) of sqrt(n)
    rows each, sorted, so that the product has about n rows."""
    m = max(1, round(math.sqrt(n)))

    def side():
        ids = sorted(rng.sample(range(10 * m + 10), m))
        return [(i, random_word(rng, 4, 20)) for i in ids]

    return side(), side()


def tabulon_relation(name, schema, rows):
    header = name + "(" + ", ".join(f"{col} {kind}" for col, kind, _ in schema) + ")\n"
    lines = []
    for row in rows:
        lines.append(",".join(f"'{v}'" if kind != "int" else str(v) for (_, kind, _), v in zip(schema, row)))
    return header + "\n".join(lines) + ("\n" if lines else "") + "\n"


def csv_lines(rows):
    return "".join(",".join(str(v) for v in row) + "\n" for row in rows)


MERGE_SCHEMA = [("grp", "int", "INT"), ("name", "char(20)", "CHAR(20)"), ("qty", "int", "INT")]
WIDE_SCHEMA = [("id", "int", "INT"), ("city", "char(20)", "CHAR(20)"), ("year", "int", "INT"),
               ("amount", "int", "INT")]
PRODUCT_A = [("id", "int", "INT"), ("name", "char(20)", "CHAR(20)")]
PRODUCT_B = [("code", "int", "INT"), ("label", "char(20)", "CHAR(20)")]


def cases_for(n, rng):
    """(op, command, relations, sql, result columns) per operator. relations:
    list of (name, schema, rows)."""
    a, b = merge_operands(n, rng)
    r = wide_relation(n, rng)
    pa, pb = product_operands(n, rng)
    merge = [("A", MERGE_SCHEMA, a), ("B", MERGE_SCHEMA, b)]
    wide = [("R", WIDE_SCHEMA, r)]
    return {
        "union": ("union(A, B)", merge, "SELECT * FROM A UNION SELECT * FROM B ORDER BY 1, 2, 3;", 3),
        "minus": ("minus(A, B)", merge, "SELECT * FROM A EXCEPT SELECT * FROM B ORDER BY 1, 2, 3;", 3),
        "product": ("product(A, B)", [("A", PRODUCT_A, pa), ("B", PRODUCT_B, pb)],
                    "SELECT * FROM A CROSS JOIN B;", 4),
        "project": ("project(R, city, year)", wide,
                    "SELECT DISTINCT city, year FROM R ORDER BY city, year;", 2),
        "select": ("select(R, AND(GTE(amount, '250000'), LT(amount, '750000')))", wide,
                   "SELECT * FROM R WHERE amount >= 250000 AND amount < 750000;", 4),
        "rename": ("rename(R, S(a, b, c, d))", wide, "SELECT * FROM R;", 4),
    }


def generate(root, n, seed):
    """Writes every case of size n under root/n; returns its metadata."""
    base = root / str(n)
    stamp = base / "meta.json"
    if stamp.exists():
        meta = json.loads(stamp.read_text())
        if meta.get("version") == GENERATOR_VERSION and meta.get("seed") == seed:
            return meta
    if base.exists():
        shutil.rmtree(base)
    base.mkdir(parents=True)
    rng = random.Random(seed * 1000003 + n)
    meta = {"version": GENERATOR_VERSION, "seed": seed, "cases": {}}
    written_csv = {}
    for op, (command, relations, sql, result_cols) in cases_for(n, rng).items():
        case = base / op
        case.mkdir()
        text = command + "\n\n" + "".join(tabulon_relation(name, schema, rows) for name, schema, rows in relations)
        (case / "input.txt").write_text(text)
        script = [".bail on"]
        for name, schema, rows in relations:
            key = (name, id(rows))
            if key not in written_csv:
                path = base / f"{op}-{name}.csv"
                path.write_text(csv_lines(rows))
                written_csv[key] = path
            cols = ", ".join(f"{col} {sqltype}" for col, _, sqltype in schema)
            script.append(f"CREATE TABLE {name}({cols});")
            script.append(f".import --csv {written_csv[key]} {name}")
        script += [".headers off", ".mode quote", f".once {base / op / 'sqlite-out.txt'}", sql, ""]
        (case / "script.sql").write_text("\n".join(script))
        meta["cases"][op] = {
            "input_bytes": len(text.encode()),
            "input_values": sum(len(rows) * len(schema) for _, schema, rows in relations),
            "result_cols": result_cols,
        }
    stamp.write_text(json.dumps(meta))
    return meta


# --------------------------------------------------------------------------
# Running


def timed(cmd, stdin=None):
    """Wall seconds, CPU seconds (user + system) and peak RSS (KiB) of one
    whole process."""
    with tempfile.NamedTemporaryFile(prefix="bench-rss-", delete=False) as rss_file:
        rss_path = rss_file.name
    try:
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        proc = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", rss_path] + cmd, stdin=stdin,
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        wall = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        if proc.returncode != 0:
            raise RuntimeError(f"{cmd[0]} failed ({proc.returncode}): {proc.stderr.decode(errors='replace')}")
        rss = int(Path(rss_path).read_text().split()[-1])
    finally:
        os.unlink(rss_path)
    return wall, cpu, rss


def run_tabulon(binary, case):
    return timed([binary, str(case / "input.txt"), str(case / "tabulon-out.txt")])


def explain_overhead(binary, root, sizes, ops, runs, seed, form):
    """Median wall and CPU time of tabulon with --explain out.FORM against the
    plain run, the two alternating; the ratio is what the explanation costs."""
    print(f"| operator | rows | plain (s) | --explain .{form} (s) | wall ratio | CPU ratio |")
    print("|---|---:|---:|---:|---:|---:|")
    for n in sizes:
        generate(root, n, seed)
        for op in ops:
            case = root / str(n) / op
            plain = [binary, str(case / "input.txt"), str(case / "tabulon-out.txt")]
            explained = [binary, "--explain", str(case / f"explain.{form}")] + plain[1:]
            timed(plain)
            timed(explained)
            times = {"plain": [], "explain": []}
            for i in range(runs or (5 if n >= 10**6 else 9)):
                order = [("plain", plain), ("explain", explained)]
                for tag, cmd in order if i % 2 == 0 else reversed(order):
                    times[tag].append(timed(cmd)[:2])
            wall = {tag: median([t[0] for t in ts]) for tag, ts in times.items()}
            cpu = {tag: median([t[1] for t in ts]) for tag, ts in times.items()}
            print(f"| {op} | {n:,} | {wall['plain']:.3f} | {wall['explain']:.3f} | "
                  f"{wall['explain'] / wall['plain']:.3f} | {cpu['explain'] / cpu['plain']:.3f} |")


def run_sqlite(binary, case):
    with open(case / "script.sql", "rb") as script:
        return timed([binary, "-batch", ":memory:"], stdin=script)


def tabulon_rows(case):
    """The result's row lines: everything after the copy of the input (which
    ends with an empty line) but the header line and the closing empty line."""
    copy = (case / "input.txt").read_bytes()
    out = (case / "tabulon-out.txt").read_bytes()
    if not out.startswith(copy):
        raise RuntimeError(f"{case}: the output does not begin with a copy of the input")
    lines = out[len(copy):].split(b"\n")
    if len(lines) < 3 or lines[-1] != b"" or lines[-2] != b"":
        raise RuntimeError(f"{case}: the result relation is not followed by an empty line")
    return lines[1:-2]


def sqlite_rows(case):
    text = (case / "sqlite-out.txt").read_bytes()
    return text.split(b"\n")[:-1] if text else []


def check(case):
    """Both sides' result rows: the counts must agree; so must the rows
    themselves, since both write ints bare and texts in single quotes."""
    ours = tabulon_rows(case)
    theirs = sqlite_rows(case)
    if len(ours) != len(theirs):
        raise RuntimeError(f"{case}: tabulon gives {len(ours)} rows, sqlite3 {len(theirs)}")
    return len(ours), ours == theirs


def median(values):
    return statistics.median(values)


def machine_notes():
    cpu = "unknown"
    try:
        for line in Path("/proc/cpuinfo").read_text().splitlines():
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    mem = ""
    try:
        kib = int(Path("/proc/meminfo").read_text().split()[1])
        mem = f", {kib / 1024 / 1024:.0f} GiB RAM"
    except (OSError, ValueError, IndexError):
        pass
    return f"{cpu}, {os.cpu_count()} cores{mem}, {platform.system()} {platform.release()}"


def busy_processes():
    """Processes using a noticeable share of a core right now, besides us."""
    try:
        out = subprocess.run(["ps", "-eo", "pcpu,comm", "--sort=-pcpu", "--no-headers"], capture_output=True,
                             text=True).stdout
    except OSError:
        return []
    busy = []
    for line in out.splitlines()[:8]:
        pcpu, _, comm = line.strip().partition(" ")
        try:
            if float(pcpu) >= 20 and comm.strip() not in ("ps", "python3"):
                busy.append(f"{comm.strip()} {float(pcpu):.0f}%")
        except ValueError:
            pass
    return busy


def parse_sizes(text):
    return [int(float(s)) for s in text.split(",")]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    here = Path(__file__).resolve().parent
    parser.add_argument("--tabulon", default=str(here.parent / "build/default/tabulon"))
    parser.add_argument("--sqlite", default=shutil.which("sqlite3") or "/usr/bin/sqlite3")
    parser.add_argument("--data", default="/tmp/bench-data", help="where inputs and outputs go")
    parser.add_argument("--sizes", type=parse_sizes, default=DEFAULT_SIZES, help="e.g. 1e4,1e5,1e6")
    parser.add_argument("--ops", default=",".join(OPERATORS))
    parser.add_argument("--runs", type=int, default=0, help="timed runs per side (default 5, 3 at 1e6 and above)")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--json", help="also write the measurements here")
    parser.add_argument("--explain", metavar="FORM", choices=["txt", "json", "dot", "sql"],
                        help="instead of sqlite3, time tabulon --explain out.FORM against the plain run")
    args = parser.parse_args()

    ops = [op for op in args.ops.split(",") if op]
    unknown = set(ops) - set(OPERATORS)
    if unknown:
        parser.error(f"unknown operators: {', '.join(sorted(unknown))}")
    for binary in (args.tabulon, args.sqlite):
        if not os.access(binary, os.X_OK):
            parser.error(f"not an executable: {binary}")

    root = Path(args.data)
    if args.explain:
        explain_overhead(args.tabulon, root, args.sizes, ops, args.runs, args.seed, args.explain)
        return 0
    sqlite_version = subprocess.run([args.sqlite, "-version"], capture_output=True, text=True).stdout.split()[0]
    print(f"machine: {machine_notes()}")
    print(f"tabulon: {args.tabulon}; sqlite3 {sqlite_version} (in-memory database)")
    load_before = os.getloadavg()
    busy_before = busy_processes()

    results = []
    for n in args.sizes:
        print(f"generating {n} rows ...", file=sys.stderr)
        meta = generate(root, n, args.seed)
        runs = args.runs or (3 if n >= 10**6 else 5)
        for op in ops:
            case = root / str(n) / op
            info = meta["cases"][op]
            # Untimed first run of each side: warms the page cache, and its
            # output is the one checked.
            run_tabulon(args.tabulon, case)
            run_sqlite(args.sqlite, case)
            rows, same = check(case)
            ours, theirs, rss, our_cpu, their_cpu = [], [], [], [], []
            for i in range(runs):
                # Alternate who goes first, so that neither always meets the
                # other's leftovers.
                sides = [("t", run_tabulon, args.tabulon), ("s", run_sqlite, args.sqlite)]
                for tag, fn, binary in sides if i % 2 == 0 else reversed(sides):
                    wall, cpu, peak = fn(binary, case)
                    if tag == "t":
                        ours.append(wall)
                        our_cpu.append(cpu)
                        rss.append(peak)
                    else:
                        theirs.append(wall)
                        their_cpu.append(cpu)
            values = info["input_values"] + (0 if op == "rename" else rows * info["result_cols"])
            peak = max(rss) * 1024
            entry = {
                "op": op, "rows": n, "result_rows": rows, "same_rows": same, "runs": runs,
                "tabulon_s": median(ours), "sqlite_s": median(theirs), "tabulon_all": ours, "sqlite_all": theirs,
                "tabulon_cpu": median(our_cpu), "sqlite_cpu": median(their_cpu),
                "peak_rss": peak, "input_bytes": info["input_bytes"], "values": values,
                "bytes_per_value": (peak - info["input_bytes"]) / values,
            }
            entry["ratio"] = entry["tabulon_s"] / entry["sqlite_s"]
            results.append(entry)
            print(f"{op:8} {n:>8}: tabulon {entry['tabulon_s']:.3f}s sqlite {entry['sqlite_s']:.3f}s "
                  f"ratio {entry['ratio']:.2f} (cpu {entry['tabulon_cpu']:.3f}s / {entry['sqlite_cpu']:.3f}s) "
                  f"rss {peak / 2**20:.1f} MiB", file=sys.stderr)

    load_after = os.getloadavg()
    busy_after = busy_processes()
    report(results, args.sizes, ops)
    print()
    print(f"load average before {load_before[0]:.2f}, after {load_after[0]:.2f}; "
          f"busy before: {', '.join(busy_before) or 'none'}; after: {', '.join(busy_after) or 'none'}")
    if args.json:
        Path(args.json).write_text(json.dumps({"machine": machine_notes(), "sqlite": sqlite_version,
                                               "load": [load_before, load_after],
                                               "busy": [busy_before, busy_after], "results": results},
                                              indent=1))
    mismatched = [r for r in results if not r["same_rows"]]
    return 1 if mismatched else 0


def report(results, sizes, ops):
    by = {(r["op"], r["rows"]): r for r in results}
    print()
    print("| operator | rows | result rows | tabulon (s) | sqlite3 (s) | ratio | peak RSS (MiB) | bytes/value "
          "| CPU tabulon / sqlite3 (s) |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|")
    for op in ops:
        for n in sizes:
            r = by.get((op, n))
            if r is None:
                continue
            flag = "" if r["same_rows"] else " (rows differ!)"
            print(f"| {op} | {n:,} | {r['result_rows']:,}{flag} | {r['tabulon_s']:.3f} | {r['sqlite_s']:.3f} | "
                  f"{r['ratio']:.2f} | {r['peak_rss'] / 2**20:.1f} | {r['bytes_per_value']:.1f} | "
                  f"{r['tabulon_cpu']:.3f} / {r['sqlite_cpu']:.3f} |")
    top = max(sizes)
    below = [n for n in sizes if n < top]
    prev = max(below) if below else None
    print()
    print(f"Targets at {top:,} rows: ratio <= {TARGET_RATIO}, growth <= {TARGET_GROWTH}x from {prev or '-'}, "
          f"peak RSS <= {TARGET_BYTES_PER_VALUE:.0f} B/value + input size")
    print()
    print("| operator | ratio | growth | bytes/value | met |")
    print("|---|---:|---:|---:|---|")
    for op in ops:
        r = by.get((op, top))
        if r is None:
            continue
        growth = r["tabulon_s"] / by[(op, prev)]["tabulon_s"] if prev and (op, prev) in by else None
        ok = [r["ratio"] <= TARGET_RATIO, growth is None or growth <= TARGET_GROWTH,
              r["bytes_per_value"] <= TARGET_BYTES_PER_VALUE]
        missed = [name for name, good in zip(["ratio", "growth", "memory"], ok) if not good]
        growth_text = f"{growth:.1f}" if growth is not None else "-"
        print(f"| {op} | {r['ratio']:.2f} | {growth_text} | {r['bytes_per_value']:.1f} | "
              f"{'yes' if not missed else 'no: ' + ', '.join(missed)} |")


if __name__ == "__main__":
    sys.exit(main())
