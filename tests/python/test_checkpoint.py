"""Checkpoints from Python: save/restore between simulations, pickling into another process,
and refusals that leave the simulation as it was."""

import concurrent.futures
import multiprocessing
import os
import pickle
import shutil

import numpy as np
import pytest

import blocktide
from conftest import DEFAULT_MAP, SOURCE

SEED = 24


@pytest.fixture
def ram_fifo(tmp_path):
    """examples/ram_fifo: a RAM block (with its .mif contents) feeding a FIFO block."""
    example = os.path.join(SOURCE, "examples", "ram_fifo")
    for name in ("ram_fifo.vo", "ram_fifo.mif"):
        shutil.copy(os.path.join(example, name), tmp_path)
    netlist = str(tmp_path / "ram_fifo.vo")
    blocktide.import_design(netlist, DEFAULT_MAP, print_messages=False)
    return netlist


def random_inputs(sim, cycles, rng):
    return {port.name: rng.integers(0, 2 ** min(port.width, 8), cycles, dtype=np.uint64) for port in sim.inputs}


def signals_of(sim):
    return {name: sim.peek(name) for name in sim.signals}


def step_both(first, second, inputs):
    a, b = first.step(inputs, bit_masks=True), second.step(inputs, bit_masks=True)
    for name in a:
        for left, right in zip(a[name], b[name]):
            np.testing.assert_array_equal(left, right, err_msg=name)


def test_restored_simulation_continues_as_the_original(ram_fifo, tmp_path):
    print("seed", SEED)
    rng = np.random.default_rng(SEED)
    original = blocktide.Simulation(ram_fifo, print_messages=False)
    original.step(random_inputs(original, 50, rng))
    path = str(tmp_path / "half.state")
    original.save(path)
    restored = blocktide.Simulation(ram_fifo, print_messages=False)
    restored.restore(path)
    assert restored.cycle == original.cycle == 50
    assert signals_of(restored) == signals_of(original)
    step_both(original, restored, random_inputs(original, 50, rng))


def continue_pickled(pickled, inputs):
    sim = pickle.loads(pickled)
    return sim.cycle, sim.step(inputs, bit_masks=True)


def test_a_pickled_simulation_continues_in_another_process(ram_fifo):
    rng = np.random.default_rng(SEED)
    original = blocktide.Simulation(ram_fifo, print_messages=False)
    original.step(random_inputs(original, 30, rng))
    pickled = pickle.dumps(original)
    inputs = random_inputs(original, 30, rng)
    with concurrent.futures.ProcessPoolExecutor(1, mp_context=multiprocessing.get_context("spawn")) as pool:
        cycle, theirs = pool.submit(continue_pickled, pickled, inputs).result()
    assert cycle == 30
    ours = original.step(inputs, bit_masks=True)
    for name in ours:
        for left, right in zip(ours[name], theirs[name]):
            np.testing.assert_array_equal(left, right, err_msg=name)


def test_a_refused_checkpoint_raises_and_changes_nothing(ram_fifo, counter, tmp_path):
    rng = np.random.default_rng(SEED)
    source = blocktide.Simulation(ram_fifo, print_messages=False)
    source.step(random_inputs(source, 20, rng))
    path = str(tmp_path / "good.state")
    source.save(path)
    good = open(path, "rb").read()
    damaged = {"damaged": good[:-5] + bytes([good[-5] ^ 1]) + good[-4:], "truncated": good[: len(good) // 2]}
    for name, content in damaged.items():
        (tmp_path / name).write_bytes(content)
    sim = blocktide.Simulation(ram_fifo, print_messages=False)
    twin = blocktide.Simulation(ram_fifo, print_messages=False)
    inputs = random_inputs(sim, 5, rng)
    step_both(sim, twin, inputs)
    for name in damaged:
        with pytest.raises(blocktide.Error):
            sim.restore(str(tmp_path / name))
    other = blocktide.Simulation(counter, print_messages=False)
    with pytest.raises(blocktide.Error, match="another design"):
        other.restore(path)
    assert sim.cycle == twin.cycle
    assert signals_of(sim) == signals_of(twin)
    step_both(sim, twin, random_inputs(sim, 20, rng))
