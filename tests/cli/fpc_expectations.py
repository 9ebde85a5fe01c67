#!/usr/bin/env python3
"""Writes the `{ expect: ... }` lines of the example programs that are valid Free Pascal too.

Usage: fpc_expectations.py FILE.pas...

A program marked `{ expectations from fpc -Mtp }` is compiled with `fpc -Mtp`, run with its
`{ input: ... }` lines on standard input, and its `{ expect: ... }` lines are replaced by the
lines it printed. Run it again whenever such a program changes; commit the result.
"""
import os
import re
import subprocess
import sys
import tempfile

MARK = "{ expectations from fpc -Mtp }"
INPUT = re.compile(r"^\{ input:(?: (.*?))? \}$")


def inputs(text):
    lines = []
    for line in text.splitlines():
        match = INPUT.match(line)
        if match:
            lines.append(match.group(1) or "")
    return "".join(line + "\n" for line in lines)


def regenerate(path):
    text = open(path, encoding="utf-8").read()
    if MARK not in text:
        return
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, "prog.pas")
        open(source, "w", encoding="utf-8").write(text)
        build = subprocess.run(["fpc", "-Mtp", "-o" + os.path.join(tmp, "prog"), source],
                               capture_output=True, text=True, cwd=tmp)
        if build.returncode != 0:
            sys.exit(f"{path}: fpc failed:\n{build.stdout}")
        run = subprocess.run([os.path.join(tmp, "prog")], input=inputs(text), capture_output=True,
                             text=True, timeout=30)
    kept = [line for line in text.rstrip("\n").split("\n") if not line.startswith("{ expect: ")]
    printed = run.stdout.split("\n")
    if printed and printed[-1] == "":
        printed.pop()
    kept += ["{ expect: " + line + " }" for line in printed]
    open(path, "w", encoding="utf-8").write("\n".join(kept) + "\n")
    print(f"{path}: {len(printed)} lines, exit {run.returncode}")


for name in sys.argv[1:]:
    regenerate(name)
