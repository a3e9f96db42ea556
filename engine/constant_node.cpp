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

Port_Base* Node_Constant_Sngl::ConstantPort(int default_kind) const
{
    if (default_kind == 1)
        return zero;
    if (default_kind == 2)
        return one;
    return unused;
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
