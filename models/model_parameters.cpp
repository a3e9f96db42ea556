// ModelParameters: presetting, reading and looking up a block's parameters.
#include "models/model_parameters.h"

#include <cstring>

namespace Sim {

ModelParameters::ModelParameters(std::vector<ModelParameterDef> specs_in) : definitions(std::move(specs_in))
{
    values.reserve(definitions.size());
    for (const ModelParameterDef& definition : definitions)
        values.push_back(definition.is_text ? ParamValue(std::string(definition.text_default)) : ParamValue(definition.integer_default));
}

void ModelParameters::Read(const ParamQuery& query)
{
    if (!query)
        return;
    for (size_t i = 0; i < definitions.size(); ++i) {
        ParamValue found;
        if (query(definitions[i].netlist_name ? definitions[i].netlist_name : definitions[i].name, found))
            values[i] = found;
    }
}

int ModelParameters::Find(const char* name) const
{
    for (size_t i = 0; i < definitions.size(); ++i)
        if (std::strcmp(definitions[i].name, name) == 0)
            return static_cast<int>(i);
    return -1;
}

int32_t ModelParameters::Integer(const char* name) const
{
    int i = Find(name);
    return i < 0 ? 0 : values[i].integer();
}

std::string ModelParameters::Text(const char* name) const
{
    int i = Find(name);
    return i < 0 ? std::string() : values[i].text_form();
}

}  // namespace Sim
