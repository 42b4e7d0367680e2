#!/usr/bin/env python3
"""The verdict of scripts/test, from the JUnit reports in RESULTS.

    summary.py RESULTS X86_MODE SUITE...

Each SUITE has a report SUITE.xml; a suite without one counts as a failure.
SUITE.skipped.xml lists the cases left out because
32-bit programs are emulated. wine-differs.txt lists the cases that took a branch
for a known difference between Windows and Wine.
"""
import os
import sys
import xml.etree.ElementTree as ET


def records(path):
    for case in ET.parse(path).getroot().iter("testcase"):
        yield case.get("name"), case.get("status")


def main():
    results, mode, suites = sys.argv[1], sys.argv[2], sys.argv[3:]
    passed = failed = skipped = emulated_skips = 0
    for suite in suites:
        try:
            verdicts = dict(records(f"{results}/{suite}.xml"))
        except (OSError, ET.ParseError):
            print(f"{suite}: no test report")
            failed += 1
            continue
        for name, status in verdicts.items():
            if status == "run":
                passed += 1
            elif status in ("notrun", "disabled"):
                skipped += 1
            else:
                failed += 1
        skipped_file = f"{results}/{suite}.skipped.xml"
        if os.path.exists(skipped_file):
            names = [name for name, _ in records(skipped_file)]
            emulated_skips += len(names)
            skipped += len(names)

    differs = set()
    try:
        with open(f"{results}/wine-differs.txt", encoding="utf-8", errors="replace") as f:
            differs = {line.split(":", 1)[0] for line in f if line.strip()}
    except OSError:
        pass

    print()
    if mode == "emulated":
        print(f"x86: emulated, {emulated_skips} end-to-end cases skipped")
    else:
        print(f"x86: {mode}")
    print(f"Wine differs: {len(differs)} cases took a Wine-specific branch")
    print(f"{skipped} skipped")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
