#!/usr/bin/python3
"""The lab's store against a real PostgreSQL server of its own.

  lab_store.py PROGRAM LAB_SERIES FOLDER_SERIES

1. A record fuzzed a thousand ways (rows torn, garbage in a number or a
   time, a pass id that is none, a field too many, a pass id twice): one
   --upload sends it; every good row is stored exactly once, every bad one is
   set aside with its reason (on the server and beside the record), and
   nothing waits. The oracle is this script's own reading of the rows with
   Python's csv module and the server's column types.
2. Two program versions at once: a bench measuring with today's columns and
   a record of an older layout (no verdict or calibration columns) uploaded beside it, into
   a database whose table lacks two of today's columns: both stored, none
   refused, the columns added (and noted in lab_schema_steps), both benches
   in the lab window's set-ups.
3. The server in UTC+10, the viewer in Europe/Berlin: a day's filter holds
   the same passes in the lab window (from the server's summary, and from
   the passes themselves) as in the folder's window.
4. Least privilege, with the README's roles: a writer uploads and cannot
   update, delete or drop; a reader runs the lab window and cannot insert.
5. A lab of version 1 (one table, as the last program made it) upgraded by
   the next bench, its passes kept and summed.
6. Lots of units from two benches and a hand-made file (a test stopped and
   resumed, retests, a step whose name holds ": ", rows that cannot go up,
   a file of a layout without the lot column):
   the Units tab's yields as the server counts them equal this script's own
   count from the unit-tests.csv files, with every filter.
"""
import csv
import json
import datetime
import io
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time
import uuid

from pg_server import PASSWORD, Server

PROGRAM, SERIES, FOLDER_SERIES = sys.argv[1], sys.argv[2], sys.argv[3]
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


def run(args, password=PASSWORD, env_extra=None, timeout=300):
    env = dict(os.environ, PGPASSWORD=password, **(env_extra or {}))
    env.pop("DISPLAY", None)
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env,
                          timeout=timeout)


def headless(folder, url, passes, bench, password=PASSWORD):
    return run([PROGRAM, "--headless", "--simulate", "--fast-reads", "--load-resistor", "9.4", "--supply", "10",
                "--capacitor", "100", "--passes", str(passes), "--bench", bench, "--record", folder,
                "--database", url], password=password,
               env_extra={"XDG_CONFIG_HOME": folder + "-settings", "XDG_DATA_HOME": folder + "-settings"})


def record_lines(folder):
    with open(os.path.join(folder, "results.csv"), newline="", encoding="utf-8") as f:
        return f.read().split("\r\n")


def series_passes(output):
    for line in output.splitlines():
        if line.startswith("passes\t"):
            return int(line.split("\t")[1])
    return -1


# --- 1. a record fuzzed ---------------------------------------------------------

def column_types(server):
    """The server's type of each record column (by its snake-case name)."""
    rows = server.sql("SELECT column_name, data_type FROM information_schema.columns "
                      "WHERE table_name = 'passes' AND table_schema = 'public'")
    return dict(line.split("|") for line in rows.splitlines())


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


def row_is_good(line, header, types):
    """This script's own reading: one line, its fields as the header's, each
    what its column's type takes."""
    try:
        fields = next(csv.reader([line], strict=True))
    except (csv.Error, StopIteration):
        return False, None
    if len(fields) != len(header):
        return False, None
    named = dict(zip(header, fields))
    for title, value in named.items():
        kind = types.get(snake(title))
        if kind == "timestamp with time zone":
            try:
                datetime.datetime.fromisoformat(value.replace("Z", "+00:00"))
            except ValueError:
                return False, None
        elif kind == "double precision" and value not in ("", "inf", "-inf"):
            try:
                float(value)
            except ValueError:
                return False, None
        elif kind == "uuid" and value:
            try:
                uuid.UUID(value)
            except ValueError:
                return False, None
    return True, named.get("pass id")


