#!/usr/bin/env python3
"""Drives the movila command end to end: the example programs and the command's own behaviour.

Usage: run_cli_tests.py MOVILA TESTS_DIR

Programs under TESTS_DIR/programs carry their expectations as comments:
  { expect error 9 at 4:7 }        the check stops with error 9 at line 4, column 7
  /* expect error 12 at 3:5 */     the same in a C program
  { expect: TEXT }                 one line of output of `movila run`, in order
  { expect run-time error 239 }    the run stops with that error (optionally "at L:C")
  { expect exit 5 }                the run ends with that exit status
  { input: TEXT }                  one line of standard input for the run
  { options: --allow-labels }      program options for both the check and the run
                                   (--screen: the expected lines are the emulated screen's rows)
A file is named fail_* exactly when it expects an error; the others must check cleanly. A Pascal
program with output, run-time or exit expectations is also run.
"""
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

MOVILA = sys.argv[1]
TESTS = sys.argv[2]
ROOT = os.path.dirname(TESTS)
failures = []
passed = 0

EXPECT_ERROR = re.compile(rb"expect error (\d+) at (\d+):(\d+)")
EXPECT_LINE = re.compile(rb"^\{ expect: (.*) \}$", re.M)
EXPECT_RUN_TIME = re.compile(rb"expect run-time error (\d+)(?: at (\d+):(\d+))?")
EXPECT_EXIT = re.compile(rb"expect exit (\d+)")
INPUT_LINE = re.compile(rb"^\{ input:(?: (.*?))? \}$", re.M)
OPTIONS = re.compile(rb"^\{ options: (.*) \}$", re.M)


def run(args, stdin=b""):
    result = subprocess.run([MOVILA] + args, input=stdin, capture_output=True, timeout=60)
    return result.returncode, result.stdout.decode("utf-8", "replace"), result.stderr.decode("utf-8", "replace")


def check(name, condition, detail=""):
    global passed
    if condition:
        passed += 1
    else:
        failures.append(f"{name}: {detail}")


def program_files():
    base = os.path.join(TESTS, "programs")
    for folder, _, files in sorted(os.walk(base)):
        for file in sorted(files):
            if file.endswith((".pas", ".c")):
                yield os.path.join(folder, file)


def check_program(path):
    text = open(path, "rb").read()
    expected = EXPECT_ERROR.search(text)
    run_time = EXPECT_RUN_TIME.search(text)
    options = []
    for match in OPTIONS.finditer(text):
        options += match.group(1).decode().split()
    failing = os.path.basename(path).startswith("fail_")
    code, out, err = run(["check"] + options + [path])
    name = os.path.relpath(path, TESTS)
    if failing and not run_time:
        if not expected:
            check(name, False, "a fail_ program without an 'expect error' comment")
            return
        number, line, column = (int(g) for g in expected.groups())
        wanted = f":{line}:{column}: error {number}:"
        check(name, code == 1 and wanted in err, f"wanted '{wanted}' and status 1, got {code}: {err.strip()}")
        return
    if not failing and run_time:
        check(name, False, "a run-time error expected in a program not named fail_")
    check(name, code == 0 and out.strip() == "no errors detected",
          f"wanted a clean check, got {code}: {out.strip()} {err.strip()}")
    lines = [m.group(1).decode("utf-8") for m in EXPECT_LINE.finditer(text)]
    exit_code = EXPECT_EXIT.search(text)
    if path.endswith(".pas") and (lines or run_time or exit_code):
        run_program(name, path, text, options, lines, run_time, exit_code)


def run_program(name, path, text, options, lines, run_time, exit_code):
    stdin = b"".join((m.group(1) or b"") + b"\n" for m in INPUT_LINE.finditer(text))
    code, out, err = run(["run"] + options + [path], stdin)
    name = name + " (run)"
    printed = out.split("\n")
    if printed and printed[-1] == "":
        printed.pop()
    check(name, printed == lines, f"output {printed!r}, wanted {lines!r}; {err.strip()}")
    if run_time:
        number = int(run_time.group(1))
        wanted = f"error {number}:"
        if run_time.group(2):
            wanted = f":{int(run_time.group(2))}:{int(run_time.group(3))}: " + wanted
        check(name, code == 2 and wanted in err, f"wanted '{wanted}' and status 2, got {code}: {err.strip()}")
    else:
        status = int(exit_code.group(1)) if exit_code else 0
        check(name, code == status, f"wanted status {status}, got {code}: {err.strip()}")


