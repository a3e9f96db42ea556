// Elaboration and the cycle of the reference model. Slices come from the connection terms
// the documented way (last term at bit 0; a "(one)" slice wider than 32 bits becomes inverted
// "(zero)"); an input with one slice reads its source directly or through a shared
// downshifter, an input with several through an adapter. A cycle gives every node with edge
// work its clock edge, then evaluates queued nodes smallest rank first; a node whose outputs
// changed queues every reader of its outputs.
#include "model/ref_sim.h"

#include <functional>
#include <map>
#include <set>

namespace reference {

std::unique_ptr<Node> MakeInstanceNode(const Instance& inst)
{
    const ModuleType* type = FindModuleType(inst.type);
    if (!type)
        throw Unsupported("module type " + inst.type);
    SimParams params;
    for (const Parameter& p : inst.params)
        for (const MapPort& m : type->params)
            if (m.netlist == p.name)
                params[m.sim] = ParamSetting{p.text.empty() ? p.integer : 0, p.text};
    std::unique_ptr<Node> node = MakePrimitive(type->code, inst.name, params);
    if (!node)
        throw Unsupported("class of " + inst.name);
    return node;
}

Simulation::Simulation(const Design& design)
{
    Elaborate(design);
}

Simulation::~Simulation() = default;

Node* Simulation::AddNode(std::unique_ptr<Node> node)
{
    nodes_.push_back(std::move(node));
    return nodes_.back().get();
}

const OutPort* Simulation::Resolve(const Design& design, const std::string& name) const
{
    for (const auto& [wire, port] : wire_ports_)
        if (wire == name)
            return port;
    for (size_t i = 0; i < design.inputs.size(); ++i)
        if (design.inputs[i].name == name)
            return inputs_[i]->port;
    for (const Alias& a : design.aliases)
        if (a.name == name)
            return Resolve(design, a.target);
    throw Unsupported("unresolved signal " + name);
}

std::vector<Simulation::Slice> Simulation::Slices(const Design& design, const Expression& terms) const
{
    std::vector<Slice> slices;
    int offset = 0;
    for (auto it = terms.rbegin(); it != terms.rend(); ++it) {
        const Term& t = *it;
        Slice s{};
        s.source = t.kind == Term::kZeros  ? constants_->zero
                   : t.kind == Term::kOnes ? constants_->one
                                           : Resolve(design, t.name);
        s.src_low = t.kind == Term::kNamed ? t.lsb : 0;
        s.dst_low = offset;
        s.bits = t.Width();
        s.inverted = false;
        if (s.bits > 32 && s.source == constants_->one) { // ones wider than 32 bits are inverted zeros
            s.source = constants_->zero;
            s.inverted = true;
        }
        if (t.kind == Term::kNamed && t.inverted)
            s.inverted = true;
        s.from_zero = s.source == constants_->zero;
        s.from_one = s.source == constants_->one;
        slices.push_back(s);
        offset += s.bits;
    }
    return slices;
}

void Simulation::Link(InPort* in, const std::vector<Slice>& slices, int db_width, const std::string& owner)
{
    if (slices.size() == 1) {
        const Slice& s = slices[0];
        in->inverted = s.inverted;
        if (s.src_low == 0) {
            in->source = s.source;
            return;
        }
        const std::string name =
            "Downshift(" + s.source->owner->name + ":" + s.source->name + ":" + std::to_string(s.src_low) + ")";
        for (auto& node : nodes_)
            if (node->name == name) {
                in->source = static_cast<Downshifter*>(node.get())->to;
                return;
            }
        auto* shifter =
            static_cast<Downshifter*>(AddNode(std::make_unique<Downshifter>(name, s.source->width, s.src_low)));
        shifter->from->source = s.source;
        in->source = shifter->to;
        return;
    }
    auto* adapter =
        static_cast<Adapter*>(AddNode(std::make_unique<Adapter>("Adapter(" + owner + ":" + in->name + ")", db_width)));
    for (const Slice& s : slices)
        adapter->DefineInput(s.src_low, s.dst_low, s.bits, s.source, s.from_zero, s.from_one, s.inverted);
    adapter->Finish();
    in->source = adapter->out;
    in->inverted = false;
}

void Simulation::Elaborate(const Design& design)
{
    constants_ = static_cast<ConstantNode*>(AddNode(std::make_unique<ConstantNode>()));
    for (const Instance& inst : design.instances) {
        const ModuleType* type = FindModuleType(inst.type);
        Node* added = AddNode(MakeInstanceNode(inst));
        instances_.push_back({inst.name, added});
        for (const auto& [port, wire] : inst.outputs)
            for (const MapPort& m : type->outputs)
                if (m.netlist == port)
                    wire_ports_.push_back({wire, added->Out(m.sim)});
    }
    for (const ConstantWire& c : design.constants)
        wire_ports_.push_back({c.name, c.ones ? constants_->one : constants_->zero});
    for (const Signal& s : design.inputs) {
        input_nodes_.push_back(static_cast<int>(nodes_.size()));
        inputs_.push_back(static_cast<PerimeterIn*>(AddNode(std::make_unique<PerimeterIn>(s.name, s.width))));
    }
    for (const Signal& s : design.outputs)
        outputs_.push_back(static_cast<PerimeterOut*>(AddNode(std::make_unique<PerimeterOut>(s.name, s.width))));

    // Every input first reads the constant its kind names.
    for (auto& node : nodes_)
        for (auto& in : node->inputs)
            in->source = in->kind == 1   ? constants_->zero
                         : in->kind == 2 ? constants_->OnesFor(in->width)
                                         : constants_->unused;

    for (size_t i = 0; i < design.outputs.size(); ++i)
        Link(outputs_[i]->input, Slices(design, design.output_exprs[i]), design.outputs[i].width, "(top)");
    for (size_t k = 0; k < design.instances.size(); ++k) {
        const Instance& inst = design.instances[k];
        const ModuleType* type = FindModuleType(inst.type);
        Node* node = instances_[k].second;
        for (const auto& [port, terms] : inst.inputs) {
            InPort* in = nullptr;
            for (const MapPort& m : type->inputs)
                if (m.netlist == port)
                    in = node->In(m.sim);
            if (!in)
                throw Unsupported("port " + port + " of " + inst.name);
            int db_width = 0;
            for (const Term& t : terms)
                db_width += t.Width();
            Link(in, Slices(design, terms), db_width, inst.name);
        }
    }

    // Readers of every node, and ranks: a depth-first order that puts drivers before their
    // readers (an edge that closes a loop through a register is left out).
    std::map<const Node*, int> index;
    for (size_t i = 0; i < nodes_.size(); ++i)
        index[nodes_[i].get()] = static_cast<int>(i);
    dependents_.assign(nodes_.size(), {});
    std::vector<std::vector<int>> drivers(nodes_.size());
    for (size_t j = 0; j < nodes_.size(); ++j)
        for (auto& in : nodes_[j]->inputs) {
            const int d = index.at(in->source->owner);
            if (d == 0)
                continue; // the constant node drives nothing that changes
            dependents_[d].push_back(static_cast<int>(j));
            drivers[j].push_back(d);
        }
    rank_.assign(nodes_.size(), 0);
    std::vector<int> state(nodes_.size(), 0);
    int next = 0;
    std::function<void(int)> visit = [&](int n) {
        state[n] = 1;
        for (int d : drivers[n])
            if (state[d] == 0)
                visit(d);
        state[n] = 2;
        rank_[n] = next++;
    };
    for (size_t n = 0; n < nodes_.size(); ++n)
        if (state[n] == 0)
            visit(static_cast<int>(n));
    queued_.assign(nodes_.size(), 0);
    certain_.assign(nodes_.size(), 0);
}

void Simulation::Write(int input, const Value& value)
{
    inputs_.at(input)->Write(value);
}

Value Simulation::Read(int output) const
{
    return outputs_.at(output)->captured;
}

std::string Simulation::ClassOf(const std::string& instance) const
{
    for (const auto& [name, node] : instances_)
        if (name == instance)
            return node->ClassName();
    return "";
}

void Simulation::Queue(int node, bool certain)
{
    if (!queued_[node]) {
        queued_[node] = 1;
        certain_[node] = certain;
    } else if (certain) {
        certain_[node] = 1;
    }
}

void Simulation::QueueDependents(int node, Change change)
{
    if (change == Change::kNo)
        return;
    for (int d : dependents_[node])
        Queue(d, change == Change::kYes);
}

void Simulation::Prepare()
{
    for (size_t n = 0; n < nodes_.size(); ++n)
        Queue(static_cast<int>(n), true);
    prepared_ = true;
}

void Simulation::ClockPhase()
{
    for (size_t n = 0; n < nodes_.size(); ++n)
        if (nodes_[n]->ClockWork())
            QueueDependents(static_cast<int>(n), nodes_[n]->ClockHook());
}

void Simulation::Settle()
{
    for (size_t i = 0; i < inputs_.size(); ++i)
        if (!inputs_[i]->Settled())
            Queue(input_nodes_[i], true);
    std::set<std::pair<int, int>> queue; // (rank, node)
    for (size_t n = 0; n < nodes_.size(); ++n)
        if (queued_[n])
            queue.insert({rank_[n], static_cast<int>(n)});
    const size_t limit = nodes_.size() * nodes_.size() + 100;
    size_t count = 0;
    while (!queue.empty()) {
        const int n = queue.begin()->second;
        queue.erase(queue.begin());
        queued_[n] = 0;
        Node* node = nodes_[n].get();
        node->writing_unknown = node->Combinational() && node->AnyInputUnknown();
        const Change change = node->Evaluate();
        node->writing_unknown = false;
        if (!certain_[n])
            node->UncertainEvaluation();
        for (int d : dependents_[n])
            if (change != Change::kNo) {
                const bool was = queued_[d];
                Queue(d, change == Change::kYes);
                if (!was)
                    queue.insert({rank_[d], d});
            }
        if (++count > limit)
            throw Unsupported("the design did not settle");
    }
}

void Simulation::Run(int cycles)
{
    if (cycles == 0) {
        if (!prepared_)
            Prepare();
        Settle();
        return;
    }
    for (int c = 0; c < cycles; ++c) {
        if (!prepared_)
            Prepare();
        ClockPhase();
        Settle();
    }
}

} // namespace reference
