// The shared constant node "(top)": its three constant ports and the fallback of its
// port lookup to the design inputs of the current manager.
#include "engine/constant_node.h"

#include "engine/manager.h"

namespace Sim {

Node_Constant_Sngl& Node_Constant_Sngl::Instance()
{
    static Node_Constant_Sngl instance;
    return instance;
}

Node_Constant_Sngl::Node_Constant_Sngl()
{
    MLIB_UINTEGER undefined(0, 32);
    undefined.set_undefined();
    zero = AddPort(new Port_Constant("(zero)", this, MLIB_UINTEGER(0, 32)));
    one = AddPort(new Port_Constant("(one)", this, MLIB_UINTEGER(0xFFFFFFFFu, 32)));
    unused = AddPort(new Port_Constant("(unused)", this, undefined));
}

Port_Base* Node_Constant_Sngl::ConstantPort(int default_kind, int width)
{
    if (default_kind == 1)
        return zero;
    if (default_kind != 2)
        return unused;
    // A 32-bit all-ones constant would be zero-extended into a wider input: a register wider
    // than 32 bits with its enable left open would then load only bits 0 to 31.
    if (width <= 32)
        return one;
    std::lock_guard<std::mutex> hold(wide_ones_lock);
    std::unique_ptr<Port_Base>& wide = wide_ones[width];
    if (!wide)
        wide = std::make_unique<Port_Constant>("(one)", this, ~MLIB_UINTEGER(0, width));
    return wide.get();
}

void Node_Constant_Sngl::CreatePorts(const ParamQuery& query)
{
    if (port == nullptr)
        Node_Perimeter_In::CreatePorts(query);
}

Port_Base* Node_Constant_Sngl::FindPort(const std::string& port_name)
{
    if (Port_Base* own = LookupPort(port_name))
        return own;
    if (manager != nullptr)
        if (Node_Base* node = manager->FindNode(port_name))
            if (Port_Base* perimeter = node->LookupPort("(perimeter io)"))
                return perimeter;
    return Node_Perimeter_In::FindPort(port_name);
}

}  // namespace Sim
