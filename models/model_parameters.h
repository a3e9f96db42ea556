// The parameter list of a model-library block: names, netlist aliases, kinds and defaults
// in hand-over order, read through the node's parameter query and handed to the model.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/param_value.h"

namespace Sim {

// One parameter of a block as the model receives it.
struct ModelParameterDef {
    const char* name;          // the name handed to the model
    const char* netlist_name;  // the name asked of the query; null when the same as `name`
    bool is_text;              // handed with AddStringParameter (else AddIntegerParameter)
    const char* text_default;  // default of a text parameter
    int32_t integer_default;   // default of an integer parameter
};

// Shorthands for building tables.
constexpr ModelParameterDef TextParam(const char* name, const char* text_default, const char* netlist_name = nullptr)
{
    return {name, netlist_name, true, text_default, 0};
}
constexpr ModelParameterDef IntParam(const char* name, int32_t integer_default, const char* netlist_name = nullptr)
{
    return {name, netlist_name, false, nullptr, integer_default};
}

// The values of one block's parameters: preset to the defaults, then read from the query.
class ModelParameters {
public:
    explicit ModelParameters(std::vector<ModelParameterDef> definitions);

    // Asks the query for every parameter by its netlist name; known ones replace the preset.
    void Read(const ParamQuery& query);
    // The integer of the named parameter (model name); 0 when there is no such parameter.
    int32_t Integer(const char* name) const;
    // What the model receives for a text parameter: its text, or its integer in decimal.
    std::string Text(const char* name) const;
    size_t Count() const { return definitions.size(); }
    const ModelParameterDef& Definition(size_t i) const { return definitions[i]; }
    const ParamValue& Value(size_t i) const { return values[i]; }

private:
    int Find(const char* name) const;

    std::vector<ModelParameterDef> definitions;  // hand-over order
    std::vector<ParamValue> values;         // one per definition, same order
};

}  // namespace Sim
