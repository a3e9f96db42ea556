// Reading stimulus CSV files and their values.
#include "tools/stimulus.h"

#include <cctype>

#include "base/text.h"

namespace blocktide_cli {

namespace {

std::string Trim(std::string_view text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::vector<std::string> SplitFields(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        size_t comma = line.find(',', start);
        fields.push_back(Trim(std::string_view(line).substr(start, comma - start)));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return fields;
}

// value = value * base + digit, growing the value by a word when it would overflow.
void AccumulateDigit(MLIB_UINTEGER& value, uint32_t base, uint32_t digit)
{
    uint64_t carry = digit;
    for (int i = 0; i < value.words(); ++i) {
        uint64_t t = static_cast<uint64_t>(value.word(i)) * base + carry;
        value.set_word(i, static_cast<uint32_t>(t));
        carry = t >> 32;
    }
    if (carry) {
        value.resize(value.words() * 32 + 32);
        value.set_word(value.words() - 1, static_cast<uint32_t>(carry));
    }
}

int SignificantBits(const MLIB_UINTEGER& value)
{
    for (int i = value.words() - 1; i >= 0; --i)
        if (uint32_t w = value.word(i))
            return i * 32 + 32 - __builtin_clz(w);
    return 0;
}

bool ReadLines(std::istream& in, std::vector<std::string>& lines)
{
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return !lines.empty();
}

}  // namespace

bool ParseValue(std::string_view text, StimulusValue& value, std::string& error)
{
    std::string_view digits = text;
    value.negative = false;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        value.negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    uint32_t base = 10;
    if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    }
    if (digits.empty()) {
        error = "empty value '" + std::string(text) + "'";
        return false;
    }
    MLIB_UINTEGER magnitude(0, 32);
    for (char c : digits) {
        if (c == '_')
            continue;  // digit separator
        int d = HexDigit(c);
        if (d < 0 || d >= static_cast<int>(base)) {
            error = "malformed value '" + std::string(text) + "'";
            return false;
        }
        AccumulateDigit(magnitude, base, static_cast<uint32_t>(d));
    }
    value.magnitude.resize(magnitude.width());  // assignment keeps the target's width
    value.magnitude = magnitude;
    return true;
}

MLIB_UINTEGER FitToWidth(const StimulusValue& value, int width, bool& cut)
{
    int bits = SignificantBits(value.magnitude);
    MLIB_UINTEGER result(0, width);
    result = value.magnitude;  // cut or zero-extended to the width
    if (!value.negative || bits == 0) {
        cut = bits > width;
        return result;
    }
    // A negative value fits when its magnitude is at most 2^(width-1).
    MLIB_UINTEGER limit = MLIB_UINTEGER(1, 1) << (width - 1);
    cut = value.magnitude > limit;
    MLIB_UINTEGER negated = ~result;
    negated += MLIB_UINTEGER(1, 1);
    return negated;
}

bool ReadStimulus(std::istream& in, Stimulus& stimulus, std::string& error)
{
    std::vector<std::string> lines;
    if (!ReadLines(in, lines) || Trim(lines[0]).empty()) {
        error = "the stimulus file is empty: its first line must name design inputs";
        return false;
    }
    std::vector<std::string> header = SplitFields(lines[0]);
    int cycles_column = -1;
    for (size_t column = 0; column < header.size(); ++column) {
        if (header[column].empty()) {
            error = "line 1, column " + std::to_string(column + 1) + ": empty column name";
            return false;
        }
        if (header[column] == "cycles" && cycles_column < 0)
            cycles_column = static_cast<int>(column);
        else
            stimulus.inputs.push_back(header[column]);
    }
    for (size_t index = 1; index < lines.size(); ++index) {
        int line_number = static_cast<int>(index) + 1;
        if (Trim(lines[index]).empty() || Trim(lines[index])[0] == '#')
            continue;  // blank lines and comments
        std::vector<std::string> fields = SplitFields(lines[index]);
        if (fields.size() != header.size()) {
            error = "line " + std::to_string(line_number) + ": " + std::to_string(fields.size()) +
                    " fields where the header names " + std::to_string(header.size());
            return false;
        }
        StimulusStep step;
        step.line = line_number;
        for (size_t column = 0; column < fields.size(); ++column) {
            StimulusValue value;
            std::string why;
            if (!ParseValue(fields[column], value, why)) {
                error = "line " + std::to_string(line_number) + ", column " + std::to_string(column + 1) + " (" +
                        header[column] + "): " + why;
                return false;
            }
            if (static_cast<int>(column) == cycles_column) {
                if (value.negative || SignificantBits(value.magnitude) > 30) {
                    error = "line " + std::to_string(line_number) + ", column " + std::to_string(column + 1) +
                            " (cycles): a cycle count must be between 0 and 1073741823";
                    return false;
                }
                step.cycles = static_cast<int>(value.magnitude.to_uint());
            } else {
                step.values.push_back(std::move(value));
            }
        }
        stimulus.steps.push_back(std::move(step));
    }
    return true;
}

}  // namespace blocktide_cli
