// Elaboration: the actions NetlistParser performs as constructs are recognised (module I/O,
// wires, instances, connections, parameters, assignments) and the wiring that runs after the
// endmodule: clocks against design inputs, design ports, wire drivers, then every pending
// connection linked into bit slices, last term first.
#include <algorithm>
#include <climits>

#include "base/limits.h"
#include "frontend/grammar_errors.h"
#include "frontend/netlist_parser.h"
#include "base/messages.h"
#include "netlistdb/netlist_db.h"

namespace Parser {

namespace {

const char* const TOP = "(top)";
const char* const ZERO = "(zero)";
const char* const ONE = "(one)";

}  // namespace

// Declarations whose names the header does not list go after the listed ones, in the order
// they were declared.
void NetlistParser::SortIoList()
{
    auto position = [this](const IoDecl& decl) {
        auto found = port_positions.find(decl.name);
        return found == port_positions.end() ? INT_MAX : found->second;
    };
    std::stable_sort(io_list.begin(), io_list.end(),
                     [&](const IoDecl& a, const IoDecl& b) { return position(a) < position(b); });
    for (const IoDecl& decl : io_list) io_widths.emplace(decl.name, decl.msb - decl.lsb + 1);
    alias_shortcuts.clear();
}

void NetlistParser::DeclareWire(const std::string& name, int width)
{
    WireRec wire;
    wire.name = name;
    wire.width = width;
    wires[name] = std::move(wire);
    alias_shortcuts.clear();
}

void NetlistParser::BeginInstance(const std::string& type_name, const std::string& instance_name)
{
    LibModule* module = map->GetModule(type_name);
    if (!module) throw X_UnknownNodeType(Line(), type_name);
    current_instance = instance_name;
    current_module = module;
    current_node = database.CreateNode(instance_name);
    current_node->operatorCode = module->opcode;
    current_node->clockDomain = 1;
}

void NetlistParser::ConnectPort(const std::string& port_name, TermList terms)
{
    const LibModule& module = *current_module;
    if (module.IsClockPort(port_name)) {
        // A clock port only names a clock; it gets no database port and no connection.
        if (!terms.empty() && terms.front().kind == TERM_NAMED &&
            std::find(clocks.begin(), clocks.end(), terms.front().name) == clocks.end())
            clocks.push_back(terms.front().name);
        return;
    }
    if (module.IsInputPort(port_name)) {
        std::string sim_name = module.MapInputPort(port_name);
        WarnUnrangedNames(terms, current_instance + "." + port_name);
        pending.push_back(Conn{current_instance, sim_name, std::move(terms)});
        KVC::Port* port = current_node->NewPort(sim_name, 0);
        int width = TotalWidth(pending.back().terms);
        if (port) port->width = width;
        return;
    }
    if (!module.IsOutputPort(port_name)) throw X_UnknownPortName(Line(), port_name);
    if (terms.size() != 1) throw X_OutputDrivesMultipleWires(Line());
    const Term& term = terms.front();
    if (term.kind != TERM_NAMED) throw X_OutputAssignedLiteral(Line());
    std::string sim_name = module.MapOutputPort(port_name);
    if (!IsDeclaredWire(term.name)) throw X_OutputAssignedUnknown(Line());
    output_names.push_back({current_instance, port_name, sim_name});
    // The whole wire is driven by the whole output, whatever range or ~ was written on it.
    WireRec& wire = wires[term.name];
    const std::string written = (term.inverted ? "~" : "") + term.name +
                                (term.rangeGiven ? "[" + std::to_string(term.msb) + ":" + std::to_string(term.lsb) + "]"
                                                 : std::string());
    if (term.inverted)
        report(SEV_WARNING, "Netlist line " + std::to_string(Line()) + ": output " + current_instance + "." +
                                port_name + " is connected to " + written +
                                ": the inversion is dropped, outputs drive wires as they are.");
    if (term.rangeGiven && (term.lsb != 0 || term.msb != wire.width - 1))
        report(SEV_WARNING, "Netlist line " + std::to_string(Line()) + ": output " + current_instance + "." +
                                port_name + " is connected to " + written + " but drives the whole wire " +
                                term.name + " (" + std::to_string(wire.width) + " bits).");
    wire.driver_node = current_instance;
    wire.driver_port = sim_name;
    KVC::Port* port = current_node->NewPort(sim_name, 1);
    int width = TotalWidth(terms);
    if (port) port->width = width;
}

void NetlistParser::SetParameter(const std::string& sim_name, const ParamValue& value)
{
    current_node->SetParam(sim_name, value);
}

bool NetlistParser::Assign(const std::string& target, TermList terms)
{
    if (!IsDeclaredWire(target)) {
        // Taken for a design output; W4 finds out whether it is one.
        WarnUnrangedNames(terms, target);
        pending.push_back(Conn{TOP, target, std::move(terms)});
        return false;
    }
    if (terms.size() != 1) throw X_WireAssignGather(Line());
    const Term& term = terms.front();
    if (term.kind == TERM_NAMED && !term.name.empty() && IsDeclaredWire(term.name)) {
        if (term.inverted)
            report(SEV_WARNING, "Netlist line " + std::to_string(Line()) + ": 'assign " + target + " = ~" + term.name +
                                    "' makes " + target + " another name for " + term.name +
                                    ": the inversion is dropped.");
        WireRec alias = wires[term.name];
        alias.alias = true;
        alias.alias_name = term.name;
        wires[target] = std::move(alias);
        return true;
    }
    WireRec& wire = wires[target];
    wire.driver_node = TOP;
    switch (term.kind) {
    case TERM_ZERO: wire.driver_port = ZERO; break;
    case TERM_ONE: wire.driver_port = ONE; break;
    case TERM_NAMED: wire.driver_port = term.name; break;
    default: throw X_WireAssignMismatch(Line());
    }
    return false;
}

bool NetlistParser::IsDeclaredWire(const std::string& name) const
{
    auto found = wires.find(name);
    return found != wires.end() && !found->second.alias && found->second.name == name;
}

int NetlistParser::NameWidth(const std::string& name) const
{
    std::string current = name;
    std::vector<std::string> walked;  // alias entries passed, each neither a wire nor a port
    auto found = [&](int width) {
        for (const std::string& alias : walked)
            alias_shortcuts[alias] = current;
        return width;
    };
    // Aliases form chains made in time order; the bound only guards against a cycle.
    for (size_t step = 0; step <= wires.size(); ++step) {
        auto wire = wires.find(current);
        if (wire != wires.end() && !wire->second.alias && wire->second.name == current) return found(wire->second.width);
        auto decl = io_widths.find(current);
        if (decl != io_widths.end()) return found(decl->second);
        if (wire == wires.end() || !wire->second.alias || wire->second.alias_name.empty() ||
            wire->second.alias_name == current)
            break;
        walked.push_back(current);
        auto shortcut = alias_shortcuts.find(current);
        current = shortcut != alias_shortcuts.end() ? shortcut->second : wire->second.alias_name;
    }
    throw X_WireNameNotFound(name);
}

int NetlistParser::TotalWidth(const TermList& terms) const
{
    long long total = 0;
    for (const Term& term : terms) {
        total += term.rangeGiven ? static_cast<long long>(term.msb) - term.lsb + 1 : NameWidth(term.name);
        if (total > kMaxBits) throw X_WidthTooLarge(Line());
    }
    return static_cast<int>(total);
}

void NetlistParser::WarnUnrangedNames(const TermList& terms, const std::string& where) const
{
    if (terms.size() < 2)
        return;  // a single term fills the whole input from bit 0
    for (const Term& term : terms) {
        if (term.kind != TERM_NAMED || term.rangeGiven)
            continue;
        int width = 0;
        try {
            width = NameWidth(term.name);
        } catch (const X_Grammar&) {
            continue;  // an unknown name fails the wiring with its own error
        }
        if (width > 1)
            report(SEV_WARNING, "Netlist line " + std::to_string(Line()) + ": in the concatenation connected to " +
                                    where + ", '" + term.name + "' (" + std::to_string(width) +
                                    " bits) has no range and connects only its bit 0; write " + term.name + "[" +
                                    std::to_string(width - 1) + ":0].");
    }
}

void NetlistParser::WireUp()
{
    // W1: a clock that is a design input stops being a design port; any other is internal.
    for (const std::string& clock : clocks) {
        auto decl = std::find_if(io_list.begin(), io_list.end(), [&](const IoDecl& d) { return d.name == clock; });
        if (decl != io_list.end())
            io_list.erase(decl);
        else
            internal_clocks.push_back(clock);
    }
    // W2: design ports on the top node.
    KVC::ElaboratedModule module{module_name, {}, clocks, internal_clocks, {}, {}};
    for (const IoDecl& decl : io_list) {
        if (database.FindNode(decl.name)) throw X_PortNamedLikeInstance(decl.name);
        KVC::Port* port = decl.isInput ? database.AddDesignInput(decl.name) : database.AddDesignOutput(decl.name);
        if (port) port->width = decl.msb - decl.lsb + 1;
        module.ports.push_back({decl.name, decl.msb - decl.lsb + 1, decl.isInput});
    }
    // W3: the port that drives each declared wire.
    for (auto& [name, wire] : wires) {
        if (wire.alias || wire.name != name || wire.driver_node.empty()) continue;
        if (wire.driver_node == TOP) {
            if (wire.driver_port == ZERO)
                wire.port = database.ZeroPort();
            else if (wire.driver_port == ONE)
                wire.port = database.OnePort();
            else
                throw X_PortNotFound(wire.driver_port);
            continue;
        }
        KVC::Node* node = database.FindNode(wire.driver_node);
        if (!node) throw X_NodeNotFound(wire.driver_node);
        wire.port = node->FindPort(wire.driver_port);
        if (!wire.port) throw X_PortNotFound(wire.driver_port);
    }
    module.wires = DrivenWires();
    module.output_names = std::move(output_names);
    database.SetModule(std::move(module));
    // W4: every pending connection, in the order read.
    for (const Conn& connection : pending) LinkConnection(connection);
    database.ReportRepeatedOverlaps();
    database.ReportSlicesBeyondPorts();
}

// Every declared wire with a driver, and every alias of one, with the output that drives it.
std::vector<KVC::ElaboratedModule::Wire> NetlistParser::DrivenWires() const
{
    std::vector<KVC::ElaboratedModule::Wire> driven;
    for (const auto& [name, entry] : wires) {
        const WireRec* wire = &entry;
        // An alias entry is a copy of its source's entry (name included): its driver is there.
        for (int hops = 0; wire->alias && hops < 64; ++hops) {
            auto source = wires.find(wire->name);
            if (source == wires.end() || &source->second == wire)
                break;
            wire = &source->second;
        }
        if (!wire->driver_node.empty())
            driven.push_back({name, entry.width, wire->driver_node, wire->driver_port});
    }
    std::sort(driven.begin(), driven.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return driven;
}

// Links the terms last first, so the last term written drives the lowest bits.
void NetlistParser::LinkConnection(const Conn& connection)
{
    KVC::Input* input = nullptr;
    if (connection.node == TOP) {
        KVC::Port* port = database.FindDesignPort(connection.port);
        input = port ? port->AsInput() : nullptr;
        if (!input) throw X_OutputNotFound(connection.port);
    } else {
        KVC::Node* node = database.FindNode(connection.node);
        if (!node) throw X_NodeNotFound(connection.node);
        input = node->FindInput(connection.port);
        if (!input) throw X_PortNotFound(connection.port);
    }
    long long offset = 0;
    for (auto term = connection.terms.rbegin(); term != connection.terms.rend(); ++term) {
        KVC::Port* source = nullptr;
        switch (term->kind) {
        case TERM_ZERO: source = database.ZeroPort(); break;
        case TERM_ONE: source = database.OnePort(); break;
        case TERM_NAMED: source = ResolveSource(term->name); break;
        default: throw X_Fault("term of unknown kind in a connection");
        }
        int width = term->msb - term->lsb + 1;
        if (offset + width > kMaxBits) throw X_WidthTooLarge(-1);
        // An undriven wire gives no source: NewSlice reports it and makes no slice.
        if (KVC::Slice* slice = input->NewSlice(static_cast<int>(offset), width, source, term->lsb))
            if (term->inverted) slice->inverted = true;
        offset += width;
    }
}

KVC::Port* NetlistParser::ResolveSource(const std::string& name)
{
    auto wire = wires.find(name);
    if (wire != wires.end() && !wire->second.alias && wire->second.name == name) return wire->second.port;
    if (KVC::Port* port = database.FindDesignPort(name)) return port;
    if (wire != wires.end() && wire->second.alias) {
        // One step only; the port found is remembered in the alias entry.
        auto target = wires.find(wire->second.alias_name);
        wire->second.port = target != wires.end() ? target->second.port : nullptr;
        return wire->second.port;
    }
    throw X_WireNameNotFound(name);
}

}  // namespace Parser