def corrupt(line, header, kinds_used, rng, good_ids):
    fields = next(csv.reader([line]))
    kind = rng.choice(["tear", "number", "time", "id", "extra", "twice"])
    kinds_used[kind] = kinds_used.get(kind, 0) + 1
    numeric = [i for i, t in enumerate(header) if t in ("input voltage (V rms)", "phase angle efficiency (%)",
                                                        "U95 input power (W)", "output power (W)")]
    if kind == "tear":
        return line[:rng.randrange(1, len(line) - 1)]
    if kind == "extra":
        return line + ",surplus"
    if kind == "number":
        fields[rng.choice(numeric)] = rng.choice(["12x4", "NaNa", "1,5", "--3"])
    elif kind == "time":
        fields[header.index("date and time (ISO 8601)")] = rng.choice(["2026-12", "garbage", "2026-13-01T00:00:00Z",
                                                                       ""])
    elif kind == "id":
        fields[header.index("pass id")] = rng.choice(["not-a-uuid", "1234", "zzzzzzzz-zzzz-zzzz-zzzz-zzzzzzzzzzzz"])
    elif kind == "twice" and good_ids:
        fields[header.index("pass id")] = rng.choice(good_ids)
    out = io.StringIO()
    csv.writer(out, lineterminator="").writerow(fields)
    return out.getvalue()


def fuzzed_record(server, root):
    template = os.path.join(root, "template")
    r = headless(template, server.url("template"), 1, "template")
    check(r.returncode == 0, f"a row to fuzz from ({r.returncode}): {r.stderr[-300:]}")
    header_line, row = record_lines(template)[:2]
    header = next(csv.reader([header_line]))
    rng = random.Random(4711)
    start = datetime.datetime(2026, 10, 30, 22, 0, tzinfo=datetime.timezone.utc)
    lines, ids = [], []
    for n in range(3000):
        fields = next(csv.reader([row]))
        ids.append(str(uuid.UUID(int=rng.getrandbits(128), version=4)))
        fields[header.index("pass id")] = ids[-1]
        when = start + datetime.timedelta(minutes=41 * n)  # across three month ends
        fields[header.index("date and time (ISO 8601)")] = when.isoformat().replace("+00:00", "Z")
        fields[header.index("comment")] = f"unit {n}"
        out = io.StringIO()
        csv.writer(out, lineterminator="").writerow(fields)
        lines.append(out.getvalue())
    kinds = {}
    for i in rng.sample(range(len(lines)), 1000):
        lines[i] = corrupt(lines[i], header, kinds, rng, ids[:i])
    return header_line, header, lines, kinds


def fuzz(server, root):
    server.sql("CREATE DATABASE fuzz")
    server.sql("CREATE DATABASE template")
    header_line, header, lines, kinds = fuzzed_record(server, root)
    folder = os.path.join(root, "fuzzed")
    os.makedirs(folder)
    with open(os.path.join(folder, "results.csv"), "w", newline="", encoding="utf-8") as f:
        f.write(header_line + "\r\n" + "".join(line + "\r\n" for line in lines))
    first = run([PROGRAM, "--upload", "--record", folder, "--database", server.url("fuzz")])
    check(first.returncode == 0 and "every pass" not in first.stderr and "still wait" not in first.stderr,
          f"one upload sends the fuzzed record and nothing waits: {first.returncode} {first.stderr[-400:]}")
    types = column_types_of(server, "fuzz")
    expected, bad, seen = [], 0, set()
    for line in lines:
        good, pass_id = row_is_good(line, header, types)
        if not good:
            bad += 1
        elif pass_id not in seen:
            seen.add(pass_id)
            expected.append(pass_id)
    stored = server.sql("SELECT pass_id FROM passes", "fuzz").splitlines()
    print(f"corruptions {kinds}; {len(expected)} good rows, {bad} bad, {len(lines) - len(expected) - bad} a pass "
          f"id twice; {len(stored)} stored")
    check(sorted(stored) == sorted(expected), "every good row stored exactly once, and nothing else")
    aside = int(server.sql("SELECT count(*) FROM set_aside WHERE reason <> ''", "fuzz"))
    check(aside == bad, f"every bad row set aside with its reason on the server ({aside} of {bad})")
    with open(os.path.join(folder, "database-set-aside.csv"), newline="", encoding="utf-8") as f:
        local = list(csv.DictReader(f))
    check(len(local) == bad and all(r["reason"] and r["line"].isdigit() for r in local),
          f"and beside the record, with file, line and reason ({len(local)} of {bad})")
    said = first.stderr.count("DATABASE 1 row set aside: ")
    check(said == bad, f"each said once on standard error ({said} of {bad})")
    summary = int(server.sql("SELECT sum(passes) FROM pass_summary", "fuzz"))
    check(summary == len(expected), f"the summary counts the passes stored ({summary} of {len(expected)})")
    again = run([PROGRAM, "--upload", "--record", folder, "--database", server.url("fuzz")])
    check(again.returncode == 0 and len(server.sql("SELECT pass_id FROM passes", "fuzz").splitlines()) == len(expected),
          "a second upload finds nothing to send")


