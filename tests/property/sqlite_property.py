#!/usr/bin/env python3
"""Property test: random input files with nested commands over all six
operators (with --extended, the extended ones too), each result compared row
by row, in order, with the sqlite3 shell evaluating the same algebra.

Usage: sqlite_property.py TABULON [--extended] [--cases N] [--seed S] [--case I] [--keep DIR]

Every case is rebuilt from (seed, index) alone, so --seed S --case I replays
one. A failing case's files go to DIR/seed-S-case-I (input.txt, output.txt,
expected.txt, case.sql to feed to sqlite3). The SQL script of each case's
explanation (--explain) must give the same rows too, wherever it writes a
query without a warning.
"""
import argparse
import collections
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

SIX = ['union', 'minus', 'product', 'project', 'rename', 'select']
EXTENDED = ['intersect', 'join', 'semijoin', 'antijoin', 'divide']
OPERATORS = SIX  # with --extended, SIX + EXTENDED
COMPARISONS = {'EQ': '=', 'NEQ': '<>', 'LT': '<', 'LTE': '<=', 'GT': '>', 'GTE': '>='}
EXTREMES = [-2147483648, 2147483647, -1000000, 99999]
ALPHABET = 'aAbZz019'
TEMP = '__!!temp'  # every result's name but rename's
MAX_ROWS = 300  # bound on a product's rows, so that no case is slow

# text: the command; name: the result's; cols: [(name, 'int' | 'char', width)];
# sql: a query giving rn (the row order) and c0, c1, ...; bases: relation names
# used; renamed: those that rename takes directly; rows: an upper bound.
Node = collections.namedtuple('Node', 'text name cols sql bases renamed rows')


def render(value):
    return str(value) if isinstance(value, int) else "'" + value + "'"


def header(name, cols):
    return name + '(' + ', '.join(f'{n} int' if t == 'int' else f'{n} char({w})' for n, t, w in cols) + ')'


def relation_text(name, cols, rows):
    return header(name, cols) + '\n' + ''.join(','.join(map(render, row)) + '\n' for row in rows)


