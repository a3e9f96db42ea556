// Reading the JSON netlist yosys writes (write_json) after mapping a design onto the
// primitives (maps/yosys/) straight into the netlist database: one node per primitive cell,
// named after the net it drives, its ports and parameters under the XML map's simulator
// names, one slice per run of consecutive bits of one source. Inverters fold into inverted
// slices. What the primitives cannot hold is refused with one error per construct.
#pragma once

#include <string>

class XmlMapSmc;

namespace KVC {
class NetlistDB;
}

namespace Parser {

struct YosysNetlistOptions {
    std::string top; // the module to read
    // Memory contents go to files named after this path: for the path d/cpu.v the file of
    // node ram is d/cpu.v.ram.mif, and the node's init_file names it without its directory
    // (the RAM finds it in the design's directory).
    std::string memory_file_base;
};

// Fills the new database from the JSON text; false when the design was refused or the text
// is no yosys netlist (every reason reported at SEV_ERROR).
bool ReadYosysNetlist(const std::string& json_text, const YosysNetlistOptions& options, XmlMapSmc& map,
                      KVC::NetlistDB& database);

} // namespace Parser