def column_types_of(server, db):
    rows = server.sql("SELECT column_name, data_type FROM information_schema.columns "
                      "WHERE table_name = 'passes' AND table_schema = 'public'", db)
    return dict(line.split("|") for line in rows.splitlines())


# --- 2. two program versions at once ----------------------------------------------------

def older_layout(source, folder):
    """The record of `source` as an older program would have written it: no
    verdicts and no calibration columns."""
    os.makedirs(folder)
    lines = [l for l in record_lines(source) if l]
    rows = list(csv.reader(lines))
    keep = [i for i, t in enumerate(rows[0]) if not t.startswith(("verdict", "calibrat", "U95 calibrated"))]
    with open(os.path.join(folder, "results.csv"), "w", newline="", encoding="utf-8") as f:
        writer = csv.writer(f, lineterminator="\r\n")
        for n, r in enumerate(rows):
            if n > 0:
                r[rows[0].index("pass id")] = str(uuid.uuid4())
                r[rows[0].index("bench")] = "older bench"
            writer.writerow([r[i] for i in keep])
    print(f"an older layout of {len(keep)} columns beside today's {len(rows[0])}")
    return len(rows) - 1


def two_versions(server, root):
    server.sql("CREATE DATABASE mixed")
    made = os.path.join(root, "made")
    r = headless(made, server.url("mixed"), 1, "maker")
    check(r.returncode == 0, "the layout made by a first pass")
    server.sql("ALTER TABLE passes DROP COLUMN calibration_fit; ALTER TABLE passes DROP COLUMN "
               "u95_calibrated_estimates_ratio_pct", "mixed")
    source = os.path.join(root, "source")
    run([PROGRAM, "--headless", "--simulate", "--fast-reads", "--load-resistor", "9.4", "--supply", "10",
         "--capacitor", "100", "--passes", "60", "--record", source])
    older = os.path.join(root, "older")
    old_rows = older_layout(source, older)
    newer = os.path.join(root, "newer")
    started = time.monotonic()
    both = [subprocess.Popen([PROGRAM, "--upload", "--record", older, "--database", server.url("mixed")],
                             env=dict(os.environ, PGPASSWORD=PASSWORD), stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, text=True)]
    measuring = headless(newer, server.url("mixed"), 40, "newer bench")
    older_done = both[0].communicate(timeout=300)
    print(f"two versions at once in {time.monotonic() - started:.1f} s")
    check(measuring.returncode == 0 and both[0].returncode == 0, "both end well")
    stored = int(server.sql("SELECT count(*) FROM passes", "mixed"))
    check(stored == 1 + 40 + old_rows, f"every row stored ({stored} of {1 + 40 + old_rows})")
    check(server.sql("SELECT count(*) FROM set_aside", "mixed") == "0", "none refused")
    steps = server.sql("SELECT what FROM lab_schema_steps ORDER BY step", "mixed")
    check("added column calibration_fit text" in steps and "added column u95_calibrated_estimates_ratio_pct" in steps,
          f"the columns a program brings are added: {steps.splitlines()}")
    older_nulls = server.sql("SELECT count(*) FROM passes WHERE bench = 'older bench' AND pass_id IS NOT NULL "
                             "AND calibration_fit IS NULL", "mixed")
    check(older_nulls == str(old_rows), "the older rows have the newer columns empty")
    for bench, expected in (("older bench", old_rows), ("newer bench", 40)):
        r = run([SERIES, server.url("mixed"), "--bench", bench])
        check(series_passes(r.stdout) == expected, f"the lab window shows {bench}: {r.stdout[-200:]} {r.stderr}")
    del older_done


# --- 3. a day, whatever the server's zone ---------------------------------------------------

