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
        auto found = portPositions_.find(decl.name);
        return found == portPositions_.end() ? INT_MAX : found->second;
    };
    std::stable_sort(ioList_.begin(), ioList_.end(),
                     [&](const IoDecl& a, const IoDecl& b) { return position(a) < position(b); });
    for (const IoDecl& decl : ioList_) ioWidths_.emplace(decl.name, decl.msb - decl.lsb + 1);
}

void NetlistParser::DeclareWire(const std::string& name, int width)
{
    WireRec wire;
    wire.name = name;
    wire.width = width;
    wires_[name] = std::move(wire);
}

void NetlistParser::BeginInstance(const std::string& type_name, const std::string& instance_name)
{
    LibModule* module = map_->GetModule(type_name);
    if (!module) throw X_UnknownNodeType(Line(), type_name);
    instanceName_ = instance_name;
    instanceModule_ = module;
    instanceNode_ = database_.CreateNode(instance_name);
    instanceNode_->operatorCode = module->opcode;
    instanceNode_->clockDomain = 1;
}

void NetlistParser::ConnectPort(const std::string& port_name, TermList terms)
{
    const LibModule& module = *instanceModule_;
    if (module.IsClockPort(port_name)) {
        // A clock port only names a clock; it gets no database port and no connection.
        if (!terms.empty() && terms.front().kind == TERM_NAMED &&
            std::find(clocks_.begin(), clocks_.end(), terms.front().name) == clocks_.end())
            clocks_.push_back(terms.front().name);
        return;
    }
    if (module.IsInputPort(port_name)) {
        std::string sim_name = module.MapInputPort(port_name);
        pending_.push_back(Conn{instanceName_, sim_name, std::move(terms)});
        KVC::Port* port = instanceNode_->NewPort(sim_name, 0);
        int width = TotalWidth(pending_.back().terms);
        if (port) port->width = width;
        return;
    }
    if (!module.IsOutputPort(port_name)) throw X_UnknownPortName(Line(), port_name);
    if (terms.size() != 1) throw X_OutputDrivesMultipleWires(Line());
    const Term& term = terms.front();
    if (term.kind != TERM_NAMED) throw X_OutputAssignedLiteral(Line());
    std::string sim_name = module.MapOutputPort(port_name);
    if (!IsDeclaredWire(term.name)) throw X_OutputAssignedUnknown(Line());
    // The whole wire is driven by the whole output, whatever range or ~ was written on it.
    WireRec& wire = wires_[term.name];
    wire.driverNode = instanceName_;
    wire.driverPort = sim_name;
    KVC::Port* port = instanceNode_->NewPort(sim_name, 1);
    int width = TotalWidth(terms);
    if (port) port->width = width;
}

void NetlistParser::SetParameter(const std::string& sim_name, const ParamValue& value)
{
    instanceNode_->SetParam(sim_name, value);
}

bool NetlistParser::Assign(const std::string& target, TermList terms)
{
    if (!IsDeclaredWire(target)) {
        // Taken for a design output; W4 finds out whether it is one.
        pending_.push_back(Conn{TOP, target, std::move(terms)});
        return false;
    }
    if (terms.size() != 1) throw X_WireAssignGather(Line());
    const Term& term = terms.front();
    if (term.kind == TERM_NAMED && !term.name.empty() && IsDeclaredWire(term.name)) {
        WireRec alias = wires_[term.name];
        alias.alias = true;
        alias.aliasName = term.name;
        wires_[target] = std::move(alias);
        return true;
    }
    WireRec& wire = wires_[target];
    wire.driverNode = TOP;
    switch (term.kind) {
    case TERM_ZERO: wire.driverPort = ZERO; break;
    case TERM_ONE: wire.driverPort = ONE; break;
    case TERM_NAMED: wire.driverPort = term.name; break;
    default: throw X_WireAssignMismatch(Line());
    }
    return false;
}

