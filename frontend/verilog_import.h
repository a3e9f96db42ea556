// Importing Verilog and SystemVerilog sources: yosys synthesises them with the script and
// technology maps of maps/yosys/ onto the primitives, and its JSON netlist is read into the
// netlist database (yosys_netlist.h). No netlist text lies in between.
#pragma once

#include <string>
#include <vector>

class XmlMapSmc;

namespace KVC {
class NetlistDB;
}

namespace Parser {

struct VerilogSources {
    std::vector<std::string> files; // the sources, read in order
    std::string top;                // the top module
    std::string maps_directory;     // the folder of synth.ys and the technology maps
    std::string memory_file_base;   // see YosysNetlistOptions
};

// Fills the new database; false when yosys is missing or failed, or the design was refused
// (every reason reported at SEV_ERROR; yosys's own errors are quoted).
bool ImportVerilog(const VerilogSources& sources, XmlMapSmc& map, KVC::NetlistDB& database);

} // namespace Parser
