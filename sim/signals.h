// Signals inside a simulated design, readable by name without changing the simulation: every
// output of every node built from the database ("u_acc.dataout", and with the netlist's names
// at hand also "u_acc.q"), every driven netlist wire ("sum"), and the design's own inputs and
// outputs. The names come from the manager's nodes (the database's names) and, optionally,
// from the netlist elaborated again beside its SimDB file.
#pragma once

#include <string>
#include <vector>

#include "base/mlib_integer.h"

namespace KVC {
struct ElaboratedModule;
}

namespace Sim {

class Manager;
class Port_Base;

struct Signal {
    std::string name;          // as written in a query: "u_acc.q", "sum", "x"
    Port_Base* port = nullptr; // its value is this port's Value() (an input reads its source)
    int width = 1;             // a wire's declared width; otherwise the port's

    // The value at the signal's width; reading evaluates nothing.
    MLIB_UINTEGER Value() const;
};

class SignalTable {
public:
    // The manager's nodes give node outputs and design ports; module, when given, adds the
    // netlist's port names of instance outputs and its wires.
    SignalTable(const Manager& manager, const KVC::ElaboratedModule* module);

    // Every signal, in ascending byte order of name.
    const std::vector<Signal>& All() const { return signals_; }
    // The signal of that name; null when there is none.
    const Signal* Find(const std::string& name) const;

private:
    std::vector<Signal> signals_; // ascending byte order of name, no name twice
};

// The hierarchy of a flat name: scopes and a leaf, split at the separators synthesis tools
// write into flat names ("|", "/", "."), an escaped identifier's "\" and closing blank dropped:
// "u_core|u_alu/add0.q" gives {"u_core", "u_alu", "add0", "q"}.
std::vector<std::string> HierarchyOf(const std::string& name);

// Whether the name matches a shell-style pattern ("*" any text, "?" one character, "[...]").
bool MatchesGlob(const std::string& name, const std::string& pattern);

} // namespace Sim
