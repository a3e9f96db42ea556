// Building a simulation from a netlist database: one node per database node chosen by
// operator code, perimeter nodes for the design's ports, and every input linked through
// its bit slices, with adapters and downshifters where the slices need them.
#pragma once

namespace KVC {
class NetlistDB;
}

namespace Sim {

class Manager;

// Fills the manager from the database. Returns true when a node had an operator code the
// build does not know (reported as fatal; the perimeter and link passes are then skipped).
bool Build(const KVC::NetlistDB& database, Manager& manager);

}  // namespace Sim