def zones(server, root):
    """The server runs in UTC+10 (see main); the viewer is in Europe/Berlin."""
    server.sql("CREATE DATABASE zones")
    source = os.path.join(root, "zone-source")
    run([PROGRAM, "--headless", "--simulate", "--fast-reads", "--load-resistor", "9.4", "--supply", "10",
         "--capacitor", "100", "--passes", "1", "--record", source])
    header_line, row = record_lines(source)[:2]
    header = next(csv.reader([header_line]))
    folder = os.path.join(root, "zone-record")
    os.makedirs(folder)
    # Berlin: 8 Dec 23:10, 9 Dec 00:10 and 23:50, 10 Dec 00:20; written in UTC.
    times = ["2026-12-08T22:10:00Z", "2026-12-08T23:10:00Z", "2026-12-09T22:50:00Z", "2026-12-09T23:20:00Z"]
    with open(os.path.join(folder, "results.csv"), "w", newline="", encoding="utf-8") as f:
        writer = csv.writer(f, lineterminator="\r\n")
        writer.writerow(header)
        for when in times:
            fields = next(csv.reader([row]))
            fields[header.index("date and time (ISO 8601)")] = when
            fields[header.index("pass id")] = str(uuid.uuid4())
            fields[header.index("comment")] = "unit 7"
            writer.writerow(fields)
    check(run([PROGRAM, "--upload", "--record", folder, "--database", server.url("zones")]).returncode == 0,
          "the day's passes uploaded")
    berlin = {"TZ": "Europe/Berlin"}
    day = ["--from", "2026-12-09", "--to", "2026-12-09"]
    folder_day = series_passes(run([FOLDER_SERIES, folder, *day], env_extra=berlin).stdout)
    summary = run([SERIES, server.url("zones"), *day], env_extra=berlin)
    # The comment filter, as in the folder window, without regard to case.
    passes = run([SERIES, server.url("zones"), *day, "--comment", "UNIT"], env_extra=berlin)
    folder_passes = series_passes(run([FOLDER_SERIES, folder, *day, "--comment", "UNIT"], env_extra=berlin).stdout)
    check(folder_day == 2, f"the folder's window holds 2 passes on 9 December in Berlin, not {folder_day}")
    check(series_passes(summary.stdout) == 2 and "from\tsummary" in summary.stdout,
          f"the lab window from the summary the same: {summary.stdout[-120:]}")
    check(series_passes(passes.stdout) == 2 == folder_passes and "from\tpasses" in passes.stdout,
          f"and from the passes themselves, their comment filtered as the folder's: {passes.stdout[-120:]}")


# --- 4. least privilege ---------------------------------------------------------------------

def roles(server, root):
    server.sql("CREATE DATABASE roles")
    made = os.path.join(root, "owner-made")
    check(headless(made, server.url("roles"), 1, "owner").returncode == 0, "the owner's first pass makes the layout")
    # The README's roles, as the owner grants them.
    server.sql(f"""
        CREATE ROLE lab_writer NOLOGIN; CREATE ROLE lab_reader NOLOGIN;
        GRANT USAGE ON SCHEMA public TO lab_writer, lab_reader;
        GRANT SELECT ON lab_schema TO lab_writer, lab_reader;
        GRANT INSERT ON passes, set_aside, characterisations, unit_tests TO lab_writer;
        GRANT EXECUTE ON FUNCTION lab_prepare(text[], text[], text[], text) TO lab_writer;
        GRANT SELECT ON passes, pass_summary, set_aside, lab_schema_steps, characterisations, unit_tests TO lab_reader;
        CREATE ROLE bench7 LOGIN PASSWORD '{PASSWORD}' IN ROLE lab_writer;
        CREATE ROLE viewer LOGIN PASSWORD '{PASSWORD}' IN ROLE lab_reader;""", "roles")
    writer = os.path.join(root, "writer")
    r = headless(writer, server.url("roles", "bench7"), 3, "bench 7")
    stored = server.sql("SELECT count(*) FROM passes WHERE bench = 'bench 7'", "roles")
    check(r.returncode == 0 and stored == "3", f"the writer uploads its passes ({stored}): {r.stderr[-300:]}")
    for statement in ("UPDATE passes SET bench = 'x'", "DELETE FROM passes", "DROP TABLE passes",
                      "UPDATE pass_summary SET passes = 0", "SELECT count(*) FROM passes"):
        check(server.refused(statement, "bench7", "roles"), f"the writer may not: {statement}")
    reader = run([SERIES, server.url("roles", "viewer")])
    check(reader.returncode == 0 and series_passes(reader.stdout) == 4,
          f"the reader runs the lab window: {reader.stdout[-100:]} {reader.stderr}")
    check(server.refused("INSERT INTO set_aside (reason) VALUES ('x')", "viewer", "roles"), "the reader may not insert")
    characterised(server, root)


