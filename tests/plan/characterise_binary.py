#!/usr/bin/python3
"""The real program with --characterise, started with no display at all, on
the simulated bench: every pass a row naming the characterisation, the
parameters against the simulated circuit's truth, a stop by a signal and a
resume that measures no point twice, and plans that are refused.

usage: characterise_binary.py PROGRAM"""
import csv
import io
import json
import os
import signal
import subprocess
import sys
import tempfile
import time

PROGRAM = sys.argv[1]
ENV = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
HOME = tempfile.mkdtemp(prefix="characterise-")
ENV["XDG_CONFIG_HOME"] = ENV["XDG_DATA_HOME"] = HOME
SIM = ["--simulate", "--fast-reads"]
PLAN = {"name": "ten volts", "transformer": "SPLIT-FLUX TRANSFORMER #1", "supplies": ["10.0"],
        "loads": ["NO LOAD", "97.2", "48.0", "23.1", "9.4", "5.0"], "capacitor": "10", "passes per point": 2,
        "preset": "SPLIT-FLUX TRANSFORMER #1"}
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED:", what)


def plan_file(plan, name="plan.json"):
    path = os.path.join(HOME, name)
    with open(path, "w") as f:
        json.dump(plan, f)
    return path


def rows_of(text):
    rows = list(csv.reader(io.StringIO(text, newline="")))
    return [dict(zip(rows[0], r)) for r in rows[1:]] if rows else []


def kept(folder):
    found = [f for f in os.listdir(folder) if f.startswith("characterisation-") and f.endswith(".json")]
    with open(os.path.join(folder, found[0])) as f:
        return json.load(f)


def finished_against_the_truth():
    folder = tempfile.mkdtemp(dir=HOME)
    done = subprocess.run([PROGRAM, *SIM, "--record", folder, "--characterise", plan_file(PLAN)], env=ENV,
                          capture_output=True, text=True, timeout=300)
    check(done.returncode == 0, f"a finished characterisation ends 0, not {done.returncode}: {done.stderr[-400:]}")
    rows = rows_of(done.stdout)
    check(len(rows) == 12, f"six points of two passes give 12 rows, not {len(rows)}")
    c = kept(folder)
    ids = {r["characterisation id"] for r in rows}
    check(ids == {c["characterisation id"]}, f"every row names the characterisation, not {ids}")
    check(sorted(c["pass ids"]) == sorted(r["pass id"] for r in rows), "the file's pass ids are the rows'")
    s = c["supplies"][0]
    truth = s["simulated truth"]
    for name in ("no-load loss P0 (W)", "R_eq (ohms)", "best efficiency (%)", "best load (ohms)"):
        fit = s[name]
        check(abs(fit["value"] - truth[name]) <= fit["U95"],
              f"{name}: {fit['value']} +- {fit['U95']} holds the truth {truth[name]}")
    with open(os.path.join(folder, "characterisations.csv"), newline="") as f:
        table = list(csv.DictReader(f))
    check(len(table) == 1 and float(table[0]["no-load loss P0 (W)"]) == s["no-load loss P0 (W)"]["value"]
          and float(table[0]["simulated true R_eq (ohms)"]) == truth["R_eq (ohms)"],
          "characterisations.csv holds the same figures and the truth beside them")
    said = [line for line in done.stderr.splitlines() if line.startswith("transformer-efficiency: at 10.0 V: P0 ")]
    check(len(said) == 1, "the parameters are said on standard error")


def stopped_and_resumed():
    folder = tempfile.mkdtemp(dir=HOME)
    plan = plan_file(PLAN)
    first = subprocess.Popen([PROGRAM, *SIM, "--record", folder, "--characterise", plan], env=ENV,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    # Stopped once its third point's passes have begun.
    points_file = None
    deadline = time.time() + 120
    while time.time() < deadline:
        found = [f for f in os.listdir(folder) if f.endswith(".points")]
        if found:
            points_file = os.path.join(folder, found[0])
            with open(points_file) as f:
                if len(f.read().splitlines()) >= 3:  # the plan and two points
                    break
        time.sleep(0.05)
    first.send_signal(signal.SIGINT)
    out, err = first.communicate(timeout=120)
    check(first.returncode == 1, f"a characterisation stopped by a signal ends 1, not {first.returncode}")
    stopped = [line for line in err.splitlines() if " stopped after " in line]
    check(len(stopped) == 1 and "--resume " in stopped[0], f"the stop says how to go on: {stopped}")
    cid = os.path.basename(points_file)[len("characterisation-"):-len(".points")]
    again = subprocess.run([PROGRAM, *SIM, "--record", folder, "--characterise", plan, "--resume", cid], env=ENV,
                           capture_output=True, text=True, timeout=300)
    check(again.returncode == 0, f"the resumed one finishes, not {again.returncode}: {again.stderr[-400:]}")
    c = kept(folder)
    first_rows, second_rows = rows_of(out), rows_of(again.stdout)
    check(c["characterisation id"] == cid, "the resumed one keeps its id")
    measured = {r["pass id"] for r in first_rows + second_rows if r["pass ended"] == "complete"}
    check(set(c["pass ids"]) <= measured and len(c["pass ids"]) == 12,
          f"the file names 12 passes, each measured: {len(c['pass ids'])}")
    loads = [r["load resistor (ohms)"] for r in second_rows]
    check(len(second_rows) < 12 and "NO LOAD" not in loads, f"the resume measures only what was not done: {loads}")


def refused():
    folder = tempfile.mkdtemp(dir=HOME)
    for plan, why in (({**PLAN, "colour": "red"}, "\"colour\" is not a key of a plan"),
                      ({k: v for k, v in PLAN.items() if k != "loads"}, "\"loads\" is not a list of items"),
                      ({**PLAN, "supplies": ["60.0"]}, "\"supplies\" names \"60.0\"")):
        done = subprocess.run([PROGRAM, *SIM, "--record", folder, "--characterise", plan_file(plan, "bad.json")],
                              env=ENV, capture_output=True, text=True, timeout=60)
        check(done.returncode == 2 and why in done.stderr and done.stdout == "",
              f"a plan with {why} is refused with status 2: {done.returncode} {done.stderr}")
    check(os.listdir(folder) == [], "nothing was run for a refused plan")
    resumed = subprocess.run([PROGRAM, *SIM, "--record", folder, "--characterise", plan_file(PLAN), "--resume",
                              "0000"], env=ENV, capture_output=True, text=True, timeout=60)
    check(resumed.returncode == 2 and "no characterisation 0000 to resume" in resumed.stderr,
          f"a resume of nothing is refused: {resumed.returncode} {resumed.stderr[-300:]}")


finished_against_the_truth()
stopped_and_resumed()
refused()
print("characterise_binary:", "FAILED" if failures else "passed", len(failures))
sys.exit(1 if failures else 0)
