// Stimulus files of the blocktide command: a CSV whose first line names design inputs (and
// optionally a "cycles" column) and whose further lines are steps; and the values in it,
// decimal (negative ones are two's complement) or 0x hexadecimal of any width.
#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "base/mlib_integer.h"

namespace blocktide_cli {

struct StimulusValue {
    MLIB_UINTEGER magnitude;  // the digits' value, as wide as they need
    bool negative = false;    // a leading minus sign
};

// Parses one value; on failure returns false and says why in error.
bool ParseValue(std::string_view text, StimulusValue& value, std::string& error);

// The value as written into an input of the given width: negative values become their two's
// complement, and bits above the width are cut. cut tells whether anything was lost.
MLIB_UINTEGER FitToWidth(const StimulusValue& value, int width, bool& cut);

struct StimulusStep {
    int line = 0;                       // line number in the file, from 1
    int cycles = 1;                     // cycles to run after writing
    std::vector<StimulusValue> values;  // one per named input, in column order
};

struct Stimulus {
    std::vector<std::string> inputs;  // input names in column order ("cycles" left out)
    std::vector<StimulusStep> steps;
};

// Reads a whole stimulus file. On failure returns false with an error that names the line
// (and the column, for a malformed value).
bool ReadStimulus(std::istream& in, Stimulus& stimulus, std::string& error);

}  // namespace blocktide_cli
