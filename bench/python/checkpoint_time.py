"""Times a checkpoint of a large design: save after some random cycles, then restore into a
fresh simulation; prints the checkpoint's size and both times (best of a few runs).

    PYTHONPATH=build/python /usr/bin/python3 bench/python/checkpoint_time.py DESIGN.vo
(DESIGN.vo imported first, e.g. a bench/compare/gen_design.py design of 100,000 primitives).
"""

import os
import sys
import tempfile
import time

import numpy as np

import blocktide
from timing import best_of


def main():
    design = sys.argv[1]
    cycles = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    rng = np.random.default_rng(24)
    begin = time.perf_counter()
    sim = blocktide.Simulation(design, print_messages=False)
    opened = time.perf_counter() - begin
    sim.step({p.name: rng.integers(0, 2 ** min(p.width, 63), cycles, dtype=np.uint64) for p in sim.inputs})
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "state")
        save = best_of(3, lambda: sim.save(path))
        size = os.path.getsize(path)
        fresh = blocktide.Simulation(design, print_messages=False)
        restore = best_of(3, lambda: fresh.restore(path))
        assert all(fresh.read(p.name) == sim.read(p.name) for p in sim.outputs)
    print(f"design {design}: {len(sim.signals)} signals, opened in {opened:.2f} s")
    print(f"checkpoint {size:,} bytes; save {save * 1000:.0f} ms, restore {restore * 1000:.0f} ms")


if __name__ == "__main__":
    main()
