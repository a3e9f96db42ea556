// One view of a design's ports, read from its netlist database: what an import reports to the
// host, what the session maps its callers' names onto, what the command and the waveform
// writer list.
#pragma once

#include <string>
#include <vector>

namespace KVC {
class NetlistDB;
}

namespace Sim {

enum class PortDirection { Input, Output };

struct DesignPort {
    std::string name;
    int width = 1; // bits
    PortDirection direction = PortDirection::Input;
};

struct DesignPorts {
    // The netlist's module name; empty for a design read from its SimDB file.
    std::string module_name;
    // In declaration order for a design just elaborated, in ascending name order for one read
    // from its SimDB file. Clock inputs are no design inputs: they drive the implicit clock.
    std::vector<DesignPort> inputs;
    std::vector<DesignPort> outputs;
    // Every clock name, first seen first, design inputs and internally derived ones alike
    // (from the elaboration, or from the database's clock table when it has one).
    std::vector<std::string> clocks;

    // The input or output of that name; null when the design has none.
    const DesignPort* Find(const std::string& name) const;
};

DesignPorts ReadDesignPorts(const KVC::NetlistDB& database);

} // namespace Sim
