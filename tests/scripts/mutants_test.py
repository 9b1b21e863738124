#!/usr/bin/env python3
"""The mutation script on a tiny tree: the mutant that inverts the tested
condition is killed, the listed equivalent one survives and is left out of
the score, the untested constant's mutants survive and count, and the
Windows-only function and file are never mutated (4 places in all)."""
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
SCRIPT = HERE.parent.parent / "scripts" / "mutants.py"

with tempfile.TemporaryDirectory() as tmp:
    root = Path(tmp, "tree")
    shutil.copytree(HERE / "mutants_fixture", root)
    out = subprocess.run(
        [sys.executable, str(SCRIPT), "50", "7", "--root", str(root), "--work", str(Path(tmp, "work")),
         "--equivalents", str(root / "equivalent.txt"),
         "--build", "c++ -o check check.cpp src/level.cpp", "--test", "./check"],
        capture_output=True, text=True, timeout=300)
    print(out.stdout, out.stderr)
    expect = [
        r"^\[ *\d+/4\] killed +src/level\.cpp:3 negation: `if \(reading > top\) return top;` => "
        r"`if \(!\(reading > top\)\) return top;`",
        r"^killed 1, survived 2, equivalent 1, did not compile 0 ",
        r"^mutation score: 33\.3 % \(1 of 3 non-equivalent mutants killed\)",
        r"^SURVIVED src/level\.cpp:8 constant: `int bonus\(\) \{ return 3; \}` => `int bonus\(\) \{ return 4; \}`",
        r"^equivalent src/level\.cpp:3 relational: .* -- at reading == top both give top$",
    ]
    failed = [e for e in expect if not re.search(e, out.stdout, re.M)]
    # The fixture itself is never changed.
    if (root / "src" / "level.cpp").read_text() != (HERE / "mutants_fixture" / "src" / "level.cpp").read_text():
        failed.append("the tree given was changed")
    if out.returncode != 0 or failed:
        print("missing:", *failed, sep="\n  ")
        sys.exit(1)

    # A replay runs again exactly the survivors of that output, and names
    # those whose line has changed since.
    report = Path(tmp, "report.txt")
    report.write_text(out.stdout)
    level = root / "src" / "level.cpp"
    level.write_text(level.read_text().replace("return 3;", "return 5;"))

    def replay():
        return subprocess.run(
            [sys.executable, str(SCRIPT), "--replay", str(report), "--root", str(root), "--work",
             str(Path(tmp, "work")), "--equivalents", str(root / "equivalent.txt"),
             "--build", "c++ -o check check.cpp src/level.cpp", "--test", "./check"],
            capture_output=True, text=True, timeout=300).stdout
    again = replay()
    print(again)
    expect = [r"^mutants: 0 of \d+ places", r"^gone 2: ",
              r"^GONE src/level\.cpp: `int bonus\(\) \{ return 3; \}` => `int bonus\(\) \{ return 4; \}`$"]
    missing = [e for e in expect if not re.search(e, again, re.M)]
    if missing:
        print("missing after a replay:", *missing, sep="\n  ")
        sys.exit(1)
