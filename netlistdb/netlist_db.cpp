// The netlist database model: creation of nodes, ports, slices, parameters and clocks, with
// the collision and overlap reports. The SimDB file and the dump live in their own files.
#include "netlistdb/netlist_db.h"

#include <algorithm>
#include <cstdint>

#include "base/messages.h"

namespace KVC {

namespace {

// Whether [low1, low1 + width1) and [low2, low2 + width2) share a bit; 64-bit so that widths
// and offsets read from a damaged file cannot overflow.
bool RangesOverlap(int low1, int width1, int low2, int width2)
{
    const int64_t end1 = int64_t{low1} + width1;
    const int64_t end2 = int64_t{low2} + width2;
    return width1 > 0 && width2 > 0 && low1 < end2 && low2 < end1;
}

}  // namespace

// ---- Port, Input, Slice ----

Input* Port::AsInput()
{
    return Direction() == 0 ? static_cast<Input*>(this) : nullptr;
}

const Input* Port::AsInput() const
{
    return Direction() == 0 ? static_cast<const Input*>(this) : nullptr;
}

bool Slice::Covers(int bit) const
{
    return bit >= dstLow && int64_t{bit} < int64_t{dstLow} + width;
}

Slice* Input::NewSlice(int dstLow, int width, Port* source, int srcLow)
{
    if (!source) {
        report(SEV_INTERNAL, "Passed a null ptr into Input::NewSlice.");
        return nullptr;
    }
    bool inverted = false;
    // A constant of all ones wider than 32 bits is made of inverted zeros.
    if (width > 32 && source->name == "(one)") {
        source = owner->owner->ZeroPort();
        inverted = true;
    }
    auto slice = std::make_unique<Slice>(this, source, srcLow, dstLow, width, inverted);
    source->fanout++;
    for (const auto& existing : slices) {
        if (RangesOverlap(existing->dstLow, existing->width, dstLow, width)) {
            if (overlaps++ == 0)
                report(SEV_ERROR, "Ignored overlapping bit Slice found in Input Port " + name +
                                      " (link source: " + source->name + ")");
            break;
        }
    }
    slices.push_back(std::move(slice));
    return slices.back().get();
}

Slice* Input::SliceAt(int bit) const
{
    for (const auto& slice : slices) {
        if (slice->Covers(bit))
            return slice.get();
    }
    return nullptr;
}

void Input::ForEachSlice(const std::function<void(Slice&)>& visit) const
{
    for (const auto& slice : slices)
        visit(*slice);
}

// ---- Node ----

Port* Node::NewPort(const std::string& port_name, int direction)
{
    auto place = ports.lower_bound(port_name);
    if (place != ports.end() && place->first == port_name) {
        report(SEV_ERROR, "Encountered duplicate port name '" + port_name + "' on node '" + name +
                              "'. Ports require unique names.");
        return place->second.get();
    }
    std::unique_ptr<Port> port;
    if (direction == 0)
        port = std::make_unique<Input>(this, port_name);
    else if (direction == 1)
        port = std::make_unique<Port>(this, port_name);
    else {
        report(SEV_INTERNAL, "Unrecognized Port direction code in NewPort.");
        return nullptr;
    }
    Port* created = port.get();
    ports.emplace_hint(place, port_name, std::move(port));
    return created;
}

Port* Node::FindPort(const std::string& port_name) const
{
    auto found = ports.find(port_name);
    return found != ports.end() ? found->second.get() : nullptr;
}

Input* Node::FindInput(const std::string& port_name) const
{
    Port* port = FindPort(port_name);
    return port ? port->AsInput() : nullptr;
}

void Node::ForEachPort(const std::function<void(Port&)>& visit) const
{
    for (const auto& [port_name, port] : ports)
        visit(*port);
}

namespace {
constexpr size_t kIndexedParams = 16;  // a list this long is searched; a longer one indexed
}  // namespace

size_t Node::ParamPosition(const std::string& param_name) const
{
    if (param_index) {
        auto found = param_index->find(param_name);
        return found != param_index->end() ? found->second : params.size();
    }
    for (size_t i = 0; i < params.size(); ++i)
        if (params[i]->name == param_name)
            return i;
    return params.size();
}

Param* Node::SetParam(const std::string& param_name, const ParamValue& value)
{
    auto param = std::make_unique<Param>(Param{this, param_name, value});
    Param* stored = param.get();
    const size_t position = ParamPosition(param_name);
    if (position < params.size()) {
        params[position] = std::move(param);
        return stored;
    }
    params.push_back(std::move(param));
    if (param_index) {
        param_index->emplace(param_name, params.size() - 1);
    } else if (params.size() > kIndexedParams) {
        param_index = std::make_unique<std::unordered_map<std::string, size_t>>();
        for (size_t i = 0; i < params.size(); ++i)
            param_index->emplace(params[i]->name, i);
    }
    return stored;
}

Param* Node::GetParam(const std::string& param_name) const
{
    const size_t position = ParamPosition(param_name);
    return position < params.size() ? params[position].get() : nullptr;
}

bool Node::GetParam(const std::string& param_name, ParamValue& value) const
{
    const Param* param = GetParam(param_name);
    if (param)
        value = param->value;
    return param != nullptr;
}

void Node::ForEachParam(const std::function<void(const Param&)>& visit) const
{
    std::vector<const Param*> sorted;
    sorted.reserve(params.size());
    for (const std::unique_ptr<Param>& param : params)
        sorted.push_back(param.get());
    std::sort(sorted.begin(), sorted.end(), [](const Param* a, const Param* b) { return a->name < b->name; });
    for (const Param* param : sorted)
        visit(*param);
}

// ---- NetlistDB ----

NetlistDB::NetlistDB()
{
    CreateTop();
}

// Slices never touch their sources when destroyed, so nodes may go in any order.
NetlistDB::~NetlistDB() = default;

void NetlistDB::CreateTop()
{
    top = std::make_unique<Node>(this, "(top)");
    top->NewPort("(zero)", 1);
    top->NewPort("(one)", 1);
}

void NetlistDB::ReportRepeatedOverlaps() const
{
    auto report_node = [](const Node& node) {
        node.ForEachPort([&node](Port& port) {
            if (const Input* input = port.AsInput(); input && input->overlaps > 1)
                report(SEV_ERROR, "Ignored " + std::to_string(input->overlaps - 1) +
                                      " more overlapping bit Slices in Input Port " + input->name + " of node " +
                                      node.name);
        });
    };
    report_node(*top);
    ForEachNode(report_node);
}

void NetlistDB::ReportSlicesBeyondPorts() const
{
    long long count = 0;
    std::string first;
    auto check_node = [&](const Node& node) {
        node.ForEachPort([&](Port& port) {
            const Input* input = port.AsInput();
            if (!input)
                return;
            input->ForEachSlice([&](Slice& slice) {
                const bool constant = slice.source == ZeroPort() || slice.source == OnePort();
                const long long source_end = static_cast<long long>(slice.srcLow) + slice.width;
                const long long input_end = static_cast<long long>(slice.dstLow) + slice.width;
                if ((constant || source_end <= slice.source->width) && input_end <= input->width)
                    return;
                if (count++ == 0)
                    first = "bits " + std::to_string(slice.dstLow) + " to " + std::to_string(input_end - 1) + " of " +
                            node.name + "." + input->name + " (" + std::to_string(input->width) +
                            " bits) from bits " + std::to_string(slice.srcLow) + " to " +
                            std::to_string(source_end - 1) + " of " + slice.source->owner->name + "." +
                            slice.source->name + " (" + std::to_string(slice.source->width) + " bits)";
            });
        });
    };
    check_node(*top);
    ForEachNode(check_node);
    if (count > 0)
        report(SEV_WARNING, std::to_string(count) + " bit slice(s) reach beyond the width of their ports, the first " +
                                first + "; bits beyond a port read 0.");
}

void NetlistDB::Clear()
{
    creation_order.clear();
    nodes.clear();
    top.reset();
    elaborated = ElaboratedModule();
    clocks.clear();
    clock_count = 0;
    CreateTop();
}

Node* NetlistDB::CreateNode(const std::string& name)
{
    auto [slot, inserted] = nodes.try_emplace(name);
    if (!inserted) {
        report(SEV_ERROR, "Namespace collision when creating node. Name:" + name);
        return slot->second.get();
    }
    slot->second = std::make_unique<Node>(this, name);
    slot->second->index = static_cast<int>(creation_order.size());
    creation_order.push_back(slot->second.get());
    return slot->second.get();
}

Node* NetlistDB::FindNode(const std::string& name) const
{
    auto found = nodes.find(name);
    return found == nodes.end() ? nullptr : found->second.get();
}

void NetlistDB::ForEachNode(const std::function<void(Node&)>& visit) const
{
    for (Node* node : creation_order)
        visit(*node);
}

std::vector<const Node*> NetlistDB::NodesByName() const
{
    std::vector<const Node*> sorted(creation_order.begin(), creation_order.end());
    std::sort(sorted.begin(), sorted.end(), [](const Node* a, const Node* b) { return a->name < b->name; });
    return sorted;
}

Port* NetlistDB::ZeroPort() const
{
    return top->FindPort("(zero)");
}

Port* NetlistDB::OnePort() const
{
    return top->FindPort("(one)");
}

Port* NetlistDB::FindDesignPort(const std::string& name) const
{
    return top->FindPort(name);
}

Port* NetlistDB::AddDesignInput(const std::string& name)
{
    return top->NewPort(name, 1);
}

Port* NetlistDB::AddDesignOutput(const std::string& name)
{
    return top->NewPort(name, 0);
}

int NetlistDB::AddClock(const std::string& name)
{
    auto [slot, inserted] = clocks.try_emplace(name, clock_count + 1);
    if (!inserted) {
        report(SEV_WARNING, "Attemped to create clocks with duplicate names. Proceeding, assuming the clocks "
                            "ARE IDENTICAL.");
        return slot->second;
    }
    clock_count++;
    return slot->second;
}

int NetlistDB::ClockNumber(const std::string& name) const
{
    auto found = clocks.find(name);
    return found == clocks.end() ? 0 : found->second;
}

void NetlistDB::ForEachClock(const std::function<void(const std::string& name, int number)>& visit) const
{
    std::vector<std::pair<int, const std::string*>> sorted;
    sorted.reserve(clocks.size());
    for (const auto& [name, number] : clocks)
        sorted.emplace_back(number, &name);
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : *a.second < *b.second;
    });
    for (const auto& [number, name] : sorted)
        visit(*name, number);
}

void NetlistDB::SetTopParam(const std::string& name, const std::string& text)
{
    ParamValue value;
    value.set_text(text);
    top->SetParam(name, value);
}

std::string NetlistDB::GetTopParamText(const std::string& name) const
{
    const Param* param = top->GetParam(name);
    return param ? param->value.text_form() : std::string();
}

}  // namespace KVC
