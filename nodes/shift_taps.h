// Node_MrvShiftTaps: the shift register with evenly spaced taps (mrvshift_taps). A ring of
// number_of_taps x tap_distance entries shifts once per clock edge while "clken" is set;
// "taps" shows every tap_distance-th entry side by side, the newest tap in the low bits.
#pragma once

#include <string>
#include <vector>

#include "engine/node.h"
#include "base/param_value.h"

namespace Sim {

class Node_MrvShiftTaps : public Node_Concurrent {
public:
    std::string TypeName() const override { return "SHIFTAPS"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    bool ClockHook() override;
    std::string TraceText() override;
    void SaveState(StateWriter& out) override;
    bool RestoreState(StateReader& in) override;

private:
    // Index in the ring of tap i (0 = newest); `position` is the oldest entry.
    int TapIndex(int tap) const { return (position + (taps_count - 1 - tap) * distance) % length; }

    ParamValue number_of_taps{4};  // as read from the design
    ParamValue tap_distance{3};
    ParamValue width{8};
    int taps_count = 1;  // number_of_taps after the configuration checks
    int distance = 1;    // tap_distance after the checks
    int entry_width = 1; // width after the checks: bits per entry and per tap

    Port_Base* shiftin = nullptr;
    Port_Base* clken = nullptr;
    Port_Base* shiftout = nullptr;
    Port_Base* taps = nullptr;
    std::vector<MLIB_UINTEGER> ring;  // `length` entries of entry_width bits; all 0 at creation
    int position = 0;                 // index of the oldest entry
    int length = 1;                   // taps_count * distance, at least 1
    MLIB_UINTEGER input_seen;         // "shiftin" at the last evaluation
    bool enabled = true;              // "clken" was nonzero at the last evaluation
    bool packed = false;              // every tap fits one word and no value can be undefined
    MLIB_UINTEGER taps_value;         // scratch for the wide "taps" value
    MLIB_UINTEGER shifted;            // scratch: one tap moved to its place in taps_value
};

}  // namespace Sim
