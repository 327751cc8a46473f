#!/usr/bin/env python3
"""Mistake-mutation property test: a random valid input file, one edit of the
kind a person makes that breaks the file's structure, and the program must not
answer it with a quietly different result.

Usage: mistakes.py TABULON [--cases N] [--seed S] [--case I] [--show-forbidden K]

Each case takes a valid input (the generator of sqlite_property.py, written out
by this script's own writer) and runs the program on it; then applies one edit,
outside values and literals, that this script's grammar of the file rejects:

  comma-drop, comma-double      a ',' of the command, a header or a row
  paren-drop, paren-double      a '(' or ')' of the command or a header
  quote-drop, quote-double      a quote around a literal or a row value
  letter-change, letter-drop,   one letter of a keyword or a name, so that the
  letter-recase                 word names no keyword, relation or column
  nbsp, zwsp                    U+00A0 or U+200B inside a keyword or a name
  blank-line-blanks             an empty line turned into blanks and tabs
  lines-joined                  the line end between two lines removed

An edit that leaves a file the grammar accepts (such as an empty line dropped
after the command, or a column of an unused relation renamed) is not made:
whatever the program then answers is a meaning of its own. On the edited file
every answer is allowed but one: exit status 0, no warning line
(": Figyelem: ") on standard error, and a result relation other than the
original's. Any such case fails the test; a crash or a hang does too, and so
does a valid original that does not run cleanly.

Every case is rebuilt from (seed, index) alone: --seed S --case I replays one.
Not yet part of the CTest suite; run it by hand:
  tests/property/mistakes.py build/default/tabulon
"""
import argparse
import collections
import json
import multiprocessing
import os
import random
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import sqlite_property  # noqa: E402  (its generator of relations and commands)

KINDS = ['comma-drop', 'comma-double', 'paren-drop', 'paren-double', 'quote-drop', 'quote-double',
         'letter-change', 'letter-drop', 'letter-recase', 'nbsp', 'zwsp', 'blank-line-blanks', 'lines-joined']
OUTCOMES = ['error', 'warning', 'same result', 'forbidden', 'crash']
RELATION_OPS = {'union', 'minus', 'product', 'project', 'rename', 'select'}
COMPARISONS = {'EQ', 'NEQ', 'LT', 'LTE', 'GT', 'GTE'}
KEYWORDS = RELATION_OPS | COMPARISONS | {'AND', 'OR', 'NOT', 'int', 'integer', 'char'}
WARNING = b': Figyelem: '
BLANKS = ' \t'
INT = re.compile(r'-?[0-9]+\Z')
PLAIN = re.compile(r'[A-Za-z0-9]+\Z')
NAME = re.compile(r'[A-Za-z0-9_]+')


class Reject(Exception):
    """The grammar does not accept the file."""


# Token roles. Words: keyword (operator, condition, type) or a name; marks: the
# punctuation that the edits touch.
Token = collections.namedtuple('Token', 'kind role start end text')


# The grammar of the file. Stricter than what the program reads: a file it
# accepts is a file a careful person writes; everything else counts as broken.
#
#   file     = command NL { NL } { relation { NL } }
#   command  = B expr B                         (B: blanks and tabs)
#   expr     = NAME | union|minus|product ( expr , expr ) | project ( expr , COL {, COL} )
#            | rename ( expr , NAME [ ( COL {, COL} ) ] ) | select ( expr , cond )
#   cond     = AND|OR ( cond , cond ) | NOT ( cond ) | EQ|NEQ|LT|LTE|GT|GTE ( opd , opd )
#   opd      = COL | 'text on one line'
#   relation = NAME ( COL B TYPE {, COL B TYPE} ) NL { row NL }    (blanks after , and around ( ) )
#   TYPE     = int | integer | char(n), n >= 1
#   row      = value {, value}; a value is an int, a word of letters and digits
#              (char columns), or '...' on one line
# and the names resolve: relations defined once, columns named once, every
# column a command names found exactly once in its operand, union and minus
# over the same column types, rename with one name per column, a relation that
# rename takes used once, values no longer than their char(n).

