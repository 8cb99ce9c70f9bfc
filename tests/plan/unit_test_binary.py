#!/usr/bin/python3
"""The real program with --unit-test, started with no display at all, on the
simulated bench: units of a lot tested by the example plan, each report read
back with pdftotext and held against the record row for row and the rows on
standard output, a test stopped by a signal, an amendment, and the bad
input that must be refused in one line with nothing written.

usage: unit_test_binary.py PROGRAM EXAMPLES_DIR"""
import csv
import hashlib
import io
import json
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

PROGRAM, EXAMPLES = sys.argv[1], sys.argv[2]
PLAN = os.path.join(EXAMPLES, "unit-test-split-flux.json")
ENV = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
HOME = tempfile.mkdtemp(prefix="unit-test-")
ENV["XDG_CONFIG_HOME"] = ENV["XDG_DATA_HOME"] = HOME
os.makedirs(os.path.join(HOME, "transformer-efficiency"))
with open(os.path.join(HOME, "transformer-efficiency", "lab.json"), "w") as f:
    json.dump({"name": "Bench Test Lab", "address": "1 Coil Street, Ohmtown", "authorised by": "R. Fluxley"}, f)
SIM = ["--simulate", "--fast-reads"]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED:", what)


def rows_of(text):
    rows = list(csv.reader(io.StringIO(text, newline="")))
    return [dict(zip(rows[0], r)) for r in rows[1:]] if rows else []


def read_rows(path):
    with open(path, newline="") as f:
        return rows_of(f.read())


def pdf_text(path):
    return subprocess.run(["pdftotext", "-layout", path, "-"], capture_output=True, text=True, check=True).stdout


def significant(v, digits=6):
    return float(f"{float(v):.{digits}g}")


def unit_test(folder, unit, seed, *extra):
    return subprocess.run([PROGRAM, *SIM, "--simulate-unit", str(seed), "--unit", unit, "--operator", "ann",
                           "--lot", "12", "--unit-test", PLAN, "--record", folder, *extra],
                          env=ENV, capture_output=True, text=True, timeout=300)


def report_holds_every_item(folder, test, record_rows, stdout_rows):
    path = os.path.join(folder, test["report"])
    text = pdf_text(path)
    flat = re.sub(r"\s+", " ", text)
    pages = text.count("\f") or 1
    rid = test["unit test id"] + "/1"
    with open(PLAN, "rb") as f:
        plan_sha = hashlib.sha256(f.read()).hexdigest()
    for item in ["TEST REPORT", "Bench Test Lab", "1 Coil Street, Ohmtown", f"Unit: {test['unit']}",
                 "Kind: SPLIT-FLUX TRANSFORMER #1", "Lot: 12", "Condition and remarks:",
                 "Test plan: SPLIT-FLUX outgoing test, version 1", "Measured with transformer-efficiency",
                 "Oscilloscope: ", "Adapter: simulated", "Declared accuracy: scope gain", "Calibration: ",
                 "Test began", "Report issued", "Decision rule", "guard-band", f"UNIT VERDICT: {test['verdict']}",
                 "The results relate only to the item tested.", "Tested by: ann", "Authorised by: R. Fluxley",
                 f"End of report {rid}", f"page {pages} of {pages}"]:
        check(item in flat, f"{test['unit']}: the report holds \"{item}\"")
    # The plan's SHA-256 may be broken over two lines; its digits are whole.
    check(plan_sha in flat.replace(" ", ""), f"{test['unit']}: the report names the plan's SHA-256")
    check(flat.count(f"Report {rid}") >= 2 * pages, f"{test['unit']}: the report's id on every page, head and foot")
    mine = [r for r in record_rows if r["unit test id"] == test["unit test id"]]
    check(len(mine) == 4, f"{test['unit']}: four passes recorded (1 + 1 + 2), not {len(mine)}")
    shown = {r["pass id"]: r for r in stdout_rows}
    for r in mine:
        check(r["pass id"] in flat, f"{test['unit']}: pass {r['pass id']} in the report")
        check(shown.get(r["pass id"], {}).get("unit test id") == test["unit test id"]
              and shown[r["pass id"]]["step"] == r["step"], f"{test['unit']}: the headless row of {r['pass id']}")
        check(r["unit"] == test["unit"] and r["operator"] == "ann" and r["lot"] == "12", "the who columns")
        # The pass's efficiency and its U95 as the report prints them.
        after = flat[flat.index(r["pass id"]):]
        m = re.search(r"phase angle efficiency \(%\) = ([-0-9.e+]+) \+- ([0-9.e+-]+)", after)
        check(m is not None and significant(m.group(1)) == significant(r["phase angle efficiency (%)"])
              and significant(m.group(2), 3) == significant(r["U95 phase angle efficiency (%)"], 3),
              f"{test['unit']}: the report's efficiency of {r['pass id']} is the record's")
    steps = sorted({r["step"] for r in mine})
    check(steps == ["1 light load", "2 half load", "3 full load"], f"the steps named: {steps}")


