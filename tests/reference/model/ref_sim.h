// The reference model of a whole design: elaborates a Design the documented way (one node
// per instance, slices from the connection terms, direct links, downshifters and adapters,
// perimeter nodes), then runs cycles as documented: a clock phase over the nodes with edge
// work, then event-driven settling in an order where drivers come before their readers.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/ref_design.h"
#include "model/ref_primitives.h"

namespace reference {

// A design the model does not cover (a module type or class it leaves out).
class Unsupported : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The node the builder makes for an instance: its class and ports (Unsupported when the
// model does not cover it).
std::unique_ptr<Node> MakeInstanceNode(const Instance& instance);

class Simulation {
public:
    explicit Simulation(const Design& design);
    ~Simulation();

    void Write(int input, const Value& value);
    void Run(int cycles); // 0: settle only, as the engine's Run(0)
    Value Read(int output) const;
    // The documented class chosen for an instance (for coverage reports).
    std::string ClassOf(const std::string& instance) const;

private:
    struct Slice {
        const OutPort* source;
        int src_low, dst_low, bits;
        bool inverted;
        bool from_zero, from_one; // the source is the "(zero)" or "(one)" constant
    };
    void Elaborate(const Design& design);
    const OutPort* Resolve(const Design& design, const std::string& name) const;
    std::vector<Slice> Slices(const Design& design, const Expression& terms) const;
    void Link(InPort* in, const std::vector<Slice>& slices, int db_width, const std::string& owner);
    void Prepare();
    void ClockPhase();
    void Settle();
    void Queue(int node, bool certain);
    void QueueDependents(int node, Change change);
    Node* AddNode(std::unique_ptr<Node> node);

    std::vector<std::unique_ptr<Node>> nodes_; // the constant node first
    ConstantNode* constants_ = nullptr;
    std::vector<PerimeterIn*> inputs_;
    std::vector<int> input_nodes_; // node index of each perimeter input
    std::vector<PerimeterOut*> outputs_;
    std::vector<std::pair<std::string, Node*>> instances_;
    std::vector<std::pair<std::string, const OutPort*>> wire_ports_; // instance output wires and constants
    std::vector<std::vector<int>> dependents_;                       // readers of each node's outputs
    std::vector<int> rank_;                                          // evaluation priority: drivers first
    std::vector<char> queued_, certain_;
    bool prepared_ = false;
};

} // namespace reference