class Parsed:
    def __init__(self, text):
        self.text = text
        self.tokens = []
        self.relations = {}  # name -> [(column, 'int' | 'char', width)]
        self.empty_lines = []  # offsets of empty lines (their line end)
        self.line_ends = []  # offsets of every line end followed by more text
        self.names = set()  # every word of the file: a changed word must be none of them
        self.parse()

    def add(self, kind, role, start, end):
        self.tokens.append(Token(kind, role, start, end, self.text[start:end]))

    def parse(self):
        text = self.text
        if '\r' in text:
            raise Reject('a carriage return')
        lines, offset = [], 0
        for line in text.split('\n'):
            lines.append((offset, line))
            offset += len(line) + 1
        if lines[-1][1] == '':
            lines.pop()  # the text after the final line end
        self.line_ends = [start + len(line) for start, line in lines if start + len(line) + 1 < len(text)]
        if not lines:
            raise Reject('an empty file')
        self.command = self.parse_command(*lines[0])
        i, n = 1, len(lines)
        while i < n:
            start, line = lines[i]
            if line == '':
                self.empty_lines.append(start)
                i += 1
                continue
            name, cols = self.parse_header(start, line)
            i += 1
            while i < n and lines[i][1] != '':
                self.parse_row(*lines[i], name, cols)
                i += 1
        self.check_command()

    # The command line

    def lex_command(self, start, line):
        out, i = [], 0
        while i < len(line):
            c = line[i]
            if c in BLANKS:
                i += 1
            elif c in '(),':
                out.append([c, start + i, start + i + 1])
                i += 1
            elif c == "'":
                j = line.find("'", i + 1)
                if j < 0:
                    raise Reject('a literal without its closing quote')
                out.append(['lit', start + i, start + j + 1])
                i = j + 1
            else:
                m = NAME.match(line, i)
                if not m:
                    raise Reject(f'{c!r} in the command')
                out.append(['word', start + i, start + m.end()])
                i = m.end()
        return out

    def parse_command(self, start, line):
        self.lexed, self.at = self.lex_command(start, line), 0
        tree = self.expr()
        if self.at != len(self.lexed):
            raise Reject('text after the command')
        return tree

    def peek(self):
        return self.lexed[self.at][0] if self.at < len(self.lexed) else None

    def take(self, kind, role):
        if self.peek() != kind:
            raise Reject(f'{kind} expected')
        _, s, e = self.lexed[self.at]
        self.at += 1
        self.add(kind, role, s, e)
        return self.text[s:e]

    def word(self, role):
        w = self.take('word', role)
        self.names.add(w)
        return w

    def expr(self):
        if self.at + 1 < len(self.lexed) and self.lexed[self.at + 1][0] == '(':
            op = self.take('word', 'operator')
            if op not in RELATION_OPS:
                raise Reject(f'{op} is no operator')
            self.take('(', 'command')
            a = self.expr()
            self.take(',', 'command')
            if op in ('union', 'minus', 'product'):
                node = (op, a, self.expr())
            elif op == 'project':
                cols = [self.word('column')]
                while self.peek() == ',':
                    self.take(',', 'command')
                    cols.append(self.word('column'))
                node = (op, a, cols)
            elif op == 'rename':
                target, cols = self.word('relation'), None
                if self.peek() == '(':
                    self.take('(', 'command')
                    cols = [self.word('column')]
                    while self.peek() == ',':
                        self.take(',', 'command')
                        cols.append(self.word('column'))
                    self.take(')', 'command')
                node = (op, a, target, cols)
            else:
                node = (op, a, self.cond())
            self.take(')', 'command')
            return node
        name = self.word('relation')
        if name in KEYWORDS:
            raise Reject(f'keyword {name} as a relation')
        return ('rel', name)

    def cond(self):
        word = self.take('word', 'operator')
        self.take('(', 'command')
        if word in ('AND', 'OR', *COMPARISONS):
            sub = self.cond if word in ('AND', 'OR') else self.operand
            a = sub()
            self.take(',', 'command')
            node = (word, a, sub())
        elif word == 'NOT':
            node = (word, self.cond())
        else:
            raise Reject(f'{word} is no condition')
        self.take(')', 'command')
        return node

    def operand(self):
        if self.peek() == 'lit':
            return ('lit', self.take('lit', 'literal')[1:-1])
        return ('col', self.word('column'))

    # Relations

    def parse_header(self, start, line):
        m = NAME.match(line)
        if not m:
            raise Reject('a header without a name')
        name = m.group()
        self.add('word', 'header relation', start, start + m.end())
        i = m.end()
        if i >= len(line) or line[i] != '(':
            raise Reject('( expected after the relation name')
        self.add('(', 'header', start + i, start + i + 1)
        i += 1
        cols = []
        while True:
            while i < len(line) and line[i] in BLANKS:
                i += 1
            m = NAME.match(line, i)
            if not m:
                raise Reject('a column name expected')
            self.add('word', 'header column', start + i, start + m.end())
            col, i = m.group(), m.end()
            if i >= len(line) or line[i] not in BLANKS:
                raise Reject('a blank expected after the column name')
            while i < len(line) and line[i] in BLANKS:
                i += 1
            m = NAME.match(line, i)
            if not m:
                raise Reject('a type expected')
            self.add('word', 'type', start + i, start + m.end())
            kind, i = m.group(), m.end()
            if kind in ('int', 'integer'):
                cols.append((col, 'int', 0))
            elif kind == 'char':
                m = re.compile(r'\(([0-9]+)\)').match(line, i)
                if not m or int(m.group(1)) < 1:
                    raise Reject('char(n) expected')
                self.add('(', 'header', start + i, start + i + 1)
                self.add(')', 'header', start + m.end() - 1, start + m.end())
                cols.append((col, 'char', int(m.group(1))))
                i = m.end()
            else:
                raise Reject(f'{kind} is no type')
            while i < len(line) and line[i] in BLANKS:
                i += 1
            if i < len(line) and line[i] == ',':
                self.add(',', 'header', start + i, start + i + 1)
                i += 1
                continue
            if i < len(line) and line[i] == ')':
                self.add(')', 'header', start + i, start + i + 1)
                i += 1
                break
            raise Reject(', or ) expected in the header')
        if line[i:].strip(BLANKS):
            raise Reject('text after the header')
        if name in self.relations:
            raise Reject(f'relation {name} defined twice')
        if len({c for c, _, _ in cols}) != len(cols):
            raise Reject('a column name twice in a header')
        self.relations[name] = cols
        self.names.update([name] + [c for c, _, _ in cols])
        return name, cols

    def parse_row(self, start, line, name, cols):
        i, values = 0, []
        while True:
            while i < len(line) and line[i] in BLANKS:
                i += 1
            if i < len(line) and line[i] == "'":
                j = line.find("'", i + 1)
                if j < 0:
                    raise Reject('a value without its closing quote')
                self.add("'", 'value', start + i, start + i + 1)
                self.add("'", 'value', start + j, start + j + 1)
                values.append((line[i + 1:j], True))
                i = j + 1
                while i < len(line) and line[i] in BLANKS:
                    i += 1
            else:
                j = i
                while j < len(line) and line[j] != ',':
                    j += 1
                values.append((line[i:j], False))
                i = j
            if i == len(line):
                break
            if line[i] != ',':
                raise Reject('text after a quoted value')
            self.add(',', 'row', start + i, start + i + 1)
            i += 1
        if len(values) != len(cols):
            raise Reject(f'{len(values)} values for {len(cols)} columns')
        for (value, quoted), (_, kind, width) in zip(values, cols):
            if kind == 'int' and not INT.match(value):
                raise Reject(f'{value!r} in an int column')
            if kind == 'char' and (not quoted and not PLAIN.match(value) or len(value) > width):
                raise Reject(f'{value!r} in a char({width}) column')

    # Names

    def check_command(self):
        uses, renamed = collections.Counter(), []
        self.schema(self.command, uses, renamed)
        if any(uses[r] > 1 for r in renamed):
            raise Reject('a relation used after rename took it')

    def schema(self, node, uses, renamed):
        op = node[0]
        if op == 'rel':
            if node[1] not in self.relations:
                raise Reject(f'no relation {node[1]}')
            uses[node[1]] += 1
            return [(c, t) for c, t, _ in self.relations[node[1]]]
        a = self.schema(node[1], uses, renamed)
        if op in ('union', 'minus', 'product'):
            b = self.schema(node[2], uses, renamed)
            if op == 'product':
                return a + b
            if [t for _, t in a] != [t for _, t in b]:
                raise Reject(f'{op} of different column types')
            return a
        if op == 'project':
            if len(set(node[2])) != len(node[2]):
                raise Reject('a column projected twice')
            return [a[self.column(a, c)] for c in node[2]]
        if op == 'rename':
            if node[1][0] == 'rel':
                renamed.append(node[1][1])
            if node[2] in KEYWORDS:
                raise Reject('a keyword as the new name')
            if node[2] in self.relations and node[2] != (node[1][1] if node[1][0] == 'rel' else None):
                raise Reject('a rename to another relation\'s name, which draws a warning')
            names = node[3]
            if names is None:
                return a
            if len(names) != len(a) or len(set(names)) != len(names) or set(names) & KEYWORDS:
                raise Reject('rename names do not match the columns')
            return [(n, t) for n, (_, t) in zip(names, a)]
        self.condition(a, node[2])
        return a

    def column(self, cols, name):
        found = [i for i, (c, _) in enumerate(cols) if c == name]
        if len(found) != 1:
            raise Reject(f'column {name} found {len(found)} times')
        return found[0]

    def condition(self, cols, node):
        if node[0] in ('AND', 'OR', 'NOT'):
            for sub in node[1:]:
                self.condition(cols, sub)
            return
        sides = node[1:]
        if all(s[0] == 'lit' for s in sides):
            raise Reject('a comparison of two literals, which draws a warning')
        ints = [s[0] == 'col' and cols[self.column(cols, s[1])][1] == 'int' for s in sides]
        if any(ints) and any(s[0] == 'lit' and not INT.match(s[1].strip(BLANKS)) for s in sides):
            raise Reject('an int column against a literal that is no number')