def characterised(server, root):
    """A characterisation by the writer: its passes name it, and it goes up
    once to a table of its own, the whole file as its document."""
    folder = os.path.join(root, "characterised")
    plan = os.path.join(root, "plan.json")
    with open(plan, "w") as f:
        json.dump({"name": "lab", "transformer": "SPLIT-FLUX TRANSFORMER #1", "supplies": ["10.0"],
                   "loads": ["NO LOAD", "48.0", "23.1", "9.4"], "passes per point": 1,
                   "preset": "SPLIT-FLUX TRANSFORMER #1"}, f)
    settings = {"XDG_CONFIG_HOME": folder + "-settings", "XDG_DATA_HOME": folder + "-settings"}
    r = run([PROGRAM, "--simulate", "--fast-reads", "--record", folder, "--database", server.url("roles", "bench7"),
             "--characterise", plan], env_extra=settings)
    kept = [n for n in os.listdir(folder) if n.startswith("characterisation-") and n.endswith(".json")]
    check(r.returncode == 0 and len(kept) == 1, f"a characterisation through the writer: {r.stderr[-300:]}")
    if not kept:
        return
    with open(os.path.join(folder, kept[0])) as f:
        document = json.load(f)
    cid = document["characterisation id"]
    # Told at the next upload if the run ended before it went up.
    again = run([PROGRAM, "--upload", "--record", folder, "--database", server.url("roles", "bench7")],
                env_extra=settings)
    stored = server.sql("SELECT count(*), min(document->'supplies'->0->'R_eq (ohms)'->>'value') "
                        f"FROM characterisations WHERE characterisation_id = '{cid}'", "roles")
    check(again.returncode == 0 and stored.split("|")[0] == "1"
          and float(stored.split("|")[1]) == document["supplies"][0]["R_eq (ohms)"]["value"],
          f"stored once, its figures as the file holds them: {stored} {again.stderr[-200:]}")
    named = server.sql(f"SELECT count(*) FROM passes WHERE characterisation_id = '{cid}'", "roles")
    check(named == "4", f"its four passes name it ({named})")
    check(server.sql("SELECT count(*) FROM characterisations", "roles") == "1", "sent once however often uploaded")
    unit_tested(server, root)


def unit_tested(server, root):
    """A unit's test through the writer: its ids and numbers the same in the
    record, the rows on standard output, the database and the PDF."""
    folder = os.path.join(root, "unit-tested")
    settings = {"XDG_CONFIG_HOME": folder + "-settings", "XDG_DATA_HOME": folder + "-settings"}
    plan = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs", "examples",
                        "unit-test-split-flux.json")
    r = run([PROGRAM, "--simulate", "--fast-reads", "--simulate-unit", "5", "--unit", "SN-5", "--operator", "ann",
             "--lot", "7", "--record", folder, "--database", server.url("roles", "bench7"), "--unit-test", plan],
            env_extra=settings)
    check(r.returncode in (0, 4), f"a unit test through the writer ends 0 or 4: {r.stderr[-300:]}")
    run([PROGRAM, "--upload", "--record", folder, "--database", server.url("roles", "bench7")], env_extra=settings)
    with open(os.path.join(folder, "unit-tests.csv"), newline="") as f:
        test = list(csv.DictReader(f))[0]
    tid = test["unit test id"]
    with open(os.path.join(folder, "results.csv"), newline="") as f:
        record = {row["pass id"]: row for row in csv.DictReader(f) if row["unit test id"] == tid}
    shown = {row["pass id"]: row for row in csv.DictReader(io.StringIO(r.stdout, newline=""))}
    stored = server.sql("SELECT pass_id, step, unit, lot, operator, phase_angle_efficiency_pct FROM passes "
                        f"WHERE unit_test_id = '{tid}' ORDER BY pass_id", "roles").splitlines()
    pdf = subprocess.run(["pdftotext", os.path.join(folder, test["report"]), "-"], capture_output=True, text=True)
    text = " ".join(pdf.stdout.split())
    check(len(record) == 4 and len(stored) == 4, f"four passes in the record and the database: {len(record)}, {stored}")
    kept = server.sql("SELECT unit, lot, operator, verdict, attempt, step_verdicts, report FROM unit_tests "
                      f"WHERE unit_test_id = '{tid}'", "roles")
    check(kept == "|".join(test[k] for k in ("unit", "lot", "operator", "verdict", "attempt", "step verdicts",
                                             "report"))
          and test["verdict"] in text and test["report"].startswith(f"report-SN-5-{tid}"),
          f"the unit test's row the same in the database, the record and the report: {kept}")
    lots = run([SERIES, server.url("roles", "viewer"), "--units"])
    check(lots.returncode == 0 and lots.stdout.startswith("7\tSPLIT-FLUX outgoing test, version 1\t1\t1\t"),
          f"the reader's Units tab: lot 7, one unit, one test: {lots.stdout} {lots.stderr}")
    for line in stored:
        pid, step, unit, lot, operator, efficiency = line.split("|")
        mine, row = record.get(pid, {}), shown.get(pid, {})
        check(mine.get("step") == step == row.get("step") and unit == "SN-5" == mine.get("unit")
              and lot == "7" and operator == "ann" and pid in text,
              f"pass {pid}: the same step, unit, lot and operator everywhere, and in the report")
        check(float(efficiency) == float(mine.get("phase angle efficiency (%)", "nan"))
              == float(row.get("phase angle efficiency (%)", "nan"))
              and f"phase angle efficiency (%) = {float(efficiency):.6g}" in text,
              f"pass {pid}: the same efficiency in the database, the record, the row and the report")