class Case:
    def __init__(self, seed, index):
        self.rng = rng = random.Random(f'{seed}/{index}')
        self.index = index
        self.sep = rng.choice([',', ', '])
        self.ints = rng.sample(range(-3, 9), rng.randint(2, 6))
        if rng.random() < 0.2:
            self.ints.append(rng.choice(EXTREMES))
        self.chars = list({''.join(rng.choices(ALPHABET, k=rng.choice([0, 1, 1, 2, 2, 3, 5])))
                           for _ in range(rng.randint(2, 6))})
        if rng.random() < 0.2:  # texts alike in their first eight bytes; letters, so as numbers they are 0
            stem = ''.join(rng.choices('aAbZz', k=8))
            self.chars += [stem, stem + 'a', stem + 'Z']
        self.chars.sort()
        signatures = [[rng.choice(['int', 'char']) for _ in range(rng.randint(1, 3))]
                      for _ in range(rng.randint(1, 2))]
        self.relations = {}
        for r in range(rng.randint(1, 4)):
            name = 'ABCD'[r]
            cols = [(f'{name.lower()}{i + 1}', t, rng.randint(1, 6)) for i, t in enumerate(rng.choice(signatures))]
            rows = {tuple(self.value(t) for _, t, _ in cols) for _ in range(rng.randint(0, 8))}
            self.relations[name] = (cols, sorted(rows))  # ASCII text: Python's order is byte order
        self.fresh = 0
        while True:
            self.fresh = 0
            top = self.expression(rng.randint(1, 4), top=True)
            uses = collections.Counter(top.bases)
            if all(uses[r] == 1 for r in top.renamed):  # a renamed relation is gone for the rest of the command
                break
        self.command, self.name, self.cols, self.query = top.text, top.name, top.cols, top.sql
        self.text = self.input_text()

    def value(self, kind):
        return self.rng.choice(self.ints) if kind == 'int' else self.rng.choice(self.chars)

    def new_name(self, prefix):
        self.fresh += 1
        return f'{prefix}{self.fresh}'

    def input_text(self):
        rng, parts = self.rng, [self.command + '\n']
        for name, (cols, rows) in self.relations.items():
            lines = [header(name, cols)]
            for row in rows:
                # Quoting is optional for values that hold no separator.
                lines.append(self.sep.join(f"'{v}'" if isinstance(v, int) and rng.random() < 0.1 else
                                           v if isinstance(v, str) and v and rng.random() < 0.2 else
                                           render(v) for v in row))
            parts.append('\n'.join(lines) + '\n\n')
        return ''.join(parts)

    def sql_script(self):
        lines = []
        for name, (cols, rows) in self.relations.items():
            table = f'k{self.index}_{name}'
            types = ''.join(f', c{i} {"INTEGER" if t == "int" else "TEXT"}' for i, (_, t, _) in enumerate(cols))
            lines.append(f'CREATE TABLE {table}(rn INTEGER{types});')
            if rows:
                values = ', '.join('(' + ', '.join([str(n + 1)] + [render(v) for v in row]) + ')'
                                   for n, row in enumerate(rows))
                lines.append(f'INSERT INTO {table} VALUES {values};')
        out = ', '.join(f'c{i}' for i in range(len(self.cols)))
        lines.append(f"SELECT '#{self.index}';")
        lines.append(f'SELECT {out} FROM ({self.query}) ORDER BY rn;')
        return '\n'.join(lines) + '\n'

    # Relational expressions

    def expression(self, depth, top=False):
        if depth == 0 or not top and self.rng.random() < 0.2:
            return self.base()
        op = self.rng.choice(OPERATORS)
        if op in ('union', 'minus', 'intersect'):
            return self.merge(op, depth)
        if op == 'product':
            return self.product(depth)
        if op == 'join':
            return self.join(depth)
        if op in ('semijoin', 'antijoin'):
            return self.semijoin(op, depth)
        if op == 'divide':
            return self.divide(depth)
        a = self.expression(depth - 1)
        if op == 'project':
            return self.project(a)
        if op == 'rename':
            return self.rename(a)
        return self.select(a)

    def base(self, kinds=None):
        names = [r for r, (cols, _) in self.relations.items() if kinds is None or [t for _, t, _ in cols] == kinds]
        if not names:
            return None
        name = self.rng.choice(names)
        cols, rows = self.relations[name]
        return Node(name, name, cols, f'SELECT * FROM k{self.index}_{name}', [name], [], len(rows))

    def merge(self, op, depth):
        a = self.expression(depth - 1)
        kinds = [t for _, t, _ in a.cols]
        for _ in range(6):
            b = self.expression(depth - 1)
            if [t for _, t, _ in b.cols] == kinds:
                break
        else:
            b = self.base(kinds)
            if b is None:
                return self.select(a)
        cs = ', '.join(f'c{i}' for i in range(len(a.cols)))
        setop = {'union': 'UNION', 'minus': 'EXCEPT', 'intersect': 'INTERSECT'}[op]
        sql = (f'SELECT ROW_NUMBER() OVER (ORDER BY {cs}) AS rn, * FROM '
               f'(SELECT {cs} FROM ({a.sql}) {setop} SELECT {cs} FROM ({b.sql}))')
        rows = a.rows + b.rows if op == 'union' else a.rows
        return Node(f'{op}({a.text}{self.sep}{b.text})', TEMP, a.cols, sql, a.bases + b.bases,
                    a.renamed + b.renamed, rows)

    def product(self, depth):
        a, b = self.expression(depth - 1), self.expression(depth - 1)
        if a.rows * b.rows > MAX_ROWS or len(a.cols) + len(b.cols) > 8:
            return self.select(a)
        m = len(a.cols)
        picks = [f'x.c{i} AS c{i}' for i in range(m)] + [f'y.c{i} AS c{m + i}' for i in range(len(b.cols))]
        sql = (f'SELECT ROW_NUMBER() OVER (ORDER BY x.rn, y.rn) AS rn, {", ".join(picks)} '
               f'FROM ({a.sql}) x, ({b.sql}) y')
        return Node(f'product({a.text}{self.sep}{b.text})', TEMP, a.cols + b.cols, sql, a.bases + b.bases,
                    a.renamed + b.renamed, a.rows * b.rows)

    def distinct_names(self, a):
        """a, renamed where a name repeats: joins match on names."""
        return a if len(self.unique(a.cols)) == len(a.cols) else self.rename(a, every=True)

    def sharing(self, a, b):
        """b renamed so that some of its columns take names of a's of their kind."""
        free = list(range(len(a.cols)))
        self.rng.shuffle(free)
        names = []
        for _, t, _ in b.cols:
            match = [i for i in free if a.cols[i][1] == t]
            if match and self.rng.random() < 0.6:
                free.remove(match[0])
                names.append(a.cols[match[0]][0])
            else:
                names.append(self.new_name('x'))
        return self.rename_to(b, names)

    def rename_to(self, a, names):
        name = self.new_name('N')
        cols = [(names[i], t, w) for i, (n, t, w) in enumerate(a.cols)]
        text = f'rename({a.text}{self.sep}{name}({self.sep.join(names)}))'
        renamed = [a.text] if a.text in self.relations else []
        return Node(text, name, cols, a.sql, a.bases, a.renamed + renamed, a.rows)

    @staticmethod
    def pairs(a, b):
        """(i, j) for each name that a's column i and b's column j share."""
        where = {n: i for i, (n, _, _) in enumerate(a.cols)}
        return [(where[n], j) for j, (n, _, _) in enumerate(b.cols) if n in where]

    def join(self, depth):
        a = self.distinct_names(self.expression(depth - 1))
        b = self.expression(depth - 1)
        if a.rows * b.rows > MAX_ROWS or len(a.cols) + len(b.cols) > 8:
            return self.select(a)
        if self.rng.random() < 0.5:
            b = self.sharing(a, self.distinct_names(b))
            shared = self.pairs(a, b)
            rest = [j for j in range(len(b.cols)) if j not in {j for _, j in shared}]
            m = len(a.cols)
            picks = [f'x.c{i} AS c{i}' for i in range(m)] + [f'y.c{j} AS c{m + k}' for k, j in enumerate(rest)]
            on = ' AND '.join(f'x.c{i} = y.c{j}' for i, j in shared) or '1 = 1'
            sql = (f'SELECT ROW_NUMBER() OVER (ORDER BY x.rn, y.rn) AS rn, {", ".join(picks)} '
                   f'FROM ({a.sql}) x JOIN ({b.sql}) y ON {on}')
            return Node(f'join({a.text}{self.sep}{b.text})', TEMP, a.cols + [b.cols[j] for j in rest], sql,
                        a.bases + b.bases, a.renamed + b.renamed, a.rows * b.rows)
        cols = a.cols + b.cols
        m = len(a.cols)
        text, cond = self.condition(cols, self.rng.randint(0, 2))
        left = [i for i, _ in self.unique(cols) if i < m]
        right = [i for i, _ in self.unique(cols) if i >= m]
        if left and right and self.rng.random() < 0.7:  # an equality the join can hash on
            i, j = self.rng.choice(left), self.rng.choice(right)
            x, y = (f'c{i}', f'c{j}') if cols[i][1] == cols[j][1] == 'char' else (
                f'CAST(c{i} AS INTEGER)', f'CAST(c{j} AS INTEGER)')
            text, cond = f'AND(EQ({cols[i][0]}{self.sep}{cols[j][0]}){self.sep}{text})', f'({x} = {y} AND {cond})'
        picks = [f'x.c{i} AS c{i}' for i in range(m)] + [f'y.c{i} AS c{m + i}' for i in range(len(b.cols))]
        sql = (f'SELECT * FROM (SELECT ROW_NUMBER() OVER (ORDER BY x.rn, y.rn) AS rn, {", ".join(picks)} '
               f'FROM ({a.sql}) x, ({b.sql}) y) WHERE {cond}')
        return Node(f'join({a.text}{self.sep}{b.text}{self.sep}{text})', TEMP, cols, sql, a.bases + b.bases,
                    a.renamed + b.renamed, a.rows * b.rows)

    def semijoin(self, op, depth):
        a = self.distinct_names(self.expression(depth - 1))
        b = self.sharing(a, self.distinct_names(self.expression(depth - 1)))
        match = ''.join(f' AND x.c{i} = y.c{j}' for i, j in self.pairs(a, b))
        exists = 'EXISTS' if op == 'semijoin' else 'NOT EXISTS'
        sql = f'SELECT * FROM ({a.sql}) x WHERE {exists} (SELECT 1 FROM ({b.sql}) y WHERE 1 = 1{match})'
        return Node(f'{op}({a.text}{self.sep}{b.text})', TEMP, a.cols, sql, a.bases + b.bases,
                    a.renamed + b.renamed, a.rows)

    def divide(self, depth):
        for _ in range(6):
            a = self.distinct_names(self.expression(depth - 1))
            if len(a.cols) >= 2:
                break
        else:
            return self.semijoin('semijoin', depth)
        for _ in range(6):
            b = self.expression(depth - 1)
            if len(b.cols) >= len(a.cols):
                continue
            slots = list(range(len(a.cols)))
            self.rng.shuffle(slots)
            names = []
            for _, t, _ in b.cols:
                match = [i for i in slots if a.cols[i][1] == t]
                if match:
                    slots.remove(match[0])
                    names.append(a.cols[match[0]][0])
            if len(names) == len(b.cols):
                break
        else:
            return self.semijoin('antijoin', depth)
        b = self.rename_to(b, names)
        shared = self.pairs(a, b)
        quotient = sorted(slots)
        cs = ', '.join(f'c{k}' for k in range(len(quotient)))
        keep = ', '.join(f'x.c{i} AS c{k}' for k, i in enumerate(quotient))
        same = ' AND '.join([f'z.c{i} = x.c{i}' for i in quotient] + [f'z.c{i} = y.c{j}' for i, j in shared])
        sql = (f'SELECT ROW_NUMBER() OVER (ORDER BY {cs}) AS rn, * FROM (SELECT DISTINCT {keep} FROM ({a.sql}) x '
               f'WHERE NOT EXISTS (SELECT 1 FROM ({b.sql}) y WHERE NOT EXISTS '
               f'(SELECT 1 FROM ({a.sql}) z WHERE {same})))')
        return Node(f'divide({a.text}{self.sep}{b.text})', TEMP, [a.cols[i] for i in quotient], sql,
                    a.bases + b.bases, a.renamed + b.renamed, a.rows)

    def unique(self, cols):
        """Columns that a name finds unambiguously, with their positions."""
        count = collections.Counter(n for n, _, _ in cols)
        return [(i, c) for i, c in enumerate(cols) if count[c[0]] == 1]

    def project(self, a):
        if not self.unique(a.cols):
            a = self.rename(a, every=True)
        picks = self.rng.sample(self.unique(a.cols), self.rng.randint(1, len(self.unique(a.cols))))
        if self.rng.random() < 0.1:
            picks.append(self.rng.choice(picks))  # a column named twice is given twice
        cs = ', '.join(f'c{j}' for j in range(len(picks)))
        inner = ', '.join(f'c{i} AS c{j}' for j, (i, _) in enumerate(picks))
        sql = f'SELECT ROW_NUMBER() OVER (ORDER BY {cs}) AS rn, * FROM (SELECT DISTINCT {inner} FROM ({a.sql}))'
        text = f'project({a.text}{self.sep}' + self.sep.join(c[0] for _, c in picks) + ')'
        return Node(text, TEMP, [c for _, c in picks], sql, a.bases, a.renamed, a.rows)

    def rename(self, a, every=False):
        rng, name = self.rng, self.new_name('N')
        count = len(a.cols) if every else rng.choice([0, len(a.cols), len(a.cols), rng.randint(1, len(a.cols) + 1)])
        names = [self.new_name('x') for _ in range(count)]
        # Names beyond the columns are ignored; columns beyond the names keep theirs.
        cols = [(names[i], t, w) if i < count else (n, t, w) for i, (n, t, w) in enumerate(a.cols)]
        text = f'rename({a.text}{self.sep}{name}' + (f'({self.sep.join(names)})' if names else '') + ')'
        renamed = [a.text] if a.text in self.relations else []
        return Node(text, name, cols, a.sql, a.bases, a.renamed + renamed, a.rows)

    def select(self, a):
        text, sql = self.condition(a.cols, self.rng.randint(0, 3))
        return Node(f'select({a.text}{self.sep}{text})', TEMP, a.cols, f'SELECT * FROM ({a.sql}) WHERE {sql}', a.bases,
                    a.renamed, a.rows)

    # Conditions: (text, SQL)

    def condition(self, cols, depth):
        rng = self.rng
        if depth > 0 and rng.random() < 0.6:
            word = rng.choice(['AND', 'OR', 'NOT'])
            p = self.condition(cols, depth - 1)
            if word == 'NOT':
                return f'NOT({p[0]})', f'NOT ({p[1]})'
            q = self.condition(cols, depth - 1)
            return f'{word}({p[0]}{self.sep}{q[0]})', f'({p[1]} {word} {q[1]})'
        word = rng.choice(list(COMPARISONS))
        candidates = self.unique(cols)
        sides = [rng.choice(candidates) if candidates and rng.random() < share else None for share in (0.8, 0.4)]
        rng.shuffle(sides)
        numeric = any(s and s[1][1] == 'int' for s in sides)
        texts, sqls = [], []
        for side in sides:
            if side:
                texts.append(side[1][0])
                sqls.append(f'c{side[0]}')
            else:
                value = self.value('char')
                if numeric:  # near the values, and within 32 bits
                    value = min(max(rng.choice(self.ints) + rng.choice([0, 0, 1, -1]), EXTREMES[0]), EXTREMES[1])
                texts.append(f"'{value}'")
                sqls.append(f"'{value}'")
        if numeric:  # an int operand makes both sides integers, text converted by its leading digits
            sqls = [f'CAST({s} AS INTEGER)' for s in sqls]
        return f'{word}({self.sep.join(texts)})', f'{sqls[0]} {COMPARISONS[word]} {sqls[1]}'