def accepted(text):
    try:
        Parsed(text)
        return True
    except Reject:
        return False


# The valid input

def write_input(case, rng):
    """The case's relations as text; char(n) wide enough for every value."""
    parts = [case.command + '\n' + '\n' * rng.choice([0, 0, 0, 1])]
    for name, (cols, rows) in case.relations.items():
        widths = [max([w] + [len(r[i]) for r in rows]) if t == 'char' else 0 for i, (_, t, w) in enumerate(cols)]
        head = name + '(' + ', '.join(f'{n} int' if t == 'int' else f'{n} char({w})'
                                      for (n, t, _), w in zip(cols, widths)) + ')'
        lines = [head]
        for row in rows:
            lines.append(case.sep.join(f"'{v}'" if isinstance(v, int) and rng.random() < 0.1 else
                                       v if isinstance(v, str) and v and rng.random() < 0.2 else
                                       sqlite_property.render(v) for v in row))
        parts.append('\n'.join(lines) + '\n\n')
    text = ''.join(parts)
    if rng.random() < 0.2 and case.relations[list(case.relations)[-1]][1]:
        text = text[:-1]  # the last relation ends at the end of the file
    return text


def valid_input(seed, index):
    for attempt in range(100):
        case = sqlite_property.Case(seed, f'{index}.{attempt}')
        text = write_input(case, random.Random(f'{seed}/{index}/{attempt}/text'))
        try:
            return Parsed(text)
        except Reject:
            continue  # rename with other than one name per column, a column projected twice
    raise RuntimeError(f'no valid input for case {index}')


