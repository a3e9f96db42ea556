#!/usr/bin/env python3
# Synthetic comparison designs: pipelined lanes of adders, shifters, comparators,
# multiplexers, parity gates and registers with enables, summed by adder trees. Emits the
# same design as our netlist (.vo, read with compare_map.xml) and as plain Verilog that
# instantiates the behavioural models of models.v, with the drivers of all three simulators.
#
# Every lane counts up by a lane constant while its enable bit is set and stands still
# otherwise, so the set of enabled lanes fixes the fraction of logic that toggles per cycle.
# The enables are bits of 16-bit inputs ("lanes"), or of 64-bit inputs ("sliced", --enable-bits
# 64): there every register enable is a concatenation of one-bit slices of a bus wider than a
# word, as synthesised netlists write them.
import argparse
import json
import os
import random

NARROW = 16  # bits of a narrow lane (32-bit word paths)
WIDE = 48    # bits of a wide lane (wide-value paths)
SEED_BITS = 64


class Netlist:
    """Collects instances once and writes them in both dialects."""

    def __init__(self):
        self.wires = []      # (name, width)
        self.instances = []  # (type, name, [(port, expr)], {param: value})

    def wire(self, name, width):
        self.wires.append((name, width))
        return name

    def inst(self, kind, name, conns, params=None):
        self.instances.append((kind, name, conns, params or {}))


def rng(name, width, low=0):
    return f"{name}[{low + width - 1}:{low}]"