def a_lot_reported():
    folder = tempfile.mkdtemp(dir=HOME)
    outs = []
    for seed in (1, 2, 3):
        done = unit_test(folder, f"SN-{seed}", seed)
        check(done.returncode in (0, 4), f"unit {seed} ends 0 or 4, not {done.returncode}: {done.stderr[-300:]}")
        outs += rows_of(done.stdout)
    again = unit_test(folder, "SN-2", 2)
    check("(retest, attempt 2)" in again.stderr, "the same unit again is a retest")
    outs += rows_of(again.stdout)
    tests = read_rows(os.path.join(folder, "unit-tests.csv"))
    check(len(tests) == 4 and len({t["unit test id"] for t in tests}) == 4, "four tests, four ids")
    check([t["attempt"] for t in tests] == ["1", "1", "1", "2"], f"attempts: {[t['attempt'] for t in tests]}")
    record = read_rows(os.path.join(folder, "results.csv"))
    for t in tests:
        report_holds_every_item(folder, t, record, outs)
        check(t["simulated true verdict"] in ("PASS", "CONDITIONAL PASS", "CONDITIONAL FAIL", "FAIL"),
              "a simulated unit's true verdict is known")
    # An amendment: a new numbered report naming the one it replaces; both kept.
    first = tests[0]
    amended = subprocess.run([PROGRAM, "--record", folder, "--amend", first["unit test id"] + "/1",
                              "--correction", "the lot is 12a"], env=ENV, capture_output=True, text=True, timeout=60)
    check(amended.returncode == 0, f"an amendment ends 0: {amended.stderr}")
    pdfs = sorted(f for f in os.listdir(folder) if first["unit test id"] in f and f.endswith(".pdf"))
    check(len(pdfs) == 2, f"the report and its amendment both kept: {pdfs}")
    if len(pdfs) == 2:
        text = re.sub(r"\s+", " ", pdf_text(os.path.join(folder, [p for p in pdfs if "amendment-1" in p][0])))
        check(f"replaces report {first['unit test id']}/1" in text and "Correction: the lot is 12a" in text
              and f"End of report {first['unit test id']}/2" in text, "the amendment names what it replaces")
    twice = subprocess.run([PROGRAM, "--record", folder, "--amend", first["unit test id"] + "/1",
                            "--correction", "again"], env=ENV, capture_output=True, text=True, timeout=60)
    check(twice.returncode == 1 and "was replaced already" in twice.stderr, "a replaced report is not amended again")


