// Linking two ports by node and port names, with the linker's reports.
#include "engine/link.h"

#include "engine/manager.h"
#include "base/messages.h"

namespace Sim {

bool Link(Manager& manager, const std::string& out_node, const std::string& out_port,
          const std::string& in_node, const std::string& in_port, bool invert)
{
    Node_Base* source_node = manager.FindNode(out_node);
    if (source_node == nullptr) {
        report(SEV_ERROR, "Linker could not find output node " + out_node);
        return false;
    }
    Node_Base* target_node = manager.FindNode(in_node);
    if (target_node == nullptr) {
        report(SEV_ERROR, "Linker could not find input node " + in_node);
        return false;
    }
    return Link(source_node, out_port, target_node, in_port, invert);
}

bool Link(Node_Base* source_node, const std::string& out_port, Node_Base* target_node, const std::string& in_port,
          bool invert)
{
    Port_Base* source = source_node->FindPort(out_port);
    if (source == nullptr) {
        report(SEV_ERROR, "Linker could not find output port " + source_node->Name() + "." + out_port);
        return false;
    }
    Port_Base* target = target_node->FindPort(in_port);
    if (target == nullptr) {
        report(SEV_ERROR, "Linker could not find input port " + target_node->Name() + "." + in_port);
        return false;
    }
    if (invert) {
        auto* input = dynamic_cast<Port_In*>(target);
        if (input == nullptr) {
            report(SEV_INTERNAL, "Linker attempting to route data into a NON-INPUT port");
            return false;
        }
        input->SetInversion(nullptr);
    }
    target->SetSource(source);
    return true;
}

}  // namespace Sim
