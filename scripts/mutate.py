#!/usr/bin/env python3
"""Plants the faults listed in scripts/mutations.txt, one at a time, into a
copy of the tree, rebuilds the test programs each fault concerns, runs them
and prints which test caught the fault, or that it survived.

    python3 scripts/mutate.py [--work DIR] [--only ID,ID...] [--markdown FILE]

The copy and its build folder live in DIR (default /tmp/tabulon-mutate) and
are reused by the next run. The build has no sanitizers: a fault counts as
caught only when a test's assertion fails or the program it runs fails.

A fault in scripts/mutations.txt:

    == id: path/to/file.cpp -> test_program [test_program ...]
    what the fault is, in a few words
    <<<
    text as it stands (must occur exactly once in the file)
    ===
    text with the fault
    >>>

A test program is a test executable's name in the build folder, run whole;
a name that is no executable there is run as a CTest test of that name. A
name with a leading "+" is a target that is only built (the program a CTest
test runs).
"""
import argparse
import os
import pathlib
import re
import shutil
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent


class Mutation:
    def __init__(self, ident, path, names, what, before, after):
        self.ident, self.path = ident, path
        self.tests = [n for n in names if not n.startswith("+")]
        self.builds = [n.lstrip("+") for n in names if n.startswith("+")]
        self.what, self.before, self.after = what, before, after


def read_mutations(path):
    text = path.read_text(encoding="utf-8")
    found = []
    pattern = re.compile(
        r"^== (?P<id>[\w.-]+): (?P<path>\S+) -> (?P<tests>[^\n]+)\n(?P<what>[^\n]*)\n<<<\n(?P<before>.*?)\n===\n(?P<after>.*?)\n?>>>$",
        re.M | re.S)
    for m in pattern.finditer(text):
        found.append(Mutation(m["id"], m["path"], m["tests"].split(), m["what"], m["before"], m["after"]))
    headers = len(re.findall(r"^== ", text, re.M))
    if headers != len(found):
        sys.exit(f"mutations.txt: {headers} entries, {len(found)} well-formed")
    ids = [m.ident for m in found]
    if len(ids) != len(set(ids)):
        sys.exit("mutations.txt: an id is used twice")
    return found


def run(cmd, cwd, timeout=None, env=None):
    return subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          text=True, errors="replace", timeout=timeout, env=env)


def copy_tree(work):
    src = work / "src-tree"
    src.mkdir(parents=True, exist_ok=True)
    # The copy mirrors the working tree, build folders and history left out;
    # files that did not change keep their times, so a second run rebuilds
    # only what changed.
    wanted = set()
    for top in ROOT.iterdir():
        if top.name.startswith("build") or top.name == ".git":
            continue
        paths = [top] if top.is_file() else [p for p in top.rglob("*") if p.is_file()]
        for p in paths:
            rel = p.relative_to(ROOT)
            wanted.add(rel)
            dest = src / rel
            st = p.stat()
            if dest.exists() and dest.stat().st_size == st.st_size and dest.stat().st_mtime == st.st_mtime:
                continue
            dest.parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(p, dest)
    for p in [p for p in src.rglob("*") if p.is_file()]:
        if p.relative_to(src) not in wanted:
            p.unlink()
    # Tests that read the shared sample data find it beside the copy.
    shared = ROOT.parent / "shared"
    link = work / "shared"
    if shared.is_dir() and not link.exists():
        link.symlink_to(shared)
    return src


def configure(src, build):
    cmd = ["cmake", "-S", str(src), "-B", str(build), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
           "-DTABULON_SANITIZE=OFF", "-DTABULON_TESTS=ON"]
    if shutil.which("ccache"):
        cmd += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"]
    r = run(cmd, cwd=src)
    if r.returncode != 0:
        sys.exit(r.stdout)


def executables(build):
    found = {}
    for p in build.rglob("*"):
        if p.is_file() and os.access(p, os.X_OK) and p.suffix == "" and "CMakeFiles" not in p.parts:
            found.setdefault(p.name, p)
    return found


def build_targets(build, targets):
    return run(["cmake", "--build", str(build), "-j", str(os.cpu_count() or 2), "--target", *targets], cwd=build)


def test_env(work):
    env = dict(os.environ)
    env["QT_QPA_PLATFORM"] = "offscreen"
    env["XDG_CONFIG_HOME"] = str(work / "config")
    return env