# The edits: (kind, where, the edited text)

def where(parsed, pos):
    line = parsed.text.count('\n', 0, pos) + 1
    return f'{line}:{pos - (parsed.text.rfind(chr(10), 0, pos) + 1) + 1}'


def candidates(parsed, kind, rng):
    text, out = parsed.text, []

    def splice(start, end, new):
        return text[:start] + new + text[end:]

    marks = {'comma': ',', 'paren': '()', 'quote': "'"}
    family, _, action = kind.partition('-')
    if family in marks:
        for t in parsed.tokens:
            if t.kind == 'lit':  # a literal's quotes
                spots = [(t.start, "'"), (t.end - 1, "'")]
            elif t.kind in marks[family]:
                spots = [(t.start, t.kind)]
            else:
                continue
            for pos, ch in spots:
                if ch not in marks[family]:
                    continue
                new = '' if action == 'drop' else ch + ch
                what = f"{'dropped' if action == 'drop' else 'doubled'} {ch!r} ({t.role}) at {where(parsed, pos)}"
                out.append((what, splice(pos, pos + 1, new)))
    elif family in ('letter', 'nbsp', 'zwsp'):
        for t in parsed.tokens:
            if t.kind != 'word':
                continue
            w = t.text
            if family == 'nbsp' or family == 'zwsp':
                ch = '\u00a0' if family == 'nbsp' else '\u200b'
                for i in (range(1, len(w)) if len(w) > 1 else (0, 1)):
                    out.append((f'U+{ord(ch):04X} in {w!r} ({t.role}) at {where(parsed, t.start + i)}',
                                splice(t.start + i, t.start + i, ch)))
                continue
            for i, c in enumerate(w):
                if not c.isalpha():
                    continue
                if kind == 'letter-drop':
                    news = [w[:i] + w[i + 1:]]
                elif kind == 'letter-recase':
                    news = [w[:i] + c.swapcase() + w[i + 1:]]
                else:
                    news = [w[:i] + rng.choice([x for x in 'abcdefghijklmnopqrstuvwxyz' if x != c.lower()]) + w[i + 1:]]
                    news = [n if c.islower() else n[:i] + n[i].upper() + n[i + 1:] for n in news]
                for new in news:
                    if new in parsed.names or new in KEYWORDS:
                        continue  # it would name something else
                    out.append((f'{w!r} -> {new!r} ({t.role}) at {where(parsed, t.start)}',
                                splice(t.start, t.end, new)))
    elif kind == 'blank-line-blanks':
        for pos in parsed.empty_lines:
            blanks = ''.join(rng.choice([' ', ' ', '\t']) for _ in range(rng.randint(1, 3)))
            out.append((f'empty line {where(parsed, pos)} -> {blanks!r}', splice(pos, pos, blanks)))
    elif kind == 'lines-joined':
        for pos in parsed.line_ends:
            line = text.count('\n', 0, pos) + 1
            out.append((f'lines {line} and {line + 1} joined', splice(pos, pos + 1, '')))
    rng.shuffle(out)
    return out


