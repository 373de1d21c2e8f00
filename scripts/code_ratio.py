#!/usr/bin/env python3
"""Counts the non-blank, non-comment lines of C and C++ code under src/,
tools/, include/ and plugins/ against those under tests/, and prints the
tests' share of the code."""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
SUFFIXES = {".c", ".cc", ".cpp", ".h", ".hpp"}


def code_lines(path):
    text = path.read_text(encoding="utf-8", errors="replace")
    # Block comments go first (a string holding "/*" is rare enough in this
    # code base not to matter for a count); line comments then.
    text = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group(0).count("\n"), text, flags=re.S)
    count = 0
    for line in text.splitlines():
        stripped = line.strip()
        if stripped and not stripped.startswith("//"):
            count += 1
    return count


def count(folders):
    total = 0
    for folder in folders:
        base = ROOT / folder
        if base.is_dir():
            total += sum(code_lines(p) for p in base.rglob("*") if p.suffix in SUFFIXES and p.is_file())
    return total


def main():
    code = count(["src", "tools", "include", "plugins"])
    tests = count(["tests"])
    print(f"code {code} lines, tests {tests} lines: tests are {100.0 * tests / code:.1f}% of the code")
    limit = float(sys.argv[1]) if len(sys.argv) > 1 else None
    if limit is not None and tests > code * limit / 100.0:
        sys.exit(1)


if __name__ == "__main__":
    main()
