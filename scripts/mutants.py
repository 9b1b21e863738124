#!/usr/bin/env python3
"""Mutation run: how many small faults put into the product's code the suite
catches.

Each mutant changes one place of one source file: a relational or logical
operator, an integer constant by one, a negated condition, or a dropped
statement. COUNT mutants are drawn with SEED from every place the sources
offer. Each is applied to a private copy of the tree (never the working
tree), rebuilt incrementally in a build folder kept between mutants and runs
(through ccache), and the tests are run under a time bound, stopping at the
first failure: first the tests of the mutated subsystem, then the rest.
The build folder sits inside the private tree, where a build of the tree
itself sits (ROOT/build), so that both compile the same command lines and
share ccache's entries: configure ROOT/build with -DCMAKE_BUILD_TYPE=None
"-DCMAKE_CXX_FLAGS=-O1 -D_GLIBCXX_ASSERTIONS" and the first build of the run is mostly cache hits.

A kill is confirmed before it counts: the failing tests run once more, alone,
on the mutant, and must fail again; at the end each test that killed runs on
the unchanged build, and the kills of a test that fails there too are not
counted (they are listed as doubtful), since the machine's load can make a
test that waits on real time fail on its own.

Every mutant ends killed (a test failed or ran out of time), survived (every
test passed) or did not compile. Survivors listed in the equivalents file
(beside this script) change nothing the program can show and are left out of
the score's denominator.

Usage: scripts/mutants.sh [COUNT] [SEED] [options]   (see --help)
"""

import argparse
import fcntl
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

SCRIPT_DIR = Path(__file__).resolve().parent

# Files the Linux build does not compile: their mutants could never be seen.
NOT_BUILT = re.compile(r"(^|/)(win_[^/]*|line_editor_none)\.cpp$")
# The test that sits out real waits of about 20 seconds: left to the second
# stage, where ctest runs it beside the rest.
LONG_WAIT_TEST = "EndToEnd.ASilentOrVanishingDeviceSitsOutItsRealWaits"


@dataclass(frozen=True)
class Mutant:
    path: str        # relative to the tree
    line: int        # from 1
    kind: str
    original: str    # the whole line, as in the file
    mutated: str     # the whole line, changed

    def change(self):
        return f"`{self.original.strip()}` => `{self.mutated.strip()}`"

    def key(self):
        return (self.path, self.original.strip(), self.mutated.strip())


# --- finding the places ---------------------------------------------------

def mask_literals(line):
    """The line with the insides of string and character literals and any
    // comment blanked, so that no mutation lands in them."""
    out = []
    i = 0
    n = len(line)
    while i < n:
        c = line[i]
        if c == "/" and i + 1 < n and line[i + 1] == "/":
            out.append(" " * (n - i))
            break
        if c in "\"'":
            quote = c
            out.append(c)
            i += 1
            while i < n and line[i] != quote:
                if line[i] == "\\" and i + 1 < n:
                    out.append("  ")
                    i += 2
                    continue
                out.append(" ")
                i += 1
            if i < n:
                out.append(quote)
                i += 1
            continue
        out.append(c)
        i += 1
    return "".join(out)


BINARY_SWAPS = [
    (" <= ", " < ", "relational"), (" >= ", " > ", "relational"),
    (" < ", " <= ", "relational"), (" > ", " >= ", "relational"),
    (" == ", " != ", "relational"), (" != ", " == ", "relational"),
    (" && ", " || ", "logical"), (" || ", " && ", "logical"),
]
INTEGER = re.compile(r"(?<![\w.])(0[xX][0-9a-fA-F]+|\d+)([uUlL]*)(?![\w.])")
CONDITION = re.compile(r"\b(if|while) \(")
# A statement standing alone on its line: a call, an assignment, or an
# increment; declarations (two words before the = or the call) never match.
DROPPABLE = re.compile(r"^\s*(?:[\w:.\[\]>-]+(?:\(.*\)|\s*(?:[-+*/|&^]?=\s.*|\+\+|--))|(?:\+\+|--)[\w.\[\]>-]+);\s*$")
SKIP_LINE = re.compile(r"^\s*(#|//|\*|/\*)|static_assert|template\s*<|R\"|\boperator\b")


def matching_paren(text, open_at):
    depth = 0
    for i in range(open_at, len(text)):
        if text[i] == "(":
            depth += 1
        elif text[i] == ")":
            depth -= 1
            if depth == 0:
                return i
    return -1


