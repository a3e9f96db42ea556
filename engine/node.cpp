// Node_Base and Node_Concurrent: port ownership and lookup, the port factories,
// initialisation and the clock edge of registered outputs.
#include "engine/node.h"

#include "base/limits.h"
#include "base/messages.h"
#include "engine/constant_node.h"

namespace Sim {

Node_Base::~Node_Base() = default;

void Node_Base::PortRelease::operator()(Port_Base* port) const
{
    if (port->in_arena)
        port->~Port_Base();
    else
        delete port;
}

template <class P, class... Args> Port_Base* Node_Base::MakePort(Args&&... args)
{
    if (book->port_arena == nullptr)
        return new P(std::forward<Args>(args)...);
    P* port = new (book->port_arena->Allocate(sizeof(P), alignof(P))) P(std::forward<Args>(args)...);
    port->in_arena = true;
    return port;
}

// Nodes have few ports and lookups happen only while a design is linked, so a scan beats
// a per-node hash table, which would cost an allocation per port and most of a node's
// memory. The newest port of a name wins, so a later port replaces an earlier one.
Port_Base* Node_Base::LookupPort(const std::string& port_name) const
{
    for (auto port = book->owned_ports.rbegin(); port != book->owned_ports.rend(); ++port)
        if ((*port)->Name() == port_name)
            return port->get();
    return nullptr;
}

Port_Base* Node_Base::FindPort(const std::string& port_name)
{
    if (Port_Base* port = LookupPort(port_name))
        return port;
    report(SEV_ERROR, "Referenced non-existent port name '" + port_name + "' on '" + TypeName() + "'node '" +
                          Name() + "'. Unable to connect models (using X instead).");
    return Node_Constant_Sngl::Instance().ConstantPort(0);
}

void Node_Base::CreatePorts(const ParamQuery&)
{
    report(SEV_INTERNAL,
           "CreatePorts() reached in abstract class Node_Base. Function should be overridden when "
           "creating node model. Call was on object: " +
               Name());
}

int Node_Base::CheckedPortWidth(const std::string& port_name, int64_t width) const
{
    if (width >= 1 && width <= kMaxBits)
        return static_cast<int>(width);
    if (width > kMaxBits) {
        // A width from a corrupt or hostile netlist: refusing it keeps the allocation bounded.
        report(SEV_ERROR, "Port '" + port_name + "' of node '" + Name() + "' was given width " +
                              std::to_string(width) + ", more than the " + std::to_string(kMaxBits) +
                              " bits a port may have; a width of 1 is used instead.");
        return 1;
    }
    report(SEV_WARNING, "Port '" + port_name + "' of node '" + Name() + "' was given width " +
                            std::to_string(width) + "; a width of 1 is used instead.");
    return 1;
}

Port_Base* Node_Base::CreateInputPort(const std::string& port_name, int width, int default_kind)
{
    width = CheckedPortWidth(port_name, width);
    Port_Base* source = Node_Constant_Sngl::Instance().ConstantPort(default_kind, width);
    if (width >= 32)
        return MakePort<Port_In>(port_name, this, width, source);
    return MakePort<Port_In_Int>(port_name, this, width, source);
}

Port_Base* Node_Base::AddPort(Port_Base* port)
{
    if (port == nullptr) {
        report(SEV_WARNING,
               "Attempted to add null ptr to a port list (INTERNAL ERROR - WILL ATTEMPT TO CONTINUE)");
        return nullptr;
    }
    std::vector<OwnedPort>& owned = book->owned_ports;
    if (owned.empty())
        owned.reserve(4);  // most nodes have up to four ports: one allocation instead of three
    owned.emplace_back(port);
    if (port->IsOutput() && port->IsClocked()) {
        book->clocked.push_back(port);
        has_clocked = true;
    }
    return port;
}

void Node_Base::Init(const std::string& node_name, const ParamQuery& query, int node_rank)
{
    book->name = node_name;
    rank = node_rank;
    queued = false;
    book->visits = 0;
    book->single_dependent = nullptr;
    CreatePorts(query);
    for (Port_Base* port : book->clocked) {
        port->Reset();
        port->Clock();
    }
    InitHook();
}

bool Node_Base::ClockEdge()
{
    bool changed = false;
    if (has_clocked)
        for (Port_Base* port : book->clocked)
            changed |= port->Clock();
    changed |= ClockHook();
    return changed;
}

Node_Base* Node_Base::DriverOf(const Port_Base* input_port)
{
    const Port_Base* source = input_port != nullptr ? input_port->Source() : nullptr;
    return source != nullptr ? source->Owner() : nullptr;
}

std::vector<Port_Base*> Node_Base::Inputs() const
{
    std::vector<Port_Base*> list;
    for (const OwnedPort& port : book->owned_ports)
        if (port->IsInput())
            list.push_back(port.get());
    return list;
}

std::vector<Port_Base*> Node_Base::Outputs() const
{
    std::vector<Port_Base*> list;
    for (const OwnedPort& port : book->owned_ports)
        if (port->IsOutput() && LookupPort(port->Name()) == port.get())
            list.push_back(port.get());
    return list;
}

std::vector<Node_Base*> Node_Base::GetDrivers() const
{
    std::vector<Node_Base*> drivers;
    drivers.reserve(book->owned_ports.size());
    for (const OwnedPort& port : book->owned_ports)
        if (port->IsInput())
            if (Node_Base* driver = DriverOf(port.get()))
                drivers.push_back(driver);
    return drivers;
}

Port_Base* Node_Concurrent::CreateOutputPort(const std::string& port_name, int width)
{
    width = CheckedPortWidth(port_name, width);
    if (width >= 32)
        return MakePort<Port_Out_Con>(port_name, this, width);
    return MakePort<Port_Out_Con_Int>(port_name, this, width);
}

Port_Base* Node_Concurrent::CreateRegisteredOutputPort(const std::string& port_name, int width)
{
    width = CheckedPortWidth(port_name, width);
    if (width >= 32)
        return MakePort<Port_Out_Reg>(port_name, this, width);
    return MakePort<Port_Out_Reg_Int>(port_name, this, width);
}

void Node_Base::SaveState(StateWriter& out)
{
    for (const OwnedPort& port : book->owned_ports)
        port->SaveState(out);
}

bool Node_Base::RestoreState(StateReader& in)
{
    for (const OwnedPort& port : book->owned_ports)
        if (!port->RestoreState(in))
            return false;
    return true;
}

}  // namespace Sim
