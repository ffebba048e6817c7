#!/usr/bin/env python3
"""docs_test.py BUILD_DIR: every test README.md and docs/ name is one that runs: a `Suite.Test`
listed by a test program that ctest runs in BUILD_DIR, a row "…" that fault_test lists, a
`…_test.cpp` or `…_test.py` that is there."""
import json
import re
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
ctest = subprocess.run(["ctest", "--test-dir", sys.argv[1], "--show-only=json-v1"],
                       capture_output=True, text=True, check=True)
listed = set()
for command in (test["command"] for test in json.loads(ctest.stdout)["tests"]):
    if "--gtest_brief=1" in command:  # a test program: its tests, and each row as it prints it
        listing = subprocess.run(command[:-1] + ["--gtest_list_tests"], capture_output=True,
                                 text=True, check=True).stdout
        for line in listing.splitlines():
            if line.rstrip().endswith("."):
                suite = line.strip().rstrip(".").split("/")[-1]
            elif line.startswith("  "):
                test, _, row = line.strip().partition("  # GetParam() = ")
                listed |= {f"{suite}.{test.split('/')[0]}", f'row "{row}"'}

missing = []
for doc in [ROOT / "README.md", *sorted((ROOT / "docs").glob("*.md"))]:
    text = doc.read_text(encoding="utf-8")
    named = set(re.findall(r"`([A-Z]\w*\.[A-Z]\w*)`", text))
    for rows in re.findall(r'\brows? ((?:"[^"]+"(?:, )?)+)', text):
        named |= {f'row "{row}"' for row in re.findall(r'"([^"]+)"', rows)}
    missing += [f"{doc.name}: {name}" for name in sorted(named - listed)]
    missing += [f"{doc.name}: {path}" for path in re.findall(r"`([\w/]+_test\.(?:cpp|py))`", text)
                if not (ROOT / path).is_file()]
sys.exit("docs_test: named but not run:\n  " + "\n  ".join(missing) if missing else 0)
