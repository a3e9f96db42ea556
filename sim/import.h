// Importing a design: its netlist and XML map are elaborated into a netlist database, which
// is saved beside the netlist as its SimDB file (netlist path + ".simdb") for a later Load.
// No simulation is built. Messages are printed as the import goes, labelled with the
// design's top-level name.
#pragma once

#include <string>

#include "sim/design_ports.h"

namespace KVC {
struct ElaboratedModule;
}

namespace Sim {

struct ImportResult {
    bool success = false;    // the netlist was read; its SimDB file was written or that failure reported
    bool error_seen = false; // an Error or Fatal Error was printed
    DesignPorts ports;       // the design's ports; empty unless success
};

ImportResult ImportDesign(const std::string& netlist_path, const std::string& map_path);

// Elaborates the netlist with its map again, saving nothing, for what only the netlist knows
// (its wires, its port names, its clocks). Messages are printed as the import's are. False
// when the netlist could not be read.
bool ReadModule(const std::string& netlist_path, const std::string& map_path, KVC::ElaboratedModule& module);

} // namespace Sim
