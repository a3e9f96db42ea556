// Operand-width reading and the reports of invalid widths and counts in node configurations.
#include "nodes/node_config.h"

#include "engine/node.h"
#include "base/messages.h"
#include "nodes/conventions.h"

namespace Sim {

namespace {

std::string invalid_text(const Node_Base& node, const char* parameter, int value)
{
    return "Node '" + node.Name() + "' of type '" + node.TypeName() + "' configured with invalid " +
           parameter + " " + std::to_string(value) + "; 1 is used instead.";
}

}  // namespace

int checked_width(const Node_Base& node, const char* parameter, int width)
{
    if (width >= 1 && width <= kMaxBits)
        return width;
    report(SEV_ERROR, invalid_text(node, parameter, width));
    return 1;
}

int checked_count(const Node_Base& node, const char* parameter, int count, int limit)
{
    if (count >= 1 && count <= limit)
        return count;
    report(SEV_FATAL, invalid_text(node, parameter, count));
    return 1;
}

OperandWidths read_three_widths(const Node_Base& node, const ParamQuery& query, int32_t preset)
{
    int32_t a = preset, b = preset, o = preset;
    ParamReader params(query);
    params.read("width", a);
    params.read("width", b);
    params.read("width", o);
    params.read("width_a", a);
    params.read("width_b", b);
    params.read("width_o", o);
    return {checked_width(node, "width_a", a), checked_width(node, "width_b", b),
            checked_width(node, "width_o", o)};
}

OperandWidths read_two_widths(const Node_Base& node, const ParamQuery& query, int32_t preset)
{
    int32_t a = preset, b = preset;
    ParamReader params(query);
    params.read("width", a);
    params.read("width", b);
    params.read("width_a", a);
    params.read("width_b", b);
    return {checked_width(node, "width_a", a), checked_width(node, "width_b", b), 1};
}

}  // namespace Sim
