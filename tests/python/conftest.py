"""Fixtures of the Python module's tests: scratch copies of the repository's designs, imported."""

import os
import shutil

import pytest

import blocktide

SOURCE = os.environ.get("BLOCKTIDE_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
DEFAULT_MAP = os.path.join(SOURCE, "maps", "blocktide_map.xml")


def _imported(tmp_path, source, map_path):
    netlist = tmp_path / os.path.basename(source)
    shutil.copy(source, netlist)
    blocktide.import_design(str(netlist), map_path, print_messages=False)
    return str(netlist)


@pytest.fixture
def counter(tmp_path):
    """examples/counter: an 8-bit counter with enable (en) and clear (clr); outputs count, wrap."""
    return _imported(tmp_path, os.path.join(SOURCE, "examples", "counter", "counter.vo"), DEFAULT_MAP)


@pytest.fixture
def widepath(tmp_path):
    """tests/host/data/widepath: a 100-bit adder (a + b -> sum, carry), a 40-bit register
    (c -> held), an 8-bit adder (x + y -> total) and a pass-through (x -> small)."""
    data = os.path.join(SOURCE, "tests", "host", "data")
    shutil.copy(os.path.join(data, "widepath_map.xml"), tmp_path)
    return _imported(tmp_path, os.path.join(data, "widepath.vo"), str(tmp_path / "widepath_map.xml"))
