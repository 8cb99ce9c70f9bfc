#!/usr/bin/env python3
"""Reads a measurement record with Python's standard CSV reader, as a
spreadsheet user's script would, and checks it against what the test expects.

usage: read_results.py results.csv ROWS "column=value" ...
ROWS is the number of rows expected below the one header; each "column=value"
is checked in the last row: numbers as floats, anything else as text."""
import csv
import sys


def main():
    path, rows_expected, checks = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    with open(path, newline="", encoding="utf-8") as f:
        table = list(csv.reader(f))
    header, rows = table[0], table[1:]
    if len(rows) != rows_expected:
        sys.exit(f"{len(rows)} rows, expected {rows_expected}")
    if header.count(header[0]) != 1 or any(row == header for row in rows):
        sys.exit("the header is not one line at the top")
    for row in rows:
        if len(row) != len(header):
            sys.exit(f"a row of {len(row)} fields under a header of {len(header)}")
    last = dict(zip(header, rows[-1]))
    for check in checks:
        column, expected = check.split("=", 1)
        if column not in last:
            sys.exit(f"no column {column!r}")
        got = last[column]
        try:
            same = float(got) == float(expected)
        except ValueError:
            same = got == expected
        if not same:
            sys.exit(f"{column}: {got!r}, expected {expected!r}")
    print(f"read {len(rows)} rows of {len(header)} columns")


if __name__ == "__main__":
    main()