def changed_constant(literal, step):
    if literal.lower().startswith("0x"):
        value = int(literal, 16) + step
        if value < 0:
            return None
        digits = len(literal) - 2
        text = format(value, "X" if any(ch.isupper() for ch in literal[2:]) else "x").rjust(digits, "0")
        return literal[:2] + text
    value = int(literal) + step
    return None if value < 0 else str(value)


def mutants_of_line(path, number, line):
    if SKIP_LINE.search(line):
        return []
    masked = mask_literals(line)
    found = []

    def put(kind, start, end, text):
        mutated = line[:start] + text + line[end:]
        if mutated != line:
            found.append(Mutant(path, number, kind, line, mutated))

    for old, new, kind in BINARY_SWAPS:
        for m in re.finditer(re.escape(old), masked):
            # " < " inside " <= " is not a "<" of its own.
            put(kind, m.start(), m.end(), new)
    if not re.search(r"\[\s*[\w:]*\s*\]\s*[;=]|\b(case)\b", masked):
        for m in INTEGER.finditer(masked):
            # Array sizes and case labels are left alone: one byte more room
            # changes nothing, and a case label off by one rarely compiles.
            for step in (1, -1):
                text = changed_constant(m.group(1), step)
                if text is not None:
                    put("constant", m.start(1), m.end(1), text)
    for m in CONDITION.finditer(masked):
        open_at = m.end() - 1
        close_at = matching_paren(masked, open_at)
        if close_at > 0:
            put("negation", open_at, close_at + 1, "(!" + line[open_at:close_at + 1] + ")")
    if DROPPABLE.match(masked) and not re.match(r"^\s*(return|break|continue|goto)\b", masked):
        indent = len(line) - len(line.lstrip())
        put("dropped", indent, len(line.rstrip("\n")), ";")
    # Two swaps can give the same line (" <= " seen as " < "): keep one.
    unique = {}
    for mu in found:
        unique.setdefault(mu.mutated, mu)
    return list(unique.values())


WINDOWS_IF = re.compile(r"^#\s*(?:ifdef\s+_WIN32|if\s+defined\(?\s*_WIN32\s*\)?)\s*$")
POSIX_IF = re.compile(r"^#\s*(?:ifndef\s+_WIN32|if\s+!\s*defined\(?\s*_WIN32\s*\)?)\s*$")


WINDOWS_ONLY_FILE = re.compile(r"^#\s*include\s*<windows\.h>", re.M)
ANY_IF = re.compile(r"^#\s*if", re.M)


def windows_only(text):
    """A file that includes <windows.h> before any #if is built for Windows
    only (the Linux build never compiles it, so its mutants say nothing)."""
    include = WINDOWS_ONLY_FILE.search(text)
    first_if = ANY_IF.search(text)
    return include is not None and (first_if is None or include.start() < first_if.start())


def all_mutants(tree, sources):
    result = []
    for rel in sources:
        text = (tree / rel).read_text()
        if windows_only(text):
            continue
        lines = text.splitlines(keepends=True)
        in_block_comment = False
        # The branches of #if/#else/#endif: True for one only Windows builds
        # (the Linux build never compiles it, so its mutants say nothing),
        # None for one that does not depend on _WIN32.
        windows = []
        for i, line in enumerate(lines, start=1):
            stripped = line.strip()
            if stripped.startswith("#"):
                if WINDOWS_IF.match(stripped) or POSIX_IF.match(stripped):
                    windows.append(bool(WINDOWS_IF.match(stripped)))
                elif re.match(r"^#\s*if", stripped):
                    windows.append(None)
                elif re.match(r"^#\s*else", stripped) and windows and windows[-1] is not None:
                    windows[-1] = not windows[-1]
                elif re.match(r"^#\s*elif", stripped) and windows:
                    windows[-1] = None
                elif re.match(r"^#\s*endif", stripped) and windows:
                    windows.pop()
                continue
            if any(windows):
                continue
            if in_block_comment:
                in_block_comment = "*/" not in stripped
                continue
            if stripped.startswith("/*"):
                in_block_comment = "*/" not in stripped
                continue
            result.extend(mutants_of_line(rel, i, line))
    return result


# --- the private tree and its build ---------------------------------------

