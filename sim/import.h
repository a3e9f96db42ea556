// Importing a design: its netlist and XML map are elaborated into a netlist database, which
// is saved beside the netlist as its SimDB file (netlist path + ".simdb") for a later Load.
// No simulation is built. Messages are printed as the import goes, labelled with the
// design's top-level name.
#pragma once

#include <string>
#include <vector>

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

// Importing Verilog or SystemVerilog sources through yosys (frontend/verilog_import.h): the
// database is saved as the first source's path + ".simdb", memory contents as files beside
// it, and with write_vo set the same design also as a netlist in the dialect (write_vo)
// with its map (write_vo + ".xml"). Messages are labelled with the first source's name.
struct VerilogImport {
    std::vector<std::string> sources;
    std::string top;
    std::string map_path;        // the XML map of the primitives the technology maps use
    std::string maps_directory;  // maps/yosys/: synth.ys and the technology maps
    std::string write_vo;        // empty: no netlist is written
};

ImportResult ImportVerilogDesign(const VerilogImport& request);

}  // namespace Sim
