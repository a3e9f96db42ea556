// SimSession: what host-facing code drives. Loads a design from its SimDB file, builds and
// links the simulation, answers the design's ports, maps the caller's ordered input and
// output names to perimeter nodes and offers indexed writes, runs and reads. It is where the
// message store is flushed (labelled with the design's name). Importing a design from its
// netlist is an operation of its own (sim/import.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/mlib_integer.h"
#include "engine/manager.h"
#include "sim/design_ports.h"

namespace KVC {
class NetlistDB;
}

namespace Sim {
class Node_Perimeter_In;
class Node_Perimeter_Out;
}  // namespace Sim

class SimSession {
public:
    SimSession();
    // Empties the process-wide message store, then releases the simulation.
    ~SimSession();
    SimSession(const SimSession&) = delete;
    SimSession& operator=(const SimSession&) = delete;

    // Sets top_level_name and design_directory from a design path (Sim::SplitDesignPath);
    // a path without a directory leaves design_directory as it was.
    void SplitDesignPath(const std::string& path);

    // Loads path + ".simdb", builds it and flushes. True when the build failed or an error
    // was printed. With inventory wanted, fills inventory (one entry per design input).
    bool Load(const std::string& design_path, const std::string& model_library_path, bool packaged_block,
              const std::vector<std::string>& input_order, std::vector<Sim::InputInfo>* inventory = nullptr,
              bool inventory_wanted = false);
    // Finds the perimeter nodes named by input_names and output_names (names not found
    // are reported and left out).
    void MapDesignPorts();
    // The loaded design's ports (inputs and outputs in ascending name order); empty before Load.
    const Sim::DesignPorts& Ports() const { return ports; }

    // Writes and reads by index; true (writes, Run) or 0 (reads) on failure, reported.
    bool WriteInput(int index, double value);
    bool WriteWideInput(int index, const MLIB_UINTEGER& value);
    double ReadOutput(int index);
    MLIB_UINTEGER ReadWideOutput(int index);
    // As ReadWideOutput, but an undefined output is returned as it is without a report.
    MLIB_UINTEGER PeekWideOutput(int index);
    bool Run(int cycles);

    // Prints and removes stored messages of at least the level; answers error_seen.
    bool flush_messages(int level);

    std::vector<std::string> input_names;   // design input names in the caller's order
    std::vector<std::string> output_names;  // design output names in the caller's order
    std::string top_level_name;             // base name of the design file; printed by the flush
    std::string design_directory;           // directory part of the design path
    std::string hex_directory;              // where memory initialisation files are looked up
    bool error_seen = false;                // an Error or Fatal Error was printed since the last setup

    Sim::Manager* GetManager() const { return manager.get(); }

private:
    // Report why an input or output index cannot be served (no design loaded, out of range);
    // true then.
    bool InputRefused(int index) const;
    bool OutputRefused(int index) const;

    std::unique_ptr<KVC::NetlistDB> netlist_db;        // exists only during Load
    Sim::DesignPorts ports;                            // read from the database by Load
    std::unique_ptr<Sim::Manager> manager;             // the loaded design
    std::vector<Sim::Node_Perimeter_In*> input_nodes;  // index i: the i-th input found by MapDesignPorts
    std::vector<Sim::Node_Perimeter_Out*> output_nodes;  // likewise for outputs
};
