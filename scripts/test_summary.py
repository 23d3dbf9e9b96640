#!/usr/bin/env python3
"""The closing account of ./run test, from CTest's JUnit file.

    test_summary.py RESULTS.xml

Lists every skipped test with its reason and ends with the line
"N passed, N failed, N skipped" over all builds. Exit 0 only when nothing
failed and every skip is the machine's: a test that printed "skipped: this
machine runs only 64-bit programs" and ended with the skip code. Any other
skip (a disabled test, a skip code without that reason) fails the run, as
does a test CTest could not start (a missing program), which it reports as
not run and counts here as failed.
"""
import sys
import xml.etree.ElementTree as ElementTree

MACHINE_REASON = "this machine runs only 64-bit programs"
SKIP_CODE_MESSAGE = "SKIP_RETURN_CODE=77"


def skip_reason(output):
    """The reason a test printed for its skip ("skipped: REASON"), if any."""
    for line in output.splitlines():
        line = line.strip()
        if line.startswith("skipped: "):
            return line[len("skipped: "):]
    return ""


def classify(case):
    """(verdict, reason) of one <testcase>: passed, failed, machine-skip or other-skip."""
    status = case.get("status", "")
    output = case.findtext("system-out") or ""
    if status == "run":
        return "passed", ""
    if status == "fail":
        return "failed", ""
    if status == "disabled":
        return "other-skip", "disabled"
    skipped = case.find("skipped")
    message = skipped.get("message", "") if skipped is not None else ""
    if message == SKIP_CODE_MESSAGE:
        reason = skip_reason(output)
        if reason.startswith(MACHINE_REASON):
            return "machine-skip", reason
        return "other-skip", reason or "skip code without a reason"
    # Not run for any other cause: a missing program or required file.
    return "failed", message or output.strip() or "not run"


def main(argv):
    if len(argv) != 2:
        print("usage: test_summary.py RESULTS.xml", file=sys.stderr)
        return 2
    try:
        cases = ElementTree.parse(argv[1]).getroot().iter("testcase")
    except (OSError, ElementTree.ParseError) as error:
        print(f"no test results to sum up: {error}")
        print("0 passed, 1 failed, 0 skipped")
        return 1
    counts = {"passed": 0, "failed": 0, "machine-skip": 0, "other-skip": 0}
    lines = []
    for case in cases:
        verdict, reason = classify(case)
        counts[verdict] += 1
        name = case.get("name", "?")
        if verdict == "machine-skip":
            lines.append(f"skipped: {name}: {reason}")
        elif verdict == "other-skip":
            lines.append(f"SKIPPED, not for this machine, so a failure: {name}: {reason}")
        elif verdict == "failed" and reason:
            lines.append(f"NOT RUN, a failure: {name}: {reason}")
    total = sum(counts.values())
    if lines:
        print("\n".join(lines))
    if total == 0:
        print("no test ran")
    skipped = counts["machine-skip"] + counts["other-skip"]
    print(f"{counts['passed']} passed, {counts['failed']} failed, {skipped} skipped")
    return 0 if total and counts["failed"] == 0 and counts["other-skip"] == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
