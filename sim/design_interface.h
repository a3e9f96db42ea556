// A design's interface as the host's command line receives it: the ten results of an import
// (counts, names and widths of inputs, outputs and clocks). Shared by the MEX entry point
// and the blocktide command.
#pragma once

#include <string>

#include "sim/design_ports.h"

struct DesignInterface {
    double ninput = 0;                      // design inputs, clock inputs excluded
    double noutput = 0;                     // design outputs
    double nclock = 0;                      // distinct clock names
    std::string input_port_names = " ";     // each name followed by one blank
    std::string output_port_names = " ";    // each name followed by one blank
    std::string clock_names;                // each clock name followed by one blank
    std::string top_level_name;             // the netlist's module name
    std::string top_clockname;              // the first clock name seen, or empty
    std::string inptbwl;                    // each input's width in decimal followed by one blank
    std::string outptbwl;                   // each output's width in decimal followed by one blank
};

// The ten results of a design whose ports are known.
DesignInterface InterfaceOf(const Sim::DesignPorts& ports);

// Imports the design (writing netlist_path + ".simdb" on success; messages are printed as
// the import goes) and fills the interface. read tells whether the design was read; when it
// was not, the interface keeps its initial values.
DesignInterface ImportDesignInterface(const std::string& netlist_path, const std::string& map_path, bool& read);
