"""A small design with a known internal sequence, its VCD read back by a reader written here
(independent of the writer): a counter whose internal register and adder carry are checked
cycle by cycle, and the clock as a real waveform."""

import re

import blocktide
from conftest import DEFAULT_MAP


def read_vcd(path):
    """{full name: [(time, value text)]} of a VCD file: scopes joined with '.', '$var' lines
    give the codes, value changes '0!', 'b0101 #'; and the clock's changes under 'clk'."""
    names, changes, scopes, time = {}, {}, [], 0
    with open(path) as vcd:
        tokens = iter(vcd.read().split("\n"))
        for line in tokens:
            words = line.split()
            if not words:
                continue
            if words[0] == "$scope":
                scopes.append(words[2])
            elif words[0] == "$upscope":
                scopes.pop()
            elif words[0] == "$var":
                names[words[3]] = ".".join(scopes[1:] + [words[4]])
            elif words[0].startswith("#"):
                time = int(words[0][1:])
            elif words[0][0] == "b":
                changes.setdefault(names[words[1]], []).append((time, words[0][1:]))
            elif words[0][0] in "01xz" and words[0][1:] in names:
                changes.setdefault(names[words[0][1:]], []).append((time, words[0][0]))
    return changes


def test_internal_register_and_carry_follow_the_counter(counter, tmp_path):
    sim = blocktide.Simulation(counter, print_messages=False, map=DEFAULT_MAP)
    assert "cnt.q" in sim.signals and "inc.cout" in sim.signals and "next" in sim.signals
    wave = str(tmp_path / "counter.vcd")
    sim.waveform(wave, ["cnt.*", "inc.cout"])
    sim.write("clr", 0)
    sim.write("en", 1)
    sim.run(258)
    sim.close_waveform()
    assert int(sim.peek("cnt.q")) == 257 % 256

    changes = read_vcd(wave)
    # The register counts one per cycle from the second edge on, a change at 10n + 1 each.
    register = [(time, int(bits, 2)) for time, bits in changes["cnt.q"]]
    assert register[0] == (0, 0)
    assert register[1:4] == [(21, 1), (31, 2), (41, 3)]
    assert all(time % 10 == 1 for time, _ in register[1:])
    # The adder's carry rises while the register holds 255 and falls as it wraps.
    carry = changes["inc.cout"]
    assert carry[1:] == [(2561, "1"), (2571, "0")]
    # The clock: low at 0, then rising at 10n and falling at 10n + 5 for every cycle.
    clock = changes["clk"]
    assert clock[0] == (0, "0")
    assert clock[1:5] == [(10, "1"), (15, "0"), (20, "1"), (25, "0")]
    assert len(clock) == 1 + 2 * 258
    # The design's ports are always there; signals not asked for are not.
    assert "count" in changes and "en" in changes
    assert "next" not in changes


def test_peek_reads_without_changing_anything(counter):
    sim = blocktide.Simulation(counter, print_messages=False, map=DEFAULT_MAP)
    sim.write("en", 1)
    sim.write("clr", 0)
    sim.run(3)
    before = [int(sim.peek(name)) for name in ("cnt.q", "next", "count")]
    for _ in range(5):
        sim.peek("next")
    assert [int(sim.peek(name)) for name in ("cnt.q", "next", "count")] == before == [2, 3, 2]
    assert sim.take_messages() == []
    try:
        sim.peek("nothing")
    except blocktide.Error as failure:
        assert re.search("no signal named 'nothing'", str(failure))
    else:
        raise AssertionError("an unknown signal was read")
