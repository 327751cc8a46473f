#!/usr/bin/env python3
"""Explanations of every golden case, checked against the case's own run.

  check_explain.py json|sql|dot TABULON GOLDEN_DIR WORK_DIR [TOOL]

json  parses, follows the schema of docs/explain.md, and the root's rows
      are the result relation of the output file
sql   runs in the sqlite3 shell (TOOL) and returns the output file's result
      rows byte for byte, in order; a script that warns that SQL cannot say
      what tabulon does is skipped, its warning printed as the reason
dot   renders with Graphviz's dot (TOOL) without a single warning
"""

import codecs
import json
import re
import shutil
import subprocess
import sys
from pathlib import Path

OPERATORS = {"union", "minus", "product", "project", "rename", "select",
             "intersect", "join", "semijoin", "antijoin", "divide"}
MATCHING = {"join", "semijoin", "antijoin", "divide"}  # these say what they match rows on
CONDITIONS = {"EQ", "NEQ", "LT", "LTE", "GT", "GTE", "AND", "OR", "NOT"}
KINDS = OPERATORS | CONDITIONS | {"literal", "name", "word"}
DEFAULT_ROWS = 1000
NO_RESULT = "no result relation"  # what a check returns for a run with no result to compare

# A byte that is no part of well-formed UTF-8 stands for itself, as \u00XX.
codecs.register_error("byte_as_char", lambda e: ("".join(chr(b) for b in e.object[e.start:e.end]), e.end))


def as_text(raw):
    return raw.decode("utf-8", "byte_as_char")


def to_int32(raw):
    """An int value's text as tabulon compares it (as atoi does, saturating)."""
    text = raw.lstrip(b" \t\n\v\f\r")
    sign = -1 if text[:1] == b"-" else 1
    digits = re.match(rb"[+-]?([0-9]*)", text).group(1)
    value = sign * int(digits or b"0")
    return max(-2**31, min(2**31 - 1, value))


class Refused(Exception):
    """The form refused the run's relations (SQL and a NUL byte), as it should."""


def run_case(tabulon, case, work, form):
    """Runs the case's input with --explain; returns (status, explanation, result)
    where result is (header, rows text) of the output file, or None."""
    if work.exists():
        shutil.rmtree(work)
    work.mkdir(parents=True)
    for f in case.iterdir():
        if f.name != "cmd" and not f.name.startswith("expected."):
            (shutil.copytree if f.is_dir() else shutil.copy)(f, work / f.name)
    target = work / f"explain.{form}"
    options = ["--extended"] if (case / "cmd").exists() and "--extended" in (case / "cmd").read_text().split() else []
    run = subprocess.run([tabulon] + options + ["--explain", target.name, "input.txt", "output.txt"], cwd=work,
                         stdin=subprocess.DEVNULL, capture_output=True)
    status = run.returncode
    (work / "stderr").write_bytes(run.stderr)
    if not target.exists():
        refused = re.search(rb"a magyarazat nem irhato ki: (.*)\.$", run.stderr, re.MULTILINE)
        if form == "sql" and refused and status == 1:
            raise Refused(as_text(refused.group(1)))
        raise AssertionError(f"no explanation written (status {status})")
    output = work / "output.txt"
    result = None
    if status == 0 and output.exists():
        copy = (work / "input.txt").read_bytes().replace(b"\r\n", b"\n")
        if b"\n" not in copy:
            copy = copy.replace(b"\r", b"\n")  # a file with no LF ends its lines with CR
        out = output.read_bytes()
        if not out.startswith(copy):
            raise AssertionError("the output file does not begin with the input")
        trailing = len(copy) - len(copy.rstrip(b"\n"))
        section = out[len(copy) + max(0, 2 - trailing):]
        if section:
            header, _, rows = section[:-1].partition(b"\n")
            result = (header, rows)
    return status, target, result


