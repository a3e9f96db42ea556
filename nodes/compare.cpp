// Comparators and the absolute-value unit. The six LPM comparison results travel as one
// packed byte so that the pipelined comparator can store them per stage.
#include "nodes/compare.h"

#include "engine/node_registry.h"

#include <algorithm>
#include <cstring>

#include "base/messages.h"
#include "nodes/conventions.h"
#include "nodes/node_config.h"
#include "nodes/operator_trace.h"

namespace Sim {

namespace {

// Deeper pipelines are taken as a corrupt configuration; real designs use a handful.
constexpr int kMaxComparePipeline = 1 << 16;

constexpr const char* kCompareOutputNames[6] = {"alb", "aeb", "agb", "aleb", "aneb", "ageb"};

template <class Value>
uint32_t PackedResults(const Value& a, const Value& b)
{
    return (a < b ? 1u : 0u) | (a == b ? 2u : 0u) | (a > b ? 4u : 0u) | (a <= b ? 8u : 0u) |
           (a != b ? 16u : 0u) | (a >= b ? 32u : 0u);
}

// Bit 0 less than, 1 equal, 2 greater than, 3 less or equal, 4 not equal, 5 greater or equal.
// Unsigned equality also compares the undefined masks and flags.
uint32_t CompareResults(Port_Base* dataa, Port_Base* datab, bool is_signed)
{
    if (is_signed)
        return PackedResults(MLIB_SINTEGER(dataa->Value()), MLIB_SINTEGER(datab->Value()));
    return PackedResults(dataa->Value(), datab->Value());
}

void CreateCompareOutputs(Node_Concurrent& node, CompareOutputs& outputs)
{
    for (int i = 0; i < 6; ++i)
        outputs.port[i] = node.AddPort(node.CreateOutputPort(kCompareOutputNames[i], 1));
}

// Writes every output from its bit of `results`, in port order.
bool WriteCompareOutputs(const CompareOutputs& outputs, uint32_t results)
{
    bool changed = false;
    for (int i = 0; i < 6; ++i)
        changed |= outputs.port[i]->SetInt((results >> i) & 1u);
    return changed;
}

std::string CompareTrace(Port_Base* dataa, Port_Base* datab, const CompareOutputs& outputs)
{
    int bit[6];
    for (int i = 0; i < 6; ++i)
        bit[i] = static_cast<int>(outputs.port[i]->ValueInt());
    return TraceFormat("%s, %s  -->  LT %d  EQ %d  GT %d  LE %d  NE %d  GE %d",
                        dataa->Value().to_hex().c_str(), datab->Value().to_hex().c_str(), bit[0], bit[1],
                        bit[2], bit[3], bit[4], bit[5]);
}

bool RepresentationIsSigned(const ParamReader& params)
{
    std::string representation = "UNSIGNED";
    params.Read("lpm_representation", representation);
    return representation == "SIGNED";
}

}  // namespace

// ---------------------------------------------------------------- less-or-equal comparators

void Node_UnsnCmpLE::CreatePorts(const ParamQuery& query)
{
    OperandWidths widths = ReadTwoWidths(*this, query, 6);
    dataa = AddPort(CreateInputPort("dataa", widths.a, 0));
    datab = AddPort(CreateInputPort("datab", widths.b, 0));
    equ_ok = AddPort(CreateInputPort("equ_ok", 1, 0));
    out = AddPort(CreateOutputPort("out", 1));
    one_word = dataa->Width() <= 32 && datab->Width() <= 32;
    FollowPorts();
}

void Node_UnsnCmpLE::FollowPorts()
{
    a.Follow(dataa);
    b.Follow(datab);
    or_equal.Follow(equ_ok);
    out_word.Attach(out);
}

// Comparisons read the value bits only, so one-word operands need no value objects.
bool Node_UnsnCmpLE::Evaluate()
{
    if (one_word) {
        const uint32_t x = a.Read(), y = b.Read();
        return out_word.Write((or_equal.Read() == 0 ? x < y : x <= y) ? 1u : 0u);
    }
    const MLIB_UINTEGER& a = dataa->Value();
    const MLIB_UINTEGER& b = datab->Value();
    bool result = equ_ok->IsZero() ? a < b : a <= b;
    return out->SetInt(result ? 1u : 0u);
}

std::string Node_UnsnCmpLE::TraceText()
{
    return OperatorTrace(dataa, equ_ok->IsZero() ? "<" : "<=", datab, out);
}

void Node_SignCmpLE::CreatePorts(const ParamQuery& query)
{
    OperandWidths widths = ReadTwoWidths(*this, query, 6);
    dataa = AddPort(CreateInputPort("dataa", widths.a, 0));
    datab = AddPort(CreateInputPort("datab", widths.b, 0));
    equ_ok = AddPort(CreateInputPort("equ_ok", 1, 0));
    out = AddPort(CreateOutputPort("out", 1));
}

bool Node_SignCmpLE::Evaluate()
{
    MLIB_SINTEGER a(dataa->Value());
    MLIB_SINTEGER b(datab->Value());
    bool result = equ_ok->IsZero() ? a < b : a <= b;
    return out->SetInt(result ? 1u : 0u);
}

std::string Node_SignCmpLE::TraceText()
{
    return OperatorTrace(dataa, equ_ok->IsZero() ? "<" : "<=", datab, out);
}

// ---------------------------------------------------------------- Node_LpmCompare

void Node_LpmCompare::CreatePorts(const ParamQuery& query)
{
    ParamReader params(query);
    int32_t width = 1;
    params.Read("lpm_width", width);
    is_signed = RepresentationIsSigned(params);
    width = CheckedWidth(*this, "lpm_width", width);
    dataa = AddPort(CreateInputPort("dataa", width, 0));
    datab = AddPort(CreateInputPort("datab", width, 0));
    aclr = AddPort(CreateInputPort("aclr", 1, 1));
    clken = AddPort(CreateInputPort("clken", 1, 2));
    CreateCompareOutputs(*this, outputs);
}

bool Node_LpmCompare::Evaluate()
{
    uint32_t results = aclr->ValueInt() ? 0u : CompareResults(dataa, datab, is_signed);
    return WriteCompareOutputs(outputs, results);
}

std::string Node_LpmCompare::TraceText() { return CompareTrace(dataa, datab, outputs); }

// ---------------------------------------------------------------- Node_LpmComparePiped

void Node_LpmComparePiped::CreatePorts(const ParamQuery& query)
{
    ParamReader params(query);
    int32_t width = 1, depth = 1;
    params.Read("lpm_width", width);
    params.Read("lpm_pipeline", depth);
    is_signed = RepresentationIsSigned(params);
    width = CheckedWidth(*this, "lpm_width", width);
    if (depth <= 0) {
        report(SEV_FATAL, "Pipelined LpmCompare model given invalid pipeline depth");
        depth = 0;
    } else if (depth > kMaxComparePipeline) {
        report(SEV_FATAL, "LpmCompare unable to allocate pipeline");
        depth = 0;
    }
    stages.assign(static_cast<size_t>(depth) + 1, 0);
    dataa = AddPort(CreateInputPort("dataa", width, 0));
    datab = AddPort(CreateInputPort("datab", width, 0));
    aclr = AddPort(CreateInputPort("aclr", 1, 1));
    clken = AddPort(CreateInputPort("clken", 1, 2));
    CreateCompareOutputs(*this, outputs);
}

bool Node_LpmComparePiped::Evaluate()
{
    if (aclr->ValueInt()) {
        std::fill(stages.begin(), stages.end(), 0);
        shown = 0;
    } else if (!clken->IsZero()) {
        stages.back() = static_cast<uint8_t>(CompareResults(dataa, datab, is_signed));
        shown = stages.front();
        std::memmove(stages.data(), stages.data() + 1, stages.size() - 1);
    }
    // A disabled evaluation shows the byte shown last: after an advance stages[0] already
    // holds the next result, which must not appear before the next enabled evaluation.
    return WriteCompareOutputs(outputs, shown);
}

std::string Node_LpmComparePiped::TraceText() { return CompareTrace(dataa, datab, outputs); }

// ---------------------------------------------------------------- Node_Abs

void Node_Abs::CreatePorts(const ParamQuery& query)
{
    int32_t width = 1;
    ParamReader(query).Read("lpm_width", width);
    width = CheckedWidth(*this, "lpm_width", width);
    data = AddPort(CreateInputPort("data", width, 0));
    result = AddPort(CreateOutputPort("result", width));
    overflow = AddPort(CreateOutputPort("overflow", 1));
    magnitude.resize(width);
}

namespace {

// Only the sign bit is set: the most negative value, which has no positive counterpart.
bool IsMostNegative(const MLIB_UINTEGER& x)
{
    const int top = x.words() - 1;
    for (int i = 0; i < top; ++i)
        if (x.word(i) != 0)
            return false;
    return x.word(top) == 1u << ((x.width() - 1) % 32);
}

}  // namespace

bool Node_Abs::Evaluate()
{
    const MLIB_UINTEGER& x = data->Value();
    const int w = x.width();
    bool overflowed = false;
    if (!x.bit(w - 1)) {
        magnitude = x;
    } else if (IsMostNegative(x)) {  // also the negative value of a 1-bit input
        magnitude = x;
        overflowed = true;
    } else {
        magnitude = ~x + MLIB_UINTEGER(1, 1);  // cannot carry out: x is not zero
    }
    bool changed = result->Set(magnitude);
    changed |= overflow->SetInt(overflowed ? 1u : 0u);
    return changed;
}

// The operator codes this file serves.
namespace {

Node_Base* MakeLpmCompare(Manager& manager, const std::string& name, const ParamQuery& query)
{
    if (QueryInteger(query, "lpm_pipeline").value_or(0) != 0)
        return manager.NewNode<Node_LpmComparePiped>(name, query);
    return manager.NewNode<Node_LpmCompare>(name, query);
}

const NodeRegistration compare_code(OperatorCode::CompareLessEqual, MakeBySign<Node_UnsnCmpLE, Node_SignCmpLE>);
const NodeRegistration lpm_compare_code(OperatorCode::LpmCompare, MakeLpmCompare);
const NodeRegistration abs_code(OperatorCode::LpmAbs, MakeNode<Node_Abs>);

}  // namespace


void Node_LpmComparePiped::SaveState(StateWriter& out)
{
    Node_Concurrent::SaveState(out);
    for (uint8_t stage : stages)
        out.U8(stage);
    out.U8(shown);
}

bool Node_LpmComparePiped::RestoreState(StateReader& in)
{
    if (!Node_Concurrent::RestoreState(in))
        return false;
    for (uint8_t& stage : stages)
        if (!in.U8(stage))
            return false;
    return in.U8(shown);
}

}  // namespace Sim
