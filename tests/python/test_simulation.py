"""The Python module on real designs: import results, integers of any width with their
undefined bits, step against cycle-by-cycle writes and reads, failures as blocktide.Error, and
the GIL left free while a step runs."""

import random
import threading

import numpy as np
import pytest

import blocktide
from conftest import DEFAULT_MAP


def test_import_answers_ports_clocks_and_messages(counter, tmp_path):
    design = blocktide.import_design(counter, DEFAULT_MAP, print_messages=False)
    assert design.module_name == "counter"
    assert [(p.name, p.width, p.direction) for p in design.inputs] == [("en", 1, "input"), ("clr", 1, "input")]
    assert [p.name for p in design.outputs] == ["count", "wrap"]
    assert design.clocks == ["clk"]

    broken = tmp_path / "broken.vo"
    broken.write_text("module broken (a);\ninput a;\nwire w\nendmodule\n")
    with pytest.raises(blocktide.Error, match="broken.vo"):
        blocktide.import_design(str(broken), DEFAULT_MAP, print_messages=False)


def test_integers_of_any_width_round_trip_with_their_undefined_bits(widepath):
    sim = blocktide.Simulation(widepath, print_messages=False)
    assert [p.name for p in sim.inputs] == ["a", "b", "c", "x", "y"]
    a = (1 << 99) + 5
    sim.write("a", a)
    sim.write("b", -1)  # two's complement: 2^100 - 1
    sim.run(1)
    assert int(sim.read("sum")) == (a + (1 << 100) - 1) & ((1 << 100) - 1)
    assert int(sim.read("carry")) == 1

    sim.write("c", 0x12345, undefined=0xF00000000F)
    sim.run(2)
    held = sim.read("held")
    assert held.width == 40
    assert held.undefined == 0xF00000000F
    assert not held.defined
    assert repr(held) == "Value(40'hX00001234X)"
    assert sim.cycle == 3


def test_step_gives_what_writing_running_and_reading_each_cycle_gives(widepath):
    seed = random.randrange(1 << 30)
    print("seed", seed)
    rng = random.Random(seed)
    cycles = 200
    x = np.array([rng.randrange(256) for _ in range(cycles)], dtype=np.uint64)
    c = np.ma.MaskedArray([rng.randrange(1 << 40) for _ in range(cycles)], dtype=np.uint64,
                          mask=[i % 7 == 0 for i in range(cycles)])
    a = [rng.randrange(1 << 100) for _ in range(cycles)]
    stepped = blocktide.Simulation(widepath, print_messages=False, report_undefined_reads=False)
    out = stepped.step({"x": x, "c": c, "a": a}, ["small", "held", "sum"])
    assert out["small"].dtype == np.uint64 and out["sum"].dtype == object
    assert out["held"].mask.any()

    looped = blocktide.Simulation(widepath, print_messages=False, report_undefined_reads=False)
    for i in range(cycles):
        looped.write("x", int(x[i]))
        looped.write("c", int(c.data[i]), undefined=(1 << 40) - 1 if c.mask[i] else 0)
        looped.write("a", a[i])
        looped.run(1)
        for name in ("small", "held", "sum"):
            value = looped.read(name)
            assert bool(out[name].mask[i]) == (value.undefined != 0), (name, i)
            if not out[name].mask[i]:
                assert int(out[name].data[i]) == value.bits, (name, i)

    bits = blocktide.Simulation(widepath, print_messages=False, report_undefined_reads=False)
    pairs = bits.step({"c": ([5, 6, 7], [0, 0xF0, 0])}, ["held"], bit_masks=True)
    values, undefined = pairs["held"]
    assert list(undefined[1:]) == [0, 0xF0]
    assert values[1] == 5


def test_misuse_raises_blocktide_error(counter):
    sim = blocktide.Simulation(counter, print_messages=False)
    with pytest.raises(blocktide.Error, match="no input named 'nothing'"):
        sim.write("nothing", 1)
    with pytest.raises(blocktide.Error):
        sim.step({"en": [1, 1], "clr": [0]})
    with pytest.raises(blocktide.Error):
        sim.run(-1)
    with pytest.raises(blocktide.Error, match="could not be set up"):
        blocktide.Simulation(counter + ".missing", print_messages=False)
    assert sim.cycle == 0


def test_step_runs_without_the_gil(counter):
    import time

    def spin_for(seconds):
        spins, end = 0, time.perf_counter() + seconds
        while time.perf_counter() < end:
            spins += 1
        return spins

    rate = spin_for(0.05) / 0.05  # spins per second on this thread alone
    sim = blocktide.Simulation(counter, print_messages=False)
    ones = np.ones(2_000_000, dtype=np.uint64)
    started, done, took = threading.Event(), threading.Event(), []

    def stepping():
        started.set()
        begin = time.perf_counter()
        sim.step({"en": ones}, [])  # no outputs: the call is nearly all simulation
        took.append(time.perf_counter() - begin)
        done.set()

    thread = threading.Thread(target=stepping)
    thread.start()
    started.wait()
    spins = 0
    while not done.is_set():
        spins += 1
        time.perf_counter()
    thread.join()
    # Were the GIL held, this thread would run only in the moments around the simulation.
    assert spins > 0.3 * rate * took[0], (spins, rate, took)