# --- 5. a lab of version 1 ------------------------------------------------------------------

def upgrade(server, root):
    """A database the last program made (one table, version 1) with a pass
    in it: the next bench upgrades it, the pass kept and summed."""
    server.sql("CREATE DATABASE old")
    server.sql("CREATE TABLE lab_schema (version integer NOT NULL); INSERT INTO lab_schema VALUES (1);"
               "CREATE TABLE passes (date_and_time_iso_8601 timestamptz, pass_ended text, transformer text, "
               "phase_angle_efficiency_pct double precision, load_resistor_efficiency_pct double precision, "
               "pass_id uuid PRIMARY KEY, bench text, uploaded_at timestamptz NOT NULL DEFAULT now());"
               "INSERT INTO passes (date_and_time_iso_8601, pass_ended, transformer, phase_angle_efficiency_pct, "
               "load_resistor_efficiency_pct, pass_id, bench) VALUES ('2026-11-30T23:59:00Z', 'complete', 'OLD', 88.5, "
               "88.4, 'e2f6a0d4-7b47-4b3e-9d0f-0c5b6f2a9a11', 'old bench')", "old")
    r = headless(os.path.join(root, "upgrading"), server.url("old"), 1, "new bench")
    check(r.returncode == 0 and "DATABASE Failed" not in r.stderr, f"a bench upgrades the layout: {r.stderr[-300:]}")
    check(server.sql("SELECT max(version) FROM lab_schema", "old") == "2", "to version 2")
    check(server.sql("SELECT count(*) FROM passes", "old") == "2", "the old pass kept beside the new one")
    check(server.sql("SELECT sum(passes) FROM pass_summary WHERE bench = 'old bench'", "old") == "1",
          "and counted in the summary")
    check("upgraded from version 1" in server.sql("SELECT what FROM lab_schema_steps", "old"), "the step noted")


# --- 6. lots of units -----------------------------------------------------------------------

UNIT_PLAN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs", "examples",
                         "unit-test-split-flux.json")


def unit_rows(folders):
    rows = []
    for folder in folders:
        with open(os.path.join(folder, "unit-tests.csv"), newline="", encoding="utf-8") as f:
            rows += list(csv.DictReader(f))
    return rows


def started_of(row):
    try:
        return datetime.datetime.fromisoformat(row["started"].replace("Z", "+00:00"))
    except ValueError:
        return None


def lot_yields(rows, bench="", operator="", day=None, zone=None):
    """The README's rules, counted here: a test's last row says how it went;
    a unit's first test is its earliest, its final its latest; the yields
    count PASS; failures by step count every test's failing steps."""
    last = {}
    for r in rows:
        try:
            uuid.UUID(r["unit test id"])
        except ValueError:
            continue
        if started_of(r) is not None and r["ended"]:
            last[r["unit test id"]] = r
    lots = {}
    for r in last.values():
        local = started_of(r).astimezone(zone).date()
        if (bench and r["bench"] != bench) or (operator and r["operator"] != operator) or (day and local != day):
            continue
        key = (r.get("lot") or "", f"{r['plan']}, version {r['plan version']}")  # a file without lots
        lots.setdefault(key, {}).setdefault(r["unit"], []).append(r)
    lines = []
    for key in sorted(lots, key=lambda k: (k[0].encode(), k[1].encode())):
        n = dict(units=0, tests=0, first=0, final=0, retests=0, cp=0, cf=0, nv=0, fail=0)
        failed = {}
        for runs in lots[key].values():
            runs.sort(key=started_of)
            final = runs[-1]["verdict"]
            n["units"] += 1
            n["tests"] += len(runs)
            n["retests"] += len(runs) - 1
            n["first"] += runs[0]["verdict"] == "PASS"
            n["final"] += final == "PASS"
            for word, name in (("CONDITIONAL PASS", "cp"), ("CONDITIONAL FAIL", "cf"), ("NO VERDICT", "nv"),
                               ("FAIL", "fail")):
                n[name] += final == word
            for r in runs:
                for step in filter(None, r["step verdicts"].split("; ")):
                    name, _, word = step.rpartition(": ")
                    if name and word in ("FAIL", "CONDITIONAL FAIL"):
                        failed[name] = failed.get(name, 0) + 1
        steps = ";".join(f"{s}={failed[s]}" for s in sorted(failed, key=str.encode))
        lines.append("\t".join([*key, *(str(v) for v in n.values()), steps]))
    return lines


