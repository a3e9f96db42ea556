// The scheduler: preparation of the evaluation plan (dependents, rank exchange), the
// clock phase, the rank-ordered settle with its loop limit, and the input-reachability
// search. The settle loop is the simulator's inner loop: it allocates nothing.
#include "engine/scheduler.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "engine/constant_node.h"
#include "engine/manager.h"
#include "base/messages.h"

namespace Sim {

namespace {
constexpr int kRankExchangePasses = 64;
constexpr int kMaxVisits = 10;  // bounds the reachability search on designs with loops
// Designs of more nodes than this outgrow the caches: their loops fetch nodes ahead.
constexpr int64_t kPrefetchNodes = 4096;
// How many turns ahead those loops fetch a node: far enough for memory to answer in time.
constexpr int kPrefetchDistance = 4;

bool IsTop(const Node_Base* node) { return node == &Node_Constant_Sngl::Instance(); }

// Asks for a node's object ahead of its turn: its first two cache lines, which hold the
// node bookkeeping and the fields of most node classes (their inputs' read paths and state).
void Prefetch(const Node_Base* node)
{
    __builtin_prefetch(node);
    __builtin_prefetch(reinterpret_cast<const char*>(node) + 64);
}
}  // namespace

Scheduler::Scheduler(Manager& owner) : manager(owner) {}

void Scheduler::Register(Node_Base* node)
{
    node->id = static_cast<int>(table.size());
    table.push_back(node);
    node->SetManager(&manager);
    if (table.size() > clock_work.size() * 64)
        clock_work.push_back(0);
    // An edge without registered outputs and with the base ClockHook can do nothing: such
    // nodes (the adders and the like, which answer IsSettled false) are not clocked.
    const bool idle_edge = node->base_clock_hook && !node->has_clocked;
    if (!node->IsSettled() && !idle_edge)
        clock_work[static_cast<size_t>(node->id) >> 6] |= uint64_t(1) << (node->id & 63);
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

void Scheduler::Prepare(bool exchange_ranks)
{
    std::vector<std::vector<Node_Base*>> readers = ReadersById();
    for (Node_Base* node : table) {
        node->book->single_dependent = nullptr;
        node->book->dependents = std::move(readers[node->id]);
    }
    if (exchange_ranks)
        ExchangeRanks();

    int max_rank = 0;
    for (Node_Base* node : table)
        max_rank = std::max(max_rank, node->rank);
    by_rank.assign(static_cast<size_t>(max_rank) + 1, nullptr);
    queue.Reset(max_rank);
    for (Node_Base* node : table) {
        // Readers start with the smallest rank first, so the likeliest next node leads.
        std::vector<Node_Base*>& list = node->book->dependents;
        for (size_t i = 1; i < list.size(); ++i)
            if (list[i]->rank < list[0]->rank)
                std::swap(list[0], list[i]);
        by_rank[node->rank] = node;
        if (list.size() == 1) {
            node->book->single_dependent = list[0];
            list.clear();
        }
        node->queued = false;
        Queue(node);  // the first settle evaluates every node
    }
    reader_start.assign(by_rank.size() + 1, 0);
    reader_ranks.clear();
    for (size_t rank = 0; rank < by_rank.size(); ++rank) {
        reader_start[rank] = static_cast<uint32_t>(reader_ranks.size());
        if (Node_Base* node = by_rank[rank]) {
            if (node->book->single_dependent != nullptr)
                reader_ranks.push_back(node->book->single_dependent->rank);
            for (Node_Base* reader : node->book->dependents)
                reader_ranks.push_back(reader->rank);
        }
    }
    reader_start[by_rank.size()] = static_cast<uint32_t>(reader_ranks.size());
    // N * N + 100 evaluations per settle, but on large designs no more than 64 per node and
    // 100,000 more: a settling design evaluates each node about once (ranks follow the data
    // flow), so only an oscillating loop reaches that, and beside 20,000 idle nodes it is
    // stopped after about a million evaluations instead of 400 million.
    int64_t n = static_cast<int64_t>(table.size());
    limit = std::min(n * n + 100, 64 * n + 100000);
    prefetch = n > kPrefetchNodes;
    prepared = true;
}

// Moves ranks so that a node usually ranks below the nodes reading it: a driver trades
// ranks with its lowest-ranked reader when that reader ranks below it. A lone reader that
// itself drives nothing is left alone (its place in the order does not matter). The passes
// run on dense copies of the ranks and reader lists: on large designs chasing the nodes'
// own fields pass after pass is dominated by cache misses.
void Scheduler::ExchangeRanks()
{
    const size_t n = table.size();
    std::vector<int> ranks(n);
    std::vector<uint32_t> start(n + 1, 0);
    std::vector<uint32_t> readers;
    for (size_t id = 0; id < n; ++id) {
        const Node_Base* driver = table[id];
        ranks[id] = driver->rank;
        start[id] = static_cast<uint32_t>(readers.size());
        const std::vector<Node_Base*>& list = driver->book->dependents;
        if (list.size() == 1 && list[0]->book->dependents.empty())
            continue;
        for (const Node_Base* reader : list)
            readers.push_back(static_cast<uint32_t>(reader->id));
    }
    start[n] = static_cast<uint32_t>(readers.size());

    // A pass that exchanges nothing leaves the ranks as they were, so every later pass
    // would do the same: stopping there gives the ranks the full count of passes gives.
    bool exchanged = true;
    for (int pass = 0; pass < kRankExchangePasses && exchanged; ++pass) {
        exchanged = false;
        for (size_t id = 0; id < n; ++id) {
            const uint32_t end = start[id + 1];
            if (start[id] == end)
                continue;
            uint32_t lowest = readers[start[id]];
            for (uint32_t i = start[id] + 1; i < end; ++i)
                if (ranks[readers[i]] < ranks[lowest])
                    lowest = readers[i];
            if (ranks[lowest] < ranks[id]) {
                std::swap(ranks[lowest], ranks[id]);
                exchanged = true;
            }
        }
    }
    for (size_t id = 0; id < n; ++id)
        table[id]->rank = ranks[id];
}

// The queue's own bits are the queued marks of the nodes: a rank is pushed at most once
// until it is popped, and the ranks frozen by the unstable-loop warning never again.
void Scheduler::Queue(Node_Base* node) { queue.Push(node->rank); }

// Inlined into both loops: it runs after most evaluations at high activity.
[[gnu::always_inline]] inline void Scheduler::QueueDependents(int rank)
{
    const uint32_t end = reader_start[static_cast<size_t>(rank) + 1];
    for (uint32_t i = reader_start[static_cast<size_t>(rank)]; i < end; ++i)
        queue.Push(reader_ranks[i]);
}

void Scheduler::ClockPhase()
{
    // Nodes are visited in table order. The marks are read from the live words at the
    // moment each node's turn comes, so a register that changes its own mark affects only
    // the following cycles, and a mark changed for a later node during the phase counts.
    // As in Settle, the exception handlers sit outside the loop: a failing node is reported
    // (its edge counts as unchanged) and the phase resumes with the next marked node.
    size_t word = 0;
    uint64_t done = 0;  // bits of clock_work[word] already visited
    Node_Base* node = nullptr;
    while (word < clock_work.size()) {
        try {
            for (; word < clock_work.size(); ++word, done = 0) {
                while (uint64_t waiting = clock_work[word] & ~done) {
                    int bit = __builtin_ctzll(waiting);
                    done |= (uint64_t(2) << bit) - 1;
                    node = table[word * 64 + static_cast<size_t>(bit)];
                    if (prefetch)  // a node a few turns ahead is fetched while this one is clocked
                        if (int64_t ahead = NthBitAhead(clock_work, word, waiting & ~done, kPrefetchDistance);
                            ahead >= 0)
                            Prefetch(table[static_cast<size_t>(ahead)]);
                    if (node->mark_cleared_at_edge)
                        clock_work[word] &= ~(uint64_t(1) << bit);
                    if (node->ClockEdge()) {
                        QueueDependents(node->rank);
                        if (change_log)
                            change_log->push_back(node);
                    }
                }
            }
        } catch (const std::exception& error) {
            ReportFailure(node, error.what());
        } catch (...) {
            ReportFailure(node, "unknown exception");
        }
    }
}

int Scheduler::Settle()
{
    for (Node_Base* input : design_inputs)
        if (!input->IsSettled())
            Queue(input);
    int64_t count = 0;
    // The exception handlers sit outside the evaluation loop, so an evaluation costs no call
    // of its own; after a failure (reported, counted as an unchanged evaluation) the loop
    // resumes with the next queued node.
    for (bool drained = false; !drained && count <= limit;) {
        int rank = -1;
        try {
            while ((rank = queue.Pop()) >= 0) {
                // A node a few turns ahead is fetched while this one evaluates: on large
                // designs the settle loop waits on memory more than it computes.
                if (int ahead = prefetch ? queue.PeekAhead(rank, kPrefetchDistance) : -1; ahead >= 0)
                    Prefetch(by_rank[ahead]);
                if (by_rank[rank]->Evaluate()) {
                    QueueDependents(rank);
                    if (change_log)
                        change_log->push_back(by_rank[rank]);
                }
                if (++count > limit)
                    break;
            }
            drained = true;  // or over the limit, which ends the loop as well
        } catch (const std::exception& error) {
            ReportFailure(by_rank[rank], error.what());
            ++count;
        } catch (...) {
            ReportFailure(by_rank[rank], "unknown exception");
            ++count;
        }
    }
    if (count > limit) {
        WarnUnstable();
        return 0;
    }
    return static_cast<int>(std::min<int64_t>(count, INT32_MAX));
}

void Scheduler::SaveState(StateWriter& out) const
{
    out.I32(cycle);
    out.Bool(warned);
    out.U64(clock_work.size());
    for (uint64_t word : clock_work)
        out.U64(word);
    queue.SaveState(out);
}

bool Scheduler::RestoreState(StateReader& in)
{
    int32_t saved_cycle = 0;
    bool saved_warned = false;
    uint64_t words = 0;
    if (!in.I32(saved_cycle) || !in.Bool(saved_warned) || !in.U64(words))
        return false;
    if (saved_cycle < 0 || words != clock_work.size())
        return in.Fail();
    std::vector<uint64_t> marks(clock_work.size());
    for (uint64_t& word : marks)
        if (!in.U64(word))
            return false;
    // A mark beyond the table, or a queued rank no node holds, would be followed to no node.
    if (table.size() % 64 != 0 && !marks.empty() && (marks.back() >> (table.size() % 64)) != 0)
        return in.Fail();
    auto held = [&](int rank) { return static_cast<size_t>(rank) < by_rank.size() && by_rank[rank] != nullptr; };
    if (!queue.RestoreState(in, held))
        return false;
    cycle = saved_cycle;
    warned = saved_warned;
    clock_work = std::move(marks);
    return true;
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
    for (int rank; (rank = queue.Pop()) >= 0;) {
        Node_Base* node = by_rank[rank];
        node->queued = true;
        queue.Freeze(rank);
        if (!warned)
            names += " " + node->Name();
    }
    if (!warned) {
        report(SEV_INFO, "The following nodes may be unstable: " + names);
        warned = true;
    }
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
            node->book->visits = 0;
    }
}

bool Scheduler::ReachesOutput(Node_Base* design_input, const std::vector<std::vector<Node_Base*>>& readers)
{
    // The order of a recursive search, kept on a list of frames (deep designs would exhaust
    // the call stack): each reader is counted and searched from before its next sibling is
    // looked at. The visit limit makes that order part of the answer.
    struct Frame {
        Node_Base* node;
        size_t next;  // the next reader of `node` to look at
    };
    std::vector<Frame> path{{design_input, 0}};
    while (!path.empty()) {
        Node_Base* current = path.back().node;
        const std::vector<Node_Base*>& list = readers[current->id];
        if (path.back().next == list.size()) {
            path.pop_back();
            continue;
        }
        Node_Base* reader = list[path.back().next++];
        if (reader->book->visits >= kMaxVisits)
            continue;
        ++reader->book->visits;
        if (dynamic_cast<Node_Perimeter_Out*>(reader) != nullptr)
            return true;
        if (!reader->IsSequential() || (reader->ForwardsInputs() && reader->ForwardsFrom(current)))
            path.push_back({reader, 0});
    }
    return false;
}

}  // namespace Sim
