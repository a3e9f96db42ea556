// The scheduler: preparation of the evaluation plan (dependents, rank exchange), the
// clock phase, the rank-ordered settle with its loop limit, and the input-reachability
// search. The settle loop is the simulator's inner loop: it allocates nothing.
#include "engine/scheduler.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "engine/constant_node.h"
#include "engine/manager.h"
#include "host/messages.h"

namespace Sim {

namespace {
constexpr int kRankExchangePasses = 64;
constexpr int kMaxVisits = 10;  // bounds the reachability search on designs with loops

bool IsTop(const Node_Base* node) { return node == &Node_Constant_Sngl::Instance(); }
}  // namespace

Scheduler::Scheduler(Manager& owner) : manager(owner) {}

void Scheduler::Register(Node_Base* node)
{
    node->id = static_cast<int>(table.size());
    table.push_back(node);
    node->SetManager(&manager);
    clock_work.push_back(node->IsSettled() ? 0 : 1);
    if (dynamic_cast<Node_Perimeter_In*>(node) != nullptr && node->Name() != "(top)")
        design_inputs.push_back(node);
}

void Scheduler::SortDesignInputs(const std::map<std::string, int>& input_order)
{
    auto position = [&](const Node_Base* node) {
        auto found = input_order.find(node->Name());
        return found == input_order.end() ? INT32_MAX : found->second;
    };
    std::stable_sort(design_inputs.begin(), design_inputs.end(),
                     [&](const Node_Base* a, const Node_Base* b) { return position(a) < position(b); });
}

bool Scheduler::IsRegistered(const Node_Base* node) const
{
    return node->id >= 0 && static_cast<size_t>(node->id) < table.size() && table[node->id] == node;
}

void Scheduler::SetClockWork(Node_Base* node, bool has_work)
{
    if (IsRegistered(node))
        clock_work[node->id] = has_work ? 1 : 0;
}

std::vector<std::vector<Node_Base*>> Scheduler::ReadersById() const
{
    std::vector<std::vector<Node_Base*>> readers(table.size());
    for (Node_Base* node : table) {
        if (IsTop(node))
            continue;
        for (Node_Base* driver : node->GetDrivers())
            if (!IsTop(driver) && IsRegistered(driver))
                readers[driver->id].push_back(node);
    }
    return readers;
}

int Scheduler::RunCycles(int cycles)
{
    if (cycles < 0)
        return cycles;
    if (!prepared)
        Prepare();
    if (cycles == 0)
        return Settle();
    int result = 0;
    for (int i = 0; i < cycles; ++i) {
        ClockPhase();
        ++cycle;
        result = Settle();
    }
    return result;
}

void Scheduler::Prepare()
{
    std::vector<std::vector<Node_Base*>> readers = ReadersById();
    for (Node_Base* node : table) {
        node->single_dependent = nullptr;
        node->dependents = std::move(readers[node->id]);
    }
    ExchangeRanks();

    int max_rank = 0;
    for (Node_Base* node : table)
        max_rank = std::max(max_rank, node->rank);
    by_rank.assign(static_cast<size_t>(max_rank) + 1, nullptr);
    queue.Reset(max_rank);
    for (Node_Base* node : table) {
        // Readers start with the smallest rank first, so the likeliest next node leads.
        std::vector<Node_Base*>& list = node->dependents;
        for (size_t i = 1; i < list.size(); ++i)
            if (list[i]->rank < list[0]->rank)
                std::swap(list[0], list[i]);
        by_rank[node->rank] = node;
        if (list.size() == 1) {
            node->single_dependent = list[0];
            list.clear();
        }
        node->queued = false;
        Queue(node);  // the first settle evaluates every node
    }
    int64_t n = static_cast<int64_t>(table.size());
    limit = n * n + 100;
    prepared = true;
}

// Moves ranks so that a node usually ranks below the nodes reading it: a driver trades
// ranks with its lowest-ranked reader when that reader ranks below it. A lone reader that
// itself drives nothing is left alone (its place in the order does not matter).
void Scheduler::ExchangeRanks()
{
    for (int pass = 0; pass < kRankExchangePasses; ++pass) {
        for (Node_Base* driver : table) {
            const std::vector<Node_Base*>& list = driver->dependents;
            Node_Base* lowest = nullptr;
            for (Node_Base* reader : list) {
                if (list.size() == 1 && reader->dependents.empty())
                    continue;
                if (lowest == nullptr || reader->rank < lowest->rank)
                    lowest = reader;
            }
            if (lowest != nullptr && lowest->rank < driver->rank)
                std::swap(lowest->rank, driver->rank);
        }
    }
}

void Scheduler::Queue(Node_Base* node)
{
    if (node->queued)
        return;
    node->queued = true;
    queue.Push(node->rank);
}

void Scheduler::QueueDependents(Node_Base* node)
{
    if (node->single_dependent != nullptr) {
        Queue(node->single_dependent);
        return;
    }
    for (Node_Base* reader : node->dependents)
        Queue(reader);
}

void Scheduler::ClockPhase()
{
    // The mark is read per index at the moment the node's turn comes, so a register
    // that changes its own mark affects only the following cycles.
    for (size_t i = 0; i < table.size(); ++i)
        if (clock_work[i] && ClockEdge(table[i]))
            QueueDependents(table[i]);
}

int Scheduler::Settle()
{
    for (Node_Base* input : design_inputs)
        if (!input->IsSettled())
            Queue(input);
    int64_t count = 0;
    while (!queue.Empty()) {
        Node_Base* node = by_rank[queue.Pop()];
        node->queued = false;
        if (Evaluate(node))
            QueueDependents(node);
        if (++count > limit) {
            WarnUnstable();
            return 0;
        }
    }
    return static_cast<int>(std::min<int64_t>(count, INT32_MAX));
}

void Scheduler::WarnUnstable()
{
    std::string names;
    if (!warned) {
        report(SEV_WARNING, "Design may contain an unstable concurrent logic loop; nodes did not converge to "
                            "stable values within reasonable time.");
        report(SEV_INFO,
               "Simulation speed and results may be affected. This warning will only be displayed once.");
    }
    // The nodes left in the queue keep their queued mark: they are frozen for the
    // lifetime of this scheduler.
    while (!queue.Empty()) {
        Node_Base* node = by_rank[queue.Pop()];
        if (!warned)
            names += " " + node->Name();
    }
    if (!warned) {
        report(SEV_INFO, "The following nodes may be unstable: " + names);
        warned = true;
    }
}

bool Scheduler::Evaluate(Node_Base* node)
{
    try {
        return node->Evaluate();
    } catch (const std::exception& error) {
        ReportFailure(node, error.what());
    } catch (...) {
        ReportFailure(node, "unknown exception");
    }
    return false;
}

bool Scheduler::ClockEdge(Node_Base* node)
{
    try {
        return node->ClockEdge();
    } catch (const std::exception& error) {
        ReportFailure(node, error.what());
    } catch (...) {
        ReportFailure(node, "unknown exception");
    }
    return false;
}

// A node whose operation raises is reported once in its lifetime, so a node failing in
// every cycle does not flood the console; its outputs are not touched by the engine.
void Scheduler::ReportFailure(Node_Base* node, const char* what)
{
    if (node->failure_reported)
        return;
    node->failure_reported = true;
    report(SEV_ERROR, "Node '" + node->Name() + "' (" + node->TypeName() +
                          ") failed during evaluation: " + what +
                          ". Its outputs keep their values; further failures of this node are not reported.");
}

void Scheduler::Inventory(std::vector<InputInfo>& list)
{
    std::vector<std::vector<Node_Base*>> readers = ReadersById();
    list.clear();
    for (size_t i = 0; i < design_inputs.size(); ++i) {
        list.push_back(
            {design_inputs[i]->Name(), static_cast<int>(i), ReachesOutput(design_inputs[i], readers)});
        for (Node_Base* node : table)
            node->visits = 0;
    }
}

bool Scheduler::ReachesOutput(Node_Base* design_input, const std::vector<std::vector<Node_Base*>>& readers)
{
    std::vector<Node_Base*> pending{design_input};
    while (!pending.empty()) {
        Node_Base* current = pending.back();
        pending.pop_back();
        for (Node_Base* reader : readers[current->id]) {
            if (reader->visits >= kMaxVisits)
                continue;
            ++reader->visits;
            if (dynamic_cast<Node_Perimeter_Out*>(reader) != nullptr)
                return true;
            if (!reader->IsSequential() || (reader->ForwardsInputs() && reader->ForwardsFrom(current)))
                pending.push_back(reader);
        }
    }
    return false;
}

}  // namespace Sim
