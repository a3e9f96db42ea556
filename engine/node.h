// Node_Base and Node_Concurrent: the root of every simulation node. A node owns its
// ports, knows its name, and carries the bookkeeping the scheduler needs (rank, table
// index, queued mark, the nodes reading its outputs).
//
// Writing a node class (the usual shape):
//
//   class Node_Example : public Node_Concurrent {
//   public:
//       std::string TypeName() const override { return "EXAMPLE "; }  // eight characters
//       bool IsSettled() override { return true; }   // no clock-edge work
//       void CreatePorts(const ParamQuery& query) override {
//           int32_t width = 8;
//           ParamReader(query).Read("width", width);  // nodes/conventions.h; keeps 8 when absent
//           a = AddPort(CreateInputPort("a", width, 0));
//           y = AddPort(CreateOutputPort("y", width));
//       }
//       bool Evaluate() override { return y->SetInt(~a->ValueInt() & LowBitsMask(y->Width())); }
//   private:
//       Port_Base* a = nullptr;  // owned by the node's port table
//       Port_Base* y = nullptr;
//   };
//
// Nodes are created only by Manager::NewNode<T>, which places them in its arena (they are
// destroyed by the manager, never deleted) and calls Init. Every port a factory returns must
// be handed to AddPort, which takes ownership. Evaluate reads inputs with
// Value/ValueInt/IsZero, writes every output once with Set/SetInt and returns true when
// any write reported a change. SetInt judges the change before cutting the value to the
// port width, so mask computed words (LowBitsMask) or readers re-run needlessly. Values
// of at most 32 bits never touch the heap.
//
// Classes evaluated very often may read narrow inputs through InputWords
// (engine/input_word.h) and write narrow outputs through OutputWords (engine/output_word.h),
// refreshed from FollowPorts, instead of the ports.
//
// Clocked classes answer IsSettled() false to get ClockEdge (registered outputs, then
// ClockHook) in every cycle. A register that tracks pending work keeps its manager
// (SetManager/GetManager) and calls Manager::SetClockWork(this, pending) from Evaluate.
// ForwardsFrom(driver) usually compares DriverOf(some input) with the driver.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/arena.h"
#include "base/param_value.h"
#include "engine/port.h"

namespace Sim {

class Manager;
class Scheduler;

class Node_Base {
public:
    Node_Base() = default;
    virtual ~Node_Base();
    Node_Base(const Node_Base&) = delete;
    Node_Base& operator=(const Node_Base&) = delete;

    // --- Virtual operations, in the engine's slot order ---

    // The port of that name. Unknown names are reported and give the shared constant
    // node's undefined "(unused)" port, so a caller always receives a usable port.
    virtual Port_Base* FindPort(const std::string& port_name);
    // Classes that need their manager (registers, perimeter outputs) store it.
    virtual void SetManager(Manager*) {}
    virtual Manager* GetManager() { return nullptr; }
    // Used only by the input-reachability search: a sequential node passes a path on
    // only when it forwards inputs and the driving node feeds a forwarded input.
    virtual bool IsSequential() = 0;
    // False means the node has clock-edge work and gets ClockEdge every cycle.
    virtual bool IsSettled() { return false; }
    virtual bool ForwardsInputs() { return false; }
    virtual bool ForwardsFrom(Node_Base*) { return false; }
    // False keeps the node alive when its manager is destroyed (the shared constant node).
    virtual bool IsDeletable() { return true; }
    // Eight characters, padded with blanks.
    virtual std::string TypeName() const { return "UNKNOWN!"; }
    // Reads the parameters and creates and adds every port; every concrete class overrides it.
    virtual void CreatePorts(const ParamQuery& query);
    // Computes the outputs from the inputs; true when any output changed.
    virtual bool Evaluate() = 0;
    // One line describing the current values, for diagnostics; empty when the class has none.
    virtual std::string TraceText() { return std::string(); }
    // Told by an input port of this node when it has been connected to a new source.
    virtual void OnInputConnected(Port_In*) {}
    // Called after an input's source or inversion changed and after the manager moved the
    // node's output words (Port_Base::MoveWord): nodes keeping InputWords, InputValues or
    // OutputWords refresh them.
    virtual void FollowPorts() {}
    // Called for every node when a scheduler is built.
    virtual void PrepareRun() {}
    // Clock-edge work beyond the registered ports; true when an output changed. This base
    // version does nothing: a node of a class keeping it and without registered outputs has
    // an edge that can do nothing, which the scheduler therefore never gives.
    virtual bool ClockHook() { return false; }
    // Called after the ports are created; initialises any stored state.
    virtual void InitHook() {}
    // Called on every node before the manager deletes any of them.
    virtual void BeforeDelete() {}
    // Port factories: 32 bits or more give the wide class, 1 to 31 the `_Int` class. A
    // width below 1 is reported and taken as 1. The caller must pass the result to AddPort.
    virtual Port_Base* CreateOutputPort(const std::string& port_name, int width) = 0;
    // `default_kind` picks the source until linked: 1 "(zero)", 2 "(one)", else "(unused)".
    virtual Port_Base* CreateInputPort(const std::string& port_name, int width, int default_kind);
    // Only an adapter that cannot use its 32-bit path answers true.
    virtual bool IsWide() { return false; }
    // Checkpoints: everything a node of the same design needs to continue exactly as this one
    // would. This version saves every port; classes keeping state beyond their ports (contents,
    // pipelines, values seen at the last evaluation) extend both. Restore answers false, and
    // may leave the node half restored, on data that does not fit the node.
    virtual void SaveState(StateWriter& out);
    virtual bool RestoreState(StateReader& in);
    // Why this node cannot be saved (naming it), or empty when it can.
    virtual std::string SaveRefusal() { return std::string(); }