def parse_rows(rows, types):
    """The output's row lines as values: int columns as text, char columns
    between their quotes. The types make the split unambiguous enough."""
    if not types:
        return []
    field = {True: rb"(.*?)", False: rb"'(.*?)'"}
    line = b",".join(field[t == "int"] for t in types) + b"\n"
    count = rows.count(b"\n")
    for n in range(count, 0, -1):  # values may hold line ends: try fewer, longer rows
        match = re.fullmatch(line * n, rows, re.DOTALL)
        if match:
            values = match.groups()
            return [values[i:i + len(types)] for i in range(0, len(values), len(types))]
    if rows:
        raise AssertionError(f"cannot read the result rows {rows!r}")
    return []


def check_json(tabulon, case, work, tool):
    status, path, result = run_case(tabulon, case, work, "json")
    doc = json.loads(path.read_bytes())
    base = {"version", "root", "nodes", "warnings", "errors"}
    allowed = base | ({"error"} if status else set())
    assert set(doc) - {"error"} == base and set(doc) <= allowed, f"top keys {set(doc)}"
    # The warnings are those of standard error, in its order.
    warned = re.findall(rb"^tabulon: input\.txt(?::(\d+))?(?::(\d+))?: Figyelem: ", (work / "stderr").read_bytes(), re.M)
    assert [(w["line"], w["column"]) for w in doc["warnings"]] == [(int(a or 0), int(b or 0)) for a, b in warned], \
        f"warnings {doc['warnings']}, standard error {warned}"
    # The errors too; a failure that is no mistake of the file (memory) has none.
    errors = [e for e in re.findall(rb"^tabulon: input\.txt(?::(\d+))?(?::(\d+))?: (.*)$",
                                    (work / "stderr").read_bytes(), re.M) if e[0] and not e[2].startswith(b"Figyelem: ")]
    assert [(e["line"], e["column"]) for e in doc["errors"]] == [(int(a or 0), int(b or 0)) for a, b, _ in errors] \
        or not doc["errors"] and len(errors) <= 1, f"errors {doc['errors']}, standard error {errors}"
    assert all(set(w) == {"line", "column", "text"} and isinstance(w["text"], str)
               for w in doc["warnings"] + doc["errors"])
    assert doc["version"] == 1
    nodes = {}
    for node in doc["nodes"]:
        base = {"id", "kind", "text", "line", "column", "operands"}
        extra = {"result"} if node["kind"] in OPERATORS else {"true_rows"} if node["kind"] in CONDITIONS else set()
        if node["kind"] in MATCHING:
            extra.add("keys")
            assert isinstance(node["keys"], list) and all(isinstance(k, str) for k in node["keys"])
        if node["kind"] == "name" and "input" in node:
            extra = {"input"}
            check_result(node["input"], timed=False)
        assert set(node) == base | extra, f"node keys {set(node)}"
        assert node["kind"] in KINDS and isinstance(node["text"], str)
        assert all(isinstance(node[k], int) and node[k] >= 0 for k in ("id", "line", "column"))
        assert node["id"] not in nodes
        nodes[node["id"]] = node
        if node.get("true_rows") is not None:
            assert isinstance(node["true_rows"], int) and node["true_rows"] >= 0
        if node.get("result") is not None:
            check_result(node["result"])
    for node in nodes.values():
        assert all(isinstance(i, int) and i in nodes and i > node["id"] for i in node["operands"]), node
    assert doc["root"] is None or doc["root"] in nodes
    if "error" in doc:
        error = doc["error"]
        assert set(error) == {"node", "line", "column", "message"} and isinstance(error["message"], str)
        assert error["node"] is None or nodes[error["node"]]["kind"] in OPERATORS
    if result is None:
        return None
    header, rows = result
    root = nodes[doc["root"]]["result"]
    assert root is not None, "a result relation was written, the explanation has none"
    types = [c["type"] for c in root["columns"]]
    shown = as_text(header)
    want = root["name"] + "(" + ", ".join(c["name"] + " " + c["type"] for c in root["columns"]) + ")"
    assert shown == want, f"header {shown!r}, explained {want!r}"
    values = parse_rows(rows, types)
    assert root["row_count"] == len(values), f"{root['row_count']} rows explained, {len(values)} written"
    for row, written in zip(root["rows"], values):
        got = [to_int32(v) if t == "int" else as_text(v) for v, t in zip(written, types)]
        assert row == got, f"explained row {row}, written {got}"
    return None


