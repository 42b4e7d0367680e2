#!/usr/bin/env python3
"""Runs a selection of a preset's Wine tests one program at a time instead of
one process per case, for machines where a process start is slow (32-bit code
under emulation costs about a minute a start). Writes a JUnit report with one
record per case, as ctest's own, so that scripts/summary.py counts both alike.

    batch.py PRESET REPORT [-L LABEL] [-LE LABEL] [-j N] [--skip REASON]

-L / -LE select the cases as ctest's options do. With --skip the selection is
not run: each case is recorded as skipped with REASON.
"""
import argparse
import concurrent.futures
import json
import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from xml.sax.saxutils import quoteattr


def selection(preset, labels, excluded):
    cmd = ["ctest", "--preset", preset, "--show-only=json-v1"]
    for label in labels:
        cmd += ["-L", label]
    for label in excluded:
        cmd += ["-LE", label]
    tests = json.loads(subprocess.run(cmd, check=True, capture_output=True, text=True).stdout)
    return tests["tests"]


def prop(test, name, default):
    for p in test.get("properties", []):
        if p["name"] == name:
            return p["value"]
    return default


def programs(tests):
    """Groups the cases by what their process looks like: program, environment, folder."""
    groups = {}
    for test in tests:
        command = test["command"]
        gtest = next(a for a in command if a.startswith("--gtest_filter="))
        key = (
            tuple(a for a in command if a != gtest),
            tuple(prop(test, "ENVIRONMENT", [])),
            prop(test, "WORKING_DIRECTORY", None),
        )
        groups.setdefault(key, []).append((test["name"], gtest.split("=", 1)[1]))
    return groups


def winepath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run_program(key, cases, timeout_per_case):
    command, environment, folder = key
    env = dict(os.environ)
    env.update(v.split("=", 1) for v in environment)
    with tempfile.TemporaryDirectory() as scratch:
        report = os.path.join(scratch, "gtest.xml")
        args = list(command) + [
            "--gtest_filter=" + ":".join(g for _, g in cases),
            "--gtest_output=xml:" + winepath(report),
        ]
        try:
            done = subprocess.run(args, cwd=folder, env=env, capture_output=True, text=True,
                                  errors="replace", timeout=120 + timeout_per_case * len(cases))
            output = done.stdout + done.stderr
        except subprocess.TimeoutExpired as e:
            output = f"{e.stdout or ''}{e.stderr or ''}\nbatch: timed out"
        verdicts = {}
        try:
            for case in ET.parse(report).getroot().iter("testcase"):
                name = f"{case.get('classname')}.{case.get('name')}"
                failure = case.find("failure")
                if failure is not None:
                    verdicts[name] = ("fail", failure.get("message", ""))
                elif case.get("result") == "skipped" or case.find("skipped") is not None:
                    verdicts[name] = ("notrun", "skipped")
                else:
                    verdicts[name] = ("run", "")
        except (OSError, ET.ParseError):
            pass
    results = []
    for name, gtest in cases:
        status, message = verdicts.get(gtest, ("fail", "no result: the test program ended early"))
        results.append((name, status, message))
    return os.path.basename(command[1]), results, output


def write_report(path, records):
    with open(path, "w", encoding="utf-8") as out:
        out.write('<?xml version="1.0" encoding="UTF-8"?>\n<testsuite>\n')
        for name, status, message in records:
            out.write(f"  <testcase name={quoteattr(name)} status={quoteattr(status)}>")
            if message:
                tag = "skipped" if status == "notrun" else "failure"
                out.write(f"<{tag} message={quoteattr(message)}/>")
            out.write("</testcase>\n")
        out.write("</testsuite>\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("preset")
    parser.add_argument("report")
    parser.add_argument("-L", dest="labels", action="append", default=[])
    parser.add_argument("-LE", dest="excluded", action="append", default=[])
    parser.add_argument("-j", dest="jobs", type=int, default=2)
    parser.add_argument("--skip")
    parser.add_argument("--timeout-per-case", type=int, default=300)
    args = parser.parse_args()

    tests = selection(args.preset, args.labels, args.excluded)
    if args.skip is not None:
        write_report(args.report, [(t["name"], "notrun", args.skip) for t in tests])
        print(f"batch: {len(tests)} cases of {args.preset} skipped: {args.skip}")
        return 0

    records, failed = [], 0
    groups = programs(tests)
    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        jobs = [pool.submit(run_program, k, c, args.timeout_per_case) for k, c in groups.items()]
        for job in concurrent.futures.as_completed(jobs):
            program, results, output = job.result()
            bad = [r for r in results if r[1] == "fail"]
            failed += len(bad)
            print(f"batch: {program}: {len(results) - len(bad)} of {len(results)} cases passed")
            if bad:
                for name, _, message in bad:
                    print(f"  failed: {name}: {message}")
                print(output)
            records += results
    write_report(args.report, sorted(records))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
