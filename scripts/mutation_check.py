#!/usr/bin/env python3
"""Mutation check: do the suites notice real faults?

Applies each fault of scripts/mutation_faults.txt, one at a time, to a scratch
checkout of a git revision, builds and runs the test programs of the faulty folder
(plus the tool and end-to-end suites; tests failing without any fault are left out)
and reports it killed (a test failed or timed out, and passes again without the
fault), SURVIVED, not applied (its text is gone), no build, or unsure (the killing
test fails or times out without the fault too). Faults tagged [tsan] run against a
ThreadSanitizer build, so that a data race kills them rather than an unlucky
schedule. Not run by CI: after the unchanged suites' build and run, 10 to 60 s a fault.

  scripts/mutation_check.py [--rev REV] [--keep] [--list | --dry-run] [--json FILE]
                            [ID-REGEX...]
  scripts/mutation_check.py --compare OLD.json NEW.json

  --rev REV        revision to check (default HEAD); the faults come from the list
                   beside this script, not from REV
  --keep           leave the scratch checkout and its builds in place
  --list           print the faults and exit
  --dry-run        only report which faults apply to REV, without building
  --json FILE      also write the results to FILE, for --compare (rewritten after
                   each fault, so that a stopped run keeps what it found)
  --compare OLD NEW  print the kills per folder of two --json results and every
                   fault killed in OLD but not in NEW
  ID-REGEX         check only the faults whose id matches one of these

Environment: JOBS (default 2), TEST_TIMEOUT seconds per test (default 120),
FAULT_TIMEOUT seconds for all suites of one fault (default 900), TEST_DIRS the test
folders to run instead of those that exercise the faulty folder (e.g. "nmea": does
the folder's own suite catch its faults?).
"""
import argparse
import collections
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass, field
from pathlib import Path

FAULT_LIST = Path(__file__).resolve().parent / "mutation_faults.txt"
JOBS = int(os.environ.get("JOBS", "2"))
TEST_TIMEOUT = int(os.environ.get("TEST_TIMEOUT", "120"))
FAULT_TIMEOUT = int(os.environ.get("FAULT_TIMEOUT", "900"))
XVFB = ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24 -nolisten tcp"]
ALL_TIMED_OUT = "(all suites timed out)"


@dataclass
class Fault:
    id: str
    tags: set = field(default_factory=set)
    spellings: list = field(default_factory=list)  # (path, [[old, new], ...])

    @property
    def folder(self):
        return self.spellings[0][0].split("/")[0]


def folder_of(path):
    return path.split("/")[0]


def read_faults(path):
    """The faults of the list, in order: "@@ id path [tag]..." starts a spelling of a
    fault, then pairs of "- old" / "+ new" lines; a line that starts with neither
    continues the text above. Lines before the first "@@" are the list's preamble."""
    faults, pairs, side = {}, None, 0
    for line in path.read_text(encoding="utf-8").splitlines():
        if line.startswith("@@ "):
            _, fault_id, file, *tags = line.split()
            fault = faults.setdefault(fault_id, Fault(fault_id))
            fault.tags |= {tag.strip("[]") for tag in tags}
            pairs = []
            fault.spellings.append((file, pairs))
        elif pairs is None:
            continue
        elif line.startswith("-"):
            pairs.append([line[2:], None])
            side = 0
        elif line.startswith("+"):
            pairs[-1][1] = line[2:]
            side = 1
        else:
            pairs[-1][side] += "\n" + line
    return list(faults.values())


def faulty_text(fault, read):
    """(path, faulty text) of the first spelling whose every old text occurs exactly
    once in its file as read(path) returns it; None when no spelling applies."""
    for path, pairs in fault.spellings:
        text = read(path)
        if text is None or any(new is None or text.count(old) != 1 for old, new in pairs):
            continue
        for old, new in pairs:
            text = text.replace(old, new)
        return path, text
    return None


def test_dirs_of(folder):
    """The test folders whose programs run for a fault in folder."""
    if os.environ.get("TEST_DIRS"):
        return os.environ["TEST_DIRS"].split()
    if folder == "app":
        return ["app", "faults"]
    if folder == "language":  # the module loader and its texts: the window and tavik-decode
        return ["app", "tools"]
    if folder == "platform":
        return ["platform", "gps", "display", "gpx", "tools", "e2e", "faults"]
    if folder in ("gps", "display", "gpx"):  # the reader's and recorder's fault cases
        return [folder, "tools", "e2e", "faults"]
    if folder == "res":  # its texts reach people through the window and tavik-decode
        return ["app", "tools", "e2e"]
    return [folder, "tools", "e2e"]


