// Importing a design and collecting its interface for the host.
#include "sim/design_interface.h"

#include "sim/session.h"
#include "frontend/vo_parser.h"

DesignInterface ImportDesignInterface(const std::string& netlist_path, const std::string& map_path, bool& read)
{
    DesignInterface result;
    SimSession session;
    std::unique_ptr<VoParser> loader = session.Import(netlist_path, map_path, read);
    if (!read)
        return result;
    result.ninput = loader->InputCount();
    result.noutput = loader->OutputCount();
    result.nclock = loader->ClockCount();
    result.top_level_name = loader->ModuleName();
    result.clock_names = loader->ClockList();
    result.top_clockname = loader->FirstClock();
    result.input_port_names.clear();
    result.output_port_names.clear();
    for (int i = 0; i < loader->InputCount(); ++i) {
        result.input_port_names += loader->InputName(i) + " ";
        result.inptbwl += std::to_string(loader->InputWidth(i)) + " ";
    }
    for (int i = 0; i < loader->OutputCount(); ++i) {
        result.output_port_names += loader->OutputName(i) + " ";
        result.outptbwl += std::to_string(loader->OutputWidth(i)) + " ";
    }
    return result;
}
