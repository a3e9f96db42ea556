// The LPM multiplexers: choosing one input of "data", combinationally or through a pipeline.
#include "nodes/lpm_mux.h"

#include "base/messages.h"
#include "engine/node.h"
#include "engine/node_registry.h"
#include "nodes/conventions.h"
#include "nodes/node_config.h"
#include "nodes/port_index.h"

namespace Sim {

namespace {

struct LpmMuxConfig {
    int32_t width = 1;     // lpm_width
    int32_t size = 2;      // lpm_size
    int32_t widths = 1;    // lpm_widths: the select's width
    int32_t pipeline = 0;  // lpm_pipeline
};

// Reads the parameters and checks the widths and the size; "data" (lpm_width * lpm_size
// bits) stays within the width limit. The pipeline depth is left to each class.
LpmMuxConfig ReadLpmMuxConfig(const Node_Base& node, const ParamQuery& query)
{
    LpmMuxConfig config;
    ParamReader params(query);
    params.Read("lpm_width", config.width);
    params.Read("lpm_size", config.size);
    params.Read("lpm_widths", config.widths);
    params.Read("lpm_pipeline", config.pipeline);
    config.width = CheckedWidth(node, "lpm_width", config.width);
    config.size = CheckedCount(node, "lpm_size", config.size, kMaxBits / config.width);
    config.widths = CheckedWidth(node, "lpm_widths", config.widths);
    return config;
}

// chosen := input "sel" of "data", cut to chosen's width; for a "sel" of `size` or more,
// "data" made wholly undefined and cut. `shifted` is scratch at the data's width.
void SelectInput(Port_Base* data, Port_Base* sel, int32_t width, int32_t size, MLIB_UINTEGER& shifted,
                 MLIB_UINTEGER& chosen)
{
    uint32_t s = ReadIndex(sel);
    if (s >= static_cast<uint32_t>(size)) {
        chosen = data->Value();
        chosen.set_undefined();
        return;
    }
    // Below the data width, which is the product of the checked width and size.
    int shift = static_cast<int>(s) * width;
    if (data->Width() < 32) {
        chosen = data->ValueInt() >> shift;
        return;
    }
    shifted = data->Value();
    shifted >>= shift;
    chosen = shifted;
}

}  // namespace

// ---------------------------------------------------------------- combinational

std::string Node_MuxConc::TypeName() const { return "MUX CONC"; }

void Node_MuxConc::CreatePorts(const ParamQuery& query)
{
    LpmMuxConfig config = ReadLpmMuxConfig(*this, query);
    width = config.width;
    size = config.size;
    if (config.pipeline > 0)
        report(SEV_FATAL, "Concurrent lpm_mux model given invalid pipeline depth");
    data = AddPort(CreateInputPort("data", config.width * config.size, 0));
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

std::string Node_MuxPiped::TypeName() const { return "MUX PIPE"; }

void Node_MuxPiped::CreatePorts(const ParamQuery& query)
{
    LpmMuxConfig config = ReadLpmMuxConfig(*this, query);
    width = config.width;
    size = config.size;
    depth = config.pipeline;
    if (depth <= 0)
        report(SEV_FATAL, "Pipelined lpm_mux model given invalid pipeline depth");
    else
        depth = CheckedCount(*this, "lpm_pipeline", depth, kMaxBits / width);
    data = AddPort(CreateInputPort("data", config.width * config.size, 0));
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

// The operator codes this file serves.
namespace {

Node_Base* MakeLpmMux(Manager& manager, const std::string& name, const ParamQuery& query)
{
    if (QueryInteger(query, "lpm_pipeline").value_or(0) != 0)
        return manager.NewNode<Node_MuxPiped>(name, query);
    return manager.NewNode<Node_MuxConc>(name, query);
}

const NodeRegistration lpm_mux_code(OperatorCode::LpmMux, MakeLpmMux);

}  // namespace


void Node_MuxPiped::SaveState(StateWriter& out)
{
    Node_Concurrent::SaveState(out);
    for (const MLIB_UINTEGER& entry : pipeline)
        out.Value(entry);
    out.I32(position);
    out.Value(staging);
    out.Bool(enabled);
}

bool Node_MuxPiped::RestoreState(StateReader& in)
{
    if (!Node_Concurrent::RestoreState(in))
        return false;
    for (MLIB_UINTEGER& entry : pipeline)
        if (!in.Value(entry))
            return false;
    if (!in.I32(position) || !in.Value(staging) || !in.Bool(enabled))
        return false;
    if (position < 0 || (position > 0 && static_cast<size_t>(position) >= pipeline.size()))
        return in.Fail();
    return true;
}

}  // namespace Sim
