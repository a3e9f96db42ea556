#!/usr/bin/env bash
# The long soak of the reference tests: builds reference_soak (Release) and runs many seeds
# of every profile through the real system and the reference model. Each failing seed is
# printed shrunk to a small netlist and stimulus; the run fails when any seed fails.
#   scripts/reference_soak.sh [SEEDS_PER_PROFILE] [FIRST_SEED]     (defaults 5000 and 100000)
set -euo pipefail
cd "$(dirname "$0")/.."
seeds=${1:-5000}
first=${2:-100000}
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target reference_soak >/dev/null
status=0
for profile in designs registers networks selection; do
  build/tests/reference_soak --profile "$profile" --first "$first" --seeds "$seeds" || status=1
done
exit $status