def command_cases():
    examples = os.path.join(ROOT, "examples")
    config = os.path.join(examples, "config")
    with tempfile.TemporaryDirectory() as tmp:
        # The default catalogue is written whole, and refused for a file that is no catalogue.
        target = os.path.join(tmp, "deferrf.mve")
        code, out, err = run(["catalogue", "--write", target])
        lines = open(target, "rb").read().split(b"\n")
        check("catalogue --write", code == 0 and lines[0] == b"0:no errors detected" and len(lines) == 257,
              f"{code} {err} {lines[:1]}")
        program = os.path.join(tmp, "keep.pas")
        open(program, "w").write("program keep; begin end.\n")
        code, out, err = run(["catalogue", "--write", program])
        check("catalogue refuses a program file", code == 73 and open(program).read().startswith("program keep"),
              f"{code} {err}")

        # A teacher's catalogue re-words the messages.
        catalogue = os.path.join(tmp, "fr.mve")
        open(catalogue, "wb").write("79:chaîne non terminée\n".encode("utf-8"))
        bad = os.path.join(tmp, "bad.pas")
        open(bad, "w").write("program p;\nbegin\n  writeln('abc);\nend.\n")
        code, out, err = run(["check", "--catalogue", catalogue, bad])
        check("--catalogue", code == 1 and "error 79: chaîne non terminée" in err, f"{code} {err}")

        # Files that cannot be read are refused clearly.
        code, out, err = run(["check", os.path.join(tmp, "missing.pas")])
        check("missing file", code == 66 and "cannot read" in err, f"{code} {err}")
        code, out, err = run(["check", tmp])
        check("directory as program", code == 66 and "directory" in err, f"{code} {err}")
        code, out, err = run(["check", bad, "--catalogue", os.path.join(tmp, "none.mve")])
        check("missing catalogue", code == 66, f"{code} {err}")

    # Usage errors.
    for args in (["frobnicate"], ["check"], ["translate", "x.pas"], ["check", "--bogus", "x.pas"], []):
        code, out, err = run(args)
        check(f"usage {args}", code == 64 and "movila help" in err, f"{code} {err}")
    code, out, err = run(["help"])
    check("help", code == 0 and "check FILE" in out and "run FILE" in out, out)
    for flag in ("--unlimited-passes", "--allow-labels", "--forbid-recursion", "--no-range-checks",
                 "--max-nesting", "--max-stack", "--max-passes", "--real-digits"):
        check(f"help lists {flag}", flag in out, "")
    check("help lists --screen", "--screen" in out, "")
    for args in (["run"], ["run", "a.pas", "b.pas"], ["run", "--max-passes", "many", "a.pas"],
                 ["run", "--screen-size", "100x3", "a.pas"], ["run", "--screen-size", "40", "a.pas"]):
        code, out, err = run(args)
        check(f"usage {args}", code == 64 and "movila help" in err, f"{code} {err}")

    # A program that never ends stops cleanly on Ctrl-C.
    with tempfile.TemporaryDirectory() as tmp:
        forever = os.path.join(tmp, "forever.pas")
        open(forever, "w").write("program forever;\nvar i: integer;\nbegin\n  i := 0;\n"
                                 "  while true do\n    i := 1 - i\nend.\n")
        process = subprocess.Popen([MOVILA, "run", "--unlimited-passes", forever],
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        time.sleep(1.0)
        process.send_signal(signal.SIGINT)
        try:
            out, err = process.communicate(timeout=10)
            check("Ctrl-C ends a run", process.returncode == 130 and b"interrupted" in err,
                  f"{process.returncode} {err!r}")
        except subprocess.TimeoutExpired:
            process.kill()
            check("Ctrl-C ends a run", False, "still running")

    # Translation into the bundled vocabulary and back.
    hello = os.path.join(examples, "bonjour.pas")
    if os.path.exists(os.path.join(config, "SYSTEM.mvv")):
        code, out, err = run(["translate", hello, "--to", "francais", "--config-dir", config])
        check("translate to francais", code == 0 and out.strip() != "", f"{code} {err}")
        with tempfile.TemporaryDirectory() as tmp:
            french = os.path.join(tmp, "bonjour.fra")
            open(french, "w").write(out)
            code2, back, err2 = run(["translate", french, "--to", "pascal", "--config-dir", config])
            check("translate back to pascal", code2 == 0 and "WRITELN" in back.upper(), f"{code2} {err2} {back}")
        code, out, err = run(["translate", hello, "--to", "klingon", "--config-dir", config])
        check("unknown vocabulary", code == 64 and "klingon" in err, f"{code} {err}")


for path in program_files():
    check_program(path)
command_cases()

for failure in failures:
    print("FAIL", failure)
print(f"{passed} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
