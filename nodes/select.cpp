// Two-input multiplexers, bit selectors and masked-OR selectors.
#include "nodes/select.h"

#include "engine/node_registry.h"

#include "nodes/conventions.h"
#include "nodes/node_config.h"
#include "nodes/port_index.h"

namespace Sim {

namespace {

// One width read under a general name and then a specific one.
int32_t ReadWidth(const ParamQuery& query, const char* general, const char* specific, int32_t preset)
{
    int32_t width = preset;
    ParamReader params(query);
    params.Read(general, width);
    params.Read(specific, width);
    return width;
}

std::string Hex(Port_Base* port) { return port->Value().to_hex(); }

}  // namespace

// ---------------------------------------------------------------- bitwise two-input muxes

void Node_BitwiseMux::CreatePorts(const ParamQuery& query)
{
    int32_t width = CheckedWidth(*this, "array_width", ReadWidth(query, "width", "array_width", 1));
    dataa = AddPort(CreateInputPort("dataa", width, 0));
    datab = AddPort(CreateInputPort("datab", width, 0));
    outputselect = AddPort(CreateInputPort("outputselect", width, 0));
    dataout = AddPort(CreateOutputPort("dataout", width));
}

std::string Node_Mux2to1::TypeName() const { return "MUX 2to1"; }

void Node_Mux2to1::CreatePorts(const ParamQuery& query)
{
    Node_BitwiseMux::CreatePorts(query);
    result.resize(dataout->Width());
}

bool Node_Mux2to1::Evaluate()
{
    if (result.width() <= 32) {
        uint32_t s = outputselect->ValueInt();
        return dataout->SetInt((dataa->ValueInt() & ~s) | (datab->ValueInt() & s));
    }
    const MLIB_UINTEGER& a = dataa->Value();
    const MLIB_UINTEGER& b = datab->Value();
    const MLIB_UINTEGER& s = outputselect->Value();
    for (int i = 0; i < result.words(); ++i)
        result.set_word(i, (a.word(i) & ~s.word(i)) | (b.word(i) & s.word(i)));
    return dataout->Set(result);
}

std::string Node_Mux2to1::TraceText()
{
    return TraceFormat("(%s, %s)  sel %s  -->  %s", Hex(dataa).c_str(), Hex(datab).c_str(),
                        Hex(outputselect).c_str(), Hex(dataout).c_str());
}

std::string Node_MuxSmall::TypeName() const { return "MUX_2to1"; }

bool Node_MuxSmall::Evaluate()
{
    uint32_t s = outputselect->ValueInt();
    return dataout->SetInt((~s & dataa->ValueInt()) | (datab->ValueInt() & s));
}

std::string Node_MuxSmall::TraceText()
{
    return TraceFormat("(%d, %d)  sel %d  -->  %d", TraceSigned(dataa->ValueInt()),
                        TraceSigned(datab->ValueInt()), TraceSigned(outputselect->ValueInt()),
                        TraceSigned(dataout->ValueInt()));
}

// ---------------------------------------------------------------- whole-word two-input muxes

std::string Node_MuxSimple::TypeName() const { return "MUX-2to1"; }

void Node_MuxSimple::CreatePorts(const ParamQuery& query)
{
    int32_t width = CheckedWidth(*this, "data_width", ReadWidth(query, "width", "data_width", 1));
    dataa = AddPort(CreateInputPort("dataa", width, 0));
    datab = AddPort(CreateInputPort("datab", width, 0));
    dataout = AddPort(CreateOutputPort("dataout", width));
    outputselect = AddPort(CreateInputPort("outputselect", 1, 0));
    FollowPorts();
}

void Node_MuxSimple::FollowPorts()
{
    a.Follow(dataa);
    b.Follow(datab);
    select.Follow(outputselect);
    out_word.Attach(dataout);
}

bool Node_MuxSimple::Evaluate() { return out_word.Write(select.Read() == 0 ? a.Read() : b.Read()); }

std::string Node_MuxSimple::TraceText()
{
    return TraceFormat("(%d, %d)  sel %c  -->  %d", TraceSigned(dataa->ValueInt()),
                        TraceSigned(datab->ValueInt()), outputselect->IsZero() ? 'A' : 'B',
                        TraceSigned(dataout->ValueInt()));
}

std::string Node_BusMux2::TypeName() const { return "BUS MUX "; }

void Node_BusMux2::CreatePorts(const ParamQuery& query)
{
    const OperandWidths widths = ReadThreeWidths(*this, query, 6);
    dataa = AddPort(CreateInputPort("dataa", widths.a, 0));
    datab = AddPort(CreateInputPort("datab", widths.b, 0));
    select = AddPort(CreateInputPort("select", 1, 0));
    dataout = AddPort(CreateOutputPort("dataout", widths.o));
}

bool Node_BusMux2::Evaluate()
{
    if (select->IsZero())
        return dataout->Set(dataa->Value());
    return dataout->Set(datab->Value());
}

std::string Node_BusMux2::TraceText()
{
    return TraceFormat("(%s, %s)  sel %d  -->  %s", Hex(dataa).c_str(), Hex(datab).c_str(),
                        TraceSigned(select->ValueInt()), Hex(dataout).c_str());
}

// ---------------------------------------------------------------- bit selectors

void Node_BitSelect::CreateSelectPorts(const ParamQuery& query, const char* too_wide_report)
{
    int32_t width_data = 6, width_select = 6;
    ParamReader params(query);
    params.Read("width", width_data);
    params.Read("width", width_select);
    params.Read("width_data", width_data);
    params.Read("width_select", width_select);
    if (too_wide_report)
        CheckSmallWidth(width_data, 32, too_wide_report);
    datain = AddPort(CreateInputPort("datain", CheckedWidth(*this, "width_data", width_data), 0));
    select = AddPort(CreateInputPort("select", CheckedWidth(*this, "width_select", width_select), 0));
    dataout = AddPort(CreateOutputPort("dataout", 1));
}

std::string Node_BitSelect::TraceText()
{
    return TraceFormat("data %s   sel %d  -->  %d", Hex(datain).c_str(), TraceSigned(select->ValueInt()),
                        TraceSigned(dataout->ValueInt()));
}

std::string Node_Mux::TypeName() const { return "MUX     "; }

void Node_Mux::CreatePorts(const ParamQuery& query) { CreateSelectPorts(query, nullptr); }

// A select beyond the data bits reads 0, as the bits above any value do.
bool Node_Mux::Evaluate()
{
    uint32_t position = ReadIndex(select);
    if (position >= static_cast<uint32_t>(datain->Width()))
        return dataout->SetInt(0);
    if (datain->Width() <= 32)
        return dataout->SetInt((datain->ValueInt() >> position) & 1u);
    uint32_t word = datain->Value().word(static_cast<int>(position / 32));
    return dataout->SetInt((word >> (position % 32)) & 1u);
}

std::string Node_Mux_Sm::TypeName() const { return "MUX-    "; }

void Node_Mux_Sm::CreatePorts(const ParamQuery& query)
{
    CreateSelectPorts(query, "Small Node_Mux configured above bitwidth limit");
}

bool Node_Mux_Sm::Evaluate()
{
    uint32_t position = select->ValueInt();
    return dataout->SetInt(position < 32 ? (datain->ValueInt() >> position) & 1u : 0u);
}

// ---------------------------------------------------------------- masked-OR selectors

void Node_MaskSelect::CreateSelectPorts(const ParamQuery& query, const char* too_wide_report)
{
    int32_t width_sel = 6;
    ParamReader params(query);
    params.Read("width_sel", width_sel);
    int32_t width_data = width_sel;  // the data width starts as a copy of the mask's
    params.Read("width_data", width_data);
    if (too_wide_report)
        CheckSmallWidth(width_data, 32, too_wide_report);
    data = AddPort(CreateInputPort("data", CheckedWidth(*this, "width_data", width_data), 0));
    mask = AddPort(CreateInputPort("mask", CheckedWidth(*this, "width_sel", width_sel), 0));
    out = AddPort(CreateOutputPort("out", 1));
}

std::string Node_MaskSelect::TraceText()
{
    return TraceFormat("data %s  sel %s  -->  %s", Hex(data).c_str(), Hex(mask).c_str(), Hex(out).c_str());
}

std::string Node_Selector::TypeName() const { return "SELECTOR"; }

void Node_Selector::CreatePorts(const ParamQuery& query) { CreateSelectPorts(query, nullptr); }

// A bit counts only where it is known 1 on both sides; the narrower input reads 0 above
// its width.
bool Node_Selector::Evaluate()
{
    if (data->Width() < 32 && mask->Width() < 32)
        return out->SetInt((data->ValueInt() & mask->ValueInt()) != 0);
    const MLIB_UINTEGER& d = data->Value();
    const MLIB_UINTEGER& m = mask->Value();
    bool hit = false;
    for (int i = 0; i < d.words() && i < m.words() && !hit; ++i)
        hit = (d.word(i) & ~d.undef_word(i) & m.word(i) & ~m.undef_word(i)) != 0;
    return out->SetInt(hit);
}

std::string Node_Selector_Sm::TypeName() const { return "SELECTOR"; }

void Node_Selector_Sm::CreatePorts(const ParamQuery& query)
{
    CreateSelectPorts(query, "Small Selector configured beyond bitwidth limits");
}

// The operator codes this file serves.
namespace {

// "array_width" absent or 1: one bit; up to 32: one word; above: wide.
Node_Base* MakeMux2(Manager& manager, const std::string& name, const ParamQuery& query)
{
    const int32_t width = QueryInteger(query, "array_width").value_or(1);
    if (width == 1)
        return manager.NewNode<Node_MuxSimple>(name, query);
    if (width <= 32)
        return manager.NewNode<Node_MuxSmall>(name, query);
    return manager.NewNode<Node_Mux2to1>(name, query);
}

// Unlike the other families, a selector without "width_data" is the wide class.
Node_Base* MakeSelector(Manager& manager, const std::string& name, const ParamQuery& query)
{
    if (QueryInteger(query, "width_data").value_or(33) <= 32)
        return manager.NewNode<Node_Selector_Sm>(name, query);
    return manager.NewNode<Node_Selector>(name, query);
}

Node_Base* MakeBitSelect(Manager& manager, const std::string& name, const ParamQuery& query)
{
    if (NarrowOrAbsent(query, "width_data"))
        return manager.NewNode<Node_Mux_Sm>(name, query);
    return manager.NewNode<Node_Mux>(name, query);
}

const NodeRegistration mux2_code(OperatorCode::Mux2, MakeMux2);
const NodeRegistration selector_code(OperatorCode::Selector, MakeSelector);
const NodeRegistration bit_select_code(OperatorCode::BitSelect, MakeBitSelect);
const NodeRegistration bus_mux2_code(OperatorCode::BusMux2, MakeNode<Node_BusMux2>);

}  // namespace

}  // namespace Sim
