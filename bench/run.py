#!/usr/bin/env python3
"""Whole-process benchmark of tabulon against its floor and the sqlite3 shell.

For every operator and size it generates one valid input file (and the same
rows as CSV), runs tabulon, `cat` of tabulon's output (the floor: reading and
writing the same bytes) and the sqlite3 shell doing the same work back to
back, checks that tabulon and sqlite3 produce the same result rows, and prints
per operator and size: the median wall times, their ratios, and tabulon's
peak RSS against the input file's size (for product, the result's).

Generated data lives outside the repository (default /tmp/bench-data).
"""

import argparse
import itertools
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

GENERATOR_VERSION = 5
SIX = ["union", "minus", "product", "project", "select", "rename"]
EXTENDED = ["intersect", "join", "join_on", "semijoin", "antijoin", "divide"]  # run with --extended
OPERATORS = SIX + EXTENDED
SQLITE_LIMIT_S = 60  # a sqlite3 run past this is stopped and reported as not finishing
DEFAULT_SIZES = [10**4, 10**5, 10**6]
LETTERS = string.ascii_lowercase

# Targets from 10^6 rows on.
TARGET_RATIO = 0.5  # of the sqlite3 shell's time
TARGET_X_CAT = 3.0  # of cat's time for the output's bytes
TARGET_X_MEMORY = 2.0  # peak RSS over the input file's size (product: the result's)


# --------------------------------------------------------------------------
# Data
#
# Rows are drawn in batches from seeded byte strings and streamed to files,
# so that 10^7 rows take a minute or two rather than an hour and a few GB.

# Bytes to lowercase letters; 256 is not a multiple of 26, which skews the
# letters a little and matters to no measurement.
LETTER_OF_BYTE = bytes(ord("a") + b % 26 for b in range(256))
BATCH = 100_000


def random_words(rng, count, low, high):
    span = high - low + 1
    lengths = [low + b % span for b in rng.randbytes(count)]
    text = rng.randbytes(sum(lengths)).translate(LETTER_OF_BYTE).decode("ascii")
    ends = list(itertools.accumulate(lengths))
    return [text[e - n:e] for e, n in zip(ends, lengths)]


def quoted(kind, value):
    return str(value) if kind == "int" else f"'{value}'"


class Relation:
    """One relation streamed to disk: its rows in the tabulon format (without
    the header) and as CSV."""

    def __init__(self, base, name, schema):
        self.name, self.schema, self.rows = name, schema, 0
        self.body_path = base / f"{name}.body"
        self.csv_path = base / f"{name}.csv"
        self._body = open(self.body_path, "w", buffering=1 << 20)
        self._csv = open(self.csv_path, "w", buffering=1 << 20)

    def add(self, rows):
        kinds = [kind for _, kind, _ in self.schema]
        self._body.write("".join(",".join(quoted(k, v) for k, v in zip(kinds, row)) + "\n" for row in rows))
        self._csv.write("".join(",".join(str(v) for v in row) + "\n" for row in rows))
        self.rows += len(rows)

    def close(self):
        self._body.close()
        self._csv.close()

    def header(self):
        return self.name + "(" + ", ".join(f"{col} {kind}" for col, kind, _ in self.schema) + ")\n"

    def values(self):
        return self.rows * len(self.schema)


