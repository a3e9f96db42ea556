#!/usr/bin/python3
"""Checks that the test suite catches a handful of single-line faults in the primitives and
the scheduler. The tree is never touched: the sources are copied to a scratch directory,
each fault is applied there alone, the tests are built (Release) and run with ctest, and the
file is put back before the next fault. Prints one table row per fault: where it was applied,
whether the suite caught it and which tests failed.

    scripts/fault_check.py [--scratch DIR] [--jobs N] [--only NAME]

The scratch build is kept between runs (default /tmp/blocktide_fault_check), so a second run
only recompiles the files the faults touch.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys

# name, file, anchor (a unique text before the line), the line's text, its faulty text
FAULTS = [
    ("register preset OR written as assignment (narrow registers)", "nodes/registers.cpp",
     "bool Node_Register::EvaluateWord()",
     "value |= set_bits;", "value = set_bits;"),
    ("clear takes priority over preset (narrow registers)", "nodes/registers.cpp",
     "bool Node_Register::EvaluateWord()",
     "} else if (uint32_t set_bits = preset->ValueInt())",
     "} else if (uint32_t set_bits = clear->ValueInt() ? 0u : preset->ValueInt())"),
    ("clear takes priority over preset (wide Node_DFFE)", "nodes/registers.cpp",
     "bool Node_DFFE::EvaluateWide()",
     "} else if (!preset->IsZero()) {", "} else if (!preset->IsZero() && clear->IsZero()) {"),
    ("dropped carry out, 33 to 63-bit adder", "nodes/adders.cpp",
     "if (two_word_path) {",
     "bool changed = carry_word.Write(static_cast<uint32_t>(s >> w) & 1u);",
     "bool changed = carry_word.Write(0u);"),
    ("dropped carry between words, wide addition", "base/mlib_integer.cpp",
     "MLIB_UINTEGER& MLIB_UINTEGER::operator+=(const MLIB_UINTEGER& b)",
     "carry = sum >> 32;", "carry = 0;"),
    ("flipped comparison, less-or-equal comparator", "nodes/compare.cpp",
     "return out_word.Write((or_equal.Read() == 0",
     "x < y : x <= y", "x <= y : x < y"),
    ("dropped top-word mask, wide AND reduction", "nodes/logic.cpp",
     "bool Node_CombAnd::Evaluate()",
     "bool all_ones = value.word(top) == MLIB_UINTEGER::top_mask(width);",
     "bool all_ones = value.word(top) == 0xFFFFFFFFu;"),
    ("dropped undefined mask, wide selector (undefined data bits count)", "nodes/select.cpp",
     "bool Node_Selector::Evaluate()",
     "hit = (d.word(i) & ~d.undef_word(i) & m.word(i) & ~m.undef_word(i)) != 0;",
     "hit = (d.word(i) & m.word(i) & ~m.undef_word(i)) != 0;"),
    ("dropped undefined mask of the second operand, wide OR", "base/mlib_integer.cpp",
     "MLIB_UINTEGER MLIB_UINTEGER::operator|(const MLIB_UINTEGER& b) const",
     "undef[i] = (ua & ~known_b) | (ub & ~known_a);", "undef[i] = (ua & ~known_b);"),
    ("scheduler: flipped comparison in the rank exchange", "engine/scheduler.cpp",
     "void Scheduler::ExchangeRanks()",
     "if (ranks[lowest] < ranks[id]) {", "if (ranks[lowest] > ranks[id]) {"),
    ("scheduler: a changed design input is not queued", "engine/scheduler.cpp",
     "int Scheduler::Settle()",
     "if (!input->IsSettled())", "if (input->IsSettled())"),
]

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def run(cmd, cwd, log=None, check=True):
    result = subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if log is not None:
        with open(log, "a") as f:
            f.write("$ " + " ".join(cmd) + "\n" + result.stdout + "\n")
    if check and result.returncode != 0:
        sys.exit("failed: " + " ".join(cmd) + "\n" + result.stdout[-4000:])
    return result


def copy_sources(scratch_src):
    """Mirrors the tracked and untracked (not ignored) files of the tree into the scratch copy:
    changed files are copied, files the tree no longer has are removed (the build globs)."""
    listed = list(filter(None, run(["git", "ls-files", "-co", "--exclude-standard"], ROOT).stdout.split("\n")))
    wanted = set(listed)
    for folder, _, files in os.walk(scratch_src):
        for name in files:
            rel = os.path.relpath(os.path.join(folder, name), scratch_src)
            if rel not in wanted:
                os.remove(os.path.join(scratch_src, rel))
    for rel in listed:
        source = os.path.join(ROOT, rel)
        if not os.path.isfile(source):
            continue
        target = os.path.join(scratch_src, rel)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        if not os.path.exists(target) or open(source, "rb").read() != open(target, "rb").read():
            shutil.copy(source, target)  # a fresh time, so the build sees the change


def locate(text, anchor, old):
    start = text.find(anchor)
    if start < 0:
        raise ValueError("anchor not found: " + anchor)
    at = text.find(old, start)
    if at < 0:
        raise ValueError("line not found after the anchor: " + old)
    return at, text.count("\n", 0, at) + 1


def failed_tests(ctest_output):
    names = re.findall(r"^\s*\d+ - (\S+) \(", ctest_output, re.M)
    return sorted(set(names))


def build_and_test(src, build, jobs, log):
    built = run(["cmake", "--build", build, "-j", str(jobs)], src, log, check=False)
    if built.returncode != 0:
        return None, "build failed"
    tested = run(["ctest", "--test-dir", build, "-j", str(jobs), "--timeout", "300"], src, log, check=False)
    return tested, None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--scratch", default="/tmp/blocktide_fault_check")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--only", help="apply only the faults whose name contains this text")
    args = parser.parse_args()

    src = os.path.join(args.scratch, "src")
    build = os.path.join(args.scratch, "build")
    log = os.path.join(args.scratch, "log.txt")
    # A scratch build made from another state of the tree may hold objects newer than the
    # files copied now: start it afresh whenever the tree's state differs from the last run.
    stamp_path = os.path.join(args.scratch, "tree_state")
    stamp = run(["git", "rev-parse", "HEAD"], ROOT).stdout + run(["git", "diff", "HEAD"], ROOT).stdout
    if not os.path.exists(stamp_path) or open(stamp_path).read() != stamp:
        shutil.rmtree(build, ignore_errors=True)
    os.makedirs(src, exist_ok=True)
    open(log, "w").close()
    copy_sources(src)
    with open(stamp_path, "w") as f:
        f.write(stamp)
    run(["cmake", "-S", src, "-B", build, "-DCMAKE_BUILD_TYPE=Release", "-DBLOCKTIDE_BENCH=OFF"], src, log)

    print("baseline: building and running the unchanged suite ...", flush=True)
    tested, problem = build_and_test(src, build, args.jobs, log)
    if problem or tested.returncode != 0:
        sys.exit("the unchanged suite does not pass (" + (problem or ", ".join(failed_tests(tested.stdout))) +
                 "); see " + log)

    rows = []
    for name, rel, anchor, old, new in FAULTS:
        if args.only and args.only not in name:
            continue
        path = os.path.join(src, rel)
        original = open(path).read()
        try:
            at, line = locate(original, anchor, old)
            with open(path, "w") as f:
                f.write(original[:at] + new + original[at + len(old):])
            print("fault: %s (%s:%d) ..." % (name, rel, line), flush=True)
            tested, problem = build_and_test(src, build, args.jobs, log)
        finally:
            with open(path, "w") as f:
                f.write(original)
        if problem:
            rows.append((name, "%s:%d" % (rel, line), "n/a", problem))
        else:
            failed = failed_tests(tested.stdout)
            rows.append((name, "%s:%d" % (rel, line), "yes" if failed else "NO", ", ".join(failed) or "-"))
    print("restoring the scratch build ...", flush=True)
    run(["cmake", "--build", build, "-j", str(args.jobs)], src, log, check=False)

    headers = ("fault", "file:line", "caught", "failing tests")
    widths = [max(len(headers[i]), *(len(r[i]) for r in rows)) for i in range(3)]
    print()
    print(" | ".join(h.ljust(w) for h, w in zip(headers, widths + [0])))
    print("-|-".join("-" * w for w in widths + [13]))
    for r in rows:
        print(" | ".join(c.ljust(w) for c, w in zip(r, widths + [0])))
    return 0 if all(r[2] == "yes" for r in rows) else 1


if __name__ == "__main__":
    sys.exit(main())
