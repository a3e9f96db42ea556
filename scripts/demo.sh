#!/usr/bin/env bash
# Builds the library, the model libraries and the blocktide command (Release, build/), then
# imports and simulates the 40-bit multiply-accumulate example and prints its output CSV; then
# imports a FIR filter from its Verilog RTL through yosys and prints its impulse and step
# responses.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target blocktide blocktide_command >/dev/null

# The import writes its SimDB file next to the netlist: work on a copy.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp examples/mac40/mac40.vo examples/mac40/mac40_stimulus.csv "$work"/
./build/blocktide import "$work/mac40.vo" maps/blocktide_map.xml >/dev/null
echo "examples/mac40: acc, carry and product of a 40-bit multiply-accumulate, per cycle"
./build/blocktide sim "$work/mac40.vo" --stimulus "$work/mac40_stimulus.csv"

cp examples/verilog/fir4.v examples/verilog/fir4_stimulus.csv "$work"/
./build/blocktide import "$work/fir4.v" --top fir4 >/dev/null
echo
echo "examples/verilog: a four-tap FIR filter imported from Verilog RTL; impulse, then steps"
./build/blocktide sim "$work/fir4.v" --stimulus "$work/fir4_stimulus.csv"