class Build:
    """One build folder of the scratch checkout, with the tests ctest knows there."""

    def __init__(self, tree, name, options, env):
        self.dir, self.name = tree / name, name
        self.options = ["-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DTAVIK_BUILD_BENCH=OFF", *options]
        self.env = dict(os.environ, **env)
        self.failing = set()  # tests that fail without any fault
        self.table = []

    def read_tests(self):
        """(test folder, program, test name) of every test; a program not built yet
        appears once, as "<program>_NOT_BUILT". The package test is left out: it
        packs the whole program, it is no suite."""
        shown = subprocess.run(["ctest", "--test-dir", self.dir, "--show-only=json-v1"],
                               env=self.env, capture_output=True, text=True, check=True)
        self.table = []
        for test in json.loads(shown.stdout)["tests"]:
            props = {p["name"]: p["value"] for p in test.get("properties", [])}
            folder = os.path.basename(props.get("WORKING_DIRECTORY", ""))
            # The program is the command's first word inside the build folder: a test
            # may run under xvfb-run or dbus-run-session.
            built = [word for word in test.get("command") or []
                     if word.startswith(f"{self.dir}/")]
            if test["name"].endswith("_NOT_BUILT"):
                program = test["name"][: -len("_NOT_BUILT")]
            elif built:
                program = os.path.basename(built[0])
            else:
                continue
            self.table.append((folder, program, test["name"]))

    def programs(self, dirs):
        return sorted({program for folder, program, _ in self.table if folder in dirs})

    def tests(self, dirs):
        return [name for folder, _, name in self.table
                if folder in dirs and name not in self.failing]

    def compile(self, programs):
        with open(self.dir / "build.log", "w") as log:
            command = ["cmake", "--build", self.dir, f"-j{JOBS}", "--target", *programs]
            return subprocess.run(command, env=self.env, stdout=log,
                                  stderr=subprocess.STDOUT).returncode == 0

    def run(self, names, dirs, stop=False, log_name="ctest.log"):
        """Runs the named tests; returns (failed, timed out) test names, in ctest's
        order, and the number of tests ctest ran. When all of them together outlast
        FAULT_TIMEOUT, both name ALL_TIMED_OUT."""
        regex = "^(" + "|".join(map(re.escape, names)) + ")$"
        failed_log = self.dir / "Testing" / "Temporary" / "LastTestsFailed.log"
        failed_log.unlink(missing_ok=True)
        command = ["timeout", "-k", "10", str(FAULT_TIMEOUT), "ctest", "--test-dir", str(self.dir),
                   "-R", regex, f"-j{JOBS}", "--timeout", str(TEST_TIMEOUT)]
        command += ["--stop-on-failure"] if stop else []
        if "app" in dirs:
            command = XVFB + command
        log_path = self.dir / log_name
        with open(log_path, "w") as log:
            status = subprocess.run(command, env=self.env, stdout=log,
                                    stderr=subprocess.STDOUT).returncode
        log = log_path.read_text(errors="replace")
        ran = re.search(r"tests failed out of (\d+)", log)
        ran = int(ran.group(1)) if ran else 0
        if status == 124:
            return [ALL_TIMED_OUT], [ALL_TIMED_OUT], ran
        failed = []
        if failed_log.exists():
            failed = [line.split(":", 1)[1] for line in failed_log.read_text().splitlines()]
        elif status != 0:
            ended = f"ended by signal {-status}" if status < 0 else f"exit status {status}"
            failed = [f"(ctest {ended}, see {log_path})"]
        timeout_lines = [line for line in log.splitlines() if "***Timeout" in line]
        timed_out = [name for name in failed if any(f": {name} " in line for line in timeout_lines)]
        return failed, timed_out, ran


def git(*args, cwd, check=True):
    return subprocess.run(["git", "-C", cwd, *args], capture_output=True, text=True, check=check)


def dry_run(faults, project, rev):
    """Reports which faults apply to rev, reading its files straight from git."""
    def read(path):
        shown = git("show", f"{rev}:{path}", cwd=project, check=False)
        return shown.stdout if shown.returncode == 0 else None

    applied = 0
    for fault in faults:
        applies = faulty_text(fault, read) is not None
        applied += applies
        print(f"{fault.id} {'applies' if applies else 'not applied'}")
    print(f"{applied} of {len(faults)} faults apply to {rev}")


