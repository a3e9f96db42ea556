// Adders with carry in and out, and add/subtract units. The general classes compute with
// the wide value type; word-sized configurations take a path on 64-bit integers that gives
// the same bits, so that narrow adders never touch the heap.
#include "nodes/adders.h"

#include "engine/node_registry.h"

#include <algorithm>

#include "nodes/conventions.h"
#include "nodes/node_config.h"
#include "nodes/operator_trace.h"
#include "nodes/value_helpers.h"

namespace Sim {

namespace {

std::string AdderTrace(Port_Base* dataa, Port_Base* datab, Port_Base* cin, Port_Base* dataout,
                        Port_Base* cout)
{
    return TraceFormat("%d + %d %s -->  %d%s", TraceSigned(dataa->ValueInt()),
                        TraceSigned(datab->ValueInt()), cin->ValueInt() ? "+cin " : "",
                        TraceSigned(dataout->ValueInt()), cout->ValueInt() ? "+cout" : "");
}

}  // namespace

// ---------------------------------------------------------------- Node_UnsnAdd

void Node_UnsnAdd::CreatePorts(const ParamQuery& query)
{
    OperandWidths widths = ReadThreeWidths(*this, query, 1);
    dataa = AddPort(CreateInputPort("dataa", widths.a, 0));
    datab = AddPort(CreateInputPort("datab", widths.b, 0));
    cin = AddPort(CreateInputPort("cin", 1, 0));
    dataout = AddPort(CreateOutputPort("dataout", widths.o));
    cout = AddPort(CreateOutputPort("cout", 1));
    accumulator.resize(widths.o + 1);
    sum.resize(widths.o);
    word_path = widths.o <= 32 && widths.a <= 32 && widths.b <= 32;
    two_word_path = !word_path && widths.o <= 63;
    FollowPorts();
}

void Node_UnsnAdd::FollowPorts()
{
    a.Follow(dataa);
    b.Follow(datab);
    carry_in.Follow(cin);
    carry_word.Attach(cout);
}

bool Node_UnsnAdd::Evaluate()
{
    if (word_path) {
        // The low width_o + 1 bits of a 64-bit sum are those of the accumulator.
        const int w = sum.width();
        uint64_t s = uint64_t{dataa->ValueInt()} + datab->ValueInt() + carry_in.Read();
        bool changed = carry_word.Write(static_cast<uint32_t>(s >> w) & 1u);
        changed |= dataout->SetInt(static_cast<uint32_t>(s) & LowBitsMask(w));
        return changed;
    }
    if (two_word_path) {
        // As above on 64 bits: the low width_o + 1 bits of the operands' low 64 bits summed
        // are those of the accumulator, whose undefined state stays clear.
        const int w = sum.width();
        uint64_t s = a.Read().low_64() + b.Read().low_64() + carry_in.Read();
        bool changed = carry_word.Write(static_cast<uint32_t>(s >> w) & 1u);
        SetLow64Bits(sum, s & ((uint64_t{1} << w) - 1));
        changed |= dataout->Set(sum);
        return changed;
    }
    // += adds modulo the accumulator's width and keeps its (clear) undefined state.
    accumulator = 0u;
    accumulator += a.Read();
    accumulator += b.Read();
    accumulator += cin->Value();
    bool changed = cout->SetInt(static_cast<uint32_t>(accumulator.bit(sum.width())));
    sum = accumulator;
    changed |= dataout->Set(sum);
    return changed;
}

std::string Node_UnsnAdd::TraceText() { return AdderTrace(dataa, datab, cin, dataout, cout); }

// ---------------------------------------------------------------- Node_UnsnAdd_Sm

void Node_UnsnAdd_Sm::CreatePorts(const ParamQuery& query)
{
    OperandWidths widths = ReadThreeWidths(*this, query, 1);
    // 31, not 32: the carry needs bit 31 of the word.
    CheckSmallWidth(widths.o, 31, "Small UnsnAdd configured with bitwidth beyond limits");
    dataa = AddPort(CreateInputPort("dataa", widths.a, 0));
    datab = AddPort(CreateInputPort("datab", widths.b, 0));
    cin = AddPort(CreateInputPort("cin", 1, 0));
    dataout = AddPort(CreateOutputPort("dataout", widths.o));
    cout = AddPort(CreateOutputPort("cout", 1));
    carry_bit = widths.o % 32;
    FollowPorts();
}

void Node_UnsnAdd_Sm::FollowPorts()
{
    a.Follow(dataa);
    b.Follow(datab);
    carry_in.Follow(cin);
    sum_word.Attach(dataout);
    carry_word.Attach(cout);
}

bool Node_UnsnAdd_Sm::Evaluate()
{
    uint32_t s = b.Read() + carry_in.Read() + a.Read();
    bool changed = carry_word.Write((s >> carry_bit) & 1u);
    changed |= sum_word.Write(s);
    return changed;
}

std::string Node_UnsnAdd_Sm::TraceText() { return AdderTrace(dataa, datab, cin, dataout, cout); }

// ---------------------------------------------------------------- Node_SignAdd

void Node_SignAdd::CreatePorts(const ParamQuery& query)
{
    OperandWidths widths = ReadThreeWidths(*this, query, 1);
    dataa = AddPort(CreateInputPort("dataa", widths.a, 0));
    datab = AddPort(CreateInputPort("datab", widths.b, 0));
    cin = AddPort(CreateInputPort("cin", 1, 0));
    dataout = AddPort(CreateOutputPort("dataout", widths.o));
    cout = AddPort(CreateOutputPort("cout", 1));
    // With width_o at most max(width_a, width_b) the exact sum is only ever cut, so its low
    // width_o + 1 bits are all that matter and a 64-bit sum holds them.
    word_path = widths.a <= 32 && widths.b <= 32 && widths.o <= std::max(widths.a, widths.b);
    accumulator.resize(widths.o + 1);
    result.resize(widths.o);
}

bool Node_SignAdd::Evaluate() { return word_path ? EvaluateWord() : EvaluateWide(); }

bool Node_SignAdd::EvaluateWord()
{
    const MLIB_UINTEGER& a = dataa->Value();
    const MLIB_UINTEGER& b = datab->Value();
    const int w = result.width();
    uint64_t pattern = static_cast<uint64_t>(SignedOf(a.to_uint(), a.width()) +
                                             SignedOf(b.to_uint(), b.width()) + cin->ValueInt());
    bool changed = cout->SetInt(static_cast<uint32_t>(pattern >> w) & 1u);
    // The signed sum carries the undefined state of its wider operand (of datab when equal).
    SetLowWordLike(result, a.width() > b.width() ? a : b, static_cast<uint32_t>(pattern) & LowBitsMask(w));
    changed |= dataout->Set(result);
    return changed;
}

bool Node_SignAdd::EvaluateWide()
{
    MLIB_SINTEGER a(dataa->Value());
    MLIB_SINTEGER b(datab->Value());
    MLIB_SINTEGER sum = a + b;
    // Plain unsigned assignment: a narrower exact sum is zero-extended, not sign-extended.
    accumulator = sum + cin->Value();
    bool changed = cout->SetInt(static_cast<uint32_t>(accumulator.bit(result.width())));
    result = accumulator;
    changed |= dataout->Set(result);
    return changed;
}

std::string Node_SignAdd::TraceText() { return AdderTrace(dataa, datab, cin, dataout, cout); }

// ---------------------------------------------------------------- Node_UnsnAddSub

void Node_UnsnAddSub::CreatePorts(const ParamQuery& query)
{
    OperandWidths widths = ReadThreeWidths(*this, query, 32);
    dataa = AddPort(CreateInputPort("dataa", widths.a, 0));
    datab = AddPort(CreateInputPort("datab", widths.b, 0));
    flag = AddPort(CreateInputPort("flag", 1, 0));
    dataout = AddPort(CreateOutputPort("dataout", widths.o));
    word_path = widths.o <= 32 && widths.b <= 32;
    operand.resize(widths.o);
    result.resize(widths.o);
}

bool Node_UnsnAddSub::Evaluate()
{
    operand = dataa->Value();
    const MLIB_UINTEGER& b = datab->Value();
    const bool add = (flag->ValueInt() & 1u) != 0;
    if (word_path) {
        const int w = operand.width();
        uint32_t low =
            (add ? operand.to_uint() + b.to_uint() : operand.to_uint() - b.to_uint()) & LowBitsMask(w);
        // A sum takes the undefined state of its wider operand (datab when equal), a
        // difference that of the minuend.
        SetLowWordLike(result, add && b.width() >= w ? b : operand, low);
    } else {
        result = add ? operand + b : operand - b;
    }
    return dataout->Set(result);
}

std::string Node_UnsnAddSub::TraceText()
{
    return OperatorTrace(dataa, flag->ValueInt() ? "+" : "-", datab, dataout);
}

// ---------------------------------------------------------------- Node_SignAddSub

void Node_SignAddSub::CreatePorts(const ParamQuery& query)
{
    OperandWidths widths = ReadThreeWidths(*this, query, 32);
    dataa = AddPort(CreateInputPort("dataa", widths.a, 0));
    datab = AddPort(CreateInputPort("datab", widths.b, 0));
    flag = AddPort(CreateInputPort("flag", 1, 0));
    dataout = AddPort(CreateOutputPort("dataout", widths.o));
    word_path = widths.o <= 32 && widths.b <= 32;
    operand.resize(widths.o);
    result.resize(widths.o);
}

bool Node_SignAddSub::Evaluate()
{
    SignResizeInto(operand, dataa->Value());
    const MLIB_UINTEGER& b = datab->Value();
    const bool add = (flag->ValueInt() & 1u) != 0;
    if (word_path) {
        const int w = operand.width();
        int64_t x = SignedOf(operand.to_uint(), w);
        int64_t y = SignedOf(b.to_uint(), b.width());
        uint32_t low = static_cast<uint32_t>(add ? x + y : x - y) & LowBitsMask(w);
        // As the signed operators: a sum carries the undefined state of its wider operand
        // (datab when equal), a difference that of the minuend.
        SetLowWordLike(result, add && b.width() >= w ? b : static_cast<const MLIB_UINTEGER&>(operand),
                          low);
    } else {
        MLIB_SINTEGER y(b);
        result = add ? operand + y : operand - y;
    }
    return dataout->Set(result);
}

std::string Node_SignAddSub::TraceText()
{
    return OperatorTrace(dataa, flag->ValueInt() ? "+" : "-", datab, dataout);
}

// The operator codes this file serves.
namespace {

// Unsigned adders below 32 output bits ("width", overridden by "width_o"; 1 when neither is
// given) compute on one word; from 32 bits on the wide class keeps the carry.
Node_Base* MakeAdder(Manager& manager, const std::string& name, const ParamQuery& query)
{
    if (ParamIsOne(query, "signed"))
        return manager.NewNode<Node_SignAdd>(name, query);
    const int32_t width = QueryInteger(query, "width_o").value_or(QueryInteger(query, "width").value_or(1));
    if (width < 32)
        return manager.NewNode<Node_UnsnAdd_Sm>(name, query);
    return manager.NewNode<Node_UnsnAdd>(name, query);
}

const NodeRegistration adder_code(OperatorCode::Add, MakeAdder);
const NodeRegistration add_sub_code(OperatorCode::AddSub, MakeBySign<Node_UnsnAddSub, Node_SignAddSub>);

}  // namespace

}  // namespace Sim
