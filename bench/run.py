#!/usr/bin/env python3
"""Benchmark runner: checks and times the interpreter against CPython and native code.

usage: bench/run.py [--movila PATH] [--python PATH] [--bench-dir DIR] [-n RUNS] [--only NAME]
                    [--quick] [--cpu N]

For every NAME.pas of the bench directory: checks that the interpreter prints
exactly expected/NAME.out (line ends normalised), compiles NAME.pas with
`fpc -Mtp -O2` into a temporary directory, then times the interpreter,
`python3 NAME.py` (the python3 found first on PATH, or the interpreter
--python names, timed as the executable it reports, so that a launcher's own
start-up is not counted; its path and version are printed) and the native binary in turn (M P F M P F ...), so that a
drift of the machine's speed moves all three sides of a round together. The
ratios are taken round by round and their median is reported, with the peak
memory (maximum resident set) of each side. A program the interpreter cannot
run yet is reported as "fails: <first error line>" and the others go on.

It also reports the start-up time of an empty program and, for intloop and
sort, the interpreter's time with the loop count doubled: the cost of a
program should grow linearly with the work it does.

Nothing is built here: pass the movila binary (default build/release/movila).
"""
import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
MOVILA_FLAGS = ['run', '--unlimited-passes', '--max-stack', '30']
# The loop-count constant of the programs whose time is measured doubled.
DOUBLED = {'intloop': 'REPS', 'sort': 'REPS'}
EMPTY_PROGRAM = 'program Empty;\nbegin\nend.\n'


def run_once(argv, stdin_path=os.devnull):
    """Run argv once with its output discarded; return (wall s, cpu s, exit code).

    Same measure as the bench dir's pairtime.py: wall from just before the spawn to
    just after the reap, cpu from wait4.
    """
    actions = [
        (os.POSIX_SPAWN_OPEN, 0, stdin_path, os.O_RDONLY, 0),
        (os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0),
        (os.POSIX_SPAWN_OPEN, 2, os.devnull, os.O_WRONLY, 0),
    ]
    start = time.perf_counter()
    pid = os.posix_spawnp(argv[0], argv, os.environ, file_actions=actions)
    _, status, usage = os.wait4(pid, 0)
    wall = time.perf_counter() - start
    return wall, usage.ru_utime + usage.ru_stime, os.waitstatus_to_exitcode(status)


def peak_memory(argv, workdir):
    """Peak resident memory of one run of argv in KiB, or None when it cannot be measured.

    The kernel keeps the largest resident set a process had before exec, so a child spawned
    from this Python process would report at least the interpreter's own size: the run is made
    through the small GNU time program instead, which forks from a process of a few MiB.
    """
    timer = '/usr/bin/time'
    if not os.access(timer, os.X_OK):
        return None
    out = os.path.join(workdir, 'peak.txt')
    code = run_once([timer, '-f', '%M', '-o', out] + argv)[2]
    try:
        with open(out) as f:
            lines = f.read().split()
        return int(lines[-1]) if code == 0 and lines else None
    except (OSError, ValueError):
        return None


def normalise(text):
    return text.replace('\r\n', '\n').replace('\r', '\n')


