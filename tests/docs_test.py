#!/usr/bin/env python3
"""docs_test.py BUILD_DIR: every test README.md and docs/ name runs: a `Suite.Test` or a row "…"
that a test program of BUILD_DIR's ctest lists, a `…_test.cpp` or `…_test.py` that is there."""
import json
import re
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
ctest = subprocess.run(["ctest", "--test-dir", sys.argv[1], "--show-only=json-v1"],
                       capture_output=True, text=True, check=True).stdout
listed = set()
for command in (test["command"] for test in json.loads(ctest)["tests"]):
    if "--gtest_brief=1" in command:  # a test program: its tests, and each row as it prints it
        for line in subprocess.run(command[:-1] + ["--gtest_list_tests"], capture_output=True,
                                   text=True, check=True).stdout.splitlines():
            if line.rstrip().endswith("."):
                suite = line.strip().rstrip(".").split("/")[-1]
            elif line.startswith("  "):
                test, _, row = line.strip().partition("  # GetParam() = ")
                listed |= {f"{suite}.{test.split('/')[0]}", f'row "{row}"'}

missing = []
for doc in [ROOT / "README.md", *sorted((ROOT / "docs").glob("*.md"))]:
    text = doc.read_text(encoding="utf-8")
    named = set(re.findall(r"`([A-Z]\w*\.[A-Z]\w*)`", text)) | {
        f'row "{row}"' for rows in re.findall(r'\brows? ((?:"[^"]+"(?:, )?)+)', text)
        for row in re.findall(r'"([^"]+)"', rows)}
    named |= {path for path in re.findall(r"`([\w/]+_test\.(?:cpp|py))`", text)
              if not (ROOT / path).is_file()}
    missing += [f"{doc.name}: {name}" for name in sorted(named - listed)]
sys.exit("docs_test: named but not run:\n  " + "\n  ".join(missing) if missing else 0)
