#!/usr/bin/python3
"""The record under two writers at once, and under a writer killed at random
moments: no row is lost, torn or interleaved, and Python's csv and pandas
read the file with the rows they should.

usage: share_and_crash.py RECORD_WRITER [KILLS]

RECORD_WRITER appends rows as the program does and prints the number of
each row once it is on the disk (tests/record/RecordWriter.cpp)."""
import csv
import os
import random
import signal
import subprocess
import sys
import tempfile
import time

import pandas

WRITER = sys.argv[1]
KILLS = int(sys.argv[2]) if len(sys.argv) > 2 else 220


def write(folder, count, tag):
    return subprocess.Popen([WRITER, folder, str(count), tag], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True)


def lines_of(path):
    data = open(path, "rb").read().decode("utf-8")
    if not data.endswith("\r\n"):
        sys.exit("the file does not end with a whole row")
    return data[:-2].split("\r\n")


def template(path):
    """The header, and a complete row split around its comment field."""
    lines = lines_of(path)
    header = lines[0]
    names = next(csv.reader([header]))
    at = names.index("comment")
    for line in lines[1:]:
        fields = next(csv.reader([line]))
        if len(fields) == len(names):
            # Comments are plain (no quotes): the raw text splits around it.
            before, _, after = line.partition("," + fields[at] + ",")
            return header, names, before + ",", "," + after
    sys.exit("no complete row to compare with")


def classify(path):
    """Complete rows by comment, and the torn rows, each on a line of its own."""
    header, names, before, after = template(path)
    lines = lines_of(path)
    if lines[0] != header or header in lines[1:]:
        sys.exit("the header is not one line at the top")
    complete, torn = [], []
    for line in lines[1:]:
        if line.startswith(before) and line.endswith(after):
            comment = line[len(before):len(line) - len(after)]
            if "," not in comment:
                complete.append(comment)
                continue
        # A torn row is the beginning of a row and nothing else (with a quote
        # that closes a field it was cut in).
        if line.count('"') % 2 == 0 and line.endswith('"') and not (before + after).startswith(line):
            line = line[:-1]
        if len(line) <= len(before):
            ok = before.startswith(line)
        else:
            rest = line[len(before):]
            comment = rest.split(",")[0]
            ok = line.startswith(before) and (before + comment + after).startswith(line)
        if not ok:
            sys.exit(f"a line that is neither a row nor the beginning of one: {line[:120]!r}")
        torn.append(line)
    return names, complete, torn


def read_back(path, names, rows_expected):
    with open(path, newline="", encoding="utf-8") as f:
        table = [row for row in csv.reader(f) if row]
    if len(table) - 1 != rows_expected:
        sys.exit(f"csv reads {len(table) - 1} rows, expected {rows_expected}")
    frame = pandas.read_csv(path, dtype=str, keep_default_na=False)
    if len(frame) != rows_expected or list(frame.columns) != names:
        sys.exit(f"pandas reads {len(frame)} rows of {len(frame.columns)} columns, "
                 f"expected {rows_expected} of {len(names)}")


def two_writers_at_once():
    with tempfile.TemporaryDirectory() as folder:
        writers = [write(folder, 1000, tag) for tag in ("A", "B")]
        for w in writers:
            out, err = w.communicate(timeout=300)
            if w.returncode != 0:
                sys.exit(f"a writer failed: {err}")
        path = os.path.join(folder, "results.csv")
        names, complete, torn = classify(path)
        expected = [f"{tag}-{n}" for tag in ("A", "B") for n in range(1, 1001)]
        if sorted(complete) != sorted(expected) or torn:
            sys.exit(f"{len(complete)} intact rows and {len(torn)} torn, expected 2000 intact")
        for tag in ("A", "B"):
            own = [int(c.split("-")[1]) for c in complete if c.startswith(tag + "-")]
            if own != sorted(own):
                sys.exit(f"the rows of {tag} are out of order")
        read_back(path, names, 2000)
        print("two writers at once: 2000 intact rows under one header")


def killed_writers():
    random.seed(7)
    with tempfile.TemporaryDirectory() as folder:
        first = write(folder, 1, "first")
        first.communicate(timeout=60)
        confirmed = {"first": 1}
        cut = 0
        path = os.path.join(folder, "results.csv")
        for kill in range(KILLS):
            tag = f"K{kill}"
            w = write(folder, 1_000_000, tag)
            time.sleep(random.uniform(0.0, 0.06))
            w.send_signal(signal.SIGKILL)
            out, _ = w.communicate(timeout=60)
            numbers = [int(n) for n in out.split()]
            confirmed[tag] = max(numbers, default=0)
            with open(path, "rb") as f:
                data = f.read().decode("utf-8")
            # Runs killed before their first append leave an earlier cut-off
            # row as it was; a power cut can only come during a write.
            if kill % 10 == 5 and data.endswith("\r\n"):
                # A kill does not tear a write; a power cut can. Leave what
                # one would: the first bytes of a row, at a random length.
                row = data.split("\r\n")[1]  # the first row
                with open(path, "ab") as f:
                    f.write(row[:random.randrange(1, len(row))].encode())
                cut += 1
        last = write(folder, 10, "last")
        _, err = last.communicate(timeout=60)
        confirmed["last"] = 10
        names, complete, torn = classify(path)
        written = set(complete)
        lost = [f"{tag}-{n}" for tag, top in confirmed.items() for n in range(1, top + 1)
                if f"{tag}-{n}" not in written]
        if lost:
            sys.exit(f"{len(lost)} rows on the disk before a kill are gone: {lost[:5]}")
        if len(written) != len(complete):
            sys.exit("a row stands twice")
        # A kill can tear a write too, where it crosses a page.
        if len(torn) < cut or cut == 0:
            sys.exit(f"{len(torn)} torn rows, {cut} were made")
        read_back(path, names, len(complete) + len(torn))
        print(f"{KILLS} kills: {len(complete)} intact rows "
              f"({sum(confirmed.values())} confirmed before their kill), {len(torn)} torn rows "
              f"({cut} cut as a power cut would), each on a line of its own")


def folders_that_refuse():
    """A folder without write permission, and a full disk (a small tmpfs of
    its own): a defined failure line, nothing half written that stays torn."""
    if os.geteuid() != 0:
        print("not root: no other user to be and no tmpfs to mount; skipped")
        return
    with tempfile.TemporaryDirectory() as folder:
        os.chmod(folder, 0o555)
        run = subprocess.run(["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                              WRITER, folder, "1", "ro"], capture_output=True, text=True)
        expected = f"RECORD Failed: cannot open {folder}/results.csv: Permission denied"
        if run.returncode != 1 or run.stderr.strip() != expected:
            sys.exit(f"a folder without write permission: {run.stderr!r}")
    with tempfile.TemporaryDirectory() as folder:
        script = (f"mount -t tmpfs -o size=16k none {folder} && {WRITER} {folder} 1000 full; "
                  f"echo status $?; ls -l {folder}; tail -c 200 {folder}/results.csv | od -c | tail -3")
        run = subprocess.run(["unshare", "-m", "sh", "-c", script], capture_output=True, text=True)
        if "RECORD Failed: cannot write " + folder + "/results.csv: No space left on device" not in run.stderr \
                or "status 1" not in run.stdout:
            sys.exit(f"a full disk: {run.stdout} {run.stderr}")
        print("a folder without write permission and a full disk: each a failure line")


two_writers_at_once()
killed_writers()
folders_that_refuse()
