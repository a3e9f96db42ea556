// A design's interface for the host, made from its ports.
#include "sim/design_interface.h"

#include "sim/import.h"

namespace {

// Each entry's text followed by one blank.
template <class List, class Text> std::string BlankTerminated(const List& list, Text text)
{
    std::string joined;
    for (const auto& entry : list)
        joined += text(entry) + " ";
    return joined;
}

}  // namespace

DesignInterface InterfaceOf(const Sim::DesignPorts& ports)
{
    auto name = [](const Sim::DesignPort& port) { return port.name; };
    auto width = [](const Sim::DesignPort& port) { return std::to_string(port.width); };
    DesignInterface result;
    result.ninput = static_cast<double>(ports.inputs.size());
    result.noutput = static_cast<double>(ports.outputs.size());
    result.nclock = static_cast<double>(ports.clocks.size());
    result.top_level_name = ports.module_name;
    result.clock_names = BlankTerminated(ports.clocks, [](const std::string& clock) { return clock; });
    result.top_clockname = ports.clocks.empty() ? std::string() : ports.clocks.front();
    result.input_port_names = BlankTerminated(ports.inputs, name);
    result.inptbwl = BlankTerminated(ports.inputs, width);
    result.output_port_names = BlankTerminated(ports.outputs, name);
    result.outptbwl = BlankTerminated(ports.outputs, width);
    return result;
}

DesignInterface ImportDesignInterface(const std::string& netlist_path, const std::string& map_path, bool& read)
{
    const Sim::ImportResult imported = Sim::ImportDesign(netlist_path, map_path);
    read = imported.success;
    return read ? InterfaceOf(imported.ports) : DesignInterface();
}
