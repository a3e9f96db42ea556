#!/usr/bin/env bash
# Builds the library, the model libraries and the blocktide command (Release, build/), then
# imports and simulates the 40-bit multiply-accumulate example and prints its output CSV.
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