def hand_made_tests(folder, header, today, rows_written=None):
    """A file as a bench could leave it: a test stopped and resumed (a row for
    each end), a unit failed and retested, a step named with ": ", a test of
    another day; and two rows that cannot go up. With `rows_written`, only
    that many rows so far (the same ids each time)."""
    os.makedirs(folder, exist_ok=True)
    plan = {"plan": "hand plan", "plan version": "3", "transformer": "STANDARD TRANSFORMER #1", "bench": "bench C",
            "operator": "carol", "lot": "L2", "attempt": "1"}
    day = today.isoformat()
    ids = [str(uuid.UUID(int=(random.Random(7).getrandbits(128) + n) % (1 << 128), version=4)) for n in range(6)]
    resumed = ids[0]
    rows = [
        dict(plan, **{"unit test id": resumed, "unit": "S-1", "started": f"{day}T08:00:00Z",
                      "ended": f"{day}T08:05:00Z", "verdict": "NO VERDICT", "stopped at": "step 2 (hot: full)",
                      "step verdicts": "1 cold: PASS"}),
        dict(plan, **{"unit test id": resumed, "unit": "S-1", "started": f"{day}T08:00:00Z",
                      "ended": f"{day}T09:00:00Z", "verdict": "PASS",
                      "step verdicts": "1 cold: PASS; 2 hot: full: PASS"}),
        dict(plan, **{"unit test id": ids[1], "unit": "S-2", "started": f"{day}T08:10:00Z",
                      "ended": f"{day}T08:20:00Z", "verdict": "FAIL",
                      "step verdicts": "1 cold: PASS; 2 hot: full: FAIL"}),
        dict(plan, **{"unit test id": ids[2], "unit": "S-2", "started": f"{day}T10:10:00Z",
                      "ended": f"{day}T10:20:00Z", "verdict": "PASS", "attempt": "2",
                      "step verdicts": "1 cold: PASS; 2 hot: full: PASS"}),
        dict(plan, **{"unit test id": ids[3], "unit": "S-3", "started": f"{day}T11:00:00Z",
                      "ended": f"{day}T11:10:00Z", "verdict": "CONDITIONAL PASS",
                      "step verdicts": "1 cold: CONDITIONAL PASS; 2 hot: full: PASS"}),
        dict(plan, **{"unit test id": ids[4], "unit": "S-4", "started": "2026-12-01T11:00:00Z",
                      "ended": "2026-12-01T11:10:00Z", "verdict": "CONDITIONAL FAIL",
                      "step verdicts": "1 cold: CONDITIONAL FAIL; 2 hot: full: PASS"}),
        dict(plan, **{"unit test id": "not-a-uuid", "unit": "S-5", "started": f"{day}T12:00:00Z",
                      "ended": f"{day}T12:10:00Z", "verdict": "PASS"}),
        dict(plan, **{"unit test id": ids[5], "unit": "S-6", "started": "yesterday noon",
                      "ended": f"{day}T12:10:00Z", "verdict": "PASS"}),
    ]
    with open(os.path.join(folder, "unit-tests.csv"), "w", newline="", encoding="utf-8") as f:
        writer = csv.DictWriter(f, fieldnames=header, restval="", lineterminator="\r\n")
        writer.writeheader()
        writer.writerows(rows[:rows_written])


