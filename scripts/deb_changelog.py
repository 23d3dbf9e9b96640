#!/usr/bin/env python3
"""Writes the Debian changelog of the package from CHANGELOG.md.

  scripts/deb_changelog.py CHANGELOG.md PACKAGE MAINTAINER VERSION EPOCH

One entry per "## VERSION (YYYY-MM-DD)" section, newest first, from the
release VERSION down (a section above it is not released yet). The entry of
VERSION is dated EPOCH (SOURCE_DATE_EPOCH: the same source gives the same
bytes); older ones at noon UTC of their heading's date. Each paragraph and
"- " item becomes a "  * " item, a "### Heading" a "  [ Heading ]" line,
and text is re-wrapped to 79 columns; backticks go.
"""
import email.utils
import re
import sys
import textwrap
from datetime import datetime, timezone

HEADING = re.compile(r"^## (\S+) \((\d{4}-\d{2}-\d{2})\)\s*$")


def sections(lines):
    """(version, date, body lines) of each release section, in file order."""
    current = None
    for line in lines:
        match = HEADING.match(line)
        if match:
            current = (match.group(1), match.group(2), [])
            yield current
        elif line.startswith("## "):
            sys.exit(f"deb_changelog: a release heading must read '## VERSION (YYYY-MM-DD)': {line.strip()}")
        elif current is not None:
            current[2].append(line.rstrip("\n"))


def items(body):
    """The section's body as ('heading', text) and ('item', text) pieces."""
    piece = []

    def flush():
        if piece:
            yield ("item", " ".join(part.strip() for part in piece))
            piece.clear()

    for line in body:
        if not line.strip():
            yield from flush()
        elif line.startswith("### "):
            yield from flush()
            yield ("heading", line[4:].strip())
        elif line.startswith("- "):
            yield from flush()
            piece.append(line[2:])
        else:
            piece.append(line)
    yield from flush()


def entry(package, maintainer, version, when, body):
    out = [f"{package} ({version}) unstable; urgency=medium", ""]
    for kind, text in items(body):
        text = text.replace("`", "")
        if kind == "heading":
            out += ["", f"  [ {text} ]"] if len(out) > 2 else [f"  [ {text} ]"]
        else:
            out += textwrap.wrap(text, width=79, initial_indent="  * ", subsequent_indent="    ",
                                 break_long_words=False, break_on_hyphens=False)
    out += ["", f" -- {maintainer}  {email.utils.format_datetime(when)}", ""]
    return "\n".join(out)


def main():
    path, package, maintainer, version, epoch = sys.argv[1:6]
    with open(path, encoding="utf-8") as f:
        found = list(sections(f))
    versions = [v for v, _, _ in found]
    if version not in versions:
        sys.exit(f"deb_changelog: {path} has no section for release {version}")
    entries = []
    for v, day, body in found[versions.index(version):]:
        if v == version:
            when = datetime.fromtimestamp(int(epoch), timezone.utc)
        else:
            when = datetime.strptime(day + " 12:00", "%Y-%m-%d %H:%M").replace(tzinfo=timezone.utc)
        entries.append(entry(package, maintainer, v, when, body))
    sys.stdout.write("\n".join(entries))


main()
