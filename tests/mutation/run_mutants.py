#!/usr/bin/env python3
"""Plants realistic single faults in the program, one at a time, and runs the
test suite against each: a fault the suite does not catch (survives) is a
behaviour nothing pins down.

usage: run_mutants.py [--only ID,ID...] [--list]

The faults are in mutants.txt beside this script. Each is a block:

    ## id: what the fault is
    file: path/from/the/top
    find: the exact text (it must occur once)
    replace: what stands there instead

Builds into build-mutants (Debug, with ccache when there is one) and never
leaves a fault behind: the file is put back after each run, also on Ctrl+C."""
import os
import re
import shutil
import subprocess
import sys
import time

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.path.join(TOP, "build-mutants")


def mutants():
    text = open(os.path.join(os.path.dirname(__file__), "mutants.txt"), encoding="utf-8").read()
    found = []
    for block in re.split(r"^## ", text, flags=re.M)[1:]:
        head, _, body = block.partition("\n")
        ident, _, what = head.partition(":")
        fields = dict(re.findall(r"^(file|find|replace): ?(.*)$", body, flags=re.M))
        fields["find"] = fields["find"].encode().decode("unicode_escape")
        fields["replace"] = fields.get("replace", "").encode().decode("unicode_escape")
        found.append({"id": ident.strip(), "what": what.strip(), **fields})
    return found


def configure():
    launcher = ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"] if shutil.which("ccache") else []
    subprocess.run(["cmake", "-S", TOP, "-B", BUILD, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
                    "-DWARNINGS_AS_ERRORS=OFF", *launcher], check=True, stdout=subprocess.DEVNULL)


def build():
    # Everything the suite runs (a list of targets falls behind as tests are added).
    return subprocess.run(["cmake", "--build", BUILD],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


def suite_passes():
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    run = subprocess.run(["ctest", "--test-dir", BUILD, "-j", "2", "--timeout", "120",
                          "--stop-on-failure", "-E", "^Program\\."],
                         env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    failed = re.findall(r"\*\*\*\w+\s*|\(Failed\)|\(Timeout\)", run.stdout)
    first = re.search(r"\d+/\d+ Test +#\d+: (\S+) \.+\*\*\*", run.stdout)
    return run.returncode == 0 and not failed, (first.group(1) if first else "")


def main():
    args = sys.argv[1:]
    chosen = mutants()
    if "--list" in args:
        for m in chosen:
            print(f"{m['id']}: {m['what']} ({m['file']})")
        return 0
    if "--only" in args:
        wanted = set(args[args.index("--only") + 1].split(","))
        chosen = [m for m in chosen if m["id"] in wanted]
    configure()
    if not build() or not suite_passes()[0]:
        print("the suite must pass before faults are planted", file=sys.stderr)
        return 2
    results = []
    for m in chosen:
        path = os.path.join(TOP, m["file"])
        original = open(path, encoding="utf-8").read()
        if original.count(m["find"]) != 1:
            results.append((m, "not applicable", ""))
            print(f"{m['id']:>4}  not applicable: the text occurs {original.count(m['find'])} times", flush=True)
            continue
        started = time.time()
        try:
            open(path, "w", encoding="utf-8").write(original.replace(m["find"], m["replace"]))
            if not build():
                outcome, by = "does not build", ""
            else:
                passes, by = suite_passes()
                outcome = "SURVIVED" if passes else "caught"
        finally:
            open(path, "w", encoding="utf-8").write(original)
        results.append((m, outcome, by))
        print(f"{m['id']:>4}  {outcome:<15} {time.time() - started:5.0f} s  {m['what']}  {by}", flush=True)
    build()
    counted = [r for r in results if r[1] in ("caught", "SURVIVED")]
    caught = sum(1 for r in counted if r[1] == "caught")
    print(f"\n{caught} of {len(counted)} planted faults caught "
          f"({100.0 * caught / max(1, len(counted)):.1f} %)")
    for m, outcome, _ in results:
        if outcome == "SURVIVED":
            print(f"  survived {m['id']}: {m['what']} ({m['file']})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