def unit_lots(server, root):
    server.sql("CREATE DATABASE units")
    settings = {"XDG_CONFIG_HOME": os.path.join(root, "units-settings"),
                "XDG_DATA_HOME": os.path.join(root, "units-settings")}
    benches = {"bench A": ("ann", [("12", 1), ("12", 2), ("12", 3), ("12", 4), ("12", 5), ("12", 2), ("12", 4)]),
               "bench B": ("bob", [("12", 6), ("12", 7), ("12", 8), ("13", 9)])}
    folders = []
    for bench, (operator, units) in benches.items():
        folder = os.path.join(root, "units-" + bench.replace(" ", "-"))
        folders.append(folder)
        for lot, seed in units:
            r = run([PROGRAM, "--simulate", "--fast-reads", "--simulate-unit", str(seed), "--unit", f"SN-{seed}",
                     "--operator", operator, "--lot", lot, "--bench", bench, "--record", folder,
                     "--unit-test", UNIT_PLAN], env_extra=settings)
            check(r.returncode in (0, 4), f"unit SN-{seed} on {bench} tested: {r.stderr[-200:]}")
    with open(os.path.join(folders[0], "unit-tests.csv"), newline="", encoding="utf-8") as f:
        header = next(csv.reader(f))
    zone = datetime.datetime.now().astimezone().tzinfo
    today = started_of(unit_rows(folders)[0]).astimezone(zone).date()
    hand = os.path.join(root, "units-hand")
    # The stopped test's row goes up before the row of its resumed end exists.
    hand_made_tests(hand, header, today, rows_written=1)
    check(run([PROGRAM, "--upload", "--record", hand, "--database", server.url("units")],
              env_extra=settings).returncode == 0, "the stopped test's row uploaded")
    hand_made_tests(hand, header, today)
    folders.append(hand)
    # A file of a layout without the lot column: its tests in the lot "".
    older = os.path.join(root, "units-older")
    os.makedirs(older)
    with open(os.path.join(older, "unit-tests.csv"), "w", newline="", encoding="utf-8") as f:
        writer = csv.DictWriter(f, fieldnames=[h for h in header if h != "lot"], extrasaction="ignore",
                                lineterminator="\r\n")
        writer.writeheader()
        writer.writerow({"unit test id": str(uuid.uuid4()), "unit": "O-1", "plan": "hand plan", "plan version": "3",
                         "bench": "bench C", "operator": "carol", "started": f"{today.isoformat()}T13:00:00Z",
                         "ended": f"{today.isoformat()}T13:10:00Z", "verdict": "FAIL",
                         "step verdicts": "1 cold: FAIL", "attempt": "1"})
    folders.append(older)
    for folder in folders:
        r = run([PROGRAM, "--upload", "--record", folder, "--database", server.url("units")], env_extra=settings)
        check(r.returncode == 0, f"{os.path.basename(folder)} uploaded: {r.stderr[-300:]}")
    rows = unit_rows(folders)
    stored = server.sql("SELECT count(*) FROM unit_tests", "units")
    check(stored == str(len(rows) - 2), f"every row but the two bad ones stored once: {stored} of {len(rows)}")
    with open(os.path.join(hand, "database-unit-tests.csv"), newline="", encoding="utf-8") as f:
        aside = [r for r in csv.reader(f) if r[1].startswith("set aside")]
    check(len(aside) == 2, f"two rows set aside beside the record, with why: {aside}")
    run([PROGRAM, "--upload", "--record", hand, "--database", server.url("units")], env_extra=settings)
    check(server.sql("SELECT count(*) FROM unit_tests", "units") == stored, "a second upload sends none again")
    for what, args, oracle in (
            ("every lot", [], {}),
            ("one bench", ["--bench", "bench B"], {"bench": "bench B"}),
            ("one operator", ["--operator", "ann"], {"operator": "ann"}),
            ("the hand-made bench", ["--bench", "bench C"], {"bench": "bench C"}),
            ("one day", ["--from", today.isoformat(), "--to", today.isoformat()], {"day": today})):
        got = run([SERIES, server.url("units"), "--units", *args])
        want = lot_yields(rows, zone=zone, **oracle)
        check(got.returncode == 0 and got.stdout.splitlines() == want,
              f"{what}: the server's yields equal this script's count\n  server {got.stdout.splitlines()} "
              f"{got.stderr}\n  script {want}")


def main():
    root = tempfile.mkdtemp(prefix="lab-store-")
    os.chmod(root, 0o755)
    server = Server(os.path.join(root, "server"), settings="-c timezone=Etc/GMT-10")  # UTC+10
    try:
        fuzz(server, root)
        two_versions(server, root)
        zones(server, root)
        roles(server, root)
        upgrade(server, root)
        unit_lots(server, root)
    finally:
        try:
            server.stop("immediate")
        except RuntimeError as e:
            print(e)
        shutil.rmtree(root, ignore_errors=True)
    if failures:
        print(f"{len(failures)} checks failed")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