def check_output(movila, pas, expected_path, timeout):
    """None when the interpreter prints the expected text, else the reason it does not."""
    try:
        proc = subprocess.run([movila] + MOVILA_FLAGS + [pas], stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return 'fails: no result within %g s' % timeout
    except OSError as exc:
        return 'fails: %s' % exc
    out = normalise(proc.stdout.decode('latin-1'))
    err = proc.stderr.decode('latin-1').strip()
    if proc.returncode != 0:
        first = err.splitlines()[0] if err else 'exit status %d' % proc.returncode
        return 'fails: ' + first
    with open(expected_path, encoding='latin-1') as f:
        expected = normalise(f.read())
    if out != expected:
        got = out.splitlines()[0] if out else '(no output)'
        return 'fails: wrong output, first line %r' % got
    return None


def compile_native(pas, workdir):
    """Compile with the native compiler; return (binary path, None) or (None, reason)."""
    if shutil.which('fpc') is None:
        return None, 'fpc not found'
    name = os.path.splitext(os.path.basename(pas))[0]
    src = os.path.join(workdir, name + '.pas')
    shutil.copyfile(pas, src)
    proc = subprocess.run(['fpc', '-Mtp', '-O2', '-v0', '-FE' + workdir, src],
                          capture_output=True, cwd=workdir)
    binary = os.path.join(workdir, name)
    if proc.returncode != 0 or not os.path.exists(binary):
        lines = (proc.stdout + proc.stderr).decode('latin-1').strip().splitlines()
        return None, 'fpc fails: ' + (lines[0] if lines else 'status %d' % proc.returncode)
    return binary, None


def describe_python(python):
    """The interpreter `python` starts, and a line telling it: (executable, description), or
    None when it does not run. A launcher (a version manager's shim, a script) is timed as
    the interpreter it starts, not with its own start-up."""
    try:
        proc = subprocess.run(
            [python, '-c', 'import sys, platform; print(sys.executable); '
             'print(platform.python_implementation(), platform.python_version())'],
            capture_output=True, text=True, timeout=60)
    except (OSError, subprocess.SubprocessError):
        return None
    lines = proc.stdout.splitlines()
    if proc.returncode != 0 or len(lines) < 2 or not os.access(lines[0], os.X_OK):
        return None
    executable, version = lines[0], lines[1]
    if os.path.realpath(executable) != os.path.realpath(python):
        return executable, '%s (%s, started by %s)' % (executable, version, python)
    return executable, '%s (%s)' % (executable, version)


def pin_processor(wanted):
    """Keep this process, and so every program it starts, on one processor; return it.

    `wanted` None: the last processor allowed; -1: no pinning (None returned).
    """
    if wanted == -1 or not hasattr(os, 'sched_setaffinity'):
        return None
    allowed = sorted(os.sched_getaffinity(0))
    cpu = allowed[-1] if wanted is None else wanted
    if cpu not in allowed:
        sys.exit('run.py: processor %d is not one this runner may use (%s)' % (
            cpu, ', '.join(str(c) for c in allowed)))
    os.sched_setaffinity(0, {cpu})
    return cpu


def time_round_robin(commands, runs, warmup):
    """Time each command in turn, `runs` rounds; returns one list of results per command."""
    for _ in range(warmup):
        for argv in commands:
            run_once(argv)
    results = [[] for _ in commands]
    for _ in range(runs):
        for i, argv in enumerate(commands):
            results[i].append(run_once(argv))
    return results


def median_ratio(a, b):
    """Median of the round-by-round ratio of the wall times of a and b."""
    return statistics.median(x[0] / y[0] for x, y in zip(a, b) if y[0] > 0)


def fmt_mem(kib):
    return '-' if kib is None else '%.1f' % (kib / 1024.0)


def doubled_source(text, constant):
    """The program with `constant = N;` replaced by 2N; None when the constant is not found."""
    pattern = re.compile(r'(\b%s\s*=\s*)(\d+)(\s*;)' % re.escape(constant), re.IGNORECASE)
    if not pattern.search(text):
        return None
    return pattern.sub(lambda m: m.group(1) + str(2 * int(m.group(2))) + m.group(3), text, count=1)


def main():
    parser = argparse.ArgumentParser(
        description='Check and time the interpreter on the benchmark programs.')
    parser.add_argument('--movila', default=os.path.join(REPO, 'build', 'release', 'movila'),
                        help='the movila binary (default: build/release/movila)')
    parser.add_argument('--python', default='python3',
                        help='the CPython to time against (default: python3 on PATH)')
    parser.add_argument('--bench-dir', default=os.path.join(REPO, '..', 'shared', 'bench'),
                        help='directory of NAME.pas, NAME.py, expected/NAME.out')
    parser.add_argument('-n', type=int, default=None, dest='runs',
                        help='timed rounds per program (default 5, 1 with --quick)')
    parser.add_argument('--only', action='append', default=[],
                        help='time only this program (repeatable)')
    parser.add_argument('--quick', action='store_true',
                        help='one round, no warm-up, no doubled-loop runs')
    parser.add_argument('--cpu', type=int, default=None,
                        help='the processor every timed run is kept on (default: the last '
                             'one this runner may use; -1: none chosen)')
    args = parser.parse_args()

    movila = os.path.abspath(args.movila)
    if not os.access(movila, os.X_OK):
        parser.error('movila binary not found: %s (build it first)' % movila)
    bench = os.path.abspath(args.bench_dir)
    if not os.path.isdir(bench):
        parser.error('bench directory not found: %s' % bench)
    runs = args.runs if args.runs is not None else (1 if args.quick else 5)
    if runs < 1:
        parser.error('-n must be at least 1')
    warmup = 0 if args.quick else 1

    # The CPython timed, by its full path: two builds of one version can differ by half.
    python = shutil.which(args.python)
    if python is None:
        parser.error('python interpreter not found: %s' % args.python)
    described = describe_python(os.path.abspath(python))
    if described is None:
        parser.error('not a working python interpreter: %s' % python)
    python, python_described = described

    names = sorted(f[:-4] for f in os.listdir(bench) if f.endswith('.pas'))
    if args.only:
        unknown = [n for n in args.only if n not in names]
        if unknown:
            parser.error('no such program: %s' % ', '.join(unknown))
        names = [n for n in names if n in args.only]

    # Both sides of a pair on the same processor: left to the scheduler, the runs of a round
    # may land on processors of different speeds (a busy sibling thread), round after round.
    cpu = pin_processor(args.cpu)

    print('movila: %s' % movila)
    print('python: %s' % python_described)
    print('bench:  %s   rounds: %d%s   processor: %s' % (
        bench, runs, '' if warmup else ' (quick)', 'any' if cpu is None else cpu))
    print()
    header = '%-10s %9s %9s %9s %9s %9s %9s %9s  %s' % (
        'program', 'movila s', 'mov/py', 'mov/fpc', 'machine', 'mov MiB', 'py MiB',
        'fpc MiB', 'note')
    print(header)
    print('-' * len(header))
    failures = 0
    with tempfile.TemporaryDirectory(prefix='movila-bench-') as tmp:
        for name in names:
            try:
                pas = os.path.join(bench, name + '.pas')
                py = os.path.join(bench, name + '.py')
                expected = os.path.join(bench, 'expected', name + '.out')
                reason = check_output(movila, pas, expected, timeout=600)
                if reason is not None:
                    failures += 1
                    print('%-10s %s' % (name, reason), flush=True)
                    continue
                binary, why = compile_native(pas, tmp)
                commands = [[movila] + MOVILA_FLAGS + [pas], [python, py]]
                if binary:
                    commands.append([binary])
                res = time_round_robin(commands, runs, warmup)
                mov = res[0]
                codes = sorted({r[2] for side in res for r in side})
                note = '' if codes == [0] else 'exit status %s' % codes
                if why:
                    note = (note + '; ' if note else '') + why
                memory = [peak_memory(argv, tmp) for argv in commands] + [None]
                print('%-10s %9.3f %9.2f %9s %9s %9s %9s %9s  %s' % (
                    name, statistics.median(r[0] for r in mov), median_ratio(mov, res[1]),
                    '%.1f' % median_ratio(mov, res[2]) if binary else '-', '',
                    fmt_mem(memory[0]), fmt_mem(memory[1]), fmt_mem(memory[2]), note), flush=True)
            except (OSError, subprocess.SubprocessError, ValueError,
                    statistics.StatisticsError) as exc:
                # One program that cannot be measured must not stop the others.
                failures += 1
                print('%-10s fails: %s' % (name, exc), flush=True)

        print()
        empty = os.path.join(tmp, 'empty.pas')
        with open(empty, 'w') as f:
            f.write(EMPTY_PROGRAM)
        start = time_round_robin([[movila] + MOVILA_FLAGS + [empty]], max(runs, 5), warmup)[0]
        print('start-up (empty program): %.4f s median, %s MiB peak' % (
            statistics.median(r[0] for r in start),
            fmt_mem(peak_memory([movila] + MOVILA_FLAGS + [empty], tmp))))

        if not args.quick:
            for name, constant in DOUBLED.items():
                if name not in names:
                    continue
                pas = os.path.join(bench, name + '.pas')
                with open(pas, encoding='latin-1') as f:
                    text = doubled_source(f.read(), constant)
                if text is None:
                    print('%s doubled: constant %s not found' % (name, constant))
                    continue
                twice = os.path.join(tmp, name + '_x2.pas')
                with open(twice, 'w', encoding='latin-1', newline='') as f:
                    f.write(text)
                res = time_round_robin([[movila] + MOVILA_FLAGS + [pas],
                                        [movila] + MOVILA_FLAGS + [twice]], runs, warmup)
                if any(r[2] != 0 for side in res for r in side):
                    print('%s doubled: fails (exit status %s)' % (
                        name, sorted({r[2] for side in res for r in side})))
                    continue
                print('%s with %s doubled: %.3f s vs %.3f s, ratio x%.2f (2.00 is linear)' % (
                    name, constant, statistics.median(r[0] for r in res[0]),
                    statistics.median(r[0] for r in res[1]), median_ratio(res[1], res[0])))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