def a_stopped_test_reported():
    folder = tempfile.mkdtemp(dir=HOME)
    running = subprocess.Popen([PROGRAM, *SIM, "--unit", "SN-9", "--unit-test", PLAN, "--record", folder],
                               env=ENV, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    record = os.path.join(folder, "results.csv")
    deadline = time.time() + 120
    while time.time() < deadline and not (os.path.exists(record) and len(read_rows(record)) >= 2):
        time.sleep(0.05)
    running.send_signal(signal.SIGINT)
    out, err = running.communicate(timeout=120)
    check(running.returncode == 1, f"a unit test stopped by a signal ends 1, not {running.returncode}")
    tests = read_rows(os.path.join(folder, "unit-tests.csv"))
    check(len(tests) == 1 and tests[0]["verdict"] == "NO VERDICT" and tests[0]["stopped at"].startswith("step "),
          f"the stopped test's row: {tests}")
    if tests:
        text = re.sub(r"\s+", " ", pdf_text(os.path.join(folder, tests[0]["report"])))
        check("UNIT VERDICT: NO VERDICT" in text and "The test did not run to its end: step " in text,
              "the stopped test's report says where it stopped")
        resumed_without_a_window(folder, tests[0])


def resumed_without_a_window(folder, stopped):
    """The stopped test resumed from its folder by another run: the same id,
    the steps that ended kept from the record (not measured again), their
    verdicts as before, the next report naming the stopped one's."""
    tid = stopped["unit test id"]
    record = os.path.join(folder, "results.csv")
    # A record row may run over lines (a quoted line end, here in its
    # comment): the resume reads it as one row all the same.
    with open(record, newline="", encoding="utf-8") as f:
        table = list(csv.reader(f))
    for row in table[1:]:
        if row[table[0].index("unit test id")] == tid:
            row[table[0].index("comment")] = "shelf 3,\r\nleft"
    with open(record, "w", newline="", encoding="utf-8") as f:
        csv.writer(f, lineterminator="\r\n").writerows(table)
    before = [r for r in read_rows(record) if r["unit test id"] == tid]
    other_plan = os.path.join(HOME, "other-plan.json")
    with open(PLAN) as f:
        plan = json.load(f)
    plan["version"] = "2"
    with open(other_plan, "w") as f:
        json.dump(plan, f)
    refused = subprocess.run([PROGRAM, *SIM, "--unit-test", other_plan, "--record", folder, "--resume", tid],
                             env=ENV, capture_output=True, text=True, timeout=120)
    check(refused.returncode == 2 and "was begun with another plan" in refused.stderr,
          f"a resume with another plan is refused: {refused.returncode} {refused.stderr[-200:]}")
    r = subprocess.run([PROGRAM, *SIM, "--unit-test", PLAN, "--record", folder, "--resume", tid], env=ENV,
                       capture_output=True, text=True, timeout=300)
    check(r.returncode in (0, 4) and "resumed where it stopped" in r.stderr,
          f"the resumed test ends with a verdict: {r.returncode} {r.stderr[-300:]}")
    tests = [t for t in read_rows(os.path.join(folder, "unit-tests.csv")) if t["unit test id"] == tid]
    check(len(tests) == 2 and tests[1]["verdict"] != "NO VERDICT" and tests[1]["stopped at"] == ""
          and tests[1]["unit"] == "SN-9", f"a second row for the same id, with a verdict: {tests}")
    after = [r for r in read_rows(os.path.join(folder, "results.csv")) if r["unit test id"] == tid]
    steps = [s["name"] for s in plan["steps"]]
    kept = [s for s in stopped["step verdicts"].split("; ") if s and not s.endswith("NO VERDICT")]
    for n, name in enumerate(steps, 1):
        rows = [row for row in after if row["step"] == f"{n} {name}" and row["pass ended"] == "complete"]
        check(len(rows) == plan["steps"][n - 1]["passes"], f"step {n}: its passes complete once: {len(rows)}")
    for step in kept:
        label = step.rsplit(": ", 1)[0]
        check(step in tests[1]["step verdicts"].split("; "), f"the kept step {label} judged as before")
        ids = [row["pass id"] for row in before if row["step"] == label]
        check(ids and all(sum(row["pass id"] == i for row in after) == 1 for i in ids),
              f"the kept step {label} not measured again")
    if len(tests) == 2:
        # Without blanks: a long id may be broken across lines at a hyphen.
        text = re.sub(r"\s+", "", pdf_text(os.path.join(folder, tests[1]["report"])))
        check(f"{tid}/2" in text and f"replacesreport{tid}/1" in text
              and os.path.exists(os.path.join(folder, tests[0]["report"])),
              "the resumed test's report is issue 2, names issue 1, and issue 1 is kept")
        for row in after:
            if row["pass ended"] == "complete":
                figure = (f"phaseangleefficiency(%)={float(row['phase angle efficiency (%)']):.6g}"
                          f"+-{float(row['U95 phase angle efficiency (%)']):.3g}")
                check(figure in text, f"the resumed report's {row['step']} pass as the record has it: {figure}")
        again = subprocess.run([PROGRAM, *SIM, "--unit-test", PLAN, "--record", folder, "--resume", tid], env=ENV,
                               capture_output=True, text=True, timeout=120)
        check(again.returncode == 2 and "nothing to resume" in again.stderr,
              f"a test that ended is not resumed: {again.stderr[-200:]}")


def bad_input_refused():
    folder = tempfile.mkdtemp(dir=HOME)
    with open(PLAN) as f:
        plan = json.load(f)
    limits = os.path.join(HOME, "limits.json")
    with open(limits, "w") as f:
        json.dump(plan["steps"][0]["limits"], f)
    wrong = json.loads(json.dumps(plan))
    del wrong["steps"][0]["limits"]
    wrong["steps"][0]["limits file"] = limits
    wrong["steps"][0]["limits sha256"] = "0" * 64
    missing = json.loads(json.dumps(plan))
    del missing["steps"][1]["prompt"]
    unknown = json.loads(json.dumps(plan))
    unknown["steps"][2]["limits"]["limits"]["efficiency (%)"] = {"lower": 80}
    cases = []
    for name, p in (("sha", wrong), ("missing", missing), ("unknown", unknown)):
        path = os.path.join(HOME, f"bad-{name}.json")
        with open(path, "w") as f:
            json.dump(p, f)
        cases.append((["--unit", "SN-1", "--unit-test", path], name))
    cases += [(["--unit", "", "--unit-test", PLAN], "is empty"),
              (["--unit", "SN\x1b1", "--unit-test", PLAN], "control character"),
              (["--unit-test", PLAN], "needs the unit")]
    for args, says in cases:
        done = subprocess.run([PROGRAM, *SIM, "--record", folder, *args], env=ENV, capture_output=True, text=True,
                              timeout=60)
        lines = done.stderr.strip().splitlines()
        check(done.returncode == 2 and len(lines) == 1, f"{says}: one line and status 2, not {done.returncode} {lines}")
    check(os.listdir(folder) == [], f"nothing written for bad input: {os.listdir(folder)}")


a_lot_reported()
a_stopped_test_reported()
bad_input_refused()
print("unit_test_binary:", "FAILED" if failures else "passed", len(failures))
sys.exit(1 if failures else 0)
