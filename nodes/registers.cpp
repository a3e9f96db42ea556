// Registers and the latch. The registers keep their contents inside the node and write
// them to combinational outputs; the pending flag tells the scheduler whether the node
// needs the next clock edge.
#include "nodes/registers.h"

#include "engine/manager.h"
#include "engine/node_registry.h"
#include "nodes/conventions.h"
#include "nodes/node_config.h"
#include "nodes/value_helpers.h"

namespace Sim {

namespace {

const char* UndefinedMark(const MLIB_UINTEGER& value, const char* mark)
{
    return value.is_undefined() ? mark : "";
}

}  // namespace

// ---------------------------------------------------------------- Node_Register

void Node_Register::CreateRegisterPorts(int width)
{
    datain = AddPort(CreateInputPort("datain", width, 0));
    dataout = AddPort(CreateOutputPort("dataout", width));
    adata = AddPort(CreateInputPort("adata", width, 1));
    preset = AddPort(CreateInputPort("preset", width, 1));
    clear = AddPort(CreateInputPort("clear", width, 1));
    aload = AddPort(CreateInputPort("aload", width, 1));
    ena = AddPort(CreateInputPort("ena", width, 2));
    AddPort(CreateInputPort("sclr", width, 1));
    AddPort(CreateInputPort("sload", width, 1));
    narrow = width < 32;
}

void Node_Register::FollowPorts()
{
    data_word.Follow(datain);
    enable_word.Follow(ena);
    out_word.Attach(dataout);
    // A new source or inversion may make a control read something else than zeros: the
    // controls are read again until the next scheduler looks at them (PrepareRun).
    controls_idle = false;
}

// Most registers of a netlist leave their asynchronous controls unconnected, reading constant
// zeros, and then the evaluation need not look at them. A connection made later clears the
// answer until the next scheduler build asks again.
void Node_Register::PrepareRun()
{
    marked = pending;
    controls_idle = true;
    for (Port_Base* control : {preset, clear, aload}) {
        if (!control->IsFixed() || !control->IsZero()) {
            controls_idle = false;
            break;
        }
    }
}

// The register passes the reachability search on only through its asynchronous controls.
bool Node_Register::ForwardsFrom(Node_Base* driver)
{
    return DriverOf(clear) == driver || DriverOf(aload) == driver || DriverOf(preset) == driver;
}

bool Node_Register::EvaluateWord()
{
    narrow_enable_seen = enable_word.Read();
    narrow_data_seen = data_word.Read();
    uint32_t value = narrow_stored;
    if (controls_idle) {
        SetPendingWord(value != narrow_data_seen);
        return false;
    } else if (uint32_t set_bits = preset->ValueInt())
        value |= set_bits;
    else if (uint32_t clear_bits = clear->ValueInt())
        value &= ~clear_bits;
    else if (aload->ValueInt())
        value = adata->ValueInt();
    else {
        SetPendingWord(value != narrow_data_seen);
        return false;
    }
    narrow_stored = value;
    narrow_data_seen = value;
    SetPendingWord(false);
    return out_word.Write(value);
}

// ---------------------------------------------------------------- Node_DFFE

void Node_DFFE::CreatePorts(const ParamQuery& query)
{
    int32_t width = 1;
    ParamReader params(query);
    params.Read("width", width);
    params.Read("array_width", width);
    width = CheckedWidth(*this, "width", width);
    CreateRegisterPorts(width);
    stored.resize(width);
    data_seen.resize(width);
    enable_seen.resize(width);
    FollowPorts();
}

void Node_DFFE::FollowPorts()
{
    Node_Register::FollowPorts();
    data_value.Follow(datain);
    enable_value.Follow(ena);
}

void Node_DFFE::InitHook()
{
    Node_Register::InitHook();
    stored = 0u;
}

// A pending register whose differing bits are all disabled would only rewrite its value at
// the edge, so it does not ask for one; idle lanes of a design thus cost nothing per cycle.
void Node_DFFE::SetPending(bool now_pending)
{
    pending = now_pending;
    if (!pending)
        MarkClockWork(false);
    else if (narrow)
        SetPendingWord(true);
    else if (uint64_t e, d, s; PlainWords(e, d, s))
        MarkClockWork((e & (d ^ s)) != 0);  // NextValue() != stored, on one word
    else
        MarkClockWork(NextValue() != stored);
}

bool Node_DFFE::EvaluateWide()
{
    enable_seen = enable_value.Read();
    data_seen = data_value.Read();
    // Preset, then clear, then load, each tested on the whole control value: while any bit
    // of "preset" is 1, "clear" and "aload" are ignored in every bit.
    if (controls_idle) {
        // SetPending(stored != data_seen) on one word each, for the usual values of up to
        // 64 bits without undefined bits.
        if (uint64_t e, d, s; PlainWords(e, d, s)) {
            pending = d != s;
            MarkClockWork((e & (d ^ s)) != 0);
        } else {
            SetPending(stored != data_seen);
        }
        return false;
    } else if (!preset->IsZero()) {
        stored |= preset->Value();
    } else if (!clear->IsZero()) {
        stored &= ~clear->Value();
    } else if (!aload->IsZero()) {
        stored = adata->Value();
    } else {
        SetPending(stored != data_seen);
        return false;
    }
    data_seen = stored;
    SetPending(false);
    return dataout->Set(stored);
}

MLIB_UINTEGER Node_DFFE::NextValue() const { return (enable_seen & data_seen) | (~enable_seen & stored); }

// The edge leaves the pending flag alone (the next evaluation recomputes it) and asks for the
// next edge only if that could change the stored value again, so a wide register whose data
// stays put costs nothing per cycle.
bool Node_DFFE::ClockHookWide()
{
    marked = false;  // the scheduler cleared the mark (mark_cleared_at_edge)
    if (uint64_t e, d, s; PlainWords(e, d, s)) {
        // NextValue(), which is plain too, on one word; a second edge would store it again.
        SetLow64Bits(stored, (e & d) | (~e & s));
    } else {
        // Not so with undefined bits: an undefined data bit under an undefined enable bit
        // becomes a known 0 at the next edge.
        stored = NextValue();
        MarkClockWork(NextValue() != stored);
    }
    return dataout->Set(stored);
}

bool Node_DFFE::ClockHookWord()
{
    const uint32_t enable = narrow_enable_seen;
    const uint32_t value = (enable & narrow_data_seen) | (~enable & narrow_stored);
    narrow_stored = value;
    // A second edge on the same data and enable would store the same word again, so the
    // mark the scheduler cleared (mark_cleared_at_edge) stays clear.
    marked = false;
    return out_word.Write(value);
}

bool Node_DFFE::Evaluate() { return narrow ? EvaluateWord() : EvaluateWide(); }

bool Node_DFFE::ClockHook() { return narrow ? ClockHookWord() : ClockHookWide(); }

std::string Node_DFFE::TraceText()
{
    if (narrow) {
        stored.set_word(0, narrow_stored);
        data_seen.set_word(0, narrow_data_seen);
        enable_seen.set_word(0, narrow_enable_seen);
    }
    const MLIB_UINTEGER& in = datain->Value();
    const MLIB_UINTEGER& out = dataout->Value();
    const bool wide = dataout->Width() > 16;
    if (enable_seen == 0u) {
        if (wide)
            return TraceFormat("Disabled %s (seeing %s)  -->  holding %s", enable_seen.to_hex().c_str(),
                                in.to_hex().c_str(), out.to_hex().c_str());
        return TraceFormat("Disabled %s (seeing %d%s)  -->  holding %d%s", enable_seen.to_hex().c_str(),
                            TraceSigned(in.to_uint()), UndefinedMark(in, " (X)"),
                            TraceSigned(out.to_uint()), UndefinedMark(out, "(X)"));
    }
    if (preset->ValueInt())
        return "Reset to 1";
    if (clear->ValueInt())
        return "Clear to 0";
    MLIB_UINTEGER next = NextValue();
    if (wide)
        return TraceFormat("was %s (seeing %s enabled %s)  -->  will be %s", out.to_hex().c_str(),
                            in.to_hex().c_str(), enable_seen.to_hex().c_str(), next.to_hex().c_str());
    return TraceFormat("was %d %s (seeing %d %s enabled %s)  -->  will be %d %s",
                        TraceSigned(out.to_uint()), UndefinedMark(out, "(X)"), TraceSigned(in.to_uint()),
                        UndefinedMark(in, "(X)"), enable_seen.to_hex().c_str(), TraceSigned(next.to_uint()),
                        UndefinedMark(next, "(X)"));
}

// ---------------------------------------------------------------- Node_DFFE_Bit

void Node_DFFE_Bit::CreatePorts(const ParamQuery&)
{
    CreateRegisterPorts(1);
    FollowPorts();
}

// On one bit the word evaluation is the plain one: preset loads 1, clear 0, aload "adata".
bool Node_DFFE_Bit::Evaluate() { return EvaluateWord(); }

bool Node_DFFE_Bit::ClockHook()
{
    // A second edge on the same data and enable would change nothing, so the mark the
    // scheduler cleared (mark_cleared_at_edge) stays clear.
    marked = false;
    if (narrow_enable_seen == 0)
        return false;
    narrow_stored = narrow_data_seen;
    return out_word.Write(narrow_data_seen);
}

std::string Node_DFFE_Bit::TraceText()
{
    if (narrow_enable_seen == 0)
        return TraceFormat("Disabled %d (seeing %d)  -->  holding %d", TraceSigned(narrow_enable_seen),
                            TraceSigned(datain->ValueInt()), TraceSigned(dataout->ValueInt()));
    if (preset->ValueInt())
        return "Reset to 1";
    if (clear->ValueInt())
        return "Clear to 0";
    return TraceFormat("was %d  (seeing %d  enabled %d)  -->  will be %d", TraceSigned(dataout->ValueInt()),
                        TraceSigned(datain->ValueInt()), TraceSigned(narrow_enable_seen),
                        TraceSigned(narrow_enable_seen ? narrow_data_seen : narrow_stored));
}

// ---------------------------------------------------------------- Node_Latch

void Node_Latch::CreatePorts(const ParamQuery&)
{
    datain = AddPort(CreateInputPort("datain", 1, 0));
    latch_enable = AddPort(CreateInputPort("latch_enable", 1, 0));
    aclr = AddPort(CreateInputPort("aclr", 1, 0));
    apre = AddPort(CreateInputPort("apre", 1, 0));
    dataout = AddPort(CreateOutputPort("dataout", 1));
}

bool Node_Latch::Evaluate()
{
    if (aclr->ValueInt())
        return dataout->SetInt(0);
    if (apre->ValueInt())
        return dataout->SetInt(1);
    if (latch_enable->ValueInt())
        return dataout->SetInt(datain->ValueInt());
    return false;
}

std::string Node_Latch::TraceText()
{
    return TraceFormat("in %s   --%s-->   out %s", datain->Value().to_hex().c_str(),
                        latch_enable->ValueInt() ? "ENA" : "dis", dataout->Value().to_hex().c_str());
}

// The operator codes this file serves.
namespace {

// "array_width" absent or 1 picks the one-bit register.
Node_Base* MakeRegister(Manager& manager, const std::string& name, const ParamQuery& query)
{
    if (QueryInteger(query, "array_width").value_or(1) == 1)
        return manager.NewNode<Node_DFFE_Bit>(name, query);
    return manager.NewNode<Node_DFFE>(name, query);
}

const NodeRegistration register_code(OperatorCode::Register, MakeRegister);
const NodeRegistration latch_code(OperatorCode::Latch, MakeNode<Node_Latch>);

}  // namespace


// ---------------------------------------------------------------- checkpoints

void Node_Register::SaveState(StateWriter& out)
{
    Node_Concurrent::SaveState(out);
    out.Bool(pending);
    out.Bool(marked);
    out.U32(narrow_stored);
    out.U32(narrow_data_seen);
    out.U32(narrow_enable_seen);
}

bool Node_Register::RestoreState(StateReader& in)
{
    return Node_Concurrent::RestoreState(in) && in.Bool(pending) && in.Bool(marked) && in.U32(narrow_stored) &&
           in.U32(narrow_data_seen) && in.U32(narrow_enable_seen);
}

void Node_DFFE::SaveState(StateWriter& out)
{
    Node_Register::SaveState(out);
    out.Value(stored);
    out.Value(data_seen);
    out.Value(enable_seen);
}

bool Node_DFFE::RestoreState(StateReader& in)
{
    return Node_Register::RestoreState(in) && in.Value(stored) && in.Value(data_seen) && in.Value(enable_seen);
}

}  // namespace Sim
