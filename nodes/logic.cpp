// Reduction gates, tri-state and open-drain buffers, and the decoder.
#include "nodes/logic.h"

#include "engine/node_registry.h"

#include "nodes/conventions.h"
#include "nodes/node_config.h"
#include "nodes/port_index.h"

namespace Sim {

namespace {

// 1 when the word holds an odd number of ones; folded by shifts, since a population count
// is a library call on baseline x86-64.
uint32_t Parity(uint32_t v)
{
    v ^= v >> 16;
    v ^= v >> 8;
    v ^= v >> 4;
    v ^= v >> 2;
    v ^= v >> 1;
    return v & 1u;
}

// The reduction gates' input width: "width", overridden by "width_datain".
int32_t ReadGateWidth(const ParamQuery& query)
{
    int32_t width = 2;
    ParamReader params(query);
    params.Read("width", width);
    params.Read("width_datain", width);
    return width;
}

// "%s" text of a port's value.
std::string Hex(Port_Base* port) { return port->Value().to_hex(); }

std::string HexPair(const char* format, Port_Base* in, Port_Base* out)
{
    return TraceFormat(format, Hex(in).c_str(), Hex(out).c_str());
}

}  // namespace

// ---------------------------------------------------------------- OR

std::string Node_CombOr::TypeName() const { return "COMB OR "; }

void Node_CombOr::CreatePorts(const ParamQuery& query)
{
    int32_t width = CheckedWidth(*this, "width_datain", ReadGateWidth(query));
    datain = AddPort(CreateInputPort("datain", width, 0));
    dataout = AddPort(CreateOutputPort("dataout", 1));
}

bool Node_CombOr::Evaluate()
{
    if (datain->Width() <= 32)
        return dataout->SetInt(datain->ValueInt() != 0);
    return dataout->SetInt(!datain->Value().is_zero());
}

std::string Node_CombOr::TraceText()
{
    return TraceFormat("%08X   -->  %d", datain->ValueInt(), TraceSigned(dataout->ValueInt()));
}

std::string Node_CombOr_Sm::TypeName() const { return "COMB-OR "; }

void Node_CombOr_Sm::CreatePorts(const ParamQuery& query)
{
    int32_t width = ReadGateWidth(query);
    CheckSmallWidth(width, 32, "Small CombOr config exceeded size limits");
    width = CheckedWidth(*this, "width_datain", width);
    datain = AddPort(CreateInputPort("datain", width, 0));
    dataout = AddPort(CreateOutputPort("dataout", 1));
}

std::string Node_CombOr_Sm::TraceText()
{
    return TraceFormat("%08X   -->  %d", datain->ValueInt(), TraceSigned(dataout->ValueInt()));
}

// ---------------------------------------------------------------- AND

std::string Node_CombAnd::TypeName() const { return "COMB AND"; }

void Node_CombAnd::CreatePorts(const ParamQuery& query)
{
    int32_t width = CheckedWidth(*this, "width_datain", ReadGateWidth(query));
    datain = AddPort(CreateInputPort("datain", width, 0));
    dataout = AddPort(CreateOutputPort("dataout", 1));
}

bool Node_CombAnd::Evaluate()
{
    int width = datain->Width();
    if (width <= 32)
        return dataout->SetInt(datain->ValueInt() == LowBitsMask(width));
    const MLIB_UINTEGER& value = datain->Value();
    int top = value.words() - 1;
    bool all_ones = value.word(top) == MLIB_UINTEGER::top_mask(width);
    for (int i = 0; i < top && all_ones; ++i)
        all_ones = value.word(i) == 0xFFFFFFFFu;
    return dataout->SetInt(all_ones);
}

std::string Node_CombAnd::TraceText() { return HexPair("%s  -->  %s", datain, dataout); }

std::string Node_CombAnd_Sm::TypeName() const { return "COMB-AND"; }

// Unlike its twins this gate knows only "width_datain".
void Node_CombAnd_Sm::CreatePorts(const ParamQuery& query)
{
    int32_t width = 2;
    ParamReader(query).Read("width_datain", width);
    CheckSmallWidth(width, 32, "Small CombAnd config exceeded size limits");
    width = CheckedWidth(*this, "width_datain", width);
    datain = AddPort(CreateInputPort("datain", width, 0));
    dataout = AddPort(CreateOutputPort("dataout", 1));
    ones = LowBitsMask(datain->Width());
}

std::string Node_CombAnd_Sm::TraceText() { return HexPair("%s  -->  %s", datain, dataout); }

// ---------------------------------------------------------------- XOR

std::string Node_CombXor::TypeName() const { return "COMB XOR"; }

void Node_CombXor::CreatePorts(const ParamQuery& query)
{
    int32_t width = CheckedWidth(*this, "width_datain", ReadGateWidth(query));
    datain = AddPort(CreateInputPort("datain", width, 0));
    dataout = AddPort(CreateOutputPort("dataout", 1));
    FollowPorts();
}

bool Node_CombXor::Evaluate()
{
    if (datain->Width() <= 32)
        return dataout->SetInt(Parity(datain->ValueInt()));
    const MLIB_UINTEGER& value = data_value.Read();
    uint32_t folded = 0;  // the parity of the XOR of all words is the parity of all bits
    for (int i = 0; i < value.words(); ++i)
        folded ^= value.word(i);
    return dataout->SetInt(Parity(folded));
}

std::string Node_CombXor::TraceText() { return HexPair("%s  -->  %s", datain, dataout); }

std::string Node_CombXor_Sm::TypeName() const { return "COMB-XOR"; }

void Node_CombXor_Sm::CreatePorts(const ParamQuery& query)
{
    int32_t width = ReadGateWidth(query);
    CheckSmallWidth(width, 32, "Small CombXor config exceeded size limits");
    width = CheckedWidth(*this, "width_datain", width);
    datain = AddPort(CreateInputPort("datain", width, 0));
    dataout = AddPort(CreateOutputPort("dataout", 1));
    mask = LowBitsMask(datain->Width());
    FollowPorts();
}

void Node_CombXor_Sm::FollowPorts()
{
    data_word.Follow(datain);
    out_word.Attach(dataout);
}

bool Node_CombXor_Sm::Evaluate() { return out_word.Write(Parity(data_word.Read() & mask)); }

std::string Node_CombXor_Sm::TraceText() { return HexPair("%s  -->  %s", datain, dataout); }

// ---------------------------------------------------------------- buffers

std::string Node_BufTri::TypeName() const { return "BUF TRI "; }

void Node_BufTri::CreatePorts(const ParamQuery& query)
{
    int32_t width = 1;
    ParamReader(query).Read("width", width);
    width = CheckedWidth(*this, "width", width);
    datain = AddPort(CreateInputPort("datain", width, 0));
    enable = AddPort(CreateInputPort("enable", 1, 0));
    dataout = AddPort(CreateOutputPort("dataout", width));
}

bool Node_BufTri::Evaluate()
{
    if (enable->IsZero())
        return dataout->SetInt(0);
    return dataout->Set(datain->Value());
}

std::string Node_BufTri::TraceText()
{
    if (enable->IsZero())
        return TraceFormat("%s  -->  %s", "Disable", "Z");
    return HexPair("%s  -->  %s", datain, dataout);
}

std::string Node_BufDrn::TypeName() const { return "BUFDRAIN"; }

void Node_BufDrn::CreatePorts(const ParamQuery& query)
{
    int32_t width = 1;
    ParamReader(query).Read("width", width);
    width = CheckedWidth(*this, "width", width);
    datain = AddPort(CreateInputPort("datain", width, 0));
    dataout = AddPort(CreateOutputPort("dataout", width));
    released.resize(dataout->Width());
    released.set_high_z();
}

bool Node_BufDrn::Evaluate()
{
    if (datain->IsZero())
        return dataout->Set(datain->Value());
    return dataout->Set(released);
}

std::string Node_BufDrn::TraceText()
{
    std::string in = datain->IsZero() ? "ZERO" : Hex(datain);
    std::string out = dataout->IsZero() ? "ZERO" : Hex(dataout);
    return TraceFormat("in %s  -->  %s", in.c_str(), out.c_str());
}

// ---------------------------------------------------------------- decoder

std::string Node_Decoder::TypeName() const { return "DECODER "; }

void Node_Decoder::CreatePorts(const ParamQuery& query)
{
    int32_t width_i = 1, width_o = 2;
    ParamReader params(query);
    params.Read("width", width_i);
    params.Read("width", width_o);
    params.Read("width_i", width_i);
    params.Read("width_o", width_o);
    datain = AddPort(CreateInputPort("datain", CheckedWidth(*this, "width_i", width_i), 0));
    dataout = AddPort(CreateOutputPort("dataout", CheckedWidth(*this, "width_o", width_o)));
    one_hot.resize(dataout->Width());
}

bool Node_Decoder::Evaluate()
{
    // An input with bits above its low word set is beyond every output bit.
    uint32_t k = ReadIndex(datain);
    uint32_t width = static_cast<uint32_t>(dataout->Width());
    if (width < 32)
        return dataout->SetInt(k < width ? 1u << k : 0u);
    if (hot_set)
        one_hot.set_word(static_cast<int>(hot_bit / 32), 0);
    hot_set = k < width;
    if (hot_set) {
        hot_bit = k;
        one_hot.set_word(static_cast<int>(k / 32), 1u << (k % 32));
    }
    return dataout->Set(one_hot);
}

std::string Node_Decoder::TraceText() { return HexPair("data %s  -->  %s", datain, dataout); }

// The operator codes this file serves.
namespace {

// A reduction of at most 32 bits (or of unstated width) computes on one word.
template <class Narrow, class Wide>
Node_Base* MakeReduction(Manager& manager, const std::string& name, const ParamQuery& query)
{
    if (NarrowOrAbsent(query, "width_datain"))
        return manager.NewNode<Narrow>(name, query);
    return manager.NewNode<Wide>(name, query);
}

const NodeRegistration or_code(OperatorCode::OrReduce, MakeReduction<Node_CombOr_Sm, Node_CombOr>);
const NodeRegistration xor_code(OperatorCode::XorReduce, MakeReduction<Node_CombXor_Sm, Node_CombXor>);
const NodeRegistration and_code(OperatorCode::AndReduce, MakeReduction<Node_CombAnd_Sm, Node_CombAnd>);
const NodeRegistration tri_state_code(OperatorCode::TriStateBuffer, MakeNode<Node_BufTri>);
const NodeRegistration open_drain_code(OperatorCode::OpenDrainBuffer, MakeNode<Node_BufDrn>);
const NodeRegistration decoder_code(OperatorCode::Decoder, MakeNode<Node_Decoder>);

}  // namespace

}  // namespace Sim
