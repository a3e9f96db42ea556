// Collecting a design's signals and splitting their names into a hierarchy.
#include "sim/signals.h"

#include <fnmatch.h>

#include <algorithm>

#include "engine/adapter.h"
#include "engine/constant_node.h"
#include "engine/manager.h"
#include "engine/perimeter.h"
#include "netlistdb/netlist_db.h"

namespace Sim {

MLIB_UINTEGER Signal::Value() const
{
    MLIB_UINTEGER value(0, width);
    value = port->Value(); // assignment keeps the signal's width
    return value;
}

SignalTable::SignalTable(const Manager& manager, const KVC::ElaboratedModule* module)
{
    for (Node_Base* node : manager.Nodes()) {
        if (dynamic_cast<Node_Constant_Sngl*>(node) || dynamic_cast<Node_Adapter*>(node) ||
            dynamic_cast<Node_Downshifter*>(node))
            continue; // the engine's own nodes: no part of the netlist
        if (auto* input = dynamic_cast<Node_Perimeter_In*>(node)) {
            signals_.push_back({node->Name(), input->PerimeterPort(), input->PerimeterPort()->Width()});
            continue;
        }
        if (auto* output = dynamic_cast<Node_Perimeter_Out*>(node)) {
            signals_.push_back({node->Name(), output->PerimeterPort(), output->PerimeterPort()->Width()});
            continue;
        }
        for (Port_Base* port : node->Outputs())
            signals_.push_back({node->Name() + "." + port->Name(), port, port->Width()});
    }
    if (module != nullptr) {
        for (const KVC::ElaboratedModule::OutputName& output : module->output_names)
            if (output.netlist_name != output.sim_name)
                if (Node_Base* node = manager.FindNode(output.node))
                    if (Port_Base* port = node->LookupPort(output.sim_name))
                        signals_.push_back({output.node + "." + output.netlist_name, port, port->Width()});
        for (const KVC::ElaboratedModule::Wire& wire : module->wires)
            if (Node_Base* node = manager.FindNode(wire.node))
                if (Port_Base* port = node->LookupPort(wire.port))
                    signals_.push_back({wire.name, port, wire.width});
    }
    // One signal per name: a design port or node output comes before a wire of the same name.
    std::stable_sort(signals_.begin(), signals_.end(),
                     [](const Signal& a, const Signal& b) { return a.name < b.name; });
    signals_.erase(std::unique(signals_.begin(), signals_.end(),
                               [](const Signal& a, const Signal& b) { return a.name == b.name; }),
                   signals_.end());
}

const Signal* SignalTable::Find(const std::string& name) const
{
    auto found = std::lower_bound(signals_.begin(), signals_.end(), name,
                                  [](const Signal& signal, const std::string& key) { return signal.name < key; });
    return found != signals_.end() && found->name == name ? &*found : nullptr;
}

std::vector<std::string> HierarchyOf(const std::string& name)
{
    std::vector<std::string> parts;
    std::string part;
    bool escaped = false;
    for (char c : name) {
        if (c == '\\' && part.empty()) {
            escaped = true; // an escaped identifier: "\" starts it, a blank ends it
            continue;
        }
        if (c == ' ' && escaped) {
            escaped = false;
            continue;
        }
        if (c == '|' || c == '/' || c == '.') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
            continue;
        }
        part += c;
    }
    if (!part.empty() || parts.empty())
        parts.push_back(part.empty() ? std::string("_") : part);
    return parts;
}

bool MatchesGlob(const std::string& name, const std::string& pattern)
{
    return fnmatch(pattern.c_str(), name.c_str(), 0) == 0;
}

} // namespace Sim
