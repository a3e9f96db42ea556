// Creating model-library nodes by operator code, for the builder: codes 100, 101, 102,
// 104, 106 to 110, 113 and 114 name the eleven model-library block classes.
#pragma once

#include <string>

#include "base/param_value.h"

namespace Sim {

class Manager;
class Node_Base;

// True for the operator codes served by NewModelNode.
bool IsModelOperatorCode(int operator_code);

// Creates the model-library node for the operator code through manager.NewNode (which
// names it, reads its parameters through the query, loads its library and creates its
// ports). Returns null, creating nothing, for any other code.
Node_Base* NewModelNode(Manager& manager, int operator_code, const std::string& node_name, const ParamQuery& query);

}  // namespace Sim