def tracked_files(root, work):
    try:
        out = subprocess.run(["git", "-C", str(root), "ls-files", "-co", "--exclude-standard"],
                             check=True, capture_output=True, text=True).stdout
        return [p for p in out.splitlines() if p]
    except (subprocess.CalledProcessError, FileNotFoundError):
        files = []
        for dirpath, dirnames, filenames in os.walk(root):
            dirnames[:] = [d for d in dirnames
                           if not d.startswith(("build", ".")) and Path(dirpath, d).resolve() != work]
            for f in filenames:
                files.append(str(Path(dirpath, f).relative_to(root)))
        return files


def sync_tree(root, tree, work, keep):
    """Copies the tracked files into the private tree, touching only those
    that differ, so that the kept build folder (keep, inside the tree)
    rebuilds only what changed."""
    wanted = set()
    for rel in tracked_files(root, work):
        src = root / rel
        if not src.is_file():
            continue
        wanted.add(rel)
        dst = tree / rel
        data = src.read_bytes()
        if dst.is_file() and dst.read_bytes() == data:
            continue
        dst.parent.mkdir(parents=True, exist_ok=True)
        dst.write_bytes(data)
        shutil.copymode(src, dst)
    for dirpath, dirnames, filenames in os.walk(tree):
        dirnames[:] = [d for d in dirnames if Path(dirpath, d) != keep]
        for f in filenames:
            rel = str(Path(dirpath, f).relative_to(tree))
            if rel not in wanted:
                os.remove(Path(dirpath, f))


def run(cmd, cwd, timeout, log, output=None):
    """Runs a shell command in its own process group; (status, timed_out).
    With a list as output, what the command printed is appended to it."""
    with open(log, "ab") as out:
        out.write(f"\n$ {cmd}\n".encode())
        out.flush()
        start = out.tell()
        proc = subprocess.Popen(cmd, shell=True, cwd=cwd, stdout=out, stderr=subprocess.STDOUT,
                                start_new_session=True)
        try:
            result = proc.wait(timeout=timeout), False
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()
            result = -1, True
    if output is not None:
        with open(log, "rb") as f:
            f.seek(start)
            output.append(f.read().decode(errors="replace"))
    return result


# The tests a stage's output names as failed: gtest's and ctest's lines.
# gtest's names hold a dot: its closing count ("1 test, listed below") is no name.
FAILED_TEST = re.compile(r"^\[  FAILED  \] ([\w/]+\.[\w/.]+)|^\s*\d+ - ([\w/.-]+) \((?:Failed|Timeout|"
                         r"SEGFAULT|Subprocess aborted|Exception|Child aborted|\*\*\*)", re.M)


STARTED_TEST = re.compile(r"^\[ RUN      \] ([\w/.]+)", re.M)
ENDED_TEST = re.compile(r"^\[ +(?:OK|FAILED|SKIPPED) +\] ([\w/.]+)", re.M)


def failed_tests(text):
    """The failed tests, and a gtest test that never ended (stopped by the
    time bound)."""
    hung = set(STARTED_TEST.findall(text)) - set(ENDED_TEST.findall(text))
    return sorted({a or b for a, b in FAILED_TEST.findall(text)} | hung)


