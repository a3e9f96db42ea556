// The reference model's ports and nodes: how a port stores, reads and reports a change
// (narrow ports below 32 bits keep no undefined state), and one small class per built-in
// primitive with its documented parameters, ports, evaluation and clock-edge work.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/ref_value.h"

namespace reference {

// Whether a write changed a port: kMaybe when the model cannot tell (an unknown value).
enum class Change { kNo, kYes, kMaybe };
Change operator|(Change a, Change b);

class Node;

struct OutPort {
    std::string name;
    int width = 1;
    Node* owner = nullptr;
    Value stored;      // wide ports (32 bits or more): the value as written, at the port's width
    uint32_t word = 0; // narrow ports: the low bits, always defined
    bool word_unknown = false;

    bool Narrow() const { return width < 32; }
    Value Get() const;
    uint32_t GetInt() const;
    bool Unknown() const { return Narrow() ? word_unknown : stored.unknown; }
    // A write reports a change when the value given, before it is cut to the port, differs.
    Change Set(const Value& x);
    Change SetInt(uint32_t v);
};

struct InPort {
    std::string name;
    int width = 1;
    int kind = 0; // 1 reads "(zero)", 2 "(one)", other "(unused)" until linked
    const OutPort* source = nullptr;
    bool inverted = false; // every bit inverted on the way in

    bool Narrow() const { return width < 32; }
    Value Get() const;
    uint32_t GetInt() const;
    bool IsZero() const;
    bool Unknown() const { return source->Unknown(); }
};

// Parameters as a node reads them: an integer and a text per name.
struct ParamSetting {
    int integer = 0;
    std::string text;
};
using SimParams = std::map<std::string, ParamSetting>;

class Node {
public:
    explicit Node(std::string node_name) : name(std::move(node_name)) {}
    virtual ~Node() = default;

    // The class's documented type (for reports).
    virtual std::string ClassName() const = 0;
    virtual Change Evaluate() = 0;
    virtual Change ClockHook() { return Change::kNo; }
    // Given a clock edge in this cycle's clock phase.
    virtual bool ClockWork() const { return true; }
    // Combinational classes: an unknown input makes every output written unknown.
    virtual bool Combinational() const { return true; }
    // Called after an evaluation that the engine may not have made (it was queued only by a
    // write of an unknown value); classes whose state depends on how often they are
    // evaluated make that state unknown.
    virtual void UncertainEvaluation() {}

    InPort* In(const std::string& port_name);
    OutPort* Out(const std::string& port_name);
    InPort* AddIn(const std::string& port_name, int width, int kind);
    OutPort* AddOut(const std::string& port_name, int width);
    bool AnyInputUnknown() const;

    std::string name;
    std::vector<std::unique_ptr<InPort>> inputs;   // creation order
    std::vector<std::unique_ptr<OutPort>> outputs; // creation order
    bool writing_unknown = false;                  // set around an evaluation whose inputs are unknown
};

// The built-in primitive for a module of operator `code` with these parameters: the class
// the builder chooses and its ports. Null for codes the model does not cover.
std::unique_ptr<Node> MakePrimitive(int code, const std::string& node_name, const SimParams& params);

// The shared constant ports and the engine's own nodes.
class ConstantNode : public Node {
public:
    ConstantNode();
    std::string ClassName() const override { return "constant"; }
    Change Evaluate() override { return Change::kNo; }
    bool ClockWork() const override { return false; }
    // The default source of an input of kind 2: "(one)", or for an input wider than 32 bits
    // an all-ones constant of its own width, so that every bit reads 1.
    OutPort* OnesFor(int width);
    OutPort* zero;
    OutPort* one;
    OutPort* unused;
};

class PerimeterIn : public Node {
public:
    PerimeterIn(const std::string& node_name, int width);
    std::string ClassName() const override { return "perimeter input"; }
    Change Evaluate() override;
    bool Settled() const;
    void Write(const Value& v) { stored = Resized(v, stored.width); }
    Value stored; // the value written by the caller
    OutPort* port;
};

class PerimeterOut : public Node {
public:
    PerimeterOut(const std::string& node_name, int width);
    std::string ClassName() const override { return "perimeter output"; }
    Change Evaluate() override;
    bool ClockWork() const override { return false; }
    Value captured; // the last value seen on its input
    InPort* input;
};

class Downshifter : public Node {
public:
    Downshifter(const std::string& node_name, int width, int shift);
    std::string ClassName() const override { return "downshifter"; }
    Change Evaluate() override;
    bool ClockWork() const override { return false; }
    int shift;
    InPort* from;
    OutPort* to;
};

class Adapter : public Node {
public:
    Adapter(const std::string& node_name, int width) : Node(node_name), width(width) {}
    std::string ClassName() const override { return "adapter"; }
    // One slice: source bits src_low .. src_low + bits - 1 into dst_low ...; a slice that
    // contributes only zeros adds nothing.
    void DefineInput(int src_low, int dst_low, int bits, const OutPort* source, bool is_zero_constant,
                     bool is_one_constant, bool inverted);
    void Finish(); // creates "out"; called once every slice is defined
    Change Evaluate() override;
    bool ClockWork() const override { return false; }

    struct Entry {
        int src_low, dst_low, bits;
        bool narrow;
        InPort* in;
    };
    int width;
    bool small = true;
    std::vector<Entry> entries;
    OutPort* out = nullptr;
};

} // namespace reference
