#!/usr/bin/env python3
"""Whole-process benchmark of tabulon against its floors, DuckDB and the
sqlite3 shell.

For every operator and size it generates one valid input file (and the same
rows as CSV), runs tabulon, the floors (floor.cpp on one thread and its
two-thread twin: reading, splitting and writing the same input with no
checks), DuckDB (optional, through @duckdb/node-api, on 1 thread and on all
cores) and the sqlite3 shell doing the same work back to back, checks that
tabulon, DuckDB and sqlite3 give the same result rows, and prints per operator
and size: the median wall times, their ratios, and tabulon's peak RSS against
the input file's size (for product, the result's).

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
TARGET_X_FLOOR = 1.5  # of the two-thread floor's time, for FLOOR_OPS
FLOOR_OPS = ("rename", "select", "union")
TARGET_X_DUCKDB = 0.8  # of DuckDB's time on all cores
TARGET_X_MEMORY = 2.0  # peak RSS over the input file's size (product: the result's)
TARGET_GROWTH = 1.3  # time per row at 10^8 over that at 10^7
BIG_OPS = ("union", "select", "rename")  # the only ones generated at 10^8 rows


# --------------------------------------------------------------------------
# Data
#
# Rows are drawn in batches from seeded byte strings and streamed to files,
# so that 10^7 rows take a minute or two rather than an hour and a few GB.

# Bytes to lowercase letters; 256 is not a multiple of 26, which skews the
# letters a little and matters to no measurement.
LETTER_OF_BYTE = bytes(ord("a") + b % 26 for b in range(256))
BATCH = 100_000
# The CSV files are for sqlite3 and DuckDB only: without them, 10^8 rows need
# a third less disk.
WRITE_CSV = True


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
        self._csv = open(self.csv_path, "w", buffering=1 << 20) if WRITE_CSV else None

    def add(self, rows):
        kinds = [kind for _, kind, _ in self.schema]
        self._body.write("".join(",".join(quoted(k, v) for k, v in zip(kinds, row)) + "\n" for row in rows))
        if self._csv:
            self._csv.write("".join(",".join(str(v) for v in row) + "\n" for row in rows))
        self.rows += len(rows)

    def close(self):
        self._body.close()
        if self._csv:
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


def cases_for(base, n, rng, ops):
    """(op, command, relations as named in the file, sql, result columns) per
    operator of ops. relations: list of (name, Relation)."""
    a, b = merge_operands(base, n, rng)
    (r,) = wide_relation(base, n, rng)
    # Product's and the extended operators' relations come last, so that
    # leaving them out changes no row of the others.
    pa, pb = product_operands(base, n, rng) if "product" in ops else (None, None)
    jr, js = join_operands(base, n, rng) if set(ops) & {"join", "join_on", "semijoin", "antijoin"} else (None, None)
    dr, ds = divide_operands(base, n, rng) if "divide" in ops else (None, None)
    merge = [("A", a), ("B", b)]
    wide = [("R", r)]
    joined = [("R", jr), ("S", js)]
    cases = {
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
    return {op: case for op, case in cases.items() if op in ops}


def generate(root, n, seed, ops):
    """Writes the cases of ops (and those made before) of size n under
    root/n; returns its metadata. The rows do not depend on which are made."""
    base = root / str(n)
    stamp = base / "meta.json"
    if stamp.exists():
        meta = json.loads(stamp.read_text())
        if meta.get("version") == GENERATOR_VERSION and meta.get("seed") == seed and \
                (meta.get("csv", True) or not WRITE_CSV):
            if all(op in meta["cases"] for op in ops):
                return meta
            ops = sorted(set(ops) | set(meta["cases"]))
    if base.exists():
        shutil.rmtree(base)
    base.mkdir(parents=True)
    rng = random.Random(seed * 1000003 + n)
    meta = {"version": GENERATOR_VERSION, "seed": seed, "csv": WRITE_CSV, "cases": {}}
    for op, (command, relations, sql, result_cols) in cases_for(base, n, rng, ops).items():
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


def run_tabulon(binary, case, threads=None):
    # Every contender writes a file that does not exist yet: replacing an
    # existing output would add the freeing of its pages to its time.
    (case / "tabulon-out.txt").unlink(missing_ok=True)
    options = ["--threads", str(threads)] if threads else []
    if case.name in EXTENDED:
        options.append("--extended")
    return timed([binary] + options + [str(case / "input.txt"), str(case / "tabulon-out.txt")])


def explain_overhead(binary, root, sizes, ops, runs, seed, form):
    """Median wall and CPU time of tabulon with --explain out.FORM against the
    plain run, the two alternating; the ratio is what the explanation costs."""
    print(f"| operator | rows | plain (s) | --explain .{form} (s) | wall ratio | CPU ratio |")
    print("|---|---:|---:|---:|---:|---:|")
    for n in sizes:
        generate(root, n, seed, ops)
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


# The relations each case reads, as named in its file, with their CSV files
# and schemas, and its query: what DuckDB is given.
CASE_TABLES = {
    "union": [("A", "A", MERGE_SCHEMA), ("B", "B", MERGE_SCHEMA)],
    "minus": [("A", "A", MERGE_SCHEMA), ("B", "B", MERGE_SCHEMA)],
    "product": [("A", "PA", PRODUCT_A), ("B", "PB", PRODUCT_B)],
    "project": [("R", "R", WIDE_SCHEMA)],
    "select": [("R", "R", WIDE_SCHEMA)],
    "rename": [("R", "R", WIDE_SCHEMA)],
}


def duckdb_case(case, op):
    """The case file of duckdb_run.mjs: the same CSV files and query that
    sqlite3 gets."""
    sql = next(line for line in (case / "script.sql").read_text().splitlines() if line.startswith("SELECT"))
    job = {"tables": [[name, str(case.parent / f"{csv}.csv"), {col: t for col, _, t in schema}]
                       for name, csv, schema in CASE_TABLES[op]],
            "query": sql.rstrip(";"), "out": str(case / "duckdb-out.csv")}
    path = case / "duckdb.json"
    path.write_text(json.dumps(job))
    return path


def run_duckdb(node, script, case, op, threads):
    (case / "duckdb-out.csv").unlink(missing_ok=True)
    return timed([node, str(script), str(threads), str(duckdb_case(case, op))])


def duckdb_rows(case, op):
    """DuckDB's CSV rows written as tabulon writes rows: texts in single
    quotes. The generated texts are lowercase letters: no CSV quoting."""
    kinds = [kind for _, kind, _ in RESULT_SCHEMAS[op]]
    rows = []
    with open(case / "duckdb-out.csv", "rb") as text:
        for line in text:
            values = line.rstrip(b"\n").split(b",")
            rows.append(b",".join(v if k == "int" else b"'" + v + b"'" for k, v in zip(kinds, values)))
    return rows


RESULT_SCHEMAS = {
    "union": MERGE_SCHEMA, "minus": MERGE_SCHEMA, "product": PRODUCT_A + PRODUCT_B,
    "project": [WIDE_SCHEMA[1], WIDE_SCHEMA[2]], "select": WIDE_SCHEMA, "rename": WIDE_SCHEMA,
}


def build_floor(root):
    """floor.cpp compiled beside the data; None, with a note, without a
    compiler."""
    source = Path(__file__).resolve().parent / "floor.cpp"
    binary = root / "floor"
    if binary.exists() and binary.stat().st_mtime >= source.stat().st_mtime:
        return binary
    root.mkdir(parents=True, exist_ok=True)
    made = subprocess.run(["c++", "-O2", "-std=c++20", "-pthread", str(source), "-o", str(binary)],
                          capture_output=True, text=True)
    if made.returncode != 0:
        print(f"note: floor.cpp did not compile, no floors: {made.stderr.strip()}", file=sys.stderr)
        return None
    return binary


def run_floor(binary, case, threads):
    out = case / f"floor{threads}-out.txt"
    out.unlink(missing_ok=True)
    measured = timed([str(binary), str(threads), str(case / "input.txt"), str(out)])
    if threads == 1:
        out.unlink()  # only the two-thread floor's output is checked
    return measured


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


def tabulon_row_count(case):
    """The result's row count, read in blocks, with the copy checked the same
    way: at 10^8 rows the files are larger than this script may hold."""
    block = 1 << 26
    newlines = 0
    with open(case / "input.txt", "rb") as copy, open(case / "tabulon-out.txt", "rb") as out:
        while True:
            want = copy.read(block)
            if not want:
                break
            if out.read(len(want)) != want:
                raise RuntimeError(f"{case}: the output does not begin with a copy of the input")
        tail = b""
        while True:
            got = out.read(block)
            if not got:
                break
            newlines += got.count(b"\n")
            tail = (tail + got)[-2:]
    if tail != b"\n\n":
        raise RuntimeError(f"{case}: the result relation is not followed by an empty line")
    return newlines - 2  # the header's line end and the closing empty line's


def files_equal(a, b):
    with open(a, "rb") as x, open(b, "rb") as y:
        while True:
            one, other = x.read(1 << 26), y.read(1 << 26)
            if one != other:
                return False
            if not one:
                return True


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
    parser.add_argument("--threads", type=int, default=2, help="tabulon's --threads (default 2)")
    parser.add_argument("--node", default=shutil.which("node") or "node")
    parser.add_argument("--no-duckdb", action="store_true", help="leave DuckDB out")
    parser.add_argument("--duckdb-threads", type=int, default=os.cpu_count(),
                        help="DuckDB's threads besides 1 (default: all cores)")
    parser.add_argument("--data", default="/tmp/bench-data", help="where inputs and outputs go")
    parser.add_argument("--sizes", type=parse_sizes, default=DEFAULT_SIZES, help="e.g. 1e4,1e5,1e6,1e7")
    parser.add_argument("--ops", default=",".join(OPERATORS))
    parser.add_argument("--runs", type=int, default=0,
                        help="timed runs of tabulon, the floors and DuckDB (default 5, 3 at 1e6 and above)")
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
    global WRITE_CSV
    WRITE_CSV = not (args.no_sqlite and args.no_duckdb) or bool(args.explain)
    if args.explain:
        explain_overhead(args.tabulon, root, args.sizes, ops, args.runs, args.seed, args.explain)
        return 0
    sqlite_version = "-"
    if not args.no_sqlite:
        sqlite_version = subprocess.run([args.sqlite, "-version"], capture_output=True, text=True).stdout.split()[0]
    here = Path(__file__).resolve().parent
    duckdb_script = here / "duckdb_run.mjs"
    duckdb_version = None
    if not args.no_duckdb:
        package = here / "node_modules" / "@duckdb" / "node-api" / "package.json"
        if package.exists() and shutil.which(args.node):
            duckdb_version = json.loads(package.read_text())["version"]
        else:
            print("note: DuckDB left out: run `npm ci` in bench/ (needs node and npm) to include it",
                  file=sys.stderr)
    floor = build_floor(root)
    print(f"machine: {machine_notes()}")
    print(f"tabulon: {args.tabulon} --threads {args.threads}; sqlite3 {sqlite_version} (in-memory database); "
          f"DuckDB {duckdb_version or '-'} (@duckdb/node-api, 1 and {args.duckdb_threads} threads)")
    load_before = os.getloadavg()
    busy_before = busy_processes()

    results = []
    for n in args.sizes:
        size_ops = [op for op in ops if n < 10**8 or op in BIG_OPS]
        if n >= 10**8:
            print(f"note: {n:,} rows: {', '.join(size_ops)} only; about 13 GB of input files, up to 19 GB more of "
                  f"outputs while a case runs, 7.5 GB of CSV for sqlite3 and DuckDB; up to twice an input in memory",
                  file=sys.stderr)
        print(f"generating {n} rows ...", file=sys.stderr)
        meta = generate(root, n, args.seed, size_ops)
        runs = args.runs or (3 if n >= 10**6 else 5)
        sqlite_runs = 0 if args.no_sqlite else (args.sqlite_runs or (1 if n >= 10**7 else runs))
        for op in size_ops:
            case = root / str(n) / op
            info = meta["cases"][op]
            # Untimed first run of tabulon: warms the page cache, and its
            # output is the one checked. sqlite3 warms up the same way, except
            # where a run takes most of a minute and one timed run must do.
            run_tabulon(args.tabulon, case, args.threads)
            warm_sqlite = sqlite_runs > 1 or (sqlite_runs == 1 and n < 10**7)
            unfinished = warm_sqlite and run_sqlite(args.sqlite, case) is None
            out_bytes = (case / "tabulon-out.txt").stat().st_size
            times = {tag: [] for tag in ("t", "f1", "f2", "d1", "dn", "s")}
            rss, our_cpu, their_cpu = [], [], []
            sides = [("t", lambda: run_tabulon(args.tabulon, case, args.threads))]
            if floor:
                sides += [("f1", lambda: run_floor(floor, case, 1)), ("f2", lambda: run_floor(floor, case, 2))]
            if duckdb_version and op not in EXTENDED:  # DuckDB is the six's peer
                sides += [("d1", lambda: run_duckdb(args.node, duckdb_script, case, op, 1)),
                          ("dn", lambda: run_duckdb(args.node, duckdb_script, case, op, args.duckdb_threads))]
            sides.append(("s", lambda: run_sqlite(args.sqlite, case)))
            for i in range(max(runs, sqlite_runs)):
                # Alternate who goes first, so that none always meets the
                # others' leftovers.
                for tag, fn in sides if i % 2 == 0 else reversed(sides):
                    if (tag == "s" and (i >= sqlite_runs or unfinished)) or (tag != "s" and i >= runs):
                        continue
                    measured = fn()
                    if measured is None:
                        unfinished = True
                        continue
                    wall, cpu, peak = measured
                    times[tag].append(wall)
                    if tag == "t":
                        our_cpu.append(cpu)
                        rss.append(peak)
                    elif tag == "s":
                        their_cpu.append(cpu)
            rows, same = tabulon_row_count(case), True
            if sqlite_runs and not unfinished:
                rows, same = check(case)
            if duckdb_version and op not in EXTENDED:
                ours = tabulon_rows(case)
                theirs = duckdb_rows(case, op)
                # DuckDB's UNION, EXCEPT and DISTINCT have no order of their own
                # without ORDER BY, and rename's and select's follow the input.
                same = same and sorted(ours) == sorted(theirs)
            if floor and op == "rename":
                same = same and files_equal(case / "floor2-out.txt", case / "tabulon-out.txt")
            for leftover in ("floor1-out.txt", "floor2-out.txt", "duckdb-out.csv"):
                (case / leftover).unlink(missing_ok=True)
            values = info["input_values"] + (0 if op == "rename" else rows * info["result_cols"])
            peak = max(rss) * 1024
            # The result relation as written: the output past the input's copy.
            result_bytes = out_bytes - info["input_bytes"]
            memory_base = result_bytes if op == "product" else info["input_bytes"]
            med = {tag: (median(ts) if ts else None) for tag, ts in times.items()}
            entry = {
                "op": op, "rows": n, "result_rows": rows, "same_rows": same, "runs": runs,
                "threads": args.threads, "tabulon_s": med["t"], "floor1_s": med["f1"], "floor2_s": med["f2"],
                "duckdb1_s": med["d1"], "duckdbn_s": med["dn"], "sqlite_s": med["s"], "sqlite_unfinished": unfinished, "all": times,
                "tabulon_cpu": median(our_cpu), "sqlite_cpu": median(their_cpu) if their_cpu else None,
                "peak_rss": peak, "input_bytes": info["input_bytes"], "output_bytes": out_bytes,
                "result_bytes": result_bytes, "memory_base": memory_base, "values": values,
            }
            entry["x_floor2"] = entry["tabulon_s"] / med["f2"] if med["f2"] else None
            entry["x_duckdb"] = entry["tabulon_s"] / med["dn"] if med["dn"] else None
            entry["x_memory"] = peak / memory_base
            entry["ratio"] = entry["tabulon_s"] / med["s"] if med["s"] else None
            results.append(entry)
            print(f"{op:8} {n:>9}: tabulon {entry['tabulon_s']:.3f}s floor2 {fmt(med['f2'], '.3f')}s "
                  f"duckdb {fmt(med['dn'], '.3f')}s sqlite {unfinished_or(entry, fmt(med['s'], '.3f'))}s; "
                  f"rss {peak / 2**20:.1f} MiB x{entry['x_memory']:.2f}{'' if same else ' ROWS DIFFER'}",
                  file=sys.stderr)

    load_after = os.getloadavg()
    busy_after = busy_processes()
    report(results, args.sizes, ops)
    print()
    print(f"load average before {load_before[0]:.2f}, after {load_after[0]:.2f}; "
          f"busy before: {', '.join(busy_before) or 'none'}; after: {', '.join(busy_after) or 'none'}")
    if args.json:
        Path(args.json).write_text(json.dumps({"machine": machine_notes(), "sqlite": sqlite_version,
                                               "duckdb": duckdb_version, "load": [load_before, load_after],
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
    print("| operator | rows | result rows | tabulon (s) | floor 1 thr (s) | floor 2 thr (s) | x floor 2 "
          "| DuckDB 1 thr (s) | DuckDB all (s) | x DuckDB all | sqlite3 (s) | x sqlite3 | input (MB) "
          "| peak RSS (MiB) | x input | CPU tabulon (s) |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for op in ops:
        for n in sizes:
            r = by.get((op, n))
            if r is None:
                continue
            flag = "" if r["same_rows"] else " (rows differ!)"
            base = " (result)" if op == "product" else ""
            print(f"| {op} | {n:,} | {r['result_rows']:,}{flag} | {r['tabulon_s']:.3f} | "
                  f"{fmt(r['floor1_s'], '.3f')} | {fmt(r['floor2_s'], '.3f')} | {fmt(r['x_floor2'], '.2f')} | "
                  f"{fmt(r['duckdb1_s'], '.3f')} | {fmt(r['duckdbn_s'], '.3f')} | {fmt(r['x_duckdb'], '.2f')} | "
                  f"{unfinished_or(r, fmt(r['sqlite_s'], '.3f'))} | {fmt(r['ratio'], '.2f')} | {r['memory_base'] / 1e6:.1f}{base} | "
                  f"{r['peak_rss'] / 2**20:.1f} | {r['x_memory']:.2f} | {r['tabulon_cpu']:.3f} |")
    print()
    print(f"Targets at 10^6 and 10^7 rows: rename, select and union <= {TARGET_X_FLOOR:g} x the two-thread "
          f"floor; every operator <= {TARGET_X_DUCKDB:g} x DuckDB on all cores and <= {TARGET_RATIO:g} x sqlite3; "
          f"peak RSS <= {TARGET_X_MEMORY:g} x the input file (product: x the result). At 10^8: time per row "
          f"<= {TARGET_GROWTH:g} x that at 10^7, peak RSS as above.")
    print()
    print("| operator | rows | x floor 2 | x DuckDB all | x sqlite3 | x input | time per row / 10^7's | met |")
    print("|---|---:|---:|---:|---:|---:|---:|---|")
    for n in sizes:
        if n < 10**6:
            continue
        for op in ops:
            r = by.get((op, n))
            if r is None:
                continue
            growth = None
            small = by.get((op, 10**7))
            if n >= 10**8 and small:
                growth = (r["tabulon_s"] / n) / (small["tabulon_s"] / small["rows"])
            checks = [("memory", r["x_memory"] <= TARGET_X_MEMORY)]
            if n < 10**8:
                checks += [("floor", op not in FLOOR_OPS or r["x_floor2"] is None or r["x_floor2"] <= TARGET_X_FLOOR),
                           ("DuckDB", r["x_duckdb"] is None or r["x_duckdb"] <= TARGET_X_DUCKDB),
                           ("sqlite3", r["ratio"] is None or r["ratio"] <= TARGET_RATIO)]
            else:
                checks.append(("growth", growth is None or growth <= TARGET_GROWTH))
            unmeasured = [name for name, value in (("floor", r["x_floor2"]), ("DuckDB", r["x_duckdb"]),
                                                   ("sqlite3", r["ratio"])) if value is None and n < 10**8]
            missed = [name for name, good in checks if not good]
            verdict = "yes" if not missed else "no: " + ", ".join(missed)
            if unmeasured:
                verdict += " (not measured: " + ", ".join(unmeasured) + ")"
            print(f"| {op} | {n:,} | {fmt(r['x_floor2'], '.2f')} | {fmt(r['x_duckdb'], '.2f')} | "
                  f"{fmt(r['ratio'], '.2f')} | {r['x_memory']:.2f} | {fmt(growth, '.2f')} | {verdict} |")


if __name__ == "__main__":
    sys.exit(main())
