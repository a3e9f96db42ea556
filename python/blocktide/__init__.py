"""Blocktide: cycle-based simulation of FPGA designs synthesised to a structural netlist.

    import blocktide
    design = blocktide.import_design("acc.vo", "blocktide_map.xml")   # writes acc.vo.simdb
    sim = blocktide.Simulation("acc.vo")
    sim.write("step", 3)
    sim.run(4)
    int(sim.read("level"))                                             # 12
    out = sim.step({"step": numpy.full(100_000, 3, dtype=numpy.uint64)}, ["level"])

Values are Python integers of any width; step() takes and returns NumPy arrays, with undefined
(X) values masked. sweep() runs many simulations of one design on a Dask cluster.
"""

from ._blocktide import Design, Error, Port, Simulation, Value, import_design, read_stimulus
from .sweeping import sweep

__all__ = ["Design", "Error", "Port", "Simulation", "Value", "import_design", "read_stimulus", "sweep"]
