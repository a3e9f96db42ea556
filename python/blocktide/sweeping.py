"""Sweeps: many independent simulations of one design, one per stimulus set, on a Dask
distributed cluster. Every task opens the design from its SimDB file, sent to the workers as
bytes, so the workers need no shared file system; results come back in the order of the
stimuli. A worker that dies mid-sweep loses nothing: Dask runs its tasks again elsewhere.

From the command line (also `blocktide sweep`):

    python3 -m blocktide.sweeping DESIGN.vo STIM.csv... [--scheduler ADDRESS] [--outputs a,b]
                               [--out-dir DIR]

writes, per stimulus file, the CSV that `blocktide sim --stimulus` prints for it to
DIR/<stimulus name>.out.csv (DIR: beside each stimulus file by default).
"""

import argparse
import functools
import os
import sys
import tempfile
import warnings

import numpy as np

from ._blocktide import Error, Simulation, read_stimulus


def load_stimulus(path):
    """Reads a stimulus CSV as the command does; returns ({input: [value per cycle]}, line ends),
    where line_ends[i] is the number of cycles run when line i has finished."""
    names, lines = read_stimulus(os.fspath(path))
    columns = {name: [] for name in names}
    ends = []
    for line, (cycles, values) in enumerate(lines, start=2):
        if cycles < 1:
            raise Error(f"{path}: line {line} runs {cycles} cycles; a sweep steps whole cycles")
        for name, value in zip(names, values):
            columns[name].extend([value] * cycles)
        ends.append((ends[-1] if ends else 0) + cycles)
    return columns, ends


def _prepared(sim, columns):
    """Columns of Python integers as step() wants them at each input's width (negative values as
    their two's complement)."""
    widths = {port.name: port.width for port in sim.inputs}
    prepared = {}
    for name, values in columns.items():
        if name not in widths:
            raise Error(f"'{name}' is not a design input")
        if isinstance(values, np.ndarray) or widths[name] > 64:
            prepared[name] = values
        else:
            prepared[name] = np.array([int(v) & 0xFFFFFFFFFFFFFFFF for v in values], dtype=np.uint64)
    return prepared


def simulate(simdb, design_name, columns, outputs=None, bit_masks=False, state=None):
    """One task: opens the design from its SimDB bytes in a scratch directory, restores the
    checkpoint bytes `state` when given, and steps it through the columns; returns what
    Simulation.step returns."""
    with tempfile.TemporaryDirectory(prefix="blocktide_sweep_") as directory:
        design = os.path.join(directory, design_name)
        with open(design + ".simdb", "wb") as file:
            file.write(simdb)
        sim = Simulation(design, print_messages=False, report_undefined_reads=False)
        if state is not None:
            with open(design + ".state", "wb") as file:
                file.write(state)
            sim.restore(design + ".state")
        return sim.step(_prepared(sim, columns), outputs, bit_masks)


def sweep(design, stimuli, outputs=None, client=None, task=simulate, start=None):
    """Simulates the design (the netlist path whose SimDB file the import wrote) once per
    stimulus set and returns the results in the same order, each a dict of output arrays as
    Simulation.step returns them.

    A stimulus set is a dict of input arrays (as step takes them) or the path of a stimulus CSV.
    client is a dask.distributed Client; without one, the sweep starts a local cluster of one
    worker process per core and closes it at the end. start is a checkpoint (the path
    Simulation.save wrote for this design) every simulation starts from.
    """
    with open(os.fspath(design) + ".simdb", "rb") as file:
        simdb = file.read()
    state = None
    if start is not None:
        with open(os.fspath(start), "rb") as file:
            state = file.read()
    name = os.path.basename(os.fspath(design))
    sets = [load_stimulus(s)[0] if isinstance(s, (str, os.PathLike)) else s for s in stimuli]

    own_cluster = None
    if client is None:
        from distributed import Client, LocalCluster

        own_cluster = LocalCluster(n_workers=os.cpu_count() or 1, threads_per_worker=1, processes=True,
                                   dashboard_address=None)
        client = Client(own_cluster)
    try:
        shared = client.scatter(simdb, broadcast=True, hash=False)
        # Only a sweep from a checkpoint hands one to its tasks: custom tasks need not take it.
        extra = {} if state is None else {"state": client.scatter(state, broadcast=True, hash=False)}
        # Each set travels inside its task rather than scattered: a task can then run again on
        # any worker when the one holding it dies, which a scattered set (with no recipe to
        # make it again) would not survive. Dask warns about large tasks; that is the price.
        with warnings.catch_warnings():
            warnings.filterwarnings("ignore", message="Large object", category=UserWarning)
            futures = [client.submit(task, shared, name, columns, outputs, pure=False, **extra) for columns in sets]
        return client.gather(futures)
    finally:
        if own_cluster is not None:
            client.close()
            own_cluster.close()


def _hex(value, undefined, width):
    """A value as the command prints it: hexadecimal digits, X for a digit with an undefined bit."""
    digits = (width + 3) // 4
    text = []
    for d in reversed(range(digits)):
        if (int(undefined) >> (4 * d)) & 0xF:
            text.append("X")
        else:
            text.append("0123456789ABCDEF"[(int(value) >> (4 * d)) & 0xF])
    return "".join(text)


def _main(argv=None):
    parser = argparse.ArgumentParser(prog="blocktide sweep",
                                     description="Simulate one design for many stimulus files on a Dask cluster")
    parser.add_argument("design", help="the design's netlist path (reads DESIGN.vo.simdb)")
    parser.add_argument("stimuli", nargs="+", help="stimulus CSV files")
    parser.add_argument("--scheduler", help="address of a Dask scheduler (default: a local cluster)")
    parser.add_argument("--outputs", help="comma-separated outputs to show (default: all)")
    parser.add_argument("--out-dir", help="where the output CSVs go (default: beside each stimulus)")
    args = parser.parse_args(argv)

    try:
        local = Simulation(args.design, print_messages=False)
        widths = {port.name: port.width for port in local.outputs}
        outputs = [name for name in args.outputs.split(",") if name] if args.outputs else list(widths)
        for name in outputs:
            if name not in widths:
                raise Error(f"'{name}' is not a design output")
        ends = [load_stimulus(path)[1] for path in args.stimuli]
        client = None
        if args.scheduler:
            from distributed import Client

            client = Client(args.scheduler)
        task = functools.partial(simulate, bit_masks=True)
        results = sweep(args.design, args.stimuli, outputs, client, task=task)
        if client is not None:
            client.close()
    except (Error, OSError) as failure:
        print(f"blocktide: {failure}", file=sys.stderr)
        return 1

    for path, line_ends, result in zip(args.stimuli, ends, results):
        base = os.path.splitext(os.path.basename(path))[0]
        directory = args.out_dir or os.path.dirname(os.path.abspath(path))
        target = os.path.join(directory, base + ".out.csv")
        with open(target, "w") as out:
            out.write(",".join(["cycle"] + list(result)) + "\n")
            for end in line_ends:
                row = [str(end)]
                for name, (values, undefined) in result.items():
                    row.append(_hex(values[end - 1], undefined[end - 1], widths[name]))
                out.write(",".join(row) + "\n")
        print(target)
    return 0


if __name__ == "__main__":
    sys.exit(_main())