def pick_edit(parsed, index, rng):
    """One edit that the grammar rejects, of the case's kind when one exists."""
    first = index % len(KINDS)
    for k in range(len(KINDS)):
        kind = KINDS[(first + k) % len(KINDS)]
        for what, edited in candidates(parsed, kind, rng):
            if not accepted(edited):
                return kind, what, edited
    return None


# Running the program

def run(binary, work, text):
    """(status, stderr, result): result is what follows the copy of the input."""
    data = text.encode()
    with open(os.path.join(work, 'input.txt'), 'wb') as f:
        f.write(data)
    out = os.path.join(work, 'output.txt')
    if os.path.exists(out):
        os.remove(out)
    try:
        proc = subprocess.run([binary, 'input.txt', 'output.txt'], cwd=work, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=20)
    except subprocess.TimeoutExpired:
        return None, b'no end within 20 s', None
    result = None
    if os.path.exists(out):
        with open(out, 'rb') as f:
            got = f.read()
        copy = data + b'\n' * max(0, 2 - (data.endswith(b'\n') + data.endswith(b'\n\n')))
        result = got[len(copy):] if got.startswith(copy) else b'(the copy of the input differs) ' + got
    return proc.returncode, proc.stderr, result


def outcome(status, stderr, result, original):
    if status is None or status < 0:
        return 'crash'
    if status != 0:
        return 'error'
    if any(WARNING in line for line in stderr.splitlines()):
        return 'warning'
    return 'same result' if result == original else 'forbidden'


def run_case(args):
    binary, seed, index = args
    parsed = valid_input(seed, index)
    rng = random.Random(f'{seed}/{index}/edit')
    with tempfile.TemporaryDirectory(prefix='mistakes-') as work:
        status, stderr, result = run(binary, work, parsed.text)
        if status != 0 or stderr:
            return dict(index=index, kind=None, outcome='original fails', original=parsed.text,
                        status=status, stderr=stderr.decode(errors='replace'))
        edit = pick_edit(parsed, index, rng)
        if edit is None:
            return dict(index=index, kind=None, outcome='no edit')
        kind, what, edited = edit
        e_status, e_stderr, e_result = run(binary, work, edited)
    return dict(index=index, kind=kind, what=what, outcome=outcome(e_status, e_stderr, e_result, result),
                original=parsed.text, edited=edited, status=e_status, stderr=e_stderr.decode(errors='replace'),
                result=(result or b'').decode(errors='replace'),
                edited_result=None if e_result is None else e_result.decode(errors='replace'))


