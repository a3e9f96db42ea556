// Ports: value storage, change reporting, registered-output clocking and input reads
// with inversion. Misuse (writing an input, connecting an output) is reported, never
// thrown, and leaves the port unchanged.
#include "engine/port.h"

#include <algorithm>

#include "engine/node.h"
#include "base/messages.h"

namespace Sim {

namespace {
// Ports are never narrower than one bit, so no mask is shifted by 32 and no buffer is empty.
int AtLeastOneBit(int width) { return std::max(width, 1); }
}  // namespace

Port_Base::Port_Base(const std::string& name, Node_Base* owner, int width)
    : width(AtLeastOneBit(width)), owner(owner), name(name)
{
}

Port_Out::Port_Out(const std::string& name, Node_Base* owner, int width)
    : Port_Base(name, owner, width), value(0, AtLeastOneBit(width))
{
}

void Port_Out::SetSource(Port_Base*)
{
    report(SEV_INTERNAL, "Cannot assign port dependancies to OUTPUT ports");
}

// Values of up to 64 bits are stored inline, so their low word never moves.
Port_Out_Con::Port_Out_Con(const std::string& name, Node_Base* owner, int width) : Port_Out(name, owner, width)
{
    word = value.inline_low_word();
}

bool Port_Out_Con::SetInt(uint32_t v) { return Set(MLIB_UINTEGER(v, 32)); }

bool Port_Out_Con::Set(const MLIB_UINTEGER& x)
{
    bool changed = x != value;
    value = x;
    return changed;
}

Port_Out_Con_Int::Port_Out_Con_Int(const std::string& name, Node_Base* owner, int width)
    : Port_Out_Con(name, owner, width)
{
    word = &word_store;
    word_mask = LowBitsMask(this->width);
}

const MLIB_UINTEGER& Port_Out_Con_Int::Value()
{
    value = *word;
    return value;
}

// The change is judged before masking: a wider value than the port can hold always
// counts as a change, which at worst re-evaluates the readers once more.
bool Port_Out_Con_Int::SetInt(uint32_t v)
{
    bool changed = v != *word;
    stored_word() = v & word_mask;
    return changed;
}

bool Port_Out_Con_Int::RestoreState(StateReader& in)
{
    uint32_t v = 0;
    if (!in.U32(v))
        return false;
    stored_word() = v & word_mask;
    return true;
}

void Port_Out_Con_Int::Reset()
{
    stored_word() = 0;
    value = 0u;
}

Port_Out_Reg::Port_Out_Reg(const std::string& name, Node_Base* owner, int width)
    : Port_Out(name, owner, width), next(0, this->width)
{
    next.set_undefined();
    word = value.inline_low_word();
}

bool Port_Out_Reg::SetInt(uint32_t v) { return Set(MLIB_UINTEGER(v, 32)); }

bool Port_Out_Reg::Set(const MLIB_UINTEGER& x)
{
    next = x;
    return false;
}

bool Port_Out_Reg::Clock()
{
    bool changed = value != next;
    value = next;
    return changed;
}

void Port_Out_Reg::SaveState(StateWriter& out) const
{
    out.Value(value);
    out.Value(next);
}

bool Port_Out_Reg::RestoreState(StateReader& in) { return in.Value(value) && in.Value(next); }

Port_Out_Reg_Int::Port_Out_Reg_Int(const std::string& name, Node_Base* owner, int width)
    : Port_Out_Reg(name, owner, width), inext(0)
{
    word = &word_store;
    word_mask = LowBitsMask(this->width);
}

const MLIB_UINTEGER& Port_Out_Reg_Int::Value()
{
    value = *word;
    return value;
}

bool Port_Out_Reg_Int::SetInt(uint32_t v)
{
    inext = v;
    return false;
}

bool Port_Out_Reg_Int::Clock()
{
    bool changed = *word != inext;
    stored_word() = inext & word_mask;
    return changed;
}

void Port_Out_Reg_Int::SaveState(StateWriter& out) const
{
    out.U32(*word);
    out.U32(inext);  // as written: an edge compares it unmasked
}

bool Port_Out_Reg_Int::RestoreState(StateReader& in)
{
    uint32_t v = 0;
    if (!in.U32(v) || !in.U32(inext))
        return false;
    stored_word() = v & word_mask;
    return true;
}

void Port_Out_Reg_Int::Reset()
{
    stored_word() = 0;
    value = 0u;
}

Port_Constant::Port_Constant(const std::string& name, Node_Base* owner, const MLIB_UINTEGER& constant)
    : Port_Out(name, owner, constant.width()), constant(constant)
{
    word = this->constant.inline_low_word();
}

Port_In::Port_In(const std::string& name, Node_Base* owner, int width, Port_Base* source)
    : Port_Base(name, owner, width), source(source), read(0, AtLeastOneBit(width))
{
    FollowSourceWord();
}

// Without inversion an input as wide as its source sees the source's value itself.
const MLIB_UINTEGER& Port_In::Value()
{
    if (!inversion && source->Width() == width)
        return source->Value();
    read = source->Value();
    if (inversion)
        read = read ^ *inversion;
    return read;
}

bool Port_In::IsZero()
{
    if (!inversion && source->Width() == width)
        return source->IsZero();
    return Value().is_zero();
}

void Port_In::SetSource(Port_Base* out)
{
    if (out == nullptr || !out->IsOutput()) {
        report(SEV_INTERNAL, "Tried to make an input port read from another input port");
        return;
    }
    source = out;
    FollowSourceWord();
    owner->OnInputConnected(this);
    owner->FollowPorts();
}

bool Port_In::SetInt(uint32_t)
{
    report(SEV_INTERNAL, "Cannot assign values to INPUT ports.");
    return false;
}

bool Port_In::Set(const MLIB_UINTEGER&)
{
    report(SEV_INTERNAL, "Cannot assign values to INPUT ports.");
    return false;
}

void Port_In::SetInversion(const MLIB_UINTEGER* bits)
{
    auto inverted = std::make_unique<MLIB_UINTEGER>(0, width);
    if (bits)
        *inverted = *bits;
    else
        *inverted = ~*inverted;
    word_invert = inverted->to_uint();
    inversion = std::move(inverted);
    owner->FollowPorts();
}

Port_In_Int::Port_In_Int(const std::string& name, Node_Base* owner, int width, Port_Base* source)
    : Port_In(name, owner, width, source)
{
    word_mask = LowBitsMask(this->width);
}

const MLIB_UINTEGER& Port_In_Int::Value()
{
    read = ValueInt();
    return read;
}

void Port_In_Int::SetInversion(const MLIB_UINTEGER* bits)
{
    word_invert = bits ? bits->to_uint() : 0xFFFFFFFFu;
    owner->FollowPorts();
}

}  // namespace Sim
