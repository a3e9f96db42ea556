// ModelParameters: presetting, reading and looking up a block's parameters.
#include "models/model_parameters.h"

#include <cstring>

namespace Sim {

ModelParameters::ModelParameters(std::vector<ModelParameterSpec> specs_in) : specs(std::move(specs_in))
{
    values.reserve(specs.size());
    for (const ModelParameterSpec& spec : specs)
        values.push_back(spec.is_text ? ParamValue(std::string(spec.text_default)) : ParamValue(spec.integer_default));
}

void ModelParameters::Read(const ParamQuery& query)
{
    if (!query)
        return;
    for (size_t i = 0; i < specs.size(); ++i) {
        ParamValue found;
        if (query(specs[i].netlist_name ? specs[i].netlist_name : specs[i].name, found))
            values[i] = found;
    }
}

int ModelParameters::Find(const char* name) const
{
    for (size_t i = 0; i < specs.size(); ++i)
        if (std::strcmp(specs[i].name, name) == 0)
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