def merge_operands(base, n, rng):
    """Two relations (grp int, name char(20), qty int) of about n rows each,
    sorted, without repeated rows, sharing about a third of their rows. Sorting
    is by grp and then by name, so comparisons often reach the char column."""
    a = Relation(base, "A", MERGE_SCHEMA)
    b = Relation(base, "B", MERGE_SCHEMA)
    groups = max(1, n // 20)
    per_group = 30  # 1.5 n keys over n / 20 groups
    group = 0
    while group < groups:
        span = min(groups - group, max(1, BATCH // per_group))
        words = random_words(rng, span * per_group, 6, 20)
        labels = rng.randbytes(span * per_group)
        rows_a, rows_b = [], []
        for g in range(span):
            # ASCII strings: Python order is byte order.
            names = sorted(set(words[g * per_group:(g + 1) * per_group]))
            for i, name in enumerate(names):
                # Each row lands in A only, B only or both, about a third each.
                label = labels[g * per_group + i] % 3
                row = (group + g, name, rng.getrandbits(20) % 1000000)
                if label != 1:
                    rows_a.append(row)
                if label != 0:
                    rows_b.append(row)
        a.add(rows_a)
        b.add(rows_b)
        group += span
    a.close()
    b.close()
    return [a, b]


def wide_relation(base, n, rng):
    """R(id int, city char(20), year int, amount int) sorted by id. city comes
    from n/100 names and year from 20 values, so projecting on (city, year)
    keeps about a fifth of the rows in an order unrelated to R's."""
    r = Relation(base, "R", WIDE_SCHEMA)
    cities = random_words(rng, max(1, n // 100), 5, 20)
    ident = 0
    done = 0
    while done < n:
        count = min(BATCH, n - done)
        steps = rng.randbytes(count)
        years = rng.randbytes(count)
        picks = rng.choices(cities, k=count)
        rows = []
        for i in range(count):
            ident += 1 + steps[i] % 9
            rows.append((ident, picks[i], 1990 + years[i] % 20, rng.getrandbits(20) % 1000000))
        r.add(rows)
        done += count
    r.close()
    return [r]


def product_operands(base, n, rng):
    """A(id int, name char(20)) and B(code int, label char(20)) of sqrt(n)
    rows each, sorted, so that the product has about n rows."""
    m = max(1, round(math.sqrt(n)))
    sides = []
    for name, schema in (("PA", PRODUCT_A), ("PB", PRODUCT_B)):
        side = Relation(base, name, schema)
        ids = sorted(rng.sample(range(10 * m + 10), m))
        side.add(list(zip(ids, random_words(rng, m, 4, 20))))
        side.close()
        sides.append(side)
    return sides


def join_operands(base, n, rng):
    """JR(id int, k int, amount int) of n rows, k drawn from 0 .. 2n, and
    JS(k int, label char(20)) of n rows with distinct k from the same range:
    about half of JR's rows have one partner, so a join gives about n / 2."""
    r = Relation(base, "JR", [("id", "int", "INT"), ("k", "int", "INT"), ("amount", "int", "INT")])
    s = Relation(base, "JS", [("k", "int", "INT"), ("label", "char(20)", "CHAR(20)")])
    keys = rng.sample(range(2 * n), n)
    done = 0
    while done < n:
        count = min(BATCH, n - done)
        r.add([(done + i, rng.randrange(2 * n), rng.getrandbits(20) % 1000000) for i in range(count)])
        s.add(list(zip(keys[done:done + count], random_words(rng, count, 4, 20))))
        done += count
    r.close()
    s.close()
    return [r, s]


def divide_operands(base, n, rng):
    """DR(g int, c int): n / 1000 groups (1,000 at 10^6 rows) of up to 1,000
    rows, c from 0 .. 999; half the groups lack one c below 100. DS(c int):
    the 100 values 0 .. 99. So half the groups qualify."""
    r = Relation(base, "DR", [("g", "int", "INT"), ("c", "int", "INT")])
    s = Relation(base, "DS", [("c", "int", "INT")])
    groups = max(1, n // 1000)
    for g in range(groups):
        missing = rng.randrange(100) if g % 2 else -1
        r.add([(g, c) for c in range(1000) if c != missing])
    s.add([(c,) for c in range(100)])
    r.close()
    s.close()
    return [r, s]


MERGE_SCHEMA = [("grp", "int", "INT"), ("name", "char(20)", "CHAR(20)"), ("qty", "int", "INT")]
WIDE_SCHEMA = [("id", "int", "INT"), ("city", "char(20)", "CHAR(20)"), ("year", "int", "INT"),
               ("amount", "int", "INT")]
PRODUCT_A = [("id", "int", "INT"), ("name", "char(20)", "CHAR(20)")]
PRODUCT_B = [("code", "int", "INT"), ("label", "char(20)", "CHAR(20)")]


def cases_for(base, n, rng):
    """(op, command, relations as named in the file, sql, result columns) per
    operator. relations: list of (name, Relation)."""
    a, b = merge_operands(base, n, rng)
    (r,) = wide_relation(base, n, rng)
    pa, pb = product_operands(base, n, rng)
    jr, js = join_operands(base, n, rng)
    dr, ds = divide_operands(base, n, rng)
    merge = [("A", a), ("B", b)]
    wide = [("R", r)]
    joined = [("R", jr), ("S", js)]
    return {
        "intersect": ("intersect(A, B)", merge, "SELECT * FROM A INTERSECT SELECT * FROM B ORDER BY 1, 2, 3;", 3),
        "join": ("join(R, S)", joined,
                 "SELECT R.id, R.k, R.amount, S.label FROM R JOIN S ON R.k = S.k ORDER BY R.rowid, S.rowid;", 4),
        "join_on": ("join(R, rename(S, T(sk, label)), AND(EQ(k, sk), LT(amount, '500000')))", joined,
                    "SELECT R.*, S.* FROM R JOIN S ON R.k = S.k AND R.amount < 500000 ORDER BY R.rowid, S.rowid;",
                    5),
        # IN rather than a correlated EXISTS, which SQLite does not finish in
        # 60 s at 10^6 rows: it builds no index for it.
        "semijoin": ("semijoin(R, S)", joined, "SELECT * FROM R WHERE k IN (SELECT k FROM S) ORDER BY rowid;", 3),
        "antijoin": ("antijoin(R, S)", joined,
                     "SELECT * FROM R WHERE k NOT IN (SELECT k FROM S) ORDER BY rowid;", 3),
        # Counting is SQLite's quickest division; the double NOT EXISTS does
        # not finish at 10^6 rows.
        "divide": ("divide(R, S)", [("R", dr), ("S", ds)],
                   "SELECT g FROM R JOIN S ON R.c = S.c GROUP BY g "
                   "HAVING COUNT(DISTINCT R.c) = (SELECT COUNT(*) FROM S) ORDER BY g;", 1),
        "union": ("union(A, B)", merge, "SELECT * FROM A UNION SELECT * FROM B ORDER BY 1, 2, 3;", 3),
        "minus": ("minus(A, B)", merge, "SELECT * FROM A EXCEPT SELECT * FROM B ORDER BY 1, 2, 3;", 3),
        "product": ("product(A, B)", [("A", pa), ("B", pb)], "SELECT * FROM A CROSS JOIN B;", 4),
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
    for op, (command, relations, sql, result_cols) in cases_for(base, n, rng).items():
        case = base / op
        case.mkdir()
        with open(case / "input.txt", "wb") as out:
            out.write((command + "\n\n").encode())
            for name, rel in relations:
                out.write(rel.header().replace(rel.name, name, 1).encode())
                with open(rel.body_path, "rb") as body:
                    shutil.copyfileobj(body, out, 1 << 20)
                out.write(b"\n")
        script = [".bail on"]
        for name, rel in relations:
            cols = ", ".join(f"{col} {sqltype}" for col, _, sqltype in rel.schema)
            script.append(f"CREATE TABLE {name}({cols});")
            script.append(f".import --csv {rel.csv_path} {name}")
        script += [".headers off", ".mode quote", f".once {base / op / 'sqlite-out.txt'}", sql, ""]
        (case / "script.sql").write_text("\n".join(script))
        meta["cases"][op] = {
            "input_bytes": (case / "input.txt").stat().st_size,
            "input_values": sum(rel.values() for _, rel in relations),
            "result_cols": result_cols,
        }
    for path in base.glob("*.body"):
        path.unlink()
    stamp.write_text(json.dumps(meta))
    return meta


# --------------------------------------------------------------------------
# Running


def timed(cmd, stdin=None, stdout=subprocess.DEVNULL, timeout=None):
    """Wall seconds, CPU seconds (user + system) and peak RSS (KiB) of one
    whole process; None when it ran past timeout seconds and was stopped."""
    with tempfile.NamedTemporaryFile(prefix="bench-rss-", delete=False) as rss_file:
        rss_path = rss_file.name
    try:
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        try:
            proc = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", rss_path] + cmd, stdin=stdin,
                                  stdout=stdout, stderr=subprocess.PIPE, timeout=timeout)
        except subprocess.TimeoutExpired:
            return None
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
    options = ["--extended"] if case.name in EXTENDED else []
    # Both tabulon and cat write a file that does not exist yet: replacing an
    # existing output would add the freeing of its pages to tabulon's time
    # only, since cat's scratch file is emptied before its clock starts.
    (case / "tabulon-out.txt").unlink(missing_ok=True)
    return timed([binary] + options + [str(case / "input.txt"), str(case / "tabulon-out.txt")])


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
    (case / "sqlite-out.txt").unlink(missing_ok=True)  # as for tabulon
    with open(case / "script.sql", "rb") as script:
        return timed([binary, "-batch", ":memory:"], stdin=script, timeout=SQLITE_LIMIT_S)


def run_cat(case):
    """The floor: reading and writing as many bytes as tabulon's output holds."""
    with open(case / "cat-out.txt", "wb") as scratch:
        return timed(["cat", str(case / "tabulon-out.txt")], stdout=scratch)


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
    parser.add_argument("--no-sqlite", action="store_true", help="leave the sqlite3 shell out (quicker)")
    parser.add_argument("--data", default="/tmp/bench-data", help="where inputs and outputs go")
    parser.add_argument("--sizes", type=parse_sizes, default=DEFAULT_SIZES, help="e.g. 1e4,1e5,1e6,1e7")
    parser.add_argument("--ops", default=",".join(OPERATORS))
    parser.add_argument("--runs", type=int, default=0,
                        help="timed runs of tabulon and cat (default 5, 3 at 1e6 and above)")
    parser.add_argument("--sqlite-runs", type=int, default=0,
                        help="timed runs of sqlite3 (default as --runs, 1 at 1e7 and above)")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--json", help="also write the measurements here")
    parser.add_argument("--explain", metavar="FORM", choices=["txt", "json", "dot", "sql"],
                        help="instead of sqlite3, time tabulon --explain out.FORM against the plain run")
    args = parser.parse_args()

    ops = [op for op in args.ops.split(",") if op]
    unknown = set(ops) - set(OPERATORS)
    if unknown:
        parser.error(f"unknown operators: {', '.join(sorted(unknown))}")
    for binary in (args.tabulon,) + (() if args.no_sqlite else (args.sqlite,)):
        if not os.access(binary, os.X_OK):
            parser.error(f"not an executable: {binary}")

    root = Path(args.data)
    if args.explain:
        explain_overhead(args.tabulon, root, args.sizes, ops, args.runs, args.seed, args.explain)
        return 0
    sqlite_version = "-"
    if not args.no_sqlite:
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
        sqlite_runs = 0 if args.no_sqlite else (args.sqlite_runs or (1 if n >= 10**7 else runs))
        for op in ops:
            case = root / str(n) / op
            info = meta["cases"][op]
            # Untimed first run of tabulon: warms the page cache, and its
            # output is the one checked. sqlite3 warms up the same way, except
            # where a run takes most of a minute and one timed run must do.
            run_tabulon(args.tabulon, case)
            warm_sqlite = sqlite_runs > 1 or (sqlite_runs == 1 and n < 10**7)
            unfinished = warm_sqlite and run_sqlite(args.sqlite, case) is None
            out_bytes = (case / "tabulon-out.txt").stat().st_size
            ours, cats, theirs, rss, our_cpu, their_cpu = [], [], [], [], [], []
            rows, same = None, None
            for i in range(max(runs, sqlite_runs)):
                # Alternate who goes first, so that none always meets the
                # others' leftovers.
                sides = [("t", lambda: run_tabulon(args.tabulon, case)), ("c", lambda: run_cat(case)),
                         ("s", lambda: run_sqlite(args.sqlite, case))]
                for tag, fn in sides if i % 2 == 0 else reversed(sides):
                    if (tag == "s" and (i >= sqlite_runs or unfinished)) or (tag != "s" and i >= runs):
                        continue
                    measured = fn()
                    if measured is None:
                        unfinished = True
                        continue
                    wall, cpu, peak = measured
                    if tag == "t":
                        ours.append(wall)
                        our_cpu.append(cpu)
                        rss.append(peak)
                    elif tag == "c":
                        cats.append(wall)
                    else:
                        theirs.append(wall)
                        their_cpu.append(cpu)
            if sqlite_runs and not unfinished:
                rows, same = check(case)
            else:
                rows, same = len(tabulon_rows(case)), True
            (case / "cat-out.txt").unlink()
            values = info["input_values"] + (0 if op == "rename" else rows * info["result_cols"])
            peak = max(rss) * 1024
            # The result relation as written: the output past the input's copy.
            result_bytes = out_bytes - info["input_bytes"]
            memory_base = result_bytes if op == "product" else info["input_bytes"]
            entry = {
                "op": op, "rows": n, "result_rows": rows, "same_rows": same, "runs": runs,
                "tabulon_s": median(ours), "cat_s": median(cats), "tabulon_all": ours, "cat_all": cats,
                "sqlite_s": median(theirs) if theirs else None, "sqlite_all": theirs,
                "sqlite_unfinished": unfinished, "tabulon_cpu": median(our_cpu), "sqlite_cpu": median(their_cpu) if their_cpu else None,
                "peak_rss": peak, "input_bytes": info["input_bytes"], "output_bytes": out_bytes,
                "result_bytes": result_bytes, "memory_base": memory_base, "values": values,
                "bytes_per_value": (peak - info["input_bytes"]) / values,
            }
            entry["x_cat"] = entry["tabulon_s"] / entry["cat_s"]
            entry["x_memory"] = peak / memory_base
            entry["ratio"] = entry["tabulon_s"] / entry["sqlite_s"] if theirs else None
            results.append(entry)
            vs_sqlite = f"sqlite {entry['sqlite_s']:.3f}s ratio {entry['ratio']:.2f}" if theirs else (
                f"sqlite3 did not finish in {SQLITE_LIMIT_S} s" if unfinished else "no sqlite")
            print(f"{op:8} {n:>8}: tabulon {entry['tabulon_s']:.3f}s cat {entry['cat_s']:.3f}s "
                  f"x{entry['x_cat']:.1f}; {vs_sqlite}; rss {peak / 2**20:.1f} MiB x{entry['x_memory']:.2f}",
                  file=sys.stderr)

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


def fmt(value, form):
    return "-" if value is None else format(value, form)


def unfinished_or(r, text):
    return f"> {SQLITE_LIMIT_S} (stopped)" if r.get("sqlite_unfinished") else text


def report(results, sizes, ops):
    by = {(r["op"], r["rows"]): r for r in results}
    print()
    print("| operator | rows | result rows | tabulon (s) | cat (s) | x cat | input (MB) | peak RSS (MiB) "
          "| x input | sqlite3 (s) | x sqlite3 | CPU tabulon / sqlite3 (s) |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for op in ops:
        for n in sizes:
            r = by.get((op, n))
            if r is None:
                continue
            flag = "" if r["same_rows"] else " (rows differ!)"
            base = " (result)" if op == "product" else ""
            print(f"| {op} | {n:,} | {r['result_rows']:,}{flag} | {r['tabulon_s']:.3f} | {r['cat_s']:.3f} | "
                  f"{r['x_cat']:.1f} | {r['memory_base'] / 1e6:.1f}{base} | {r['peak_rss'] / 2**20:.1f} | "
                  f"{r['x_memory']:.2f} | {unfinished_or(r, fmt(r['sqlite_s'], '.3f'))} | {fmt(r['ratio'], '.2f')} | "
                  f"{r['tabulon_cpu']:.3f} / {fmt(r['sqlite_cpu'], '.3f')} |")
    print()
    print(f"Targets from 10^6 rows on: time <= {TARGET_X_CAT:g} x cat of the output, peak RSS <= "
          f"{TARGET_X_MEMORY:g} x the input file (product: x the result), time <= {TARGET_RATIO} x sqlite3")
    print()
    print("| operator | rows | x cat | x input | x sqlite3 | met |")
    print("|---|---:|---:|---:|---:|---|")
    for n in sizes:
        if n < 10**6:
            continue
        for op in ops:
            r = by.get((op, n))
            if r is None:
                continue
            checks = [("time", r["x_cat"] <= TARGET_X_CAT), ("memory", r["x_memory"] <= TARGET_X_MEMORY),
                      ("sqlite3", r["ratio"] is None or r["ratio"] <= TARGET_RATIO)]
            missed = [name for name, good in checks if not good]
            print(f"| {op} | {n:,} | {r['x_cat']:.1f} | {r['x_memory']:.2f} | {fmt(r['ratio'], '.2f')} | "
                  f"{'yes' if not missed else 'no: ' + ', '.join(missed)} |")


if __name__ == "__main__":
    sys.exit(main())
