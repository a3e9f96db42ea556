// The build's passes: a node per database node (its class from the operator-code registry),
// perimeter nodes for the design's ports, and the links of every input.
#include "sim/build.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/adapter.h"
#include "engine/link.h"
#include "engine/manager.h"
#include "engine/node_registry.h"
#include "engine/perimeter.h"
#include "base/messages.h"
#include "models/library_search.h"
#include "netlistdb/netlist_db.h"

namespace Sim {

namespace {

// The most bits all ports of a design may hold together (2^28: a gigabyte of values at most).
constexpr int64_t kMaxDesignBits = int64_t{1} << 28;

// Answers every question, the nameless one included, with one width.
ParamQuery WidthQuery(int width)
{
    return [width](const std::string&, ParamValue& value) {
        value.set_integer(width);
        return true;
    };
}

ParamQuery NodeQuery(const KVC::Node& node)
{
    return [&node](const std::string& name, ParamValue& value) { return node.GetParam(name, value); };
}

// Creates the node for one database node through its code's registered maker; null for a
// code no class serves.
Node_Base* CreateNode(Manager& m, const KVC::Node& node)
{
    NodeMaker maker = FindNodeMaker(node.operatorCode);
    return maker != nullptr ? maker(m, node.name, NodeQuery(node)) : nullptr;
}

bool IsConstantName(const std::string& name)
{
    return name == "(one)" || name == "(zero)" || name == "(unused)";
}

// The simulation node built for each database node, found by the database node's index
// rather than by hashing its name for every link. Nodes of the top (the perimeter) and,
// once any node was replaced by a later one of the same name, every node are found by name.
class BuiltNodes {
public:
    BuiltNodes(Manager& manager, size_t count)
        : manager(manager), by_index(count, nullptr), replacements(manager.Replacements())
    {
    }
    void Record(const KVC::Node& node, Node_Base* built)
    {
        if (node.index >= 0 && static_cast<size_t>(node.index) < by_index.size())
            by_index[static_cast<size_t>(node.index)] = built;
    }
    // The node, or null when the manager has none of that name.
    Node_Base* Find(const KVC::Node& node) const
    {
        if (node.index >= 0 && static_cast<size_t>(node.index) < by_index.size() &&
            manager.Replacements() == replacements)
            if (Node_Base* built = by_index[static_cast<size_t>(node.index)])
                return built;
        return manager.FindNode(node.name);
    }
    Manager& Owner() const { return manager; }

private:
    Manager& manager;
    std::vector<Node_Base*> by_index;  // by KVC::Node::index
    size_t replacements;               // the manager's count when the nodes were recorded
};

// Links source to target when both nodes exist, with the linker's reports otherwise.
bool LinkNodes(const BuiltNodes& built, const KVC::Node& source, const std::string& source_port,
               const KVC::Node& target, const std::string& target_port, bool invert)
{
    Node_Base* source_node = built.Find(source);
    Node_Base* target_node = source_node != nullptr ? built.Find(target) : nullptr;
    if (source_node == nullptr || target_node == nullptr)  // the name-based form reports which
        return Link(built.Owner(), source.name, source_port, target.name, target_port, invert);
    return Link(source_node, source_port, target_node, target_port, invert);
}

bool LinkInput(const BuiltNodes& built, const KVC::Input* in)
{
    Manager& manager = built.Owner();
    if (!in) {
        report(SEV_INTERNAL, "Port linking pass was given a null pointer");
        return true;
    }
    const std::string& owner = in->owner->name;
    if (in->SliceCount() < 2) {
        const KVC::Slice* slice = in->SliceAt(0);
        if (!slice) {
            report(SEV_WARNING, "Found a floating input port    (unconnected: " + owner + "." + in->name + ")");
            return !Link(manager, "(top)", "(unused)", owner, in->name, false);
        }
        const std::string& source_node = slice->source->owner->name;
        const std::string& source_port = slice->source->name;
        if (slice->srcLow == 0)
            return !LinkNodes(built, *slice->source->owner, source_port, *in->owner, in->name, slice->inverted);

        Node_Base* node = built.Find(*slice->source->owner);
        if (!node) {
            report(SEV_INTERNAL, "Linker could not find downshifted output node " + source_node);
            return true;
        }
        Port_Base* port = node->FindPort(source_port);
        if (!port) {
            report(SEV_INTERNAL, "Linker could not find downshifted output port" + source_node + "." + source_port);
            return true;
        }
        std::string name =
            "Downshift(" + source_node + ":" + source_port + ":" + std::to_string(slice->srcLow) + ")";
        if (!manager.FindNode(name)) {
            Node_Downshifter* shifter = manager.NewNode<Node_Downshifter>(name, WidthQuery(port->Width()));
            shifter->SetShift(slice->srcLow);
            Link(manager, source_node, source_port, name, "from", false);
        }
        return !Link(manager, name, "to", owner, in->name, slice->inverted);
    }

    std::string name = "Adapter(" + owner + ":" + in->name + ")";
    Node_Adapter* adapter = manager.NewNode<Node_Adapter>(name);
    adapter->SetSize(static_cast<int>(in->SliceCount()), in->width);
    in->ForEachSlice([&](KVC::Slice& slice) {
        Node_Base* node = built.Find(*slice.source->owner);
        Port_Base* port = node ? node->FindPort(slice.source->name) : nullptr;
        if (!port)  // a source missing from the simulation reads undefined
            port = manager.FindNode("(top)")->FindPort("(unused)");
        adapter->DefineInput(slice.srcLow, slice.dstLow, slice.width, port, slice.inverted);
    });
    return !Link(manager, name, "out", owner, in->name, false);
}

}  // namespace

bool Build(const KVC::NetlistDB& database, Manager& manager)
{
    const std::string& design = manager.DesignName();
    report(SEV_TRACE, "(" + design + " build begins)");
    // The path's own text: the text form of an empty path would be "0", a directory name.
    const KVC::Param* library_path = database.Top()->GetParam("dll_path");
    SetModelLibraryDirectory(library_path != nullptr ? library_path->value.text() : std::string());

    // Every port of the design holds its width in values (two planes, more for registers): a
    // budget on the total keeps a netlist of a few kilobytes from asking for gigabytes.
    int64_t bits = 0;
    auto count_bits = [&bits](const KVC::Node& node) {
        node.ForEachPort([&bits](KVC::Port& port) { bits += std::max(port.width, 0); });
    };
    count_bits(*database.Top());
    database.ForEachNode(count_bits);
    if (bits > kMaxDesignBits) {
        report(SEV_FATAL, "The design's ports hold " + std::to_string(bits) + " bits, more than the " +
                              std::to_string(kMaxDesignBits) + " a simulation may hold; it was not built");
        report(SEV_TRACE, "(" + design + " build ends)");
        return true;
    }

    bool failed = false;
    manager.ReserveNodes(static_cast<size_t>(database.NodeCount()));
    BuiltNodes built(manager, static_cast<size_t>(database.NodeCount()));
    database.ForEachNode([&](KVC::Node& node) {
        Node_Base* created = CreateNode(manager, node);
        built.Record(node, created);
        if (!created) {
            report(SEV_FATAL, "Unrecognized operator code (" + std::to_string(node.operatorCode) + ") for DB node" +
                                  node.name);
            failed = true;
        }
    });
    const KVC::Node& top = *database.Top();
    if (!failed) {
        top.ForEachPort([&](KVC::Port& port) {
            if (!IsConstantName(port.name) && !port.AsInput())
                manager.NewNode<Node_Perimeter_In>(port.name, WidthQuery(port.width));
        });
    }
    if (!failed) {
        top.ForEachPort([&](KVC::Port& port) {
            if (!IsConstantName(port.name) && port.AsInput()) {
                manager.NewNode<Node_Perimeter_Out>(port.name, WidthQuery(port.width));
                LinkInput(built, port.AsInput());
            }
        });
    }
    if (!failed) {
        database.ForEachNode([&](KVC::Node& node) {
            node.ForEachPort([&](KVC::Port& port) {
                if (const KVC::Input* input = port.AsInput())
                    LinkInput(built, input);
            });
        });
    }
    report(SEV_TRACE, "(" + design + " build ends)");
    return failed;
}

}  // namespace Sim
