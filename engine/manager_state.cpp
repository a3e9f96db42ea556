// Checkpoints of a manager: every node's state in creation order, each with the rank and
// scheduling marks it had, then the scheduler's own state. Node records are read in full and
// checked against this manager before anything changes; a record that a node then refuses
// puts back the state saved at the start of the restore.
#include <algorithm>

#include "engine/manager.h"

namespace Sim {

namespace {
struct NodeRecord {
    int32_t rank = 0;
    bool failure_reported = false;
    bool queued = false;
    std::string state; // what the node's SaveState wrote
};
} // namespace

uint64_t Manager::NodesHash() const
{
    uint64_t hash = Fnv1a64(nullptr, 0);
    for (const Node_Base* node : creation_order) {
        hash = Fnv1a64(node->Name().c_str(), node->Name().size() + 1, hash);
        const std::string type = node->TypeName();
        hash = Fnv1a64(type.c_str(), type.size() + 1, hash);
    }
    return hash;
}

bool Manager::SaveState(StateWriter& out, std::string& error)
{
    for (Node_Base* node : creation_order)
        if (std::string refusal = node->SaveRefusal(); !refusal.empty()) {
            error = refusal;
            return false;
        }
    out.U64(creation_order.size());
    out.U64(NodesHash());
    for (Node_Base* node : creation_order) {
        out.I32(node->rank);
        out.Bool(node->failure_reported);
        out.Bool(node->queued);
        StateWriter state;
        if (node->IsDeletable()) // the shared constant node holds constants only
            node->SaveState(state);
        out.Bytes(state.Data());
    }
    const bool prepared = scheduler && scheduler->IsPrepared();
    out.Bool(prepared);
    if (prepared)
        scheduler->SaveState(out);
    return true;
}

bool Manager::RestoreState(StateReader& in, std::string& error)
{
    StateWriter before;
    if (!SaveState(before, error))
        return false;
    if (ApplyState(in, error))
        return true;
    StateReader back(before.Data());
    std::string ignored;
    ApplyState(back, ignored);
    return false;
}

bool Manager::ApplyState(StateReader& in, std::string& error)
{
    uint64_t count = 0;
    uint64_t hash = 0;
    if (!in.U64(count) || !in.U64(hash)) {
        error = "the checkpoint ends early";
        return false;
    }
    if (count != creation_order.size() || hash != NodesHash()) {
        error = "the checkpoint holds the nodes of another design";
        return false;
    }
    std::vector<NodeRecord> records(creation_order.size());
    bool prepared = false;
    for (NodeRecord& record : records)
        if (!in.I32(record.rank) || !in.Bool(record.failure_reported) || !in.Bool(record.queued) ||
            !in.Bytes(record.state))
            break;
    if (!in.Bool(prepared)) {
        error = "the checkpoint ends early";
        return false;
    }
    // The saved ranks must be the ranks this manager gave out, exchanged among the nodes.
    std::vector<int> saved_ranks;
    std::vector<int> ranks;
    for (size_t i = 0; i < records.size(); ++i) {
        saved_ranks.push_back(records[i].rank);
        ranks.push_back(creation_order[i]->rank);
    }
    std::sort(saved_ranks.begin(), saved_ranks.end());
    std::sort(ranks.begin(), ranks.end());
    if (saved_ranks != ranks) {
        error = "the checkpoint's evaluation order does not fit the design";
        return false;
    }

    for (size_t i = 0; i < records.size(); ++i)
        creation_order[i]->rank = records[i].rank;
    // A new scheduler prepares every node for a run (model blocks start afresh), so the nodes'
    // own state is restored after it.
    DiscardScheduler();
    if (prepared) {
        BuildScheduler();
        scheduler->PrepareKeepingRanks();
    }
    for (size_t i = 0; i < records.size(); ++i) {
        Node_Base* node = creation_order[i];
        StateReader state(records[i].state);
        if (node->IsDeletable() ? !node->RestoreState(state) || !state.AtEnd() : !state.AtEnd()) {
            error = "the checkpoint's state of node '" + node->Name() + "' does not fit it";
            return false;
        }
        node->failure_reported = records[i].failure_reported;
        node->queued = records[i].queued;
    }
    if (prepared && !scheduler->RestoreState(in)) {
        error = "the checkpoint's scheduler state does not fit the design";
        return false;
    }
    if (!in.AtEnd()) {
        error = "the checkpoint holds more than the design's state";
        return false;
    }
    return true;
}

} // namespace Sim
