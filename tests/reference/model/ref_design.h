// A design as the reference tests build it: the netlist's inputs, outputs, wires and
// instances with their connection expressions, written out as a real ".vo" netlist for the
// default map; and the stimulus that drives it. The model and the engine both start from it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "model/ref_value.h"

namespace reference {

// One source term of a connection, as the netlist grammar writes it.
struct Term {
    enum Kind { kZeros, kOnes, kNamed };
    Kind kind = kNamed;
    std::string name;           // kNamed: a design input, an instance's output wire, a constant wire or an alias
    int msb = 0, lsb = 0;       // kNamed: the range; literals: width - 1 and 0
    bool inverted = false;      // written "~name[...]"
    bool ranged = true;         // kNamed: written with its range (a one-bit signal may go without)
    bool parenthesized = false; // kNamed: written "(name[...])"
    int Width() const { return msb - lsb + 1; }
};
using Expression = std::vector<Term>; // most significant term first, as written

// One port of a module type of the default map.
struct MapPort {
    std::string netlist; // name in the netlist
    std::string sim;     // name inside the simulator
};

// A module type of the default map, maps/blocktide_map.xml.
struct ModuleType {
    std::string name;
    int code = 0;
    std::vector<MapPort> inputs;
    std::vector<MapPort> outputs;
    std::vector<MapPort> params; // netlist name -> simulator name
    std::string clock;           // netlist name of its clock port, if any
};
const ModuleType* FindModuleType(const std::string& name);
const std::vector<ModuleType>& ModuleTypes();

struct Parameter {
    std::string name; // netlist name
    int integer = 0;
    std::string text; // a string parameter when not empty
};

struct Instance {
    std::string type;
    std::string name;
    std::vector<Parameter> params;                            // in defparam order
    std::vector<std::pair<std::string, Expression>> inputs;   // netlist port -> expression
    std::vector<std::pair<std::string, std::string>> outputs; // netlist port -> wire it drives
    bool clocked = false;                                     // its clock port is connected to the design's clock input
};

struct Signal {
    std::string name;
    int width = 1;
};

struct ConstantWire {
    std::string name;
    int width = 1;
    bool ones = false; // assigned 1'b1 (else 1'b0)
};

struct Alias {
    std::string name;   // a declared wire assigned from another wire
    std::string target; // an instance output wire
};

struct Design {
    std::string module = "refdesign";
    bool has_clock = false;      // an input "clk" drives every connected clock port
    std::vector<Signal> inputs;  // design inputs (without the clock)
    std::vector<Signal> outputs; // design outputs
    std::vector<Signal> wires;   // instance output wires
    std::vector<ConstantWire> constants;
    std::vector<Alias> aliases;
    std::vector<Instance> instances;
    std::vector<Expression> output_exprs; // one per output

    // Width of a signal name (input, wire, constant or alias); 0 when unknown.
    int WidthOf(const std::string& name) const;
};

// One stimulus line: values written to inputs, then `cycles` clock cycles (0: settle only).
struct Write {
    int input = 0;
    Value value;
};
struct StimulusLine {
    std::vector<Write> writes;
    int cycles = 1;
};
using Stimulus = std::vector<StimulusLine>;

std::string NetlistText(const Design& design);
std::string StimulusText(const Design& design, const Stimulus& stimulus);

} // namespace reference
