// Shifters and rotators: parameter reading, the word path below 32 bits and the wide path.
#include "nodes/shifts.h"

#include "engine/node_registry.h"

#include <algorithm>

#include "nodes/conventions.h"
#include "nodes/node_config.h"
#include "nodes/port_index.h"
#include "nodes/value_helpers.h"

namespace Sim {

namespace {

struct ShiftConfig {
    int32_t width_in = 6;
    int32_t width_amount = 6;
    int32_t width_out = 6;
    int32_t fill = 0;  // the "fill" parameter (shifters only)
};

ShiftConfig ReadShiftConfig(const ParamQuery& query, bool with_fill)
{
    ShiftConfig config;
    ParamReader params(query);
    params.Read("width", config.width_in);
    params.Read("width", config.width_amount);
    params.Read("width", config.width_out);
    params.Read("width_in", config.width_in);
    params.Read("width_amount", config.width_amount);
    params.Read("width_out", config.width_out);
    if (with_fill)
        params.Read("fill", config.fill);
    return config;
}

// Sets value bits [from, to) of x to 1; the caller keeps `to` within the width.
void SetOnes(MLIB_UINTEGER& x, int from, int to)
{
    for (int i = from / 32; i < x.words() && i * 32 < to; ++i) {
        int low = std::max(from - i * 32, 0);
        int high = std::min(to - i * 32, 32);
        x.set_word(i, x.word(i) | (LowBitsMask(high - low) << low));
    }
}

// x := every bit 1, defined, no flags.
void SetAllOnes(MLIB_UINTEGER& x)
{
    x = 0u;
    SetOnes(x, 0, x.width());
}

// Copies "datain" into work (which keeps its width, at least the input's), sign-extended
// when `sign_extend`. Returns whether the input's sign bit was set.
bool LoadWork(MLIB_UINTEGER& work, Port_Base* datain, bool sign_extend)
{
    const MLIB_UINTEGER& x = datain->Value();
    work = x;
    bool negative = x.bit(x.width() - 1) != 0;
    if (sign_extend && negative)
        SetOnes(work, x.width(), work.width());
    return negative;
}

// Word-path sign extension of a value of `width` bits to 32 bits.
uint32_t SignExtend(uint32_t value, int width)
{
    if (width >= 32 || ((value >> (width - 1)) & 1u) == 0)
        return value;
    return value | ~LowBitsMask(width);
}

std::string ShiftTrace(const char* format, Port_Base* datain, Port_Base* amount, Port_Base* dataout)
{
    return TraceFormat(format, datain->Value().to_hex().c_str(), TraceSigned(amount->ValueInt()),
                        dataout->Value().to_hex().c_str());
}

}  // namespace

// ---------------------------------------------------------------- SHL

std::string Node_SHL::TypeName() const { return "SHL BITS"; }

void Node_SHL::CreatePorts(const ParamQuery& query)
{
    ShiftConfig config = ReadShiftConfig(query, true);
    signed_form = config.fill == 1;
    datain = AddPort(CreateInputPort("datain", CheckedWidth(*this, "width_in", config.width_in), 0));
    amount = AddPort(CreateInputPort("amount", CheckedWidth(*this, "width_amount", config.width_amount), 0));
    fill = AddPort(CreateInputPort("fill", 1, 0));
    dataout = AddPort(CreateOutputPort("dataout", CheckedWidth(*this, "width_out", config.width_out)));
    working = std::max(datain->Width(), dataout->Width());
    work.resize(working);
    data_width = datain->Width();
    amount_one_word = amount->Width() <= 32;
    FollowPorts();
}

void Node_SHL::FollowPorts()
{
    data_word.Follow(datain);
    data_value.Follow(datain);
    amount_word.Follow(amount);
    fill_word.Follow(fill);
    out_word.Attach(dataout);
}

bool Node_SHL::Evaluate()
{
    uint32_t a = amount_one_word ? amount_word.Read() : ReadIndex(amount);
    bool fill_ones = fill_word.Read() != 0;
    uint32_t m = static_cast<uint32_t>(working);
    if (m < 32) {
        uint32_t x = data_word.Read();
        if (signed_form)
            x = SignExtend(x, data_width) & LowBitsMask(static_cast<int>(m));
        if (a >= m)
            x = fill_ones ? LowBitsMask(static_cast<int>(m)) : 0u;
        else
            x = ((x << a) | (fill_ones ? LowBitsMask(static_cast<int>(a)) : 0u)) & LowBitsMask(static_cast<int>(m));
        return out_word.Write(x);
    }
    uint64_t x;
    if (m <= 64 && data_value.Read().plain_low_64(x)) {
        // The same steps on one word, for the usual input of up to 64 bits without undefined
        // bits (the result then has none either).
        const uint64_t keep = LowBitsMask64(static_cast<int>(m));
        if (signed_form && ((x >> (data_width - 1)) & 1u))
            x |= ~LowBitsMask64(data_width);
        x = a >= m ? 0 : x << a;
        if (fill_ones)
            x |= LowBitsMask64(static_cast<int>(std::min<uint32_t>(a, 64)));  // any amount: at most every bit
        work = 0u;
        SetLow64Bits(work, x & keep);
        return dataout->Set(work);
    }
    if (fill_ones && a >= m) {
        SetAllOnes(work);
    } else {
        LoadWork(work, datain, signed_form);
        work <<= static_cast<int>(std::min(a, m));
        if (fill_ones)
            SetOnes(work, 0, static_cast<int>(a));
    }
    return dataout->Set(work);
}

std::string Node_SHL::TraceText() { return ShiftTrace("%s << %d  -->  %s", datain, amount, dataout); }

// ---------------------------------------------------------------- SHR

std::string Node_SHR::TypeName() const { return "SHR BITS"; }

void Node_SHR::CreatePorts(const ParamQuery& query)
{
    ShiftConfig config = ReadShiftConfig(query, true);
    arithmetic = config.fill != 0;
    datain = AddPort(CreateInputPort("datain", CheckedWidth(*this, "width_in", config.width_in), 0));
    amount = AddPort(CreateInputPort("amount", CheckedWidth(*this, "width_amount", config.width_amount), 0));
    fill = AddPort(CreateInputPort("fill", 1, 0));
    dataout = AddPort(CreateOutputPort("dataout", CheckedWidth(*this, "width_out", config.width_out)));
    working = std::max(datain->Width(), dataout->Width());
    work.resize(working);
}

bool Node_SHR::Evaluate()
{
    uint32_t a = ReadIndex(amount);
    uint32_t m = static_cast<uint32_t>(working);
    // Arithmetic: the sign fills the vacated bits; logical: the "fill" input does.
    if (m < 32) {
        uint32_t x = datain->ValueInt();
        bool fill_ones = false;
        if (arithmetic) {
            x = SignExtend(x, datain->Width()) & LowBitsMask(static_cast<int>(m));
            fill_ones = ((x >> (m - 1)) & 1u) != 0;
        } else {
            fill_ones = fill->ValueInt() != 0;
        }
        if (a >= m)
            x = fill_ones ? LowBitsMask(static_cast<int>(m)) : 0u;
        else
            x = (x >> a) | (fill_ones ? LowBitsMask(static_cast<int>(m)) & ~(LowBitsMask(static_cast<int>(m)) >> a) : 0u);
        return dataout->SetInt(x);
    }
    // A logical shift by the width or more with the "fill" input set gives fresh ones; the
    // other shifts keep the flags of "datain", as the wide shifts do.
    bool fill_input = !arithmetic && fill->ValueInt() != 0;
    if (fill_input && a >= m) {
        SetAllOnes(work);
        return dataout->Set(work);
    }
    uint32_t shift = std::min(a, m);
    bool negative = LoadWork(work, datain, arithmetic);
    work >>= static_cast<int>(shift);
    if (fill_input || (arithmetic && negative))
        SetOnes(work, static_cast<int>(m - shift), static_cast<int>(m));
    return dataout->Set(work);
}

std::string Node_SHR::TraceText() { return ShiftTrace("%s >> %d  -->  %s", datain, amount, dataout); }

// ---------------------------------------------------------------- rotators

void Node_Rotate::CreatePorts(const ParamQuery& query)
{
    ShiftConfig config = ReadShiftConfig(query, false);
    datain = AddPort(CreateInputPort("datain", CheckedWidth(*this, "width_in", config.width_in), 0));
    amount = AddPort(CreateInputPort("amount", CheckedWidth(*this, "width_amount", config.width_amount), 0));
    dataout = AddPort(CreateOutputPort("dataout", CheckedWidth(*this, "width_out", config.width_out)));
    low_part.resize(datain->Width());
    high_part.resize(datain->Width());
    rotated.resize(datain->Width());
}

bool Node_Rotate::RotateLeft(uint32_t a)
{
    int n = datain->Width();
    if (n < 32) {
        uint32_t v = datain->ValueInt();
        uint32_t r = a == 0 ? v : ((v << a) | (v >> (n - static_cast<int>(a)))) & LowBitsMask(n);
        return dataout->SetInt(r);
    }
    const MLIB_UINTEGER& x = datain->Value();
    low_part = x;
    low_part <<= static_cast<int>(a);
    high_part = x;
    high_part >>= n - static_cast<int>(a);
    // The parts joined by an OR: its known ones and masks, and the fresh flags of its result.
    rotated = low_part;
    rotated |= high_part;
    rotated.clear_flags();
    return dataout->Set(rotated);
}

std::string Node_ROL::TypeName() const { return "ROL BITS"; }

bool Node_ROL::Evaluate()
{
    uint32_t n = static_cast<uint32_t>(datain->Width());
    return RotateLeft(ReadModulo(amount, n));
}

std::string Node_ROL::TraceText() { return ShiftTrace("%s <| %d  -->  %s", datain, amount, dataout); }

std::string Node_ROR::TypeName() const { return "ROR BITS"; }

// A right rotation by a is a left rotation by n - a.
bool Node_ROR::Evaluate()
{
    uint32_t n = static_cast<uint32_t>(datain->Width());
    uint32_t a = ReadModulo(amount, n);
    return RotateLeft((n - a) % n);
}

std::string Node_ROR::TraceText() { return ShiftTrace("%s |> %d  -->  %s", datain, amount, dataout); }

// The operator codes this file serves.
namespace {

const NodeRegistration shift_left_code(OperatorCode::ShiftLeft, MakeNode<Node_SHL>);
const NodeRegistration shift_right_code(OperatorCode::ShiftRight, MakeNode<Node_SHR>);
const NodeRegistration rotate_left_code(OperatorCode::RotateLeft, MakeNode<Node_ROL>);
const NodeRegistration rotate_right_code(OperatorCode::RotateRight, MakeNode<Node_ROR>);

}  // namespace

}  // namespace Sim
