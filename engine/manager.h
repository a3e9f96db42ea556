// Sim::Manager: owns every node of one simulated design, creates nodes by class and
// unique name, and runs clock cycles through a scheduler that it builds at the first run
// and discards whenever the set of nodes changes.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "engine/arena.h"
#include "engine/node.h"
#include "engine/scheduler.h"

namespace Sim {

// One design input as seen by InputInventory.
struct InputInfo {
    std::string name;     // the perimeter input node's name
    int position;         // 0-based position in the design-input order
    bool reaches_output;  // some design output depends on this input
};

class Manager {
public:
    explicit Manager(const std::string& design_name);
    ~Manager();
    Manager(const Manager&) = delete;
    Manager& operator=(const Manager&) = delete;

    // Creates, names and initialises a node of class T. A name already in use is
    // reported as fatal and the older node is deleted. A missing query knows no parameters.
    template <class T> T* NewNode(const std::string& node_name, const ParamQuery& query = ParamQuery())
    {
        static_assert(std::is_base_of_v<Node_Base, T>, "Failed in Mgr::NewNode when provided non-Node class");
        static_assert(alignof(T) <= 64, "node classes are placed on cache-line boundaries");
        T* node = new (node_arena.Allocate(sizeof(T), 64)) T();
        // Naming the member through T finds the last class that declared it: Node_Base's own
        // ClockHook is found only when no class down to T overrides it.
        node->base_clock_hook = std::is_same_v<decltype(&T::ClockHook), bool (Node_Base::*)()>;
        Adopt(node, node_name, query);
        return node;
    }

    // The node of that name, or null.
    Node_Base* FindNode(const std::string& node_name) const;
    // How many nodes were replaced by a later node of the same name (and deleted).
    size_t Replacements() const { return replacements; }
    // Makes room for that many more nodes, so building a large design does not rehash.
    void ReserveNodes(size_t count) { nodes.reserve(nodes.size() + count); }
    // The i-th name gets position i in the design-input order.
    void SetInputOrder(const std::vector<std::string>& names);
    // Runs `cycles` clock cycles (0: one settle without a clock edge). Returns the number
    // of evaluations of the last settle, 0 when it hit the loop limit; a negative count
    // runs nothing and is returned.
    int Run(int cycles);
    // One entry per design input, in design-input order; discards the scheduler.
    void InputInventory(std::vector<InputInfo>& list);

    // A node's clock-edge mark (a register announcing pending work, even from inside its
    // own Evaluate). Ignored before the scheduler exists or for a node it does not hold.
    void SetClockWork(Node_Base* node, bool has_work)
    {
        if (scheduler && node)
            scheduler->SetClockWork(node, has_work);
    }

    bool HasScheduler() const { return scheduler != nullptr; }
    // Lists the nodes whose outputs change in every cycle run from now on (see
    // Scheduler::SetChangeLog), also with schedulers built later; null stops it.
    void SetChangeLog(std::vector<Node_Base*>* log)
    {
        change_log = log;
        if (scheduler)
            scheduler->SetChangeLog(log);
    }
    // Clock cycles run by the current scheduler; 0 without one.
    int Cycle() const;
    const std::string& DesignName() const { return design_name; }
    const std::string& HexDirectory() const { return hex_directory; }
    const std::string& DesignDirectory() const { return design_directory; }
    void SetHexDirectory(const std::string& directory) { hex_directory = directory; }
    void SetDesignDirectory(const std::string& directory) { design_directory = directory; }
    // Every node, the shared constant node first, then in creation order.
    const std::vector<Node_Base*>& Nodes() const { return creation_order; }

    // Checkpoints (engine/manager_state.cpp). SaveState writes the state of every node and of
    // the scheduler; false, writing nothing, when a node cannot be saved (`error` says which).
    bool SaveState(StateWriter& out, std::string& error);
    // Restores what SaveState wrote for a manager built from the same design. On any data
    // that does not fit, false with `error`, and the simulation is as it was before the call.
    bool RestoreState(StateReader& in, std::string& error);

private:
    void Adopt(Node_Base* node, const std::string& node_name, const ParamQuery& query);
    void BuildScheduler();
    void DiscardScheduler();
    void HouseWords(Node_Base* node);
    // RestoreState without the way back: may leave the simulation half restored.
    bool ApplyState(StateReader& in, std::string& error);
    // Identifies the node set: every node's name and class, in creation order.
    uint64_t NodesHash() const;

    // Destroys a node made by NewNode; its memory stays with the arena.
    static void Destroy(Node_Base* node) { node->~Node_Base(); }

    // Every node NewNode made, each on a cache-line boundary, and the ports they created.
    Arena node_arena;
    Arena port_arena;
    std::unordered_map<std::string, Node_Base*> nodes;  // by name; owned except the constant node
    std::vector<Node_Base*> creation_order;             // the same nodes, in the order they were entered
    std::unique_ptr<Scheduler> scheduler;               // built lazily by Run; none after a change of nodes
    std::string design_name;                            // the design's top-level name
    std::string hex_directory;                          // where memory initialisation files are looked up
    std::string design_directory;                       // the directory of the design file
    std::map<std::string, int> input_order;             // design-input name -> 0-based position
    int last_rank = 0;                                  // highest rank handed out, so ranks stay distinct
    size_t replacements = 0;                            // see Replacements
    // Where the nodes' narrow outputs keep their values (see HouseWords), in creation order;
    // it outlives the nodes. The spare word is taken but not yet given to a port.
    Arena word_arena;
    uint32_t* spare_word = nullptr;
    std::vector<Node_Base*>* change_log = nullptr;  // not owned; handed to every scheduler
};

}  // namespace Sim