bool NetlistParser::IsDeclaredWire(const std::string& name) const
{
    auto found = wires_.find(name);
    return found != wires_.end() && !found->second.alias && found->second.name == name;
}

int NetlistParser::NameWidth(const std::string& name) const
{
    std::string current = name;
    // Aliases form chains made in time order; the bound only guards against a cycle.
    for (size_t step = 0; step <= wires_.size(); ++step) {
        auto wire = wires_.find(current);
        if (wire != wires_.end() && !wire->second.alias && wire->second.name == current) return wire->second.width;
        auto decl = ioWidths_.find(current);
        if (decl != ioWidths_.end()) return decl->second;
        if (wire == wires_.end() || !wire->second.alias || wire->second.aliasName.empty() ||
            wire->second.aliasName == current)
            break;
        current = wire->second.aliasName;
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

void NetlistParser::WireUp()
{
    // W1: a clock that is a design input stops being a design port; any other is internal.
    for (const std::string& clock : clocks_) {
        auto decl = std::find_if(ioList_.begin(), ioList_.end(), [&](const IoDecl& d) { return d.name == clock; });
        if (decl != ioList_.end())
            ioList_.erase(decl);
        else
            internalClocks_.push_back(clock);
    }
    // W2: design ports on the top node.
    for (const IoDecl& decl : ioList_) {
        KVC::Port* port = decl.isInput ? database_.AddDesignInput(decl.name) : database_.AddDesignOutput(decl.name);
        if (port) port->width = decl.msb - decl.lsb + 1;
    }
    // W3: the port that drives each declared wire.
    for (auto& [name, wire] : wires_) {
        if (wire.alias || wire.name != name || wire.driverNode.empty()) continue;
        if (wire.driverNode == TOP) {
            if (wire.driverPort == ZERO)
                wire.port = database_.ZeroPort();
            else if (wire.driverPort == ONE)
                wire.port = database_.OnePort();
            else
                throw X_PortNotFound(wire.driverPort);
            continue;
        }
        KVC::Node* node = database_.FindNode(wire.driverNode);
        if (!node) throw X_NodeNotFound(wire.driverNode);
        wire.port = node->FindPort(wire.driverPort);
        if (!wire.port) throw X_PortNotFound(wire.driverPort);
    }
    // W4: every pending connection, in the order read.
    for (const Conn& connection : pending_) LinkConnection(connection);
}

// Links the terms last first, so the last term written drives the lowest bits.
void NetlistParser::LinkConnection(const Conn& connection)
{
    KVC::Input* input = nullptr;
    if (connection.node == TOP) {
        KVC::Port* port = database_.FindDesignPort(connection.port);
        input = port ? port->AsInput() : nullptr;
        if (!input) throw X_OutputNotFound(connection.port);
    } else {
        KVC::Node* node = database_.FindNode(connection.node);
        if (!node) throw X_NodeNotFound(connection.node);
        input = node->FindInput(connection.port);
        if (!input) throw X_PortNotFound(connection.port);
    }
    long long offset = 0;
    for (auto term = connection.terms.rbegin(); term != connection.terms.rend(); ++term) {
        KVC::Port* source = nullptr;
        switch (term->kind) {
        case TERM_ZERO: source = database_.ZeroPort(); break;
        case TERM_ONE: source = database_.OnePort(); break;
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
    auto wire = wires_.find(name);
    if (wire != wires_.end() && !wire->second.alias && wire->second.name == name) return wire->second.port;
    if (KVC::Port* port = database_.FindDesignPort(name)) return port;
    if (wire != wires_.end() && wire->second.alias) {
        // One step only; the port found is remembered in the alias entry.
        auto target = wires_.find(wire->second.aliasName);
        wire->second.port = target != wires_.end() ? target->second.port : nullptr;
        return wire->second.port;
    }
    throw X_WireNameNotFound(name);
}

}  // namespace Parser
