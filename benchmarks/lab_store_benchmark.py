#!/usr/bin/python3
"""The lab's store at a lab's size, by hand (not part of the test suite):

  benchmarks/lab_store_benchmark.py [BUILD_DIR] [PASSES]

1. A throw-away PostgreSQL server; the layout made by the program; PASSES
   (10,000,000 unless given) synthetic passes of 20 benches over three years
   loaded with COPY (through the layout's own triggers: each pass once, the
   summary kept); then build/benchmarks/lab_benchmarks: the lab window
   opened, grouped and drawn, a poll that finds nothing new, its memory.
2. Twenty benches uploading at once: 20 record folders of 5,000 passes each,
   `--upload` started for all of them together; the passes a second.
"""
import csv
import datetime
import io
import os
import shutil
import subprocess
import sys
import tempfile
import time
import uuid

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "database"))
from pg_server import PASSWORD, Server  # noqa: E402

BUILD = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "build")
PASSES = int(sys.argv[2]) if len(sys.argv) > 2 else 10_000_000
PROGRAM = os.path.join(BUILD, "transformer-efficiency")


def run(args, **kw):
    env = dict(os.environ, PGPASSWORD=PASSWORD, QT_QPA_PLATFORM="offscreen")
    env.pop("DISPLAY", None)
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env, **kw)


def template(root, server):
    folder = os.path.join(root, "template")
    r = run([PROGRAM, "--headless", "--simulate", "--fast-reads", "--load-resistor", "9.4", "--supply", "10",
             "--capacitor", "100", "--record", folder, "--database", server.url()])
    assert r.returncode == 0, r.stderr[-500:]
    with open(os.path.join(folder, "results.csv"), newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f))
    return rows[0], rows[1]


def synthetic(header, row, n, bench):
    """Pass n of a bench: its own id and time, set-ups and estimates varied."""
    fields = list(row)
    at = {title: i for i, title in enumerate(header)}
    when = datetime.datetime(2024, 1, 1, 7, tzinfo=datetime.timezone.utc) + datetime.timedelta(seconds=9 * n)
    fields[at["date and time (ISO 8601)"]] = when.isoformat().replace("+00:00", "Z")
    fields[at["pass id"]] = str(uuid.uuid4())
    fields[at["bench"]] = f"bench {bench}"
    fields[at["power supply (V rms)"]] = ("5.0", "7.5", "10.0")[n % 3]
    fields[at["load resistor (ohms)"]] = ("9.4", "23.1", "48.0")[(n // 3) % 3]
    fields[at["phase angle efficiency (%)"]] = f"{88 + (n % 17) * 0.1:.4f}"
    fields[at["load resistor efficiency (%)"]] = f"{88 + (n % 13) * 0.1:.4f}"
    return fields


def load(server, header, row):
    """PASSES passes by COPY, a million at a time, as psql sends them."""
    columns = ["date and time (ISO 8601)", "pass ended", "transformer", "power supply (V rms)",
               "load resistor (ohms)", "load capacitor (uF)", "sample average", "phase angle efficiency (%)",
               "load resistor efficiency (%)", "U95 phase angle efficiency (%)", "U95 load resistor efficiency (%)",
               "U95 efficiency estimates ratio (%)", "verdict", "comment", "pass id", "bench"]
    names = ", ".join(snake(c) for c in columns)
    at = [header.index(c) for c in columns]
    started = time.monotonic()
    chunk = 1_000_000
    for first in range(0, PASSES, chunk):
        out = io.StringIO()
        writer = csv.writer(out, lineterminator="\n")
        for n in range(first, min(PASSES, first + chunk)):
            fields = synthetic(header, row, n // 20, n % 20)
            writer.writerow([fields[i] for i in at])
        copy = subprocess.run([os.path.join(server.bin, "psql"), "-h", "127.0.0.1", "-p", str(server.port), "-U",
                               "lab", "-v", "ON_ERROR_STOP=1", "-c",
                               f"COPY passes ({names}) FROM STDIN (FORMAT csv)", "lab"],
                              input=out.getvalue(), text=True, capture_output=True, cwd="/",
                              env=dict(os.environ, PGPASSWORD=PASSWORD))
        assert copy.returncode == 0, copy.stderr
        print(f"  {min(PASSES, first + chunk):,} passes loaded, {time.monotonic() - started:.0f} s", flush=True)
    summary = server.sql("SELECT count(*), sum(passes) FROM pass_summary")
    print(f"{PASSES:,} passes loaded in {time.monotonic() - started:.0f} s; the summary: {summary} (rows, passes)")


def snake(title):
    out = ""
    for c in title:
        if c.isalnum():
            out += c.lower()
        elif c == "%":
            out += "pct" if not out or out.endswith("_") else "_pct"
        elif out and not out.endswith("_"):
            out += "_"
    return out.rstrip("_")[:63]


def twenty_benches(root, server, header, row):
    server.sql("CREATE DATABASE twenty")
    folders = []
    for bench in range(20):
        folder = os.path.join(root, f"upload-{bench}")
        os.makedirs(folder)
        with open(os.path.join(folder, "results.csv"), "w", newline="", encoding="utf-8") as f:
            writer = csv.writer(f, lineterminator="\r\n")
            writer.writerow(header)
            for n in range(5000):
                writer.writerow(synthetic(header, row, n, bench))
        folders.append(folder)
    # The layout made first, by a bench of one pass.
    first = os.path.join(root, "first")
    os.makedirs(first)
    with open(os.path.join(first, "results.csv"), "w", newline="", encoding="utf-8") as f:
        csv.writer(f, lineterminator="\r\n").writerows([header, synthetic(header, row, 0, 99)])
    run([PROGRAM, "--upload", "--record", first, "--database", server.url("twenty")])
    stored_before = int(server.sql("SELECT count(*) FROM passes", "twenty"))
    env = dict(os.environ, PGPASSWORD=PASSWORD)
    started = time.monotonic()
    procs = [subprocess.Popen([PROGRAM, "--upload", "--record", f, "--database", server.url("twenty")], env=env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) for f in folders]
    for p in procs:
        p.wait()
    took = time.monotonic() - started
    stored = int(server.sql("SELECT count(*) FROM passes", "twenty")) - stored_before
    print(f"20 benches uploading at once: {stored:,} passes in {took:.1f} s, {stored / took:,.0f} passes a second")


def main():
    root = tempfile.mkdtemp(prefix="lab-store-benchmark-")
    os.chmod(root, 0o755)
    server = Server(os.path.join(root, "server"), settings="-c shared_buffers=512MB")
    try:
        header, row = template(root, server)
        load(server, header, row)
        env = dict(os.environ, PGPASSWORD=PASSWORD, QT_QPA_PLATFORM="offscreen", LAB_URL=server.url())
        for attempt in (1, 2):
            r = subprocess.run([os.path.join(BUILD, "benchmarks", "lab_benchmarks")], env=env,
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
            print(f"the lab window, run {attempt}:\n" + "\n".join(l for l in r.stdout.splitlines() if "BM_" in l))
        twenty_benches(root, server, header, row)
    finally:
        server.stop("immediate")
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
