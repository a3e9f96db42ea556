// The shift register with taps. Configurations with no taps, no distance, no bits, or
// storage far beyond any real design are reported and built with 1 in place of the bad
// value, so the ring is never empty and its indexing never divides by zero.
#include "nodes/shift_taps.h"

#include <algorithm>
#include <cstdint>

#include "engine/node_registry.h"

#include "nodes/conventions.h"
#include "nodes/node_config.h"

namespace Sim {

namespace {

// Ring entries, or bits in the ring, beyond these are taken as a corrupt configuration.
constexpr int kMaxRingEntries = 1 << 20;
constexpr int64_t kMaxRingBits = int64_t(1) << 26;

}  // namespace

void Node_MrvShiftTaps::CreatePorts(const ParamQuery& query)
{
    ParamReader params(query);
    params.Read("number_of_taps", number_of_taps);
    params.Read("tap_distance", tap_distance);
    params.Read("width", width);
    // Read for completeness; they change nothing: the ring always starts at 0.
    std::string power_up_state = "CLEARED", lpm_type = "mrvshift_taps", lpm_hint = "UNUSED";
    params.Read("power_up_state", power_up_state);
    params.Read("lpm_type", lpm_type);
    params.Read("lpm_hint", lpm_hint);

    entry_width = CheckedWidth(*this, "width", width.integer());
    taps_count =
        CheckedCount(*this, "number_of_taps", number_of_taps.integer(), kMaxBits / entry_width);
    const int64_t most_entries = std::min<int64_t>(kMaxRingEntries, kMaxRingBits / entry_width);
    distance = CheckedCount(*this, "tap_distance", tap_distance.integer(), static_cast<int>(most_entries / taps_count));
    length = taps_count * distance;

    shiftin = AddPort(CreateInputPort("shiftin", entry_width, 0));
    clken = AddPort(CreateInputPort("clken", 1, 2));
    shiftout = AddPort(CreateOutputPort("shiftout", entry_width));
    taps = AddPort(CreateOutputPort("taps", entry_width * taps_count));

    ring.assign(static_cast<size_t>(length), MLIB_UINTEGER(0, entry_width));
    input_seen.resize(entry_width);
    // Inputs below 32 bits read defined values, so narrow taps can be packed on a word.
    packed = entry_width < 32 && entry_width * taps_count <= 32;
    taps_value.resize(entry_width * taps_count);
    shifted.resize(entry_width * taps_count);
}

bool Node_MrvShiftTaps::Evaluate()
{
    enabled = clken->ValueInt() != 0;
    input_seen = shiftin->Value();
    return false;
}

bool Node_MrvShiftTaps::ClockHook()
{
    if (!enabled)
        return false;
    ring[static_cast<size_t>(position)] = input_seen;
    position = (position + 1) % length;
    const MLIB_UINTEGER& oldest = ring[static_cast<size_t>(position)];
    bool changed;
    if (packed) {
        uint32_t word = 0;
        for (int tap = 0; tap < taps_count; ++tap)
            word |= ring[static_cast<size_t>(TapIndex(tap))].to_uint() << (tap * entry_width);
        changed = shiftout->SetInt(oldest.to_uint());
        changed |= taps->SetInt(word);
    } else {
        // Tap 0 as it is, then an OR with each further tap in its place: the OR keeps the known
        // ones and the masks, and its result has fresh flags.
        taps_value = ring[static_cast<size_t>(TapIndex(0))];
        for (int tap = 1; tap < taps_count; ++tap) {
            shifted = ring[static_cast<size_t>(TapIndex(tap))];
            shifted <<= tap * entry_width;
            taps_value |= shifted;
        }
        if (taps_count > 1)
            taps_value.clear_flags();
        changed = shiftout->Set(oldest);
        changed |= taps->Set(taps_value);
    }
    return changed;
}

std::string Node_MrvShiftTaps::TraceText()
{
    return TraceFormat("in %s  -->  out %d   taps %s", shiftin->Value().to_hex().c_str(),
                        TraceSigned(shiftout->ValueInt()), taps->Value().to_hex().c_str());
}

// The operator codes this file serves.
namespace {

const NodeRegistration shift_taps_code(OperatorCode::ShiftTaps, MakeNode<Node_MrvShiftTaps>);

}  // namespace


void Node_MrvShiftTaps::SaveState(StateWriter& out)
{
    Node_Concurrent::SaveState(out);
    for (const MLIB_UINTEGER& entry : ring)
        out.Value(entry);
    out.I32(position);
    out.Value(input_seen);
    out.Bool(enabled);
}

bool Node_MrvShiftTaps::RestoreState(StateReader& in)
{
    if (!Node_Concurrent::RestoreState(in))
        return false;
    for (MLIB_UINTEGER& entry : ring)
        if (!in.Value(entry))
            return false;
    if (!in.I32(position) || !in.Value(input_seen) || !in.Bool(enabled))
        return false;
    if (position < 0 || position >= length)
        return in.Fail();
    return true;
}

}  // namespace Sim
