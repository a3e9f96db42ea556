// The scheduler of one manager: the registered node table, the clock-edge marks, the
// rank table and the rank-ordered event queue that settles the design after each clock
// edge. Built by the manager at the first run and discarded when the nodes change.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/node.h"
#include "engine/rank_queue.h"

namespace Sim {

class Manager;
struct InputInfo;

class Scheduler {
public:
    explicit Scheduler(Manager& owner);

    // Appends the node to the table, gives it its id and its initial clock-edge mark
    // (set when IsSettled() is false), and files design inputs.
    void Register(Node_Base* node);
    // Orders the design inputs by their position; inputs without one go last.
    void SortDesignInputs(const std::map<std::string, int>& input_order);
    // See Manager::Run.
    int RunCycles(int cycles);
    // Inline: registers call it twice a cycle each while their data keeps changing.
    void SetClockWork(Node_Base* node, bool has_work)
    {
        const size_t id = static_cast<size_t>(node->id);  // -1, unregistered, is out of range
        if (id >= table.size() || table[id] != node)
            return;
        const uint64_t bit = uint64_t(1) << (id & 63);
        uint64_t& word = clock_work[id >> 6];
        word = has_work ? (word | bit) : (word & ~bit);
    }
    // One entry per design input, in design-input order: whether any design output
    // depends on it (see ReachesOutput).
    void Inventory(std::vector<InputInfo>& list);

    int Cycle() const { return cycle; }
    bool IsPrepared() const { return prepared; }
    // Prepares the plan on the nodes' ranks as they stand, without exchanging them: a
    // restored checkpoint brings the ranks its run had.
    void PrepareKeepingRanks() { Prepare(false); }
    // Checkpoints: the cycle count, the clock-edge marks, the queue and the warning given.
    // Restore expects a prepared scheduler of the same nodes.
    void SaveState(StateWriter& out) const;
    bool RestoreState(StateReader& in);
    // Where the nodes whose outputs changed are listed from now on (clock edges and
    // evaluations that report a change; a node may appear more than once); null stops it.
    void SetChangeLog(std::vector<Node_Base*>* log) { change_log = log; }

private:
    bool IsRegistered(const Node_Base* node) const
    {
        return node->id >= 0 && static_cast<size_t>(node->id) < table.size() && table[node->id] == node;
    }
    // For every registered node, by id, the registered nodes reading its outputs (one
    // entry per input read); the constant node "(top)" is left out on both sides.
    std::vector<std::vector<Node_Base*>> ReadersById() const;
    void Prepare(bool exchange_ranks = true);
    void ExchangeRanks();
    void ClockPhase();
    // Evaluates queued nodes, smallest rank first; the number of evaluations, or 0 when
    // the loop limit was exceeded.
    int Settle();
    void Queue(Node_Base* node);
    // Queues the readers of the node holding `rank`, from the rank-indexed reader table,
    // without touching the reader nodes themselves.
    void QueueDependents(int rank);
    void WarnUnstable();
    void ReportFailure(Node_Base* node, const char* what);
    // Depth-first search through the readers: combinational nodes pass it on, sequential
    // ones only when they forward the driving node's inputs. Each node is entered at most
    // kMaxVisits times per design input, which bounds the search on designs with loops.
    bool ReachesOutput(Node_Base* design_input, const std::vector<std::vector<Node_Base*>>& readers);

    Manager& manager;                       // the owning manager
    int cycle = 0;                          // clock cycles run with this scheduler
    bool warned = false;                    // the unstable-loop warning has been given
    // By id: bit id % 64 of word id / 64 is set when the node has clock-edge work. The
    // clock phase skips 64 idle nodes per word, so it costs little when few registers wait.
    std::vector<uint64_t> clock_work;
    std::vector<Node_Base*> table;          // registered nodes; the index is the node's id
    std::vector<Node_Base*> design_inputs;  // perimeter inputs other than "(top)"
    std::vector<Node_Base*> by_rank;        // by rank: the node holding it, or null
    // The ranks of the readers of each rank's node: those of rank r are
    // reader_ranks[reader_start[r] .. reader_start[r + 1]). The settle loop queues from these
    // dense tables instead of the readers' own fields, which would cost a cache miss each.
    std::vector<uint32_t> reader_start;
    std::vector<int> reader_ranks;
    bool prepared = false;                  // Prepare has run
    bool prefetch = false;                  // the design is large enough to fetch nodes ahead
    int64_t limit = 0;                      // evaluations allowed per settle: N * N + 100 up to 64 N + 100,000
    RankQueue queue;                        // ranks of the queued nodes, smallest first
    std::vector<Node_Base*>* change_log = nullptr;  // not owned; see SetChangeLog
};

}  // namespace Sim