def escaped(text, indent='    ', most=None):
    """The text line by line, with tabs, invisible and non-ASCII characters spelt out; | marks line ends."""
    def esc(ch):
        if ch == '\t':
            return '\\t'
        if ch == '\\':
            return '\\\\'
        return ch if ' ' <= ch <= '~' else f'<U+{ord(ch):04X}>'
    lines = text.split('\n')
    body = [f'{indent}{n:3} {"".join(map(esc, line))}|' for n, line in enumerate(lines, 1)]
    if lines[-1] == '':
        body[-1] = f'{indent}    (end of file after the last line end)'
    if most is not None and len(body) > most:
        body = body[:most] + [f'{indent}    ({len(body) - most} more lines)']
    return '\n'.join(body)


def show(binary, r):
    print(f'FORBIDDEN seed {r["seed"]} case {r["index"]}: {r["kind"]}: {r["what"]}\n'
          f'  replay: {sys.executable} {os.path.abspath(sys.argv[0])} {binary} --seed {r["seed"]} --case {r["index"]}\n'
          f'  original:\n{escaped(r["original"])}\n  edited:\n{escaped(r["edited"])}\n'
          f'  exit status 0, standard error {r["stderr"]!r}\n'
          f'  original result:\n{escaped(r["result"], most=12)}\n'
          f'  edited result:\n{escaped(r["edited_result"] or "(no output file)", most=12)}')


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    parser.add_argument('tabulon')
    parser.add_argument('--cases', type=int, default=2000)
    parser.add_argument('--seed', type=int, default=2026)
    parser.add_argument('--case', type=int, help='run this one case only')
    parser.add_argument('--show-forbidden', type=int, default=5, metavar='K',
                        help='print the first K forbidden cases in full (default 5)')
    parser.add_argument('--dump', metavar='FILE', help='write every forbidden case to FILE, one JSON object a line')
    parser.add_argument('--jobs', type=int, default=2, help='worker processes, at most 2 (default 2)')
    args = parser.parse_args()
    binary = os.path.abspath(args.tabulon)
    indices = [args.case] if args.case is not None else list(range(args.cases))
    print(f'seed {args.seed}, {len(indices)} cases')
    start = time.monotonic()
    work = [(binary, args.seed, i) for i in indices]
    jobs = max(1, min(2, args.jobs, len(indices)))
    if jobs == 1:
        results = list(map(run_case, work))
    else:
        with multiprocessing.Pool(jobs) as pool:
            results = pool.map(run_case, work, chunksize=20)
    if args.dump:
        with open(args.dump, 'w') as f:
            for r in results:
                if r['outcome'] == 'forbidden':
                    f.write(json.dumps(dict(r, seed=args.seed)) + '\n')
    counts = {k: collections.Counter() for k in KINDS}
    shown, failures = 0, 0
    for r in results:
        r['seed'] = args.seed
        if r['kind'] is None:
            failures += r['outcome'] == 'original fails'
            if r['outcome'] == 'original fails':
                print(f'FAIL seed {args.seed} case {r["index"]}: the valid original ends with status {r["status"]}, '
                      f'standard error {r["stderr"]!r}\n{escaped(r["original"])}')
            continue
        counts[r['kind']][r['outcome']] += 1
        if r['outcome'] in ('forbidden', 'crash'):
            failures += 1
            if r['outcome'] == 'crash':
                print(f'CRASH seed {args.seed} case {r["index"]}: {r["kind"]}: {r["what"]}: {r["stderr"]!r}\n'
                      f'{escaped(r["edited"])}')
            elif shown < args.show_forbidden:
                shown += 1
                show(binary, r)
    width = max(map(len, KINDS))
    print(f'{"edit":{width}}  ' + '  '.join(f'{o:>11}' for o in OUTCOMES))
    for k in KINDS:
        print(f'{k:{width}}  ' + '  '.join(f'{counts[k][o]:11}' for o in OUTCOMES))
    total = collections.Counter()
    for c in counts.values():
        total.update(c)
    print(f'{"all":{width}}  ' + '  '.join(f'{total[o]:11}' for o in OUTCOMES))
    unedited = sum(r['kind'] is None for r in results)
    print(f'{len(indices)} cases in {time.monotonic() - start:.1f} s; {unedited} without an edit; '
          f'{failures} failing')
    # A grammar that drifted into rejecting nothing would make no edits and pass.
    if len(indices) >= 200 and any(sum(counts[k].values()) < len(indices) // (4 * len(KINDS)) for k in KINDS):
        print('FAIL some kind of edit was hardly ever made')
        return 1
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