def check(faults, tree, save):
    """Checks every fault on the checkout in tree; returns one result record per fault.
    save(results) is called after each fault, so that a stopped run keeps what it found."""
    builds = {False: Build(tree, "build", [], {}),
              True: Build(tree, "build-tsan", ["-DTAVIK_SANITIZE=thread", "-DTAVIK_BUILD_APP=OFF"],
                          {"TSAN_OPTIONS": "halt_on_error=1"})}

    def read(path):
        return (tree / path).read_text(encoding="utf-8") if (tree / path).exists() else None

    faulty = {fault.id: faulty_text(fault, read) for fault in faults}
    for tsan, build in builds.items():
        used = [f for f in faults if faulty[f.id] and ("tsan" in f.tags) == tsan]
        if not used:
            continue
        subprocess.run(["cmake", "-S", tree, "-B", build.dir, *build.options],
                       env=build.env, check=True, stdout=subprocess.DEVNULL)
        build.read_tests()
        dirs = sorted({d for fault in used for d in test_dirs_of(folder_of(faulty[fault.id][0]))})
        programs = build.programs(dirs)
        print(f"{build.name}: building {len(programs)} test programs", flush=True)
        if not build.compile(programs):
            sys.exit(f"the unchanged revision does not build; see {build.dir}/build.log")
        build.read_tests()
        expected = build.tests(dirs)
        failed, _, ran = build.run(expected, dirs)
        if ran != len(expected):
            sys.exit(f"ctest ran {ran} tests of the {len(expected)} selected; "
                     f"see {build.dir}/ctest.log")
        build.failing = set(failed)
        skipped = (build.dir / "ctest.log").read_text(errors="replace").count("***Skipped")
        print(f"{build.name} without faults: {len(expected)} tests, {skipped} skipped, "
              f"{len(failed)} failing" + (f", left out: {' '.join(failed)}" if failed else ""),
              flush=True)

    results = []
    for number, fault in enumerate(faults, 1):
        start = time.monotonic()
        print(f"[{number:2}/{len(faults)}] {fault.id:34} ", end="", flush=True)
        # A fault counts in the folder of the file it applies to, as spelled for this revision.
        folder = folder_of(faulty[fault.id][0]) if faulty[fault.id] else fault.folder
        record = {"id": fault.id, "folder": folder, "tsan": "tsan" in fault.tags, "detail": ""}
        if faulty[fault.id] is None:
            record["result"] = "not applied"
        else:
            record.update(check_one(fault, *faulty[fault.id], tree, builds["tsan" in fault.tags]))
        record["seconds"] = round(time.monotonic() - start)
        results.append(record)
        detail = record["detail"]
        detail = f" {detail}" if detail.startswith("(") else f" ({detail})" if detail else ""
        took = "" if record["result"] == "not applied" else f", {record['seconds']} s"
        print(f"{record['result']}{detail}{took}", flush=True)
        save(results)
    return results


def check_one(fault, path, text, tree, build):
    """Builds and runs the suites with the fault in place; a kill counts only if the
    killing test (or, when no single test is to blame, all of them) passes again
    without the fault: a test that fails or hangs now and then under load proves
    nothing."""
    dirs = test_dirs_of(folder_of(path))
    programs, names = build.programs(dirs), build.tests(dirs)
    if not names:
        return {"result": "unsure", "detail": f"{build.name} has no tests in {' '.join(dirs)}"}
    file = tree / path
    original = file.read_text(encoding="utf-8")
    file.write_text(text, encoding="utf-8")
    try:
        if not build.compile(programs):
            return {"result": "no build"}
        failed, timed_out, _ = build.run(names, dirs, stop=True, log_name="fault-ctest.log")
    finally:
        file.write_text(original, encoding="utf-8")
    if not failed:
        return {"result": "SURVIVED"}
    killer = failed[0]
    blame = f"{killer} timed out" if killer in timed_out and killer != ALL_TIMED_OUT else killer
    if not build.compile(programs):
        return {"result": "unsure", "detail": f"{blame}; the revision no longer builds"}
    # ALL_TIMED_OUT, or ctest failing without naming a test: the whole run once more.
    again, again_timed_out, _ = build.run(names if killer.startswith("(") else [killer], dirs)
    if again:
        if killer.startswith("("):
            detail = "the suites " + ("time out" if again_timed_out else "fail")
        else:
            detail = killer + (" times out" if again_timed_out else " fails")
        return {"result": "unsure", "detail": detail + " without the fault too"}
    return {"result": "killed", "detail": blame}