def run_tests(build, tests, programs, env):
    """The name of the first test that fails, or None when all pass."""
    for name in tests:
        if name in programs:
            try:
                r = run([str(programs[name])], cwd=programs[name].parent, timeout=180, env=env)
            except subprocess.TimeoutExpired:
                return f"{name} (timed out)"
            if r.returncode != 0:
                failed = re.findall(r"^\[  FAILED  \] (\S+)", r.stdout, re.M)
                return f"{name}: {failed[0]}" if failed else f"{name} (exit {r.returncode})"
        else:
            try:
                r = run(["ctest", "--test-dir", str(build), "-R", f"^{name}$", "--timeout", "300"], cwd=build, env=env)
            except subprocess.TimeoutExpired:
                return f"{name} (timed out)"
            if "No tests were found" in r.stdout:
                return f"{name}: NO SUCH TEST"
            if r.returncode != 0:
                return name
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--work", default="/tmp/tabulon-mutate")
    parser.add_argument("--only", default="")
    parser.add_argument("--markdown", default="")
    parser.add_argument("--check", action="store_true", help="only check that every fault applies")
    args = parser.parse_args()
    work = pathlib.Path(args.work)
    mutations = read_mutations(ROOT / "scripts" / "mutations.txt")
    if args.only:
        wanted = set(args.only.split(","))
        mutations = [m for m in mutations if m.ident in wanted]
    if args.check:
        bad = 0
        for m in mutations:
            n = (ROOT / m.path).read_text(encoding="utf-8").count(m.before)
            if n != 1:
                bad += 1
                print(f"{m.ident}: the text occurs {n} times in {m.path}")
        print(f"{len(mutations)} faults, {bad} do not apply")
        sys.exit(1 if bad else 0)

    src = copy_tree(work)
    build = work / "build"
    configure(src, build)
    targets = sorted({t for m in mutations for t in m.tests})
    started = time.time()
    # Everything the faults concern builds once unchanged, and passes.
    r = build_targets(build, ["all"])
    if r.returncode != 0:
        sys.exit("the unchanged tree does not build:\n" + r.stdout[-4000:])
    programs = executables(build)
    env = test_env(work)
    baseline = run_tests(build, targets, programs, env)
    if baseline:
        sys.exit(f"the unchanged tree fails a test: {baseline}")

    rows = []
    for m in mutations:
        path = src / m.path
        original = path.read_text(encoding="utf-8")
        if original.count(m.before) != 1:
            rows.append((m, f"NOT APPLIED: the text occurs {original.count(m.before)} times"))
            continue
        path.write_text(original.replace(m.before, m.after), encoding="utf-8")
        try:
            built = build_targets(build, m.builds + [t for t in m.tests if t in programs] or ["all"])
            if built.returncode != 0:
                result = "BUILD FAILED (the fault is not a valid program)"
            else:
                caught = run_tests(build, m.tests, programs, env)
                result = f"caught by {caught}" if caught else "SURVIVED"
        finally:
            path.write_text(original, encoding="utf-8")
            # The next build must see the file as changed again.
            os.utime(path)
        rows.append((m, result))
        print(f"{m.ident:28} {result}", flush=True)
    # Leave the copy's build as it was.
    build_targets(build, targets if all(t in programs for t in targets) else ["all"])

    caught = sum(1 for _, r in rows if r.startswith("caught"))
    valid = sum(1 for _, r in rows if not r.startswith(("NOT APPLIED", "BUILD FAILED")))
    minutes = (time.time() - started) / 60
    print(f"\n{caught} of {valid} planted faults caught ({100.0 * caught / max(valid, 1):.0f}%), {minutes:.0f} minutes")
    if args.markdown:
        with open(args.markdown, "w", encoding="utf-8") as out:
            out.write("| fault | file | what | result |\n|---|---|---|---|\n")
            for m, result in rows:
                out.write(f"| {m.ident} | {m.path} | {m.what} | {result} |\n")
            out.write(f"\n{caught} of {valid} caught ({100.0 * caught / max(valid, 1):.0f}%)\n")
    invalid = [m.ident for m, r in rows if r.startswith(("NOT APPLIED", "BUILD FAILED"))]
    if invalid:
        print("not valid: " + ", ".join(invalid))
    sys.exit(0 if not invalid else 1)


if __name__ == "__main__":
    main()