class ProjectRunner:
    """The product: CMake build, the gtest binary filtered to the mutated
    subsystem's suites first, then the whole suite under ctest."""

    def __init__(self, tree, build, jobs, test_jobs, test_timeout):
        self.tree, self.build, self.jobs, self.test_timeout = tree, build, jobs, test_timeout
        self.test_jobs = test_jobs

    def prepare(self, log):
        if (self.build / "CMakeCache.txt").exists():
            return True
        # -O1 without debug information: quick to compile and to link; lld
        # links the four programs of each mutant in a fraction of ld's time.
        # Every string and vector index is checked: a mutant that reads one
        # past the end aborts instead of reading a byte that happens to fit.
        launcher = "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache" if shutil.which("ccache") else ""
        linker = "-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld" if shutil.which("ld.lld") else ""
        cmd = (f"cmake -S {self.tree} -B {self.build} {launcher} {linker} "
               "-DCMAKE_BUILD_TYPE=None '-DCMAKE_CXX_FLAGS=-O1 -D_GLIBCXX_ASSERTIONS'")
        return run(cmd, self.tree, 600, log)[0] == 0

    def build_cmd(self):
        # korri_tests holds every test; ctest runs the unit tests from
        # korri_unit_tests, which must hold the mutant too.
        return f"cmake --build {self.build} -j{self.jobs} --target korri_tests korri_unit_tests"

    def suites_for(self, path):
        """The gtest suites of the tests that mirror the mutated file's
        folder."""
        sub = Path(path).parts[1] if len(Path(path).parts) > 2 else ""
        suites = set()
        for f in (self.tree / "tests" / sub).glob("*.cpp"):
            suites.update(re.findall(r"^\s*TEST(?:_F|_P)?\s*\(\s*(\w+)", f.read_text(), re.M))
        return sorted(suites)

    def test_stages(self, path):
        """The subsystem's suites, then the rest of the suite under ctest
        (the long waiting test among them), several tests at once: most of
        them wait on real time rather than compute."""
        stages = []
        suites = self.suites_for(path)
        ctest = (f"ctest --test-dir {self.build} --stop-on-failure -j{self.test_jobs} "
                 f"--timeout {self.test_timeout} --no-tests=error")
        if suites:
            flt = ":".join(p for s in suites for p in (f"{s}.*", f"*/{s}.*"))
            stages.append(("first", f"{self.build}/tests/korri_tests --gtest_fail_fast "
                                    f"'--gtest_filter={flt}:-{LONG_WAIT_TEST}'"))
            done = [s for s in suites if s != LONG_WAIT_TEST.split(".")[0]]
            if done:
                ctest += f" -E '^([A-Za-z0-9_]+/)?({'|'.join(done)})\\.'"
        stages.append(("whole", ctest))
        return stages

    def rerun_cmd(self, tests):
        """The named tests alone, one at a time."""
        names = "|".join(re.escape(t) for t in tests)
        return (f"ctest --test-dir {self.build} -j1 --timeout {self.test_timeout} --no-tests=error "
                f"-R '^({names})$'")


class CommandRunner:
    """Any tree: a build command and a test command, run in the tree."""

    def __init__(self, build_cmd, test_cmd):
        self._build, self._test = build_cmd, test_cmd

    def prepare(self, log):
        return True

    def build_cmd(self):
        return self._build

    def test_stages(self, path):
        return [("whole", self._test)]

    def rerun_cmd(self, tests):
        return None


# --- equivalents -----------------------------------------------------------

EQUIVALENT_LINE = re.compile(r"^(\S+): `(.*)` => `(.*)` -- (.+)$")


def read_equivalents(path):
    known = {}
    if path is None or not path.exists():
        return known
    for raw in path.read_text().splitlines():
        if not raw.strip() or raw.startswith("#"):
            continue
        m = EQUIVALENT_LINE.match(raw)
        if not m:
            sys.exit(f"{path}: cannot read: {raw}")
        known[(m.group(1), m.group(2), m.group(3))] = m.group(4)
    return known


SURVIVOR_LINE = re.compile(r"^SURVIVED (\S+):\d+ \w+: `(.*)` => `(.*?)`(?: \(killed only by [^`]*\))?$")


def survivors_listed(path):
    """The keys of the mutants an earlier run's output lists as survivors."""
    keys = set()
    for raw in path.read_text().splitlines():
        m = SURVIVOR_LINE.match(raw)
        if m:
            keys.add((m.group(1), m.group(2), m.group(3)))
    return keys


# --- the run ---------------------------------------------------------------