def enable_words(lanes, activity, bits):
    """The enable input words for a fraction of lanes, spread evenly; at least one lane."""
    enabled = max(1, round(lanes * activity))
    on = sorted({int(i * lanes / enabled) for i in range(enabled)})
    words = [0] * ((lanes + bits - 1) // bits)
    for lane in on:
        words[lane // bits] |= 1 << (lane % bits)
    return words, len(on)


def build(prims, stages, wide_every, enable_bits):
    per_lane = 4 + 8 * stages + 1  # the lane itself plus its share of the summing tree
    lanes = max(2, round(prims / per_lane))
    words = (lanes + enable_bits - 1) // enable_bits

    n = Netlist()
    outs = {NARROW: [], WIDE: []}
    for lane in range(lanes):
        w = WIDE if (lane % wide_every) == wide_every - 1 else NARROW
        p = f"l{lane}_"
        en = f"en{lane // enable_bits}[{lane % enable_bits}]"
        seed = rng("seed", w, (lane * 7) % (SEED_BITS - w + 1))
        if enable_bits > 32:
            # Each register enable bit is its own slice of the wide bus, as synthesis writes it.
            lane_enable = "{" + ", ".join([en] * w) + "}"
        else:
            # An arithmetic right shift by 0 replicates the enable bit across the lane width.
            ena = n.wire(p + "ena", w)
            n.inst("bt_shr", p + "rep", [("datain", en), ("amount", "1'b0"), ("fillin", "1'b0"),
                                         ("dataout", rng(ena, w))],
                   {"width_in": 1, "width_amount": 1, "width_out": w, "fill": 1})
            lane_enable = rng(ena, w)
        cnt = n.wire(p + "cnt", w)
        nxt = n.wire(p + "nxt", w)
        n.inst("bt_add", p + "inc", [("dataa", rng(cnt, w)), ("datab", seed), ("cin", "1'b1"),
                                     ("dataout", rng(nxt, w))], {"width": w})
        n.inst("bt_dffe", p + "cnt_r", [("clk", "clk"), ("datain", rng(nxt, w)), ("ena", lane_enable),
                                        ("dataout", rng(cnt, w))], {"array_width": w})
        x, y, par = rng(cnt, w), seed, "1'b0"
        y_low3 = seed.split("[")[0] + "[" + str(int(seed.split(":")[1][:-1]) + 2) + ":" + seed.split(":")[1]
        for s in range(stages):
            q = f"{p}s{s}_"
            a = n.wire(q + "a", w)
            r = n.wire(q + "r", w)
            c = n.wire(q + "c", 1)
            m = n.wire(q + "m", w)
            pb = n.wire(q + "p", 1)
            xr = n.wire(q + "x", w)
            yr = n.wire(q + "y", w)
            pr = n.wire(q + "pr", 1)
            n.inst("bt_add", q + "add", [("dataa", x), ("datab", y), ("cin", par), ("dataout", rng(a, w))],
                   {"width": w})
            n.inst("bt_shl", q + "shl", [("datain", x), ("amount", y_low3), ("fillin", "1'b0"),
                                         ("dataout", rng(r, w))],
                   {"width_in": w, "width_amount": 3, "width_out": w, "fill": 0})
            n.inst("bt_cmple", q + "cmp", [("dataa", rng(a, w)), ("datab", rng(r, w)), ("equ_ok", par),
                                           ("out", c)], {"width": w})
            mux = "bt_mux" if w < 32 else "bt_busmux"
            n.inst(mux, q + "mux", [("dataa", rng(r, w)), ("datab", rng(a, w)), ("sel", c),
                                    ("dataout", rng(m, w))], {"width": w})
            n.inst("bt_xor", q + "par", [("datain", rng(m, w)), ("dataout", pb)], {"width_datain": w})
            n.inst("bt_dffe", q + "x_r", [("clk", "clk"), ("datain", rng(m, w)), ("ena", lane_enable),
                                          ("dataout", rng(xr, w))], {"array_width": w})
            n.inst("bt_dffe", q + "y_r", [("clk", "clk"), ("datain", rng(a, w)), ("ena", lane_enable),
                                          ("dataout", rng(yr, w))], {"array_width": w})
            n.inst("bt_dffe1", q + "p_r", [("clk", "clk"), ("datain", pb), ("ena", en), ("dataout", pr)])
            x, y, par = rng(xr, w), rng(yr, w), pr
            y_low3 = f"{yr}[2:0]"
        o = n.wire(p + "out", w)
        n.inst("bt_add", p + "fin", [("dataa", x), ("datab", y), ("cin", par), ("dataout", rng(o, w))], {"width": w})
        outs[w].append(o)

    # Balanced adder trees, one per lane width, down to one design output each.
    results = {}
    for w, level in outs.items():
        depth = 0
        while len(level) > 1:
            nxt_level = []
            for k in range(0, len(level) - 1, 2):
                t = n.wire(f"t{w}_{depth}_{k // 2}", w)
                n.inst("bt_add", f"t{w}_{depth}_{k // 2}_add",
                       [("dataa", rng(level[k], w)), ("datab", rng(level[k + 1], w)), ("cin", "1'b0"),
                        ("dataout", rng(t, w))], {"width": w})
                nxt_level.append(t)
            if len(level) % 2:
                nxt_level.append(level[-1])
            level = nxt_level
            depth += 1
        results[w] = level[0] if level else None
    info = {"lanes": lanes, "words": words, "primitives": len(n.instances), "stages": stages,
            "enable_bits": enable_bits}
    return n, results, info


def activity_tag(fraction):
    return f"{fraction * 100:g}pct"


def port_list(words):
    return ["clk", "seed"] + [f"en{k}" for k in range(words)] + ["sum_n", "sum_w"]


def write_vo(path, n, results, info, module):
    words = info["words"]
    with open(path, "w") as f:
        f.write(f"// Synthetic lanes design: {info['primitives']} primitives, {info['lanes']} lanes\n")
        f.write(f"module {module} ({', '.join(port_list(words))});\n")
        f.write("input clk;\n")
        f.write(f"input [{SEED_BITS - 1}:0] seed;\n")
        for k in range(words):
            f.write(f"input [{info['enable_bits'] - 1}:0] en{k};\n")
        f.write(f"output [{NARROW - 1}:0] sum_n;\noutput [{WIDE - 1}:0] sum_w;\n")
        for name, width in n.wires:
            f.write(f"wire [{width - 1}:0] {name};\n" if width > 1 else f"wire {name};\n")
        for kind, name, conns, params in n.instances:
            body = ", ".join(f".{port}({expr})" for port, expr in conns)
            f.write(f"{kind} {name} ({body});\n")
            if params:
                f.write("defparam " + ", ".join(f"{name}.{k} = {v}" for k, v in params.items()) + ";\n")
        for w, out in ((NARROW, "sum_n"), (WIDE, "sum_w")):
            src = results[w]
            f.write(f"assign {out} = {rng(src, w) if src else str(w) + chr(39) + 'b0'};\n")
        f.write("endmodule\n")


def write_v(path, n, results, info, module):
    words = info["words"]
    with open(path, "w") as f:
        f.write(f"// Synthetic lanes design for the Verilog simulators (models in models.v)\n")
        f.write(f"module {module} ({', '.join(port_list(words))});\n")
        f.write("input clk;\n")
        f.write(f"input [{SEED_BITS - 1}:0] seed;\n")
        for k in range(words):
            f.write(f"input [{info['enable_bits'] - 1}:0] en{k};\n")
        f.write(f"output [{NARROW - 1}:0] sum_n;\noutput [{WIDE - 1}:0] sum_w;\n")
        for name, width in n.wires:
            f.write(f"wire [{width - 1}:0] {name};\n" if width > 1 else f"wire {name};\n")
        for kind, name, conns, params in n.instances:
            ps = ""
            if params:
                ps = " #(" + ", ".join(f".{k}({v})" for k, v in params.items()) + ")"
            body = ", ".join(f".{port}({expr})" for port, expr in conns)
            f.write(f"{kind}{ps} {name} ({body});\n")
        for w, out in ((NARROW, "sum_n"), (WIDE, "sum_w")):
            src = results[w]
            f.write(f"assign {out} = {src if src else 0};\n")
        f.write("endmodule\n")


def write_tb(path, info, module):
    words = info["words"]
    with open(path, "w") as f:
        f.write("// Icarus testbench: the inputs, a settle, then +cycles=N clock edges; prints the sums.\n")
        f.write("`timescale 1ns/1ns\nmodule tb;\nreg clk = 0;\n")
        f.write(f"reg [{SEED_BITS - 1}:0] seed;\n")
        for k in range(words):
            f.write(f"reg [{info['enable_bits'] - 1}:0] en{k};\n")
        f.write(f"wire [{NARROW - 1}:0] sum_n;\nwire [{WIDE - 1}:0] sum_w;\n")
        conns = ", ".join(f".{p}({p})" for p in port_list(words))
        f.write(f"{module} dut ({conns});\n")
        f.write(f"reg [63:0] inputs [0:{words}];\nreg [8*512:1] path;\n")
        f.write("integer cycles, i;\ninitial begin\n")
        f.write("  if (!$value$plusargs(\"cycles=%d\", cycles)) cycles = 10;\n")
        f.write("  if (!$value$plusargs(\"inputs=%s\", path)) path = \"inputs.hex\";\n")
        f.write("  $readmemh(path, inputs);\n  seed = inputs[0];\n")
        for k in range(words):
            f.write(f"  en{k} = inputs[{k + 1}];\n")
        f.write("  #1;\n  for (i = 0; i < cycles; i = i + 1) begin\n    clk = 1; #1; clk = 0; #1;\n  end\n")
        f.write("  $display(\"sum_n=%h sum_w=%h\", sum_n, sum_w);\n  $finish;\nend\nendmodule\n")


def write_verilator_main(path, info, module):
    words = info["words"]
    with open(path, "w") as f:
        f.write("// Verilator driver: the inputs, a settle, then N clock edges (argv[1]); prints the sums.\n")
        f.write(f"#include <cstdio>\n#include <cstdlib>\n#include \"V{module}.h\"\n#include \"verilated.h\"\n")
        f.write("int main(int argc, char** argv) {\n")
        f.write("    long long cycles = argc > 1 ? atoll(argv[1]) : 10;\n")
        f.write("    FILE* in = fopen(argc > 2 ? argv[2] : \"inputs.hex\", \"r\");\n")
        f.write(f"    unsigned long long v[{words + 1}] = {{0}};\n")
        f.write(f"    for (int i = 0; in && i < {words + 1}; ++i) if (fscanf(in, \"%llx\", &v[i]) != 1) break;\n")
        f.write("    if (in) fclose(in);\n")
        f.write("    VerilatedContext context;\n")
        f.write(f"    V{module} top(&context);\n")
        f.write("    top.clk = 0;\n    top.seed = v[0];\n")
        for k in range(words):
            f.write(f"    top.en{k} = v[{k + 1}];\n")
        f.write("    top.eval();\n")
        f.write("    for (long long i = 0; i < cycles; ++i) { top.clk = 1; top.eval(); top.clk = 0; top.eval(); }\n")
        f.write("    printf(\"sum_n=%04x sum_w=%012llx\\n\", (unsigned)top.sum_n, (unsigned long long)top.sum_w);\n")
        f.write("    top.final();\n    return 0;\n}\n")


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--prims", type=int, default=1000, help="approximate number of primitives")
    ap.add_argument("--activities", default="1,0.1,0.01",
                    help="comma-separated fractions of lanes enabled; one inputs file each")
    ap.add_argument("--stages", type=int, default=3, help="pipeline stages per lane")
    ap.add_argument("--wide-every", type=int, default=8, help="every n-th lane is 48 bits wide")
    ap.add_argument("--enable-bits", type=int, default=16, choices=(16, 64),
                    help="width of the enable inputs (64: lanes read slices of wide buses)")
    ap.add_argument("--out", required=True, help="output directory")
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    module = "synth_lanes"
    seed = random.Random(args.prims).getrandbits(SEED_BITS)
    n, results, info = build(args.prims, args.stages, args.wide_every, args.enable_bits)
    info["seed"] = seed
    info["module"] = module
    info["activities"] = {}
    for text in args.activities.split(","):
        words, enabled = enable_words(info["lanes"], float(text), args.enable_bits)
        tag = activity_tag(float(text))
        info["activities"][tag] = {"fraction": float(text), "enabled_lanes": enabled, "en_words": words}
        with open(os.path.join(args.out, f"inputs_{tag}.hex"), "w") as f:
            f.write("\n".join([f"{seed:016x}"] + [f"{v:0{args.enable_bits // 4}x}" for v in words]) + "\n")
    write_vo(os.path.join(args.out, "design.vo"), n, results, info, module)
    write_v(os.path.join(args.out, "design.v"), n, results, info, module)
    write_tb(os.path.join(args.out, "tb.v"), info, module)
    write_verilator_main(os.path.join(args.out, "tb_verilator.cpp"), info, module)
    with open(os.path.join(args.out, "info.json"), "w") as f:
        json.dump(info, f)
    print(json.dumps({k: info[k] for k in ("primitives", "lanes")}))


if __name__ == "__main__":
    main()
