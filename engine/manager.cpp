// Sim::Manager: the node table with unique names, the lazily built scheduler, running
// cycles, the design-input inventory and teardown.
#include "engine/manager.h"

#include <algorithm>

#include "engine/constant_node.h"
#include "engine/scheduler.h"
#include "base/messages.h"

namespace Sim {

namespace {
bool NoParameters(const std::string&, ParamValue&) { return false; }
}  // namespace

Manager::Manager(const std::string& design_name) : design_name(design_name)
{
    Node_Constant_Sngl& top = Node_Constant_Sngl::Instance();
    top.Init("(top)", NoParameters, 0);
    top.SetManager(this);
    nodes["(top)"] = &top;
    creation_order.push_back(&top);
}

Manager::~Manager()
{
    scheduler.reset();
    for (Node_Base* node : creation_order)
        node->BeforeDelete();
    for (Node_Base* node : creation_order)
        if (node->IsDeletable())
            Destroy(node);
    // The shared constant node outlives this manager and must not look names up in it.
    Node_Constant_Sngl& top = Node_Constant_Sngl::Instance();
    if (top.GetManager() == this)
        top.SetManager(nullptr);
}

void Manager::Adopt(Node_Base* node, const std::string& node_name, const ParamQuery& query)
{
    auto [slot, inserted] = nodes.try_emplace(node_name, node);
    if (!inserted) {
        report(SEV_FATAL,
               "Node name '" + node_name + "' was not unique. This is an unrecoverable design violation.");
        Node_Base* older = slot->second;
        creation_order.erase(std::find(creation_order.begin(), creation_order.end(), older));
        if (older->IsDeletable())
            Destroy(older);
        slot->second = node;
        ++replacements;
    }
    creation_order.push_back(node);
    node->SetManager(this);
    // The rank is the number of nodes now held; after a replacement that number was
    // already given out, so the next unused rank is taken instead.
    int rank = std::max(static_cast<int>(nodes.size()), last_rank + 1);
    last_rank = rank;
    node->book->port_arena = &port_arena;
    node->Init(node_name, query ? query : ParamQuery(NoParameters), rank);
    HouseWords(node);
    DiscardScheduler();
}

// Narrow outputs move their stored words into the manager's word arena, in creation order,
// from which the evaluation order is derived: a settle then reads and writes a few dense
// cache lines instead of a line of every port object it touches. Words move only here,
// before any link, so only the node's own write paths need refreshing. Nodes that outlive
// the manager (the shared constant node) keep their words at home.
void Manager::HouseWords(Node_Base* node)
{
    if (!node->IsDeletable())
        return;
    bool moved = false;
    for (const Node_Base::OwnedPort& port : node->book->owned_ports) {
        if (spare_word == nullptr)
            spare_word = static_cast<uint32_t*>(word_arena.Allocate(sizeof(uint32_t), alignof(uint32_t)));
        if (port->MoveWord(spare_word)) {
            spare_word = nullptr;
            moved = true;
        }
    }
    if (moved)
        node->FollowPorts();
}

Node_Base* Manager::FindNode(const std::string& node_name) const
{
    auto found = nodes.find(node_name);
    return found == nodes.end() ? nullptr : found->second;
}

void Manager::SetInputOrder(const std::vector<std::string>& names)
{
    input_order.clear();
    for (size_t i = 0; i < names.size(); ++i)
        input_order[names[i]] = static_cast<int>(i);
}

void Manager::BuildScheduler()
{
    scheduler = std::make_unique<Scheduler>(*this);
    scheduler->SetChangeLog(change_log);
    for (Node_Base* node : creation_order) {
        node->PrepareRun();
        scheduler->Register(node);
    }
    scheduler->SortDesignInputs(input_order);
}

void Manager::DiscardScheduler() { scheduler.reset(); }

int Manager::Run(int cycles)
{
    if (!scheduler)
        BuildScheduler();
    return scheduler->RunCycles(cycles);
}

void Manager::InputInventory(std::vector<InputInfo>& list)
{
    if (!scheduler)
        BuildScheduler();
    scheduler->Inventory(list);
    DiscardScheduler();
}

int Manager::Cycle() const { return scheduler ? scheduler->Cycle() : 0; }

}  // namespace Sim
