// Stimulus files of the blocktide command: a CSV whose first line names design inputs (and
// optionally a "cycles" column) and whose further lines are steps; and the values in it,
// decimal (negative ones are two's complement) or 0x hexadecimal of any width.
//
// Files are read a line at a time, so a run's memory does not grow with its length; lines,
// values and decimal digits have length limits so that no input costs more than linear time.
#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "base/mlib_integer.h"

namespace blocktide_cli {

// Longest line read (a line holds one value per input).
inline constexpr size_t kMaxStimulusLine = size_t(1) << 26;
// Longest decimal value: the conversion costs digits squared, and 20,000 digits (66,000 bits)
// take a millisecond; wider values are written in hexadecimal, which is read in linear time.
inline constexpr size_t kMaxDecimalDigits = 20000;

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

// Reads a stimulus file step by step. Header names and values may be quoted as CSV writers
// quote them, and a UTF-8 byte-order mark before the header is skipped.
class StimulusReader {
public:
    explicit StimulusReader(std::istream& in) : in(in) {}

    // Reads the header line. False with an error when it is missing or malformed.
    bool ReadHeader(std::string& error);
    // Input names in column order ("cycles" left out).
    const std::vector<std::string>& Inputs() const { return inputs; }

    enum class Result { Step, End, Failed };
    // The next step; blank lines and lines starting with '#' are skipped. On Failed, error names
    // the line (and the column, for a malformed value).
    Result Next(StimulusStep& step, std::string& error);

private:
    bool ReadLine(std::string& error);

    std::istream& in;
    std::string line;
    int line_number = 0;
    std::vector<std::string> header;  // every column, "cycles" included
    std::vector<std::string> inputs;
    int cycles_column = -1;
};

struct Stimulus {
    std::vector<std::string> inputs;  // input names in column order ("cycles" left out)
    std::vector<StimulusStep> steps;
};

// Reads a whole stimulus file. On failure returns false with an error that names the line
// (and the column, for a malformed value).
bool ReadStimulus(std::istream& in, Stimulus& stimulus, std::string& error);

}  // namespace blocktide_cli
