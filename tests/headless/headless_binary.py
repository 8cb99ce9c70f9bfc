#!/usr/bin/python3
"""The real program with --headless, started with no display at all, on the
simulated bench: rows on standard output, event lines on standard error, a
refusal's line and status, stop signals, and --record.

usage: headless_binary.py PROGRAM"""
import csv
import io
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

PROGRAM = sys.argv[1]
ENV = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
# The program keeps its settings between runs: these runs keep theirs apart
# from the user's.
SETTINGS_HOME = tempfile.mkdtemp(prefix="headless-settings-")
ENV["XDG_CONFIG_HOME"] = SETTINGS_HOME
ENV["XDG_DATA_HOME"] = SETTINGS_HOME
SETUP = ["--headless", "--simulate", "--fast-reads", "--load-resistor", "9.4", "--supply", "10",
         "--capacitor", "100"]
TIMED = re.compile(r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3} ")
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED:", what)


def run(*extra, timeout=120):
    return subprocess.run([PROGRAM, *extra], env=ENV, capture_output=True, text=True, timeout=timeout)


def rows_of(out):
    return list(csv.reader(io.StringIO(out, newline="")))


def passes_under_one_header():
    done = run(*SETUP, "--passes", "3", "--comment", "unit 7, warm")
    rows = rows_of(done.stdout)
    check(done.returncode == 0, f"three passes end with status 0, not {done.returncode}")
    check(len(rows) == 4 and rows[0][:2] == ["date and time (ISO 8601)", "pass ended"],
          f"one header and three rows, not {len(rows)} lines")
    check(all(len(r) == len(rows[0]) and r[1] == "complete" for r in rows[1:]), "three complete rows")
    named = dict(zip(rows[0], rows[-1]))
    check(named.get("comment") == "unit 7, warm" and named.get("adapter") == "simulated",
          "the row names its comment and the simulated adapter")
    lines = done.stderr.splitlines()
    stated = [line for line in lines if line.startswith("transformer-efficiency: ")]
    check(all(TIMED.match(line) for line in lines if line not in stated), "every event line has its time")
    check(len(stated) == 1 and stated[0].startswith("transformer-efficiency: configuration: accuracy from "),
          f"one line states the configuration in force, not {stated}")
    told = [line[24:] for line in lines]
    check(any(t.startswith("settings window: MEASU:IMMED?") for t in told), "the settings window's lines too")
    check(told.count("READY") == 3 and told[-1] == "READY", "each pass ends READY")
    check(told.count("MATH:DEFINE \"CH3 * CH4\"") == 3, "each pass switches MATH to the output side")


def refusals():
    cases = [
        (["--load-resistor", "9.5"], 2, '--load-resistor "9.5" is not in its list: NO LOAD, 97.2'),
        (["--supply", "30"], 2, '--supply "30" is not in its list'),
        (["--capacitor", "1000"], 2, '--capacitor "1000" is not in its list'),
        (["--sample-average", "32"], 2, '--sample-average "32" is not in its list: 4, 16, 64, 128'),
        (["--preset", "general"], 2, '--preset "general" names no set-up button'),
        (["--passes", "-1"], 2, "--passes takes a whole number of 1 or more"),
        (["--passes", "0"], 2, '--passes takes a whole number of 1 or more, not "0"'),
        (["--passes", "1.5"], 2, '--passes takes a whole number of 1 or more, not "1.5"'),
        (["--passes", "two"], 2, '--passes takes a whole number of 1 or more, not "two"'),
        (["--passes", "99999999999"], 2, '--passes takes a whole number of 1 or more, not "99999999999"'),
        (["--interval", "soon"], 2, "--interval takes seconds"),
        (["--interval", "-1"], 2, '--interval takes seconds from 0 up to a year, not "-1"'),
        (["--interval", "nan"], 2, '--interval takes seconds from 0 up to a year, not "nan"'),
        (["--interval", "inf"], 2, '--interval takes seconds from 0 up to a year, not "inf"'),
        (["--interval", "31536001"], 2, '--interval takes seconds from 0 up to a year, not "31536001"'),
        (["--supply", "120"], 2, '--supply "120" is not in the supply list of SPLIT-FLUX TRANSFORMER #1'),
        (["--supply", "10.5"], 3, 'the set-up is not ready: CALCULATOR STATUS reads "WAIT"'),
    ]
    for extra, status, message in cases:
        args = list(SETUP)
        for option, value in zip(extra[::2], extra[1::2]):
            if option in args:
                args[args.index(option) + 1] = value
            else:
                args += [option, value]
        done = run(*args)
        last = done.stderr.splitlines()[-1] if done.stderr else ""
        check(done.returncode == status, f"{extra}: status {done.returncode}, expected {status}")
        check(last.startswith("transformer-efficiency: ") and message in last, f"{extra}: {last!r}")
        check(done.stdout == "", f"{extra}: no row")
        connected = any(line.endswith(" ID?") for line in done.stderr.splitlines())
        check(connected == (status == 3 or "supply list" in message),
              f"{extra}: the scope was talked to only when the refusal needed it")
    missing = run("--headless", "--simulate", "--supply", "10")
    check(missing.returncode == 2 and "--headless needs --load-resistor OHMS, --supply VOLTS and --capacitor UF"
          in missing.stderr, "a missing option is named")
    lost = run(*[a for a in SETUP if a != "--simulate"])
    check(lost.returncode == 3 and "no connection to the scope" in lost.stderr, "no adapter: status 3")


