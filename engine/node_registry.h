// Node classes by operator code. Each family file registers, beside its classes, the maker
// of every code it serves; the maker picks the class from the node's parameters (one bit or a
// bus, signed or unsigned, narrow or wide) and creates it. The build asks the registry for
// the node of every database node, so adding a primitive touches its own file and the map.
//
//   namespace {
//   Node_Base* MakeAdder(Manager& m, const std::string& name, const ParamQuery& q)
//   {
//       if (ParamIsOne(q, "signed"))
//           return m.NewNode<Node_SignAdd>(name, q);
//       ...
//   }
//   const NodeRegistration adder(OperatorCode::Add, MakeAdder);
//   const NodeRegistration latch(OperatorCode::Latch, MakeNode<Node_Latch>);  // one class, always
//   }  // namespace
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/param_value.h"
#include "engine/manager.h"
#include "engine/operator_code.h"

namespace Sim {

// Creates the node for one database node through manager.NewNode, which names it and reads
// its parameters through the query.
using NodeMaker = Node_Base* (*)(Manager& manager, const std::string& node_name, const ParamQuery& query);

// Registers a maker while the library is loaded. Each code has one maker; a second one for
// the same code is a fault of the program, which RegistrationFaults counts.
class NodeRegistration {
public:
    NodeRegistration(OperatorCode code, NodeMaker maker);
};

// The maker registered for the code; null for a code no class serves.
NodeMaker FindNodeMaker(int operator_code);
// Registrations refused because their code had a maker already (0 in a sound program).
int RegistrationFaults();

// The maker of a code served by one class whatever its parameters.
template <class T> Node_Base* MakeNode(Manager& manager, const std::string& node_name, const ParamQuery& query)
{
    return manager.NewNode<T>(node_name, query);
}

// The maker of a code with an unsigned and a signed class: "signed" present and 1 picks the
// signed one.
template <class Unsigned, class Signed>
Node_Base* MakeBySign(Manager& manager, const std::string& node_name, const ParamQuery& query);

// Reading a parameter for the choice of class.
std::optional<int32_t> QueryInteger(const ParamQuery& query, const char* name);
// Present and 1 ("signed").
inline bool ParamIsOne(const ParamQuery& query, const char* name)
{
    return QueryInteger(query, name) == 1;
}
// Absent, or at most 32: a narrow class computing on one 32-bit word serves the width.
inline bool NarrowOrAbsent(const ParamQuery& query, const char* name)
{
    return QueryInteger(query, name).value_or(0) <= 32;
}

template <class Unsigned, class Signed>
Node_Base* MakeBySign(Manager& manager, const std::string& node_name, const ParamQuery& query)
{
    if (ParamIsOne(query, "signed"))
        return manager.NewNode<Signed>(node_name, query);
    return manager.NewNode<Unsigned>(node_name, query);
}

} // namespace Sim
