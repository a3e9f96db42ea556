#!/usr/bin/env python3
"""Speed of Blocktide against Icarus Verilog on designs imported from RTL.

For each design: `blocktide import DESIGN.v --top NAME`, then `blocktide sim` on a random
stimulus of one line per cycle; Icarus compiles the same RTL with a testbench that reads the
same stimulus ($readmemh) and prints the same output every cycle. Both print one output per
cycle, so both pay for their output. Times are CPU seconds of the child processes. Designs:
the processor and the filter of tests/verilog/data, and LANES copies of the filter side by
side (generated), each on its own input, for a larger design.

    cmake --build build -j2 --target blocktide_command
    python3 bench/verilog/rtl_speed.py [--cycles 100000] [--lanes 64]
"""
import argparse
import os
import random
import resource
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BLOCKTIDE = os.path.join(ROOT, "build", "blocktide")


def cpu_seconds(command, cwd, stdout=subprocess.DEVNULL):
    """Runs the command; the CPU seconds it used (user + system) and its wall seconds."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run(command, cwd=cwd, check=True, stdout=stdout, stderr=subprocess.PIPE)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime), wall


def lanes_design(lanes):
    """LANES filters, each fed a rotated copy of the input, their outputs XOR-ed together."""
    with open(os.path.join(ROOT, "tests", "verilog", "data", "dsp.v")) as f:
        dsp = f.read()
    return dsp + f"""
module lanes (input clk, input rst, input en, input clear, input signed [11:0] x,
              output [15:0] y, output [47:0] energy);
  wire [15:0] fold_y [0:{lanes}];
  wire [47:0] fold_e [0:{lanes}];
  assign fold_y[0] = 16'd0;
  assign fold_e[0] = 48'd0;
  genvar i;
  generate for (i = 0; i < {lanes}; i = i + 1) begin : lane
    wire signed [11:0] xi = x ^ (i * 12'd37);  // a different input for every lane
    wire [15:0] yi;
    wire [47:0] ei;
    wire saturated;
    wire [2:0] valid;
    dsp filter (.clk(clk), .rst(rst), .en(en), .clear(clear), .x(xi), .y(yi), .energy(ei),
                .saturated(saturated), .valid(valid));
    assign fold_y[i + 1] = fold_y[i] ^ yi;
    assign fold_e[i + 1] = fold_e[i] ^ ei;
  end endgenerate
  assign y = fold_y[{lanes}];
  assign energy = fold_e[{lanes}];
endmodule
"""


DESIGNS = {
    "cpu": {"inputs": {"rst": 1, "in_port": 8}, "shown": "out_port", "resets": ["rst"]},
    "dsp": {"inputs": {"rst": 1, "en": 1, "clear": 1, "x": 12}, "shown": "y", "resets": ["rst", "clear"]},
    "lanes": {"inputs": {"rst": 1, "en": 1, "clear": 1, "x": 12}, "shown": "y", "resets": ["rst", "clear"]},
}


def stimulus(inputs, resets, cycles, seed):
    rng = random.Random(seed)
    rows = []
    for cycle in range(cycles):
        row = {}
        for name, width in inputs.items():
            if name in resets:
                row[name] = 1 if cycle < 2 or rng.randrange(5000) == 0 else 0
            else:
                row[name] = rng.getrandbits(width)
        rows.append(row)
    return rows


def testbench(top, inputs, shown, cycles):
    lines = ["`timescale 1ns/1ns", "module bench_tb;", "  reg clk;"]
    for name, width in inputs.items():
        lines.append(f"  reg [{width - 1}:0] {name}; reg [{width - 1}:0] s_{name} [0:{cycles - 1}];")
    lines.append(f"  wire [63:0] shown;")
    ports = ", ".join([".clk(clk)"] + [f".{n}({n})" for n in inputs] + [f".{shown}(shown)"])
    lines.append(f"  {top} dut ({ports});")
    lines.append("  integer k;")
    lines.append("  initial begin")
    for name in inputs:
        lines.append(f'    $readmemh("s_{name}.hex", s_{name});')
    lines.append(f"    for (k = 0; k < {cycles}; k = k + 1) begin")
    lines.append("      clk = 1; #1;")
    for name in inputs:
        lines.append(f"      {name} = s_{name}[k];")
    lines.append('      #4 $display("%h", shown); clk = 0; #5;')
    lines.append("    end")
    lines.append("    $finish;")
    lines.append("  end")
    lines.append("endmodule")
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cycles", type=int, default=100000)
    parser.add_argument("--lanes", type=int, default=64)
    parser.add_argument("--designs", default="cpu,dsp,lanes")
    args = parser.parse_args()
    for tool in ("yosys", "iverilog", "vvp"):
        if shutil.which(tool) is None:
            sys.exit(f"{tool} is missing: apt-get install yosys iverilog")
    print(f"{'design':8} {'nodes':>6} {'import s':>9} {'blocktide cycles/s':>19} "
          f"{'icarus compile s':>17} {'icarus cycles/s':>16} {'ratio':>6}")
    for top in args.designs.split(","):
        setup = DESIGNS[top]
        with tempfile.TemporaryDirectory() as work:
            source = os.path.join(work, top + ".v")
            if top == "lanes":
                with open(source, "w") as f:
                    f.write(lanes_design(args.lanes))
            else:
                shutil.copy(os.path.join(ROOT, "tests", "verilog", "data", top + ".v"), source)
            rows = stimulus(setup["inputs"], setup["resets"], args.cycles, seed=7)
            with open(os.path.join(work, "stim.csv"), "w") as f:
                f.write(",".join(setup["inputs"]) + "\n")
                for row in rows:
                    f.write(",".join(str(row[n]) for n in setup["inputs"]) + "\n")
            for name, width in setup["inputs"].items():
                with open(os.path.join(work, f"s_{name}.hex"), "w") as f:
                    f.write("\n".join(format(row[name], "x") for row in rows) + "\n")
            import_cpu, _ = cpu_seconds([BLOCKTIDE, "import", source, "--top", top, "--write-vo", "design.vo"], work)
            with open(os.path.join(work, "design.vo")) as f:
                nodes = sum(1 for line in f if line.startswith(("bt_", "lpm_")))
            sim_cpu, _ = cpu_seconds([BLOCKTIDE, "sim", source, "--stimulus", "stim.csv", "--outputs", setup["shown"],
                                      "--out", os.path.join(work, "out.csv")], work)
            with open(os.path.join(work, "tb.v"), "w") as f:
                f.write(testbench(top, setup["inputs"], setup["shown"], args.cycles))
            compile_cpu, _ = cpu_seconds(["iverilog", "-g2012", "-o", "tb.vvp", "tb.v", source], work)
            icarus_cpu, _ = cpu_seconds(["vvp", "-n", "tb.vvp"], work)
            ours = args.cycles / sim_cpu
            theirs = args.cycles / icarus_cpu
            print(f"{top:8} {nodes:6d} {import_cpu:9.2f} {ours:19,.0f} {compile_cpu:17.2f} {theirs:16,.0f} "
                  f"{ours / theirs:5.1f}x")


if __name__ == "__main__":
    main()
