#!/usr/bin/env python3
# Side-by-side run of blocktide, Icarus Verilog and Verilator on the synthetic lane designs of
# gen_design.py: per size and activity, checks that the three agree on the outputs and prints
# time to first cycle, cycles per second, peak memory and our ratio to each peer.
#
# Times are CPU seconds (user + system, children included) from /usr/bin/time, so that other
# work on a shared machine does not skew them. Cycles per second come from two runs of each
# simulator, (N2 - N1) / (t2 - t1), which removes loading and compiling from the figure.
import argparse
import json
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
MAP = os.path.join(HERE, "compare_map.xml")
MODELS = os.path.join(HERE, "models.v")


class Timed:
    def __init__(self, cpu, rss_kb, out, ok):
        self.cpu, self.rss_kb, self.out, self.ok = cpu, rss_kb, out, ok


def timed(cmd, cwd, timeout):
    """Runs cmd under /usr/bin/time; CPU seconds, peak resident kB, standard output."""
    stats = os.path.join(cwd, ".time")
    try:
        proc = subprocess.run(["/usr/bin/time", "-f", "%U %S %M", "-o", stats] + cmd, cwd=cwd,
                              capture_output=True, text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return Timed(None, None, "", False)
    with open(stats) as f:
        user, system, rss = f.read().split()[-3:]
    ok = proc.returncode == 0
    if not ok:
        sys.stderr.write(f"failed: {' '.join(cmd)}\n{proc.stderr[-2000:]}\n")
    return Timed(float(user) + float(system), int(rss), proc.stdout, ok)


def ensure_peers(install):
    missing = [tool for tool in ("iverilog", "verilator") if shutil.which(tool) is None]
    if missing and install:
        sudo = [] if os.geteuid() == 0 else ["sudo"]
        subprocess.run(sudo + ["apt-get", "install", "-y", "-q"] + missing, check=False,
                       env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
    return {tool: shutil.which(tool) is not None for tool in ("iverilog", "verilator")}


def parse_sums(text):
    """sum_n and sum_w as integers from any of the three outputs."""
    for line in reversed(text.strip().splitlines()):
        if line.startswith("sum_n="):
            parts = dict(p.split("=") for p in line.split())
            return int(parts["sum_n"], 16), int(parts["sum_w"], 16)
        if line and line[0].isdigit():
            _, n, w = line.split(",")
            return int(n, 16), int(w, 16)
    return None


def write_stimulus(path, info, tag, cycles):
    act = info["activities"][tag]
    cols = ["seed"] + [f"en{k}" for k in range(info["words"])] + ["cycles"]
    values = [hex(info["seed"])] + [hex(v) for v in act["en_words"]]
    with open(path, "w") as f:
        f.write(",".join(cols) + "\n")
        f.write(",".join(values + ["0"]) + "\n")  # settle the inputs first, as the peers do
        if cycles:
            f.write(",".join(values + [str(cycles)]) + "\n")


def throughput(run, n1, t1, target, cap):
    """Cycles per second from runs of n1 and n1 + k cycles, growing k until the run takes about
    `target` CPU seconds; returns (rate, peak kB, outputs at n1 + k, n1 + k)."""
    k = 200
    while True:
        t = run(n1 + k)
        if t is None or not t.ok:
            return None, None, None, None
        dt = t.cpu - t1
        if dt >= target * 0.5 or n1 + k >= cap:
            return (k / dt if dt > 0 else float("inf")), t.rss_kb, parse_sums(t.out), n1 + k
        k = min(cap - n1, int(k * min(50.0, target / max(dt, 0.02))))


def main():
    ap = argparse.ArgumentParser(description="blocktide against Icarus Verilog and Verilator")
    ap.add_argument("--sizes", default="1000,10000,100000", help="primitives per design")
    ap.add_argument("--activities", default="1,0.1,0.01", help="fractions of lanes enabled")
    ap.add_argument("--work", default="/tmp/blocktide-compare", help="scratch directory")
    ap.add_argument("--blocktide", default=os.path.join(ROOT, "build", "blocktide"))
    ap.add_argument("--check-cycles", type=int, default=50, help="cycles of the agreement run")
    ap.add_argument("--target", type=float, default=3.0, help="CPU seconds per throughput run")
    ap.add_argument("--icarus-max-cycles", type=int, default=100000)
    ap.add_argument("--max-cycles", type=int, default=100000000)
    ap.add_argument("--verilator-max-prims", type=int, default=20000,
                    help="skip Verilator above this size (its compile grows steeply)")
    ap.add_argument("--compile-limit", type=float, default=900, help="seconds before a compile is given up")
    ap.add_argument("--no-install", action="store_true", help="do not apt-get missing peers")
    ap.add_argument("--families", default="lanes,sliced",
                    help="design families: lanes (16-bit enable inputs), sliced (enables sliced from 64-bit buses)")
    ap.add_argument("--json", help="also write the results here")
    args = ap.parse_args()

    peers = ensure_peers(not args.no_install)
    if not os.path.exists(args.blocktide):
        sys.exit(f"{args.blocktide} not found: build it first (cmake --build build --target blocktide_command)")
    rows, notes = [], []
    enable_bits = {"lanes": 16, "sliced": 64}
    for family, size in [(f, int(s)) for f in args.families.split(",") for s in args.sizes.split(",")]:
        d = os.path.join(args.work, f"{family}{size}")
        os.makedirs(d, exist_ok=True)
        subprocess.run([sys.executable, os.path.join(HERE, "gen_design.py"), "--prims", str(size),
                        "--activities", args.activities, "--enable-bits", str(enable_bits[family]), "--out", d],
                       check=True, capture_output=True)
        info = json.load(open(os.path.join(d, "info.json")))
        prims = info["primitives"]

        # Ours: import, then simulate from the SimDB file.
        imp = timed([args.blocktide, "import", "design.vo", MAP], d, args.compile_limit)
        ivl = ver = None
        if peers["iverilog"]:
            ivl = timed(["iverilog", "-g2005", "-o", "sim.vvp", "tb.v", "design.v", MODELS], d, args.compile_limit)
        if peers["verilator"] and size <= args.verilator_max_prims:
            ver = timed(["verilator", "--cc", "--exe", "--build", "-O3", "-x-assign", "fast", "-x-initial", "fast",
                         "-Wno-fatal", "-Wno-lint", "-Wno-style", "--top-module", info["module"], "-Mdir", "obj",
                         "design.v", MODELS, "tb_verilator.cpp", "-CFLAGS", "-O2", "-j", "2"], d, args.compile_limit)
            if not ver.ok:
                notes.append(f"{size}: Verilator compile failed or exceeded {args.compile_limit:.0f} s; skipped")
                ver = None
        elif peers["verilator"]:
            notes.append(f"{prims} primitives: Verilator skipped (compile grows beyond minutes at this size; "
                         f"--verilator-max-prims raises the limit)")

        for tag, act in info["activities"].items():
            inputs = os.path.join(d, f"inputs_{tag}.hex")

            def ours(n):
                stim = os.path.join(d, f"stim_{tag}_{n}.csv")
                write_stimulus(stim, info, tag, n)
                return timed([args.blocktide, "sim", "design.vo", "--stimulus", stim], d, 3600)

            def icarus(n):
                return timed(["vvp", "-n", "sim.vvp", f"+cycles={n}", f"+inputs={inputs}"], d, 3600)

            def verilator(n):
                return timed([os.path.join(d, "obj", "V" + info["module"]), str(n), inputs], d, 3600)

            row = {"family": family, "prims": prims, "activity": act["enabled_lanes"] / info["lanes"], "tag": tag}
            n1 = args.check_cycles
            first = ours(0)
            check = ours(n1)
            row["ours_import"] = imp.cpu
            row["ours_first"] = first.cpu
            row["ours_kb"] = first.rss_kb
            expected = parse_sums(check.out)
            rate, kb, _, _ = throughput(ours, n1, check.cpu, args.target, args.max_cycles)
            row["ours_rate"], row["ours_kb"] = rate, kb
            agree = []
            if ivl is not None and ivl.ok:
                load = icarus(0)
                c = icarus(n1)
                agree.append(parse_sums(c.out) == expected)
                row["ivl_first"] = ivl.cpu + load.cpu
                rate, kb, _, _ = throughput(icarus, n1, c.cpu, args.target, args.icarus_max_cycles)
                row["ivl_rate"], row["ivl_kb"] = rate, kb
            if ver is not None:
                c = verilator(n1)
                agree.append(parse_sums(c.out) == expected)
                row["ver_first"] = ver.cpu
                rate, kb, _, _ = throughput(verilator, n1, c.cpu, args.target, args.max_cycles)
                row["ver_rate"], row["ver_kb"] = rate, kb
            row["agree"] = all(agree) if agree else None
            rows.append(row)
            print_row(row, header=len(rows) == 1)
            sys.stdout.flush()
    for note in notes:
        print("note:", note)
    if args.json:
        with open(args.json, "w") as f:
            json.dump(rows, f, indent=1)


def fmt_rate(r):
    return "-" if r is None else f"{r:,.0f}"


def fmt_s(t):
    return "-" if t is None else f"{t:.2f}"


def fmt_mb(kb):
    return "-" if kb is None else f"{kb / 1024:.0f}"


def ratio(a, b):
    return "-" if a is None or b is None or b == 0 else f"{a / b:.2f}x"


def print_row(r, header):
    if header:
        print("| family | prims | active | agree | ours import / first cycle (s) | ours cyc/s | ours MB "
              "| Icarus compile+load (s) | Icarus cyc/s | Icarus MB | Verilator compile (s) | Verilator cyc/s "
              "| Verilator MB | ours/Icarus | ours/Verilator |")
        print("|---|---:|---:|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    agree = {True: "yes", False: "NO", None: "-"}[r["agree"]]
    print(f"| {r['family']} | {r['prims']:,} | {r['activity'] * 100:.1f}% | {agree} | {fmt_s(r['ours_import'])} / "
          f"{fmt_s(r['ours_first'])} | {fmt_rate(r['ours_rate'])} | {fmt_mb(r['ours_kb'])} "
          f"| {fmt_s(r.get('ivl_first'))} | {fmt_rate(r.get('ivl_rate'))} | {fmt_mb(r.get('ivl_kb'))} "
          f"| {fmt_s(r.get('ver_first'))} | {fmt_rate(r.get('ver_rate'))} | {fmt_mb(r.get('ver_kb'))} "
          f"| {ratio(r['ours_rate'], r.get('ivl_rate'))} | {ratio(r['ours_rate'], r.get('ver_rate'))} |")


if __name__ == "__main__":
    main()