def sqlite_results(sqlite, cases):
    script = '.mode quote\n' + ''.join(case.sql_script() for case in cases)
    proc = subprocess.run([sqlite, '-bail', '-batch', ':memory:'], input=script, capture_output=True, text=True)
    if proc.returncode != 0 or proc.stderr:
        sys.exit(f'sqlite3 failed ({proc.returncode}): {proc.stderr.strip()}')
    results, current = {}, None
    for line in proc.stdout.splitlines():
        if line.startswith("'#"):
            current = results[int(line[2:-1])] = []
        else:
            current.append(tuple(f[1:-1] if f.startswith("'") else int(f) for f in line.split(',')))
    return results


def run_case(binary, sqlite, work, case, rows, extended):
    """Returns None when tabulon agrees with SQLite, else (reason, output file)."""
    data = case.text.encode()
    with open(os.path.join(work, 'input.txt'), 'wb') as f:
        f.write(data)
    out_path = os.path.join(work, 'output.txt')
    if os.path.exists(out_path):
        os.remove(out_path)
    try:
        proc = subprocess.run([binary] + ['--extended'] * extended + ['--explain', 'explain.sql', 'input.txt',
                                                                      'output.txt'], cwd=work,
                              stdin=subprocess.DEVNULL, capture_output=True, timeout=20)
    except subprocess.TimeoutExpired:
        return 'no end within 20 s', None
    # Warnings (a rename list shorter or longer than the columns, a column
    # projected twice) leave the result as it is; anything else on stderr fails.
    stray = [line for line in proc.stderr.splitlines() if b': Figyelem: ' not in line]
    if proc.returncode != 0 or stray:
        return f'status {proc.returncode}, stderr {proc.stderr.decode(errors="replace").strip()}', None
    with open(out_path, 'rb') as f:
        got = f.read()
    copy = data + b'\n' * (2 - (data.endswith(b'\n') + data.endswith(b'\n\n')))
    want = relation_text(case.name, case.cols, rows) + '\n'
    if not got.startswith(copy):
        return 'the copy of the input differs', got
    if got[len(copy):] != want.encode():
        tail = got[len(copy):].decode(errors='replace')
        return f'the result differs from SQLite\n  sqlite:  {want!r}\n  tabulon: {tail!r}', got
    return check_script(sqlite, work, rows, got)