def main():
    ap = argparse.ArgumentParser(description="Seeded mutants of the sources, each rebuilt and tested.")
    ap.add_argument("count", nargs="?", type=int, default=40, help="mutants to run (default 40)")
    ap.add_argument("seed", nargs="?", type=int, default=1, help="seed of the draw (default 1)")
    ap.add_argument("--root", type=Path, default=SCRIPT_DIR.parent, help="the tree to mutate")
    ap.add_argument("--sources", default="src", help="folder of the tree whose .cpp files are mutated")
    ap.add_argument("--work", type=Path, help="private tree and build folder (default ROOT/build-mutants)")
    ap.add_argument("--equivalents", type=Path, help="list of equivalent mutants "
                    "(default scripts/mutants-equivalent.txt of ROOT)")
    ap.add_argument("--build", help="build command run in the private tree (default: the CMake build)")
    ap.add_argument("--test", help="test command run in the private tree (default: the two stages)")
    ap.add_argument("--jobs", type=int, default=2, help="compile jobs (default 2)")
    ap.add_argument("--test-jobs", type=int, default=4, help="tests run at once by ctest (default 4)")
    ap.add_argument("--test-timeout", type=int, default=120, help="seconds a single ctest test may take")
    ap.add_argument("--stage-timeout", type=int, help="seconds a test stage may take "
                    "(default: twice the unchanged tree's whole suite, plus a minute)")
    ap.add_argument("--list", action="store_true", help="only list the places, one mutant a line")
    ap.add_argument("--only", help="comma-separated FILE:LINE: run every mutant of those lines "
                    "(COUNT and SEED are then ignored)")
    ap.add_argument("--replay", type=Path, help="an earlier run's output: run again the mutants it lists as "
                    "survivors, found by file and text wherever their lines moved (COUNT and SEED are then ignored)")
    args = ap.parse_args()

    root = args.root.resolve()
    work = (args.work or root / "build-mutants").resolve()
    tree = work / "tree"
    build = tree / "build"
    # Paths relative to the tree, as in the tree's own build: shared entries.
    os.environ.setdefault("CCACHE_BASEDIR", str(work.parent))
    equivalents_file = args.equivalents or root / "scripts" / "mutants-equivalent.txt"
    known = read_equivalents(equivalents_file)

    def places(base):
        sources = sorted(str(p.relative_to(base)) for p in (base / args.sources).rglob("*.cpp")
                         if not NOT_BUILT.search(str(p)))
        return sources, all_mutants(base, sources)

    if args.list:
        # Read from the tree itself: a run may be using the private copy.
        for m in places(root)[1]:
            print(f"{m.path}:{m.line}: {m.kind}: {m.change()}")
        return 0
    work.mkdir(parents=True, exist_ok=True)
    lock = open(work / "lock", "w")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        sys.exit(f"another mutation run uses {work}")
    tree.mkdir(parents=True, exist_ok=True)
    sync_tree(root, tree, work, build)
    sources, candidates = places(tree)
    stale = set(known) - {m.key() for m in candidates}
    if stale:
        print(f"{equivalents_file.name}: {len(stale)} line(s) match no place any more:")
        for path, original, mutated in sorted(stale):
            print(f"  {path}: `{original}` => `{mutated}`")
    gone = []
    if args.replay:
        listed = survivors_listed(args.replay)
        chosen = [m for m in candidates if m.key() in listed]
        gone = sorted(listed - {m.key() for m in chosen})
    elif args.only:
        wanted = set(args.only.split(","))
        chosen = [m for m in candidates if f"{m.path}:{m.line}" in wanted]
    else:
        rng = random.Random(args.seed)
        chosen = rng.sample(candidates, min(args.count, len(candidates)))

    log = work / "log"
    log.write_text("")
    if args.build or args.test:
        runner = CommandRunner(args.build or "true", args.test or "true")
    else:
        runner = ProjectRunner(tree, build, args.jobs, args.test_jobs, args.test_timeout)
    drawn = f"survivors of {args.replay.name}" if args.replay else "lines asked" if args.only else f"seed {args.seed}"
    print(f"mutants: {len(chosen)} of {len(candidates)} places, {drawn}; tree {tree}; log {log}")
    sys.stdout.flush()
    if not runner.prepare(log):
        sys.exit(f"cannot configure the build (see {log})")
    # The unchanged tree must build and pass, or no mutant says anything.
    status, _ = run(runner.build_cmd(), tree, 3600, log)
    if status != 0:
        sys.exit(f"the unchanged tree does not build (see {log})")
    t0 = time.time()
    stage_timeout = args.stage_timeout or 3600
    for _, cmd in runner.test_stages(""):
        output = []
        status, timed_out = run(cmd, tree, stage_timeout, log, output)
        if status != 0:
            # A test that passes alone failed by chance (the machine's load).
            tests = failed_tests(output[0])
            again = runner.rerun_cmd(tests) if tests else None
            if again is None or run(again, tree, 3600, log)[0] != 0:
                sys.exit(f"the unchanged tree fails its tests{' (time-out)' if timed_out else ''} (see {log})")
            print(f"the unchanged tree: {', '.join(tests)} failed once and passed alone")
    if not args.stage_timeout:
        stage_timeout = 2 * (time.time() - t0) + 60
    print(f"the unchanged tree passes its tests in {time.time() - t0:.0f} s; a test stage may take "
          f"{stage_timeout:.0f} s")
    sys.stdout.flush()

    def fail_again(tests):
        """Those of the tests that fail again, run alone; None when they
        cannot be run alone."""
        again = runner.rerun_cmd(tests) if tests else None
        if again is None:
            return None
        output = []
        status, _ = run(again, tree, stage_timeout, log, output)
        failed = set(failed_tests(output[0])) & set(tests)
        return failed if failed or status == 0 else None

    def confirmed(output):
        """Whether the tests a stage names as failed fail again, run alone;
        (confirmed, tests). A failure that names no test stands."""
        tests = failed_tests(output)
        failed = fail_again(tests)
        return failed is None or bool(failed), tests

    results = {"killed": [], "survived": [], "equivalent": [], "uncompiled": []}
    started = time.time()
    for index, m in enumerate(chosen, start=1):
        target = tree / m.path
        original = target.read_text()
        lines = original.splitlines(keepends=True)
        assert lines[m.line - 1] == m.original
        lines[m.line - 1] = m.mutated
        t0 = time.time()
        outcome, how, killers = "survived", "", []
        try:
            target.write_text("".join(lines))
            status, timed_out = run(runner.build_cmd(), tree, 1800, log)
            if status != 0:
                outcome, how = "uncompiled", "time-out" if timed_out else ""
            else:
                for stage, cmd in runner.test_stages(m.path):
                    output = []
                    status, timed_out = run(cmd, tree, stage_timeout, log, output)
                    if status != 0:
                        sure, killers = confirmed(output[0])
                        if not sure:
                            # A chance failure: the stage runs once more.
                            output = []
                            status, timed_out = run(cmd, tree, stage_timeout, log, output)
                            if status != 0:
                                sure, killers = confirmed(output[0])
                    if status != 0 and sure:
                        outcome = "killed"
                        how = stage + (", time-out" if timed_out else "") + (
                            f", by {', '.join(killers)}" if killers else "")
                        break
        finally:
            # Put back; the next build recompiles it from the cache.
            target.write_text(original)
        # Read again for each mutant: lines added while the run goes count
        # (a list being edited and unreadable for a moment is left as it was).
        try:
            known = read_equivalents(equivalents_file)
        except SystemExit:
            pass
        reason = known.get(m.key())
        if outcome == "survived" and reason:
            outcome = "equivalent"
        elif outcome == "killed" and reason:
            how += "; listed as equivalent: the list is stale"
        results[outcome].append((m, reason, killers))
        label = {"uncompiled": "no build"}.get(outcome, outcome)
        print(f"[{index:3}/{len(chosen)}] {label:10} {m.path}:{m.line} {m.kind}: {m.change()}"
              f"  ({time.time() - t0:.0f} s{', ' + how if how else ''})")
        sys.stdout.flush()
    # The tree is whole again: the build folder is left matching it.
    run(runner.build_cmd(), tree, 1800, log)
    # A test that fails on the unchanged tree too killed nothing.
    doubtful = []
    killers = sorted({t for _, _, ks in results["killed"] for t in ks})
    failing = set()
    for name in killers:
        failing |= fail_again([name]) or set()
    if failing:
        doubtful = [r for r in results["killed"] if failing & set(r[2])]
        results["killed"] = [r for r in results["killed"] if not failing & set(r[2])]
        results["survived"] += doubtful

    killed, survived = len(results["killed"]), len(results["survived"])
    equivalent, uncompiled = len(results["equivalent"]), len(results["uncompiled"])
    print(f"\nkilled {killed}, survived {survived}, equivalent {equivalent}, did not compile {uncompiled}"
          f" ({len(chosen)} mutants, seed {args.seed}, {time.time() - started:.0f} s)")
    denominator = killed + survived
    score = 100.0 * killed / denominator if denominator else 100.0
    print(f"mutation score: {score:.1f} % ({killed} of {denominator} non-equivalent mutants killed)")
    for m, _, ks in results["survived"]:
        note = f" (killed only by {', '.join(ks)}, which fails on the unchanged tree too)" if ks else ""
        print(f"SURVIVED {m.path}:{m.line} {m.kind}: {m.change()}{note}")
    for m, reason, _ in results["equivalent"]:
        print(f"equivalent {m.path}:{m.line} {m.kind}: {m.change()} -- {reason}")
    if args.replay:
        print(f"gone {len(gone)}: listed as survivors in {args.replay.name}, their line is no longer in the tree")
        for path, original, mutated in gone:
            print(f"GONE {path}: `{original}` => `{mutated}`")
    return 0


if __name__ == "__main__":
    sys.exit(main())
