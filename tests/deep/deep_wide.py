#!/usr/bin/env python3
"""Deep and wide inputs, generated here rather than committed: commands nested
100,000 levels deep, a 10 MB command line, 50 MB values and literals, 100,000
relations, 10,000 columns. Each must give its exact result, or the one error
line it is expected to give, and never a crash.

Usage: deep_wide.py TABULON [SCALE]   (SCALE shrinks every size, e.g. 0.1)
"""
import os
import subprocess
import sys
import tempfile
import time

BIN = os.path.abspath(sys.argv[1])
SCALE = float(sys.argv[2]) if len(sys.argv) > 2 else 1.0
FAILED = b'\n\nHib\xe1s input file!\n'


def scaled(n):
    return max(2, int(n * SCALE))


def relation(name, columns, rows):
    head = name + b'(' + b', '.join(columns) + b')\n'
    return head + b''.join(b','.join(r) + b'\n' for r in rows) + b'\n'


def result(columns, rows):
    return relation(b'__!!temp', columns, rows)


def run(name, text, want_result=None, want_error=None, want_warning=None):
    """Runs one input; returns its seconds or raises AssertionError."""
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, 'input.txt'), 'wb') as f:
            f.write(text)
        start = time.monotonic()
        proc = subprocess.Popen([BIN, 'input.txt', 'output.txt'], cwd=work, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        out, err = proc.communicate()
        seconds = time.monotonic() - start
        code = proc.returncode
        assert code >= 0, f'{name}: killed by signal {-code}'
        output_path = os.path.join(work, 'output.txt')
        if want_error is None:
            assert code == 0, f'{name}: status {code}, stderr {err[:300]!r}'
            want_err = b'' if want_warning is None else b'tabulon: ' + want_warning + b'\n'
            assert err == want_err, f'{name}: stderr {err[:300]!r}'
            with open(output_path, 'rb') as f:
                got = f.read()
            copy = text + b'\n' * (2 - (text.endswith(b'\n') + text.endswith(b'\n\n')))
            assert got[:len(copy)] == copy, f'{name}: the copy of the input differs'
            assert got[len(copy):] == want_result, f'{name}: result {got[len(copy):][:300]!r}'
        else:
            assert code == 1, f'{name}: status {code}, expected 1'
            assert out.endswith(FAILED), f'{name}: stdout ends {out[-60:]!r}'
            assert err == b'tabulon: ' + want_error + b'\n', f'{name}: stderr {err[:300]!r}'
            assert not os.path.exists(output_path), f'{name}: an output file was written'
    return seconds


def main():
    cases = []

    def case(name, text, want_result=None, want_error=None, want_warning=None):
        cases.append((name, text, want_result, want_error, want_warning))

    n = scaled(100000)
    n -= n % 2
    r12 = relation(b'R', [b'a int'], [[b'1'], [b'2']])
    rows12 = result([b'a int'], [[b'1'], [b'2']])
    rows1 = result([b'a int'], [[b'1']])

    case('NOT nested', b'select(R, ' + b'NOT(' * n + b"EQ(a, '1')" + b')' * n + b')\n' + r12, rows1)
    case('AND sharing its operand', b'select(R, ' + b'AND(,' * n + b"EQ(a, '1')" + b')' * n + b')\n' + r12, rows1,
         want_warning=b'input.txt:1:15: Figyelem: ures operandus: egy , tul sok, vagy hianyzik egy nev?')
    case('AND nested right', b'select(R, ' + b"AND(EQ(a, '1'), " * n + b"GT(a, '0')" + b')' * n + b')\n' + r12,
         rows1)
    case('OR nested left', b'select(R, ' + b'OR(' * n + b"EQ(a, '9')" + b", EQ(a, '2'))" * n + b')\n' + r12,
         result([b'a int'], [[b'2']]))
    case('union nested left', b'union(' * n + b'R' + b', R)' * n + b'\n' + r12, rows12)
    case('union nested right', b'union(R, ' * n + b'R' + b')' * n + b'\n' + r12, rows12)
    case('minus nested', b'minus(' * n + b'R' + b', E)' * n + b'\n' + r12 + b'E(a int)\n', rows12)
    case('project nested', b'project(' * n + b'R' + b', a)' * n + b'\n' +
         relation(b'R', [b'a int', b'b int'], [[b'2', b'1'], [b'1', b'2'], [b'2', b'3']]), rows12)
    case('select nested', b'select(' * n + b'R' + b", NEQ(a, '2'))" * n + b'\n' + r12, rows1)
    case('rename nested', b'rename(' * n + b'R' + b', S(x))' * n + b'\n' + r12,
         relation(b'S', [b'x int'], [[b'1'], [b'2']]))
    case('missing relation deep down', b'union(' * n + b'Q' + b', R)' * n + b'\n' + r12,
         want_error=b'input.txt:1:%d: A(z) Q relacio nem letezik.' % (6 * n + 1))

    mb10 = scaled(10 * 1024 * 1024)
    k = mb10 // 3
    case('10 MB project command', b'project(R' + b', a' * k + b')\n' + r12,
         result([b'a int'] * k, [[b'1'] * k, [b'2'] * k]),
         want_warning=b'input.txt:1:15: Figyelem: a(z) a oszlop masodszor is szerepel: az eredmenyben ketszer lesz '
                      b'(es meg %d ismetles).' % (k - 2))
    m = mb10 // 10
    case('10 MB union command', b'union(' * m + b'R' + b', R)' * m + b'\n' + r12, rows12)
    case('10 MB relation name', b'project(' + b'N' * mb10 + b', a)\n' + r12,
         want_error=b'input.txt:1:9: A(z) ' + b'N' * 80 + b'... relacio nem letezik.')

    mb50 = scaled(50 * 1024 * 1024)
    big = bytes(b'abcdefghij'[i % 10] for i in range(10)) * (mb50 // 10)
    wide_value = relation(b'R', [b'a int', b'b char(10)'], [[b'1', b"'" + big + b"'"], [b'2', b"'x'"]])
    case('50 MB quoted value', b'project(R, b)\n' + wide_value,
         result([b'b char(10)'], [[b"'" + big + b"'"], [b"'x'"]]),
         want_warning=b"input.txt:3:3: Figyelem: a(z) b oszlop 'abcdefghijabcdefghij...' erteke hosszabb, "
                      b"mint char(10): az ertek egeszeben megmarad.")
    case('50 MB plain value', b'project(R, a)\n' + relation(b'R', [b'a int'], [[b'7' + big], [b'3']]),
         result([b'a int'], [[b'3'], [b'7' + big]]),
         want_warning=b"input.txt:3:1: Figyelem: a(z) a oszlop '7abcdefghijabcdefghi...' erteke nem egesz szam: "
         b'7-kent szamit.')
    case('50 MB literal', b"select(R, LT(b, '" + big + b"'))\n" +
         relation(b'R', [b'a int', b'b char(10)'], [[b'1', b"'a'"], [b'2', b"'b'"]]),
         result([b'a int', b'b char(10)'], [[b'1', b"'a'"]]))

    count = scaled(100000)
    many = b''.join(relation(b'R%d' % i, [b'a int'], [[b'%d' % i]]) for i in range(count))
    case('100,000 relations', b'union(R%d, R0)\n' % (count - 1) + many,
         result([b'a int'], [[b'0'], [b'%d' % (count - 1)]]))

    c = scaled(10000)
    names = [b'c%d' % i for i in range(c)]
    values = [[(r * 7 + i) % 10 for i in range(c)] for r in range(6)]
    wide = relation(b'R', [x + b' int' for x in names], [[b'%d' % v for v in row] for row in values])
    pairs = sorted({(row[c - 1], row[0]) for row in values})
    case('10,000 columns projected', b'project(R, c%d, c0)\n' % (c - 1) + wide,
         result([b'c%d int' % (c - 1), b'c0 int'], [[b'%d' % a, b'%d' % b] for a, b in pairs]))
    # Each name looked up by a scan of the columns would cost k * m.
    m = scaled(1000000)
    case('1,000,000 columns named', b'project(R' + b''.join(b', c%d' % i for i in range(m)) + b')\n' +
         relation(b'R', [b'c%d int' % i for i in range(m)], [[b'1'] * m]),
         result([b'c%d int' % i for i in range(m)], [[b'1'] * m]))
    texts = [[b'%d' % v for v in row] for row in values]
    columns = [x + b' int' for x in names]
    # R is not in ascending order; merged with itself it comes back sorted.
    in_order = sorted(texts, key=lambda row: [int(v) for v in row])
    case('10,000 columns merged', b'union(R, R)\n' + wide, result(columns, in_order))
    case('10,000 columns in a product', b'product(R, S)\n' + wide + relation(b'S', [b's int'], [[b'1'], [b'2']]),
         result(columns + [b's int'], [row + [s] for row in texts for s in [b'1', b'2']]))
    case('10,000 columns renamed', b'rename(R, S(' + b', '.join(b'x%d' % i for i in range(c)) + b'))\n' + wide,
         relation(b'S', [b'x%d int' % i for i in range(c)], texts))

    failures = 0
    for name, text, want_result, want_error, want_warning in cases:
        try:
            seconds = run(name, text, want_result, want_error, want_warning)
            print(f'ok    {name:32} {len(text) / 1e6:8.1f} MB  {seconds:6.2f} s')
        except AssertionError as e:
            failures += 1
            print(f'FAIL  {e}')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
