// The LPM multiplexers: choosing one input of "data", combinationally or through a pipeline.
#include "nodes/lpm_mux.h"

#include <algorithm>
#include <limits>

#include "host/messages.h"
#include "nodes/conventions.h"
#include "nodes/port_index.h"
#include "nodes/type_names.h"

namespace Sim {

namespace {

struct LpmMuxConfig {
    int32_t width = 1;     // lpm_width
    int32_t size = 2;      // lpm_size
    int32_t widths = 1;    // lpm_widths: the select's width
    int32_t pipeline = 0;  // lpm_pipeline
};

LpmMuxConfig ReadLpmMuxConfig(const ParamQuery& query)
{
    LpmMuxConfig config;
    ParamReader params(query);
    params.read("lpm_width", config.width);
    params.read("lpm_size", config.size);
    params.read("lpm_widths", config.widths);
    params.read("lpm_pipeline", config.pipeline);
    return config;
}

// lpm_width * lpm_size without overflow; the port factory deals with a result below 1.
int DataWidth(const LpmMuxConfig& config)
{
    int64_t product = static_cast<int64_t>(config.width) * config.size;
    return static_cast<int>(std::clamp<int64_t>(product, std::numeric_limits<int32_t>::min(),
                                                std::numeric_limits<int32_t>::max()));
}

// chosen := input "sel" of "data", cut to chosen's width; for a "sel" of `size` or more,
// "data" made wholly undefined and cut. `shifted` is scratch at the data's width.
void SelectInput(Port_Base* data, Port_Base* sel, int32_t width, int32_t size, MLIB_UINTEGER& shifted,
                 MLIB_UINTEGER& chosen)
{
    uint32_t s = ReadIndex(sel);
    if (size <= 0 || s >= static_cast<uint32_t>(size)) {
        chosen = data->Value();
        chosen.set_undefined();
        return;
    }
    int data_width = data->Width();
    int shift = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(s) * std::max(width, 0), data_width));
    if (data_width < 32) {
        chosen = shift < data_width ? data->ValueInt() >> shift : 0u;
        return;
    }
    shifted = data->Value();
    shifted >>= shift;
    chosen = shifted;
}

}  // namespace

// ---------------------------------------------------------------- combinational

std::string Node_MuxConc::TypeName() const { return TypeNames::MuxConc; }

void Node_MuxConc::CreatePorts(const ParamQuery& query)
{
    LpmMuxConfig config = ReadLpmMuxConfig(query);
    width = config.width;
    size = config.size;
    if (config.pipeline > 0)
        report(SEV_FATAL, "Concurrent lpm_mux model given invalid pipeline depth");
    data = AddPort(CreateInputPort("data", DataWidth(config), 0));
    sel = AddPort(CreateInputPort("sel", config.widths, 0));
    result = AddPort(CreateOutputPort("result", config.width));
    aclr = AddPort(CreateInputPort("aclr", 1, 0));
    clken = AddPort(CreateInputPort("clken", 1, 0));
    shifted.resize(data->Width());
    chosen.resize(result->Width());
}

bool Node_MuxConc::Evaluate()
{
    SelectInput(data, sel, width, size, shifted, chosen);
    return result->Set(chosen);
}

// ---------------------------------------------------------------- pipelined

std::string Node_MuxPiped::TypeName() const { return TypeNames::MuxPiped; }

void Node_MuxPiped::CreatePorts(const ParamQuery& query)
{
    LpmMuxConfig config = ReadLpmMuxConfig(query);
    width = config.width;
    size = config.size;
    depth = config.pipeline;
    if (depth <= 0)
        report(SEV_FATAL, "Pipelined lpm_mux model given invalid pipeline depth");
    data = AddPort(CreateInputPort("data", DataWidth(config), 0));
    sel = AddPort(CreateInputPort("sel", config.widths, 0));
    aclr = AddPort(CreateInputPort("aclr", 1, 1));
    clken = AddPort(CreateInputPort("clken", 1, 2));
    result = AddPort(CreateOutputPort("result", config.width));
    staging.resize(result->Width());
    shifted.resize(data->Width());
    if (depth > 0)
        pipeline.assign(static_cast<size_t>(depth), staging);
}

bool Node_MuxPiped::Evaluate()
{
    enabled = clken->ValueInt() != 0;
    if (aclr->ValueInt() != 0) {
        for (MLIB_UINTEGER& entry : pipeline)
            entry = 0u;
        staging = 0u;
        return result->Set(staging);
    }
    SelectInput(data, sel, width, size, shifted, staging);
    // Without a pipeline the choice goes straight through, as in Node_MuxConc.
    if (pipeline.empty())
        return result->Set(staging);
    return false;
}

bool Node_MuxPiped::ClockHook()
{
    if (pipeline.empty())
        return false;
    if (enabled) {
        pipeline[static_cast<size_t>(position)] = staging;
        position = (position + 1) % depth;
    }
    return result->Set(pipeline[static_cast<size_t>(position)]);
}

}  // namespace Sim
