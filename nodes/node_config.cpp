// Operand-width reading and the reports of invalid widths and counts in node configurations.
#include "nodes/node_config.h"

#include "engine/node.h"
#include "base/messages.h"
#include "nodes/conventions.h"

namespace Sim {

namespace {

std::string InvalidText(const Node_Base& node, const char* parameter, int value)
{
    return "Node '" + node.Name() + "' of type '" + node.TypeName() + "' configured with invalid " +
           parameter + " " + std::to_string(value) + "; 1 is used instead.";
}

}  // namespace

int CheckedWidth(const Node_Base& node, const char* parameter, int width)
{
    if (width >= 1 && width <= kMaxBits)
        return width;
    report(SEV_ERROR, InvalidText(node, parameter, width));
    return 1;
}

int CheckedCount(const Node_Base& node, const char* parameter, int count, int limit)
{
    if (count >= 1 && count <= limit)
        return count;
    report(SEV_FATAL, InvalidText(node, parameter, count));
    return 1;
}

OperandWidths ReadThreeWidths(const Node_Base& node, const ParamQuery& query, int32_t preset)
{
    int32_t a = preset, b = preset, o = preset;
    ParamReader params(query);
    params.Read("width", a);
    params.Read("width", b);
    params.Read("width", o);
    params.Read("width_a", a);
    params.Read("width_b", b);
    params.Read("width_o", o);
    return {CheckedWidth(node, "width_a", a), CheckedWidth(node, "width_b", b),
            CheckedWidth(node, "width_o", o)};
}

OperandWidths ReadTwoWidths(const Node_Base& node, const ParamQuery& query, int32_t preset)
{
    int32_t a = preset, b = preset;
    ParamReader params(query);
    params.Read("width", a);
    params.Read("width", b);
    params.Read("width_a", a);
    params.Read("width_b", b);
    return {CheckedWidth(node, "width_a", a), CheckedWidth(node, "width_b", b), 1};
}

}  // namespace Sim