def check_result(result, timed=True):
    assert set(result) == {"name", "columns", "row_count", "rows", "truncated"} | ({"ms"} if timed else set()), set(result)
    types = []
    for column in result["columns"]:
        assert set(column) == {"name", "type"} and isinstance(column["name"], str)
        assert re.fullmatch(r"int|char\(-?[0-9]+\)", column["type"]), column["type"]
        types.append(int if column["type"] == "int" else str)
    rows = result["rows"]
    assert isinstance(result["row_count"], int) and len(rows) <= min(result["row_count"], DEFAULT_ROWS)
    assert result["truncated"] is (len(rows) < result["row_count"])
    assert not timed or isinstance(result["ms"], (int, float)) and result["ms"] >= 0
    for row in rows:
        assert len(row) == len(types) and all(type(v) is t for v, t in zip(row, types)), row


def sqlite_rows(text):
    """Rows of the sqlite3 shell's quote mode: ints bare, texts quoted with
    '' for a quote; each row rendered as tabulon writes it."""
    rows, row, i = [], [], 0
    while i < len(text):
        if text[i:i + 1] == b"'":
            end = i + 1
            while True:
                end = text.index(b"'", end)
                if text[end + 1:end + 2] != b"'":
                    break
                end += 2
            row.append(b"'" + text[i + 1:end].replace(b"''", b"'") + b"'")
            i = end + 1
        else:
            m = re.match(rb"-?[0-9]+", text[i:])
            if not m:
                raise AssertionError(f"unexpected sqlite3 output at {text[i:i + 40]!r}")
            row.append(m.group(0))
            i += len(m.group(0))
        sep = text[i:i + 1]
        i += 1
        if sep == b"\n":
            rows.append(b",".join(row) + b"\n")
            row = []
        elif sep != b",":
            raise AssertionError(f"unexpected separator {sep!r} in sqlite3 output")
    return b"".join(rows)


def check_sql(tabulon, case, work, sqlite):
    try:
        status, path, result = run_case(tabulon, case, work, "sql")
    except Refused as refused:
        return f"refused: {refused}"
    script = path.read_bytes()
    if result is None:
        assert b"\nSELECT " not in script, "a query for a run without a result"
        return NO_RESULT
    warnings = re.findall(rb"^-- Warning: (.*)$", script, re.MULTILINE)
    if warnings:
        return as_text(b"; ".join(warnings))
    run = subprocess.run([sqlite, "-batch", "-bail", ":memory:"], input=b".mode quote\n" + script,
                         capture_output=True)
    assert run.returncode == 0 and not run.stderr, f"sqlite3: {run.stderr.decode(errors='replace')}"
    got = sqlite_rows(run.stdout)
    assert got == result[1], f"sqlite3 gives\n{got!r}\ntabulon\n{result[1]!r}"
    return None


def check_dot(tabulon, case, work, dot):
    status, path, result = run_case(tabulon, case, work, "dot")
    run = subprocess.run([dot, "-Tsvg", str(path), "-o", str(work / "explain.svg")], capture_output=True)
    assert run.returncode == 0 and not run.stderr, f"dot: {run.stderr.decode(errors='replace')}"
    return None


def main():
    form, golden, work = sys.argv[1], sys.argv[3], sys.argv[4]
    tabulon = str(Path(sys.argv[2]).resolve())  # runs in each case's folder
    tool = sys.argv[5] if len(sys.argv) > 5 else None
    check = {"json": check_json, "sql": check_sql, "dot": check_dot}[form]
    failures, checked, skipped, without = [], 0, 0, 0
    for case in sorted(Path(golden).iterdir()):
        if not (case / "input.txt").is_file():
            continue
        try:
            reason = check(tabulon, case, Path(work) / case.name, tool)
        except (AssertionError, ValueError, KeyError, TypeError) as e:
            failures.append(f"{case.name}: {e}")
            continue
        if reason == NO_RESULT:
            without += 1
        elif reason:
            skipped += 1
            print(f"skipped {case.name}: {reason}")
        else:
            checked += 1
    for failure in failures:
        print(f"FAILED {failure}")
    print(f"{form}: {checked} checked, {skipped} skipped, {without} without a result, {len(failures)} failed")
    if checked == 0:
        print("nothing was checked")
        return 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
