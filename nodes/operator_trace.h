// The trace line of a two-operand node: "a op b  -->  out", each port as "%d" (its low 32
// bits read as a signed number). Shared by the add/subtract, multiply, divide, remainder
// and compare classes.
#pragma once

#include <string>

#include "engine/port.h"
#include "nodes/conventions.h"

namespace Sim {

inline std::string OperatorTrace(Port_Base* a, const char* symbol, Port_Base* b, Port_Base* out)
{
    return TraceFormat("%d %s %d  -->  %d", TraceSigned(a->ValueInt()), symbol, TraceSigned(b->ValueInt()),
                        TraceSigned(out->ValueInt()));
}

}  // namespace Sim
