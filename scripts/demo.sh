#!/usr/bin/env bash
# Builds the project (Release, build/) and runs the bundled demonstration.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target blocktide_demo >/dev/null
./build/tools/blocktide_demo
