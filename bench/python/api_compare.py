#!/usr/bin/python3
"""Times the Python module against the C++ interface in one run, on the accumulator example
(examples/octave): a 100,000-cycle step from Python against BM_Step100k of bench/api_bench,
and a sweep of 16 stimulus sets on a local Dask cluster of one worker against two.

    PYTHONPATH=build/python /usr/bin/python3 bench/python/api_compare.py [--build build]
"""

import argparse
import json
import os
import shutil
import subprocess
import tempfile
import time

import numpy as np

import blocktide
from timing import best_of

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(SOURCE, "build"))
    parser.add_argument("--sweep-cycles", type=int, default=2_000_000)
    args = parser.parse_args()

    directory = tempfile.mkdtemp(prefix="blocktide_api_compare_")
    example = os.path.join(SOURCE, "examples", "octave")
    netlist = os.path.join(directory, "accumulator.vo")
    shutil.copy(os.path.join(example, "accumulator.vo"), netlist)
    blocktide.import_design(netlist, os.path.join(example, "accumulator_map.xml"), print_messages=False)

    sim = blocktide.Simulation(netlist, print_messages=False)
    steps = (np.arange(100_000, dtype=np.uint64) % 7)
    python_step = best_of(20, lambda: sim.step({"step": steps}, ["level"]))

    bench = subprocess.run([os.path.join(args.build, "bench", "api_bench"), "--benchmark_filter=Step100k",
                            "--benchmark_format=json", "--benchmark_repetitions=5"],
                           capture_output=True, text=True, check=True)
    runs = [b for b in json.loads(bench.stdout)["benchmarks"] if b.get("run_type") == "iteration"]
    cpp_step = min(b["real_time"] for b in runs) / 1000.0  # ms -> s

    print(f"100,000-cycle step: Python {python_step * 1e3:.1f} ms, C++ {cpp_step * 1e3:.1f} ms, "
          f"ratio {python_step / cpp_step:.2f}x")

    from distributed import Client, LocalCluster

    sets = [{"step": np.full(args.sweep_cycles, k % 5 + 1, dtype=np.uint64)} for k in range(16)]
    timings = {}
    for workers in (1, 2):
        with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                          dashboard_address=None) as cluster, Client(cluster) as client:
            blocktide.sweep(netlist, sets[:2], ["level"], client=client)  # workers warm
            begin = time.perf_counter()
            blocktide.sweep(netlist, sets, ["level"], client=client)
            timings[workers] = time.perf_counter() - begin
    print(f"sweep of 16 sets x {args.sweep_cycles:,} cycles: 1 worker {timings[1]:.2f} s, "
          f"2 workers {timings[2]:.2f} s, speed-up {timings[1] / timings[2]:.2f}x")
    shutil.rmtree(directory)


if __name__ == "__main__":
    main()
