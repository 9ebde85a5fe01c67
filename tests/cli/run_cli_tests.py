#!/usr/bin/env python3
"""Drives the movila command end to end: the example programs and the command's own behaviour.

Usage: run_cli_tests.py MOVILA TESTS_DIR

Programs under TESTS_DIR/programs carry their expectations as comments:
  { expect error 9 at 4:7 }        the check stops with error 9 at line 4, column 7
  /* expect error 12 at 3:5 */     the same in a C program
A file is named fail_* exactly when it expects an error; the others must check cleanly.
"""
import os
import re
import subprocess
import sys
import tempfile

MOVILA = sys.argv[1]
TESTS = sys.argv[2]
ROOT = os.path.dirname(TESTS)
failures = []
passed = 0

EXPECT_ERROR = re.compile(rb"expect error (\d+) at (\d+):(\d+)")


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
    failing = os.path.basename(path).startswith("fail_")
    code, out, err = run(["check", path])
    name = os.path.relpath(path, TESTS)
    if failing:
        if not expected:
            check(name, False, "a fail_ program without an 'expect error' comment")
            return
        number, line, column = (int(g) for g in expected.groups())
        wanted = f":{line}:{column}: error {number}:"
        check(name, code == 1 and wanted in err, f"wanted '{wanted}' and status 1, got {code}: {err.strip()}")
    else:
        check(name, code == 0 and out.strip() == "no errors detected",
              f"wanted a clean check, got {code}: {out.strip()} {err.strip()}")


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
    check("help", code == 0 and "check FILE" in out, out)

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
