#!/usr/bin/env python3
"""Reads a measurement record with Python's standard CSV reader, as a
spreadsheet user's script would, and checks it against what the test expects.

usage: read_results.py [--pandas] results.csv ROWS "column=value" ...
ROWS is the number of rows expected below the one header; each "column=value"
is checked in the last row: numbers as floats, anything else as text. With
--pandas the same checks are made on the file as pandas.read_csv reads it."""
import csv
import sys


def same(got, expected):
    try:
        return float(got) == float(expected)
    except ValueError:
        return got == expected


def check_with_pandas(path, rows_expected, checks):
    import pandas

    frame = pandas.read_csv(path, dtype=str, keep_default_na=False, encoding="utf-8")
    if len(frame) != rows_expected:
        sys.exit(f"pandas: {len(frame)} rows, expected {rows_expected}")
    last = frame.iloc[-1]
    for check in checks:
        column, expected = check.split("=", 1)
        if column not in frame.columns:
            sys.exit(f"pandas: no column {column!r}")
        if not same(last[column], expected):
            sys.exit(f"pandas: {column}: {last[column]!r}, expected {expected!r}")


def main():
    args = sys.argv[1:]
    with_pandas = args[:1] == ["--pandas"]
    if with_pandas:
        args = args[1:]
    path, rows_expected, checks = args[0], int(args[1]), args[2:]
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
        if not same(last[column], expected):
            sys.exit(f"{column}: {last[column]!r}, expected {expected!r}")
    if with_pandas:
        check_with_pandas(path, rows_expected, checks)
    print(f"read {len(rows)} rows of {len(header)} columns")


if __name__ == "__main__":
    main()
