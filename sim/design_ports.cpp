// Reading a design's ports from its netlist database.
#include "sim/design_ports.h"

#include "netlistdb/netlist_db.h"

namespace Sim {

const DesignPort* DesignPorts::Find(const std::string& name) const
{
    for (const std::vector<DesignPort>* list : {&inputs, &outputs})
        for (const DesignPort& port : *list)
            if (port.name == name)
                return &port;
    return nullptr;
}

DesignPorts ReadDesignPorts(const KVC::NetlistDB& database)
{
    DesignPorts ports;
    const KVC::ElaboratedModule& module = database.Module();
    ports.module_name = module.name;
    auto add = [&](const std::string& name, int width, bool is_input) {
        if (is_input)
            ports.inputs.push_back({name, width, PortDirection::Input});
        else
            ports.outputs.push_back({name, width, PortDirection::Output});
    };
    if (!module.name.empty()) {
        for (const KVC::ElaboratedModule::Declaration& port : module.ports)
            add(port.name, port.width, port.is_input);
    } else {
        // A design input drives the design, so it is a driving port of the top node; a design
        // output is driven, an input of the top node. The constant names make no design port.
        database.Top()->ForEachPort([&](KVC::Port& port) {
            if (port.name != "(zero)" && port.name != "(one)" && port.name != "(unused)")
                add(port.name, port.width, port.AsInput() == nullptr);
        });
    }
    ports.clocks = module.clocks;
    if (ports.clocks.empty())
        database.ForEachClock([&](const std::string& name, int) { ports.clocks.push_back(name); });
    return ports;
}

} // namespace Sim
