#!/usr/bin/python3
"""The results window's exported workbook read back by another program
(openpyxl), cell by cell: every figure a number equal to the record's, the
time a date and time, the set-up as recorded.

usage: read_workbook.py EXPORT_TABLE"""
import csv
import datetime
import os
import subprocess
import sys
import tempfile

import openpyxl

EXPORT = sys.argv[1]
HEADER = ("date and time (ISO 8601),pass ended,transformer,power supply (V rms),load resistor (ohms),"
          "load capacitor (uF),phase angle efficiency (%),load resistor efficiency (%),input power (W),"
          "output power (W),apparent input power (VA),comment")
ROWS = [  # the record's rows, as written
    "2026-12-08T10:01:02+01:00,complete,SPLIT-FLUX TRANSFORMER #1,10.0,9.4,100,88.125,87.5,9.75,8.5,12.25,unit 1",
    "2026-12-08T10:02:03+01:00,complete,STANDARD TRANSFORMER F-54X,120.0,NO LOAD,200,84.0625,83.25,51.5,43.125,60.5,",
    "2026-12-08T10:03:04+01:00,stopped,SPLIT-FLUX TRANSFORMER #1,OFF,9.4,100,,,,,,stopped early",
]
# Workbook title -> record column, for the figures.
FIGURES = {
    "Phase angle efficiency (%)": "phase angle efficiency (%)",
    "Load resistor efficiency (%)": "load resistor efficiency (%)",
    "Real input power (W)": "input power (W)",
    "Real output power (W)": "output power (W)",
    "Apparent input power (VA)": "apparent input power (VA)",
}
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED:", what)


with tempfile.TemporaryDirectory() as folder:
    with open(os.path.join(folder, "results.csv"), "w", newline="", encoding="utf-8") as f:
        f.write(HEADER + "\r\n" + "".join(row + "\r\n" for row in ROWS))
    book_path = os.path.join(folder, "passes.xlsx")
    done = subprocess.run([EXPORT, book_path, folder], capture_output=True, text=True, timeout=120)
    check(done.returncode == 0, f"export_table: {done.stderr}")
    sheet = openpyxl.load_workbook(book_path).active
    cells = list(sheet.iter_rows(values_only=False))
    titles = [c.value for c in cells[0]]
    records = list(csv.DictReader([HEADER] + ROWS))
    check(len(cells) == 1 + len(records), f"{len(cells) - 1} rows, expected {len(records)}")
    by_time = {}
    for row in cells[1:]:
        named = dict(zip(titles, row))
        when = named["Time"]
        check(when.is_date and isinstance(when.value, datetime.datetime), f"the time is a date: {when.value!r}")
        by_time[when.value] = named
    for record in records:
        when = datetime.datetime.fromisoformat(record["date and time (ISO 8601)"]).replace(tzinfo=None)
        named = by_time.get(when)
        check(named is not None, f"the pass of {when} is in the workbook")
        if named is None:
            continue
        for title, column in FIGURES.items():
            cell = named[title]
            if record[column] == "":
                check(cell.value is None, f"{when} {title}: empty, not {cell.value!r}")
            else:
                check(cell.data_type == "n" and cell.value == float(record[column]),
                      f"{when} {title}: the number {record[column]}, not {cell.value!r} ({cell.data_type})")
        check(named["Transformer"].value == record["transformer"], f"{when} transformer")
        for title, column in (("Supply (V rms)", "power supply (V rms)"), ("Load resistor (ohms)", "load resistor (ohms)")):
            shown = named[title].value
            text = record[column]
            expected = float(text) if text[0].isdigit() else text
            check(shown == expected, f"{when} {title}: {expected!r}, not {shown!r}")
        check((named["Comment"].value or "") == record["comment"], f"{when} comment")
if failures:
    sys.exit(f"{len(failures)} checks failed")
print("every check passed")