    // --- Non-virtual operations ---

    // Called once by the manager's node factory: names the node, creates its ports,
    // gives registered outputs their first clock and runs InitHook.
    void Init(const std::string& node_name, const ParamQuery& query, int node_rank);
    // Clocks every registered output and runs ClockHook; true when any of them changed.
    bool ClockEdge();
    // The owner of the source of every input, one entry per input, in creation order.
    std::vector<Node_Base*> GetDrivers() const;
    // Takes ownership of the port and files it by name; returns it (null is reported).
    Port_Base* AddPort(Port_Base* port);
    // The port of that name on this node only, or null; reports nothing.
    Port_Base* LookupPort(const std::string& port_name) const;
    // The ports with IsInput(), in creation order.
    std::vector<Port_Base*> Inputs() const;
    // The ports with IsOutput(), in creation order; of several of one name, the latest.
    std::vector<Port_Base*> Outputs() const;

    const std::string& Name() const { return book->name; }
    int Rank() const { return rank; }
    int Id() const { return id; }

    // The node whose output the input port reads, or null for a non-input.
    static Node_Base* DriverOf(const Port_Base* input_port);

protected:
    // The width a factory may use: 1 to kMaxBits, with a report (and 1) when the request was not.
    int CheckedPortWidth(const std::string& port_name, int64_t width) const;
    // For the port factories: a port of class P, placed in the manager's port arena when the
    // node has a manager (ports then lie dense, in creation order), else made with new.
    template <class P, class... Args> Port_Base* MakePort(Args&&... args);

    // Only what every evaluation or clock edge reads lives in the object itself: the fields
    // of node classes then start 32 bytes into the object's first cache line.
    int rank = 0;                     // evaluation priority: smaller runs first; distinct per manager
    int id = -1;                      // index in the scheduler's node table; -1 before registration
    bool queued = false;              // frozen by the unstable-loop warning (the queue holds live marks)
    bool failure_reported = false;    // an exception from this node has been reported once
    bool base_clock_hook = false;     // the class keeps Node_Base::ClockHook (set by Manager::NewNode)
    bool has_clocked = false;         // the node has registered outputs (Bookkeeping::clocked)
    // Set by classes tracking their clock work: the scheduler clears the node's clock-edge
    // mark just before its edge, and the class's ClockHook asks for it again (through
    // Manager::SetClockWork) only if work remains. A register's edge usually ends its work,
    // so this spares it a call to the scheduler per edge.
    bool mark_cleared_at_edge = false;

private:
    // Ports placed in an arena are destroyed in place; the others were made with new.
    struct PortRelease {
        void operator()(Port_Base* port) const;
    };
    using OwnedPort = std::unique_ptr<Port_Base, PortRelease>;

    // What building, linking and preparing a design use, kept out of line.
    struct Bookkeeping {
        std::string name;                       // unique within the manager
        // Every port ever added, in order. A port replaced by a later one of the same name
        // stays owned, so references held by the node class stay valid.
        std::vector<OwnedPort> owned_ports;
        Node_Base* single_dependent = nullptr;  // the only reader of this node's outputs, if exactly one
        std::vector<Node_Base*> dependents;     // the readers when there are several (else empty)
        int visits = 0;                         // visit counter of the input-reachability search
        Arena* port_arena = nullptr;            // where the port factories place ports, if anywhere
        std::vector<Port_Base*> clocked;        // registered outputs, creation order (see has_clocked)
    };
    std::unique_ptr<Bookkeeping> book = std::make_unique<Bookkeeping>();

    friend class Scheduler;
    friend class Manager;
};

// The base of every concrete node class: combinational outputs, not sequential.
class Node_Concurrent : public Node_Base {
public:
    bool IsSequential() override { return false; }
    Port_Base* CreateOutputPort(const std::string& port_name, int width) override;
    // Registered outputs hold a next value that ClockEdge moves into the current one.
    Port_Base* CreateRegisteredOutputPort(const std::string& port_name, int width);
};

}  // namespace Sim
