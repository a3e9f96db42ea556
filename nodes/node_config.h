// Configuration helpers of the built-in node classes: reading the operand widths of the
// arithmetic families, and checks that replace widths and counts which would make a node
// misbehave (no bits, integer overflow, runaway allocation) by a safe value after a report.
#pragma once

#include <cstdint>
#include <string>

#include "base/limits.h"
#include "base/param_value.h"

namespace Sim {

class Node_Base;

// The width to build with: `width` when it lies in 1 .. kMaxBits, otherwise 1 after a
// SEV_ERROR report naming the node and the parameter.
int CheckedWidth(const Node_Base& node, const char* parameter, int width);

// The count to build with: `count` when it lies in 1 .. limit, otherwise 1 after a SEV_FATAL
// report naming the node and the parameter (pipeline depths, tap counts and distances).
int CheckedCount(const Node_Base& node, const char* parameter, int count, int limit);

// Widths of a two- or three-operand node, already checked.
struct OperandWidths {
    int a = 1;  // "dataa"
    int b = 1;  // "datab"
    int o = 1;  // "dataout"
};

// Presets all three to `preset`, reads "width" into each, then "width_a", "width_b" and
// "width_o" (a later name overrides an earlier one), and checks every width.
OperandWidths ReadThreeWidths(const Node_Base& node, const ParamQuery& query, int32_t preset);
// The same for two-input nodes: "width" into a and b, then "width_a", "width_b"; o is unused.
OperandWidths ReadTwoWidths(const Node_Base& node, const ParamQuery& query, int32_t preset);

}  // namespace Sim
