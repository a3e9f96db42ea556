// Node_Adapter assembles one input from bit fields of several sources; Node_Downshifter
// presents a source shifted right, for an input that reads from a bit other than 0. The
// port linking pass of the build inserts both.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/input_value.h"
#include "engine/input_word.h"
#include "engine/node.h"
#include "engine/output_word.h"

namespace Sim {

class Node_Adapter : public Node_Concurrent {
public:
    // Ports come from SetSize and DefineInput, not from a parameter query.
    void CreatePorts(const ParamQuery&) override {}
    bool IsSettled() override { return true; }
    bool IsWide() override { return !small; }
    bool Evaluate() override;
    std::string TypeName() const override { return "*ADAPTER"; }

    // Announces `slice_count` slices and creates the output "out" of `out_width` bits.
    void SetSize(int slice_count, int out_width);
    // Bits [src_low, src_low + bits) of `source` go to bits [dst_low, dst_low + bits) of
    // the output, inverted when asked. Slices of constant zeros are skipped.
    void DefineInput(int src_low, int dst_low, int bits, Port_Base* source, bool inverted);

private:
    struct Entry {
        int src_low;      // lowest source bit taken
        int dst_low;      // output bit the slice starts at
        int bits;         // slice width
        bool narrow;      // the slice lies within bits 0..30 on both sides
        bool inverted;    // the slice's input inverts every bit
        bool word_sized;  // a wide entry of at most 32 bits: read as a word window of its source
    };
    // ORs a wide entry of at most 32 bits into `assembled` from the words of its source,
    // exactly as the value path would; false, doing nothing, when that path must run instead.
    bool OrWindow(int i);

    int width = 0;                // the assembled width; 0 until SetSize
    int count = 0;                // slices announced by SetSize
    int defined = 0;              // slices defined so far (at most `count`)
    std::vector<Entry> entries;   // `count` records, the first `defined` in use
    std::vector<Port_Base*> ins;  // input "in NNN" of each defined slice
    Port_Base* out = nullptr;     // the output "out"
    bool small = false;           // every slice fits the 32-bit integer path
    MLIB_UINTEGER assembled;      // the wide path's result, `width` bits: kept, so a wide
                                  // evaluation allocates nothing
};

class Node_Downshifter : public Node_Concurrent {
public:
    // Asks the query without a name for the width of both ports.
    void CreatePorts(const ParamQuery& query) override;
    bool IsSettled() override { return true; }
    bool Evaluate() override;
    std::string TypeName() const override { return "*DNSHIFT"; }

    void SetShift(int bits);
    void FollowPorts() override;

private:
    uint16_t shift = 0;         // source bits dropped at the bottom
    bool narrow = false;        // below 32 bits: shifted as one word (no undefined state)
    InputWord from_word;        // the read paths of "from"
    InputValue from_value;
    OutputWord to_word;         // the write path of "to" (narrow)
    Port_Base* from = nullptr;  // the input "from"
    Port_Base* to = nullptr;    // the output "to"
};

}  // namespace Sim