def stop_signals():
    """Each stop signal, once or twice within a second, mid-pass and in the
    interval's wait: the run ends as CLOSE ends it, the record holding exactly
    the rows printed."""
    mid_pass = ["--passes", "5"]
    in_wait = ["--passes", "3", "--interval", "60"]
    closing = ['MATH:DEFINE "CH1 * CH2"', "STOP CALCULATION", "READY"]
    cases = [  # what, options, signals sent together, rows' endings, last event lines
        ("SIGINT mid-pass", mid_pass, [signal.SIGINT], ["complete", "stopped"], closing),
        ("SIGTERM mid-pass", mid_pass, [signal.SIGTERM], ["complete", "stopped"], closing),
        ("SIGTERM twice at once mid-pass", mid_pass, [signal.SIGTERM] * 2, ["complete", "stopped"], closing),
        ("SIGINT then SIGTERM mid-pass", mid_pass, [signal.SIGINT, signal.SIGTERM], ["complete", "stopped"],
         closing),
        ("SIGTERM in the interval's wait", in_wait, [signal.SIGTERM], ["complete"], ["READY"]),
        ("SIGINT twice in the interval's wait", in_wait, [signal.SIGINT] * 2, ["complete"], ["READY"]),
    ]
    # A stop between passes has no row to say so: a line does.
    between = "transformer-efficiency: stopped by a signal after 1 pass of 3"
    for what, options, signals, endings, last_lines in cases:
        with tempfile.TemporaryDirectory() as folder:
            proc = subprocess.Popen([PROGRAM, *SETUP, *options, "--record", folder], env=ENV,
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
            header = proc.stdout.readline()
            first = proc.stdout.readline()  # the first pass has ended; the second runs or waits
            time.sleep(0.15)
            sent = time.monotonic()
            for number in signals:
                proc.send_signal(number)
            rest, err = proc.communicate(timeout=60)
            took = time.monotonic() - sent
            rows = rows_of(header + first + rest)
            check(proc.returncode == 1, f"{what}: status 1, not {proc.returncode}")
            check([r[1] for r in rows[1:]] == endings, f"{what}: rows {[r[1] for r in rows[1:]]}")
            stated = [line for line in err.splitlines() if line.startswith("transformer-efficiency: ")]
            told = [line[24:] for line in err.splitlines() if line not in stated]
            check(told[-len(last_lines):] == last_lines, f"{what}: the event lines end {told[-3:]}")
            expected = [between] if options is in_wait else []
            check([line for line in stated if "stopped" in line] == expected, f"{what}: stated {stated}")
            check("ended at once" not in err, f"{what}: one stop, not two")
            check(took < 5, f"{what}: ended {took:.1f} s after the signal")
            with open(os.path.join(folder, "results.csv"), encoding="utf-8") as f:  # CR LF read as LF
                recorded = f.read()
            check(recorded == header + first + rest, f"{what}: the record holds exactly the rows printed")


def a_second_stop_during_a_read():
    """A stop a second or more after the first ends the program at once, even
    inside a 5-second read."""
    slow = [a for a in SETUP if a != "--fast-reads"]
    proc = subprocess.Popen([PROGRAM, *slow], env=ENV, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            text=True)
    while not proc.stderr.readline().rstrip().endswith(" ID?"):
        pass
    proc.send_signal(signal.SIGINT)
    time.sleep(1.3)
    sent = time.monotonic()
    proc.send_signal(signal.SIGINT)
    out, err = proc.communicate(timeout=30)
    check(proc.returncode == 128 + signal.SIGINT, f"the second stop: status {proc.returncode}")
    check(err.endswith("transformer-efficiency: ended at once by a second signal\n"), "the second stop says so")
    check(time.monotonic() - sent < 1, "the second stop did not wait for the read")
    check(out == "", "no row")


def bounded_by_timeout():
    """`timeout` sends its SIGTERM to the program and to its process group:
    one stop, a last row, and CLOSE."""
    for attempt in range(3):
        done = subprocess.run(["timeout", "2", PROGRAM, *SETUP, "--passes", "1000"], env=ENV,
                              capture_output=True, text=True, timeout=60)
        rows = rows_of(done.stdout)
        check(done.returncode == 124, f"timeout {attempt}: status {done.returncode}")
        check("ended at once" not in done.stderr, f"timeout {attempt}: ended by one stop")
        check(len(rows) > 1 and rows[-1][1] in ("stopped", "complete"), f"timeout {attempt}: a last row")


def an_interval():
    proc = subprocess.Popen([PROGRAM, *SETUP, "--passes", "2", "--interval", "2"], env=ENV,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    proc.stdout.readline()
    proc.stdout.readline()
    first = time.monotonic()
    proc.stdout.readline()
    apart = time.monotonic() - first
    proc.communicate(timeout=60)
    check(1.8 <= apart <= 6 and proc.returncode == 0,
          f"the second pass starts 2 s after the first started: its row came {apart:.2f} s later")


passes_under_one_header()
an_interval()
refusals()
stop_signals()
a_second_stop_during_a_read()
bounded_by_timeout()
if failures:
    sys.exit(f"{len(failures)} checks failed")
print("every check passed")