SCRIPTS_CHECKED = [0]


def check_script(sqlite, work, rows, got):
    """The explanation's SQL script must give tabulon's rows, in its order,
    wherever it says it can (no "No query" and no warning)."""
    with open(os.path.join(work, 'explain.sql'), encoding='utf-8', errors='replace') as f:
        script = f.read()
    if '-- No query' in script or '-- Warning:' in script:
        return None
    SCRIPTS_CHECKED[0] += 1
    proc = subprocess.run([sqlite, '-bail', '-batch', ':memory:'], input='.mode quote\n' + script,
                          capture_output=True, text=True)
    if proc.returncode != 0 or proc.stderr:
        return f'the explanation\'s SQL fails in sqlite3: {proc.stderr.strip()}', got
    script_rows = [tuple(f[1:-1] if f.startswith("'") else int(f) for f in line.split(','))
                   for line in proc.stdout.splitlines()]
    if script_rows != rows:
        return f'the explanation\'s SQL gives other rows\n  script:  {script_rows!r}\n  tabulon: {rows!r}', got
    return None


def keep(folder, seed, case, rows, output):
    path = os.path.join(folder, f'seed-{seed}-case-{case.index}')
    os.makedirs(path, exist_ok=True)
    files = {'input.txt': case.text, 'case.sql': '.mode quote\n' + case.sql_script(),
             'expected.txt': relation_text(case.name, case.cols, rows)}
    for name, content in files.items():
        with open(os.path.join(path, name), 'w') as f:
            f.write(content)
    if output is not None:
        with open(os.path.join(path, 'output.txt'), 'wb') as f:
            f.write(output)
    return path


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    parser.add_argument('tabulon')
    parser.add_argument('--cases', type=int, default=2000)
    parser.add_argument('--seed', type=int, default=2026)
    parser.add_argument('--case', type=int, help='run this one case only')
    parser.add_argument('--keep', default='property-failures', help='folder for failing cases')
    parser.add_argument('--sqlite', default='sqlite3')
    parser.add_argument('--extended', action='store_true', help='the extended operators too')
    args = parser.parse_args()
    global OPERATORS
    OPERATORS = SIX + EXTENDED if args.extended else SIX
    binary = os.path.abspath(args.tabulon)
    sqlite = shutil.which(args.sqlite)
    if sqlite is None:
        print(f'{args.sqlite} not found: install the sqlite3 package (scripts/ensure-tools does as root)')
        return 1 if os.environ.get('CI') == 'true' else 77  # 77: skipped, outside CI
    indices = [args.case] if args.case is not None else list(range(args.cases))
    print(f'seed {args.seed}, {len(indices)} cases')
    start = time.monotonic()
    failures, operators, nonempty = 0, collections.Counter(), 0
    with tempfile.TemporaryDirectory() as work:
        for chunk in range(0, len(indices), 500):
            cases = [Case(args.seed, i) for i in indices[chunk:chunk + 500]]
            results = sqlite_results(sqlite, cases)
            for case in cases:
                rows = results[case.index]
                operators.update(w for w in OPERATORS if re.search(rf'\b{w}\(', case.command))
                nonempty += bool(rows)
                failure = run_case(binary, sqlite, work, case, rows, args.extended)
                if failure:
                    failures += 1
                    if failures <= 10:
                        path = keep(args.keep, args.seed, case, rows, failure[1])
                        reason, _, detail = failure[0].partition('\n')
                        print(f'FAIL case {case.index}: {reason}\n  command: {case.command}\n  files:   {path}\n'
                              f'  replay:  {sys.executable} {os.path.abspath(sys.argv[0])} {binary} '
                              f'--seed {args.seed} --case {case.index}\n{detail}'.rstrip())
    seconds = time.monotonic() - start
    print(f'{len(indices) - failures} of {len(indices)} cases agree with SQLite ({seconds:.1f} s); '
          f'{nonempty} results hold rows; {SCRIPTS_CHECKED[0]} explanation scripts give the same rows; '
          'commands using ' +
          ', '.join(f'{w} {operators[w]}' for w in OPERATORS))
    # A generator that drifted into trivial cases would pass without testing much.
    if len(indices) >= 200 and (min(operators[w] for w in OPERATORS) < len(indices) // (20 + 20 * args.extended) or
                                nonempty < len(indices) // 4 or SCRIPTS_CHECKED[0] < len(indices) // 2):
        print('FAIL the generated cases no longer cover every operator, or too few results hold rows')
        return 1
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