def folder_table(results):
    """Lines of a table of the kills per folder, with a total row."""
    rows = collections.defaultdict(collections.Counter)
    for record in results:
        for folder in (record["folder"], "all"):
            rows[folder][record["result"]] += 1
            rows[folder]["applied"] += record["result"] != "not applied"
    columns = ("applied", "killed", "SURVIVED", "unsure")
    lines = [f"{'folder':10} | " + " | ".join(f"{c.lower():>8}" for c in columns)]
    lines.append("-" * len(lines[0]))
    for folder in sorted(rows, key=lambda f: (f == "all", f)):
        lines.append(f"{folder:10} | " + " | ".join(f"{rows[folder][c]:8}" for c in columns))
    return lines


def report(results):
    print()
    print("\n".join(folder_table(results)))
    for result in ("SURVIVED", "not applied", "no build", "unsure"):
        ids = [r["id"] for r in results if r["result"] == result]
        print(f"{result.lower() + ':':12} {' '.join(ids) or 'none'}")


def compare(old_file, new_file):
    old, new = (json.loads(Path(f).read_text()) for f in (old_file, new_file))
    for name, data in ((old_file, old), (new_file, new)):
        only = f", only the tests in {data['test_dirs']}" if data.get("test_dirs") else ""
        print(f"{name} (revision {data['revision']}{only}):")
        print("\n".join(folder_table(data["faults"])))
        print()
    now = {r["id"]: r for r in new["faults"]}
    lost = [r["id"] for r in old["faults"] if r["result"] == "killed"
            and now.get(r["id"], {}).get("result") != "killed"]
    print(f"killed in {old_file}, not in {new_file}:" + ("" if lost else " none"))
    for fault_id in lost:
        print(f"  {fault_id}: {now[fault_id]['result'] if fault_id in now else 'not checked'}")


def main():
    parser = argparse.ArgumentParser(add_help=False)
    for flags in (["-h", "--help"], ["--keep"], ["--list"], ["--dry-run"]):
        parser.add_argument(*flags, action="store_true")
    parser.add_argument("--rev", default="HEAD")
    parser.add_argument("--json")
    parser.add_argument("--compare", nargs=2, metavar=("OLD", "NEW"))
    parser.add_argument("patterns", nargs="*", metavar="ID-REGEX")
    args = parser.parse_args()
    if args.help:
        return print(__doc__)
    if args.compare:
        return compare(*args.compare)

    faults = read_faults(FAULT_LIST)
    if args.patterns:
        faults = [f for f in faults if any(re.search(p, f.id) for p in args.patterns)]
    if args.list:
        for fault in faults:
            tags = " ".join(f"[{tag}]" for tag in sorted(fault.tags))
            print(f"{fault.id:36} {fault.spellings[0][0]:34} {tags}".rstrip())
        return
    if not faults:
        sys.exit("no fault matches")
    project = Path(git("rev-parse", "--show-toplevel", cwd=FAULT_LIST.parent).stdout.strip())
    if git("rev-parse", "--verify", "--quiet", f"{args.rev}^{{commit}}", cwd=project,
           check=False).returncode != 0:
        sys.exit(f"no such revision: {args.rev}")
    if args.dry_run:
        return dry_run(faults, project, args.rev)

    os.environ.update(CMAKE_CXX_COMPILER_LAUNCHER="ccache", CMAKE_C_COMPILER_LAUNCHER="ccache",
                      CCACHE_NOHASHDIR="1", QT_QPA_PLATFORMTHEME="")
    tree = Path(tempfile.mkdtemp(prefix="tavik-mutation."))
    # Paths below the scratch checkout reach ccache relative to it, so that builds of
    # other checkouts with the same build folder names are reused.
    os.environ["CCACHE_BASEDIR"] = str(tree)
    try:
        git("worktree", "add", "--detach", tree, args.rev, cwd=project)
        revision = git("rev-parse", "--short", "HEAD", cwd=tree).stdout.strip()
        print(f"revision {revision} in {tree}", flush=True)

        def save(results):
            if args.json:
                data = {"revision": revision, "test_dirs": os.environ.get("TEST_DIRS", ""),
                        "faults": results}
                Path(args.json).write_text(json.dumps(data, indent=1) + "\n")

        report(check(faults, tree, save))
    finally:
        if args.keep:
            print(f"scratch checkout kept: {tree}")
        elif git("worktree", "remove", "--force", tree, cwd=project, check=False).returncode != 0:
            shutil.rmtree(tree, ignore_errors=True)
            git("worktree", "prune", cwd=project, check=False)


if __name__ == "__main__":
    main()
