#!/usr/bin/env python3
"""Prints an input whose command is union(R, S) over ROWS rows in all, R with
the even ids and S with the odd ones, each row's text being TEXT and its id:
an output about twice the input's size, as large as a fault test needs.

  union_input.py ROWS [TEXT]
"""
import sys

rows = int(sys.argv[1])
text = sys.argv[2] if len(sys.argv) > 2 else "name number"
print("union(R, S)")
for name, start in (("R", 0), ("S", 1)):
    print(f"{name}(id int, name char({len(text) + 8}))")
    for i in range(start, rows, 2):
        print(f"{i},'{text} {i}'")
    print()
