// Reading stimulus CSV files and their values.
#include "tools/stimulus.h"

#include <cctype>
#include <unordered_set>

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

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// Splits a line at its commas into trimmed fields; a field in double quotes loses them ("" inside
// stands for one quote) and may hold commas. At most max_fields are kept; the count is of all.
size_t SplitFields(std::string_view line, size_t max_fields, std::vector<std::string>& fields)
{
    fields.clear();
    size_t count = 0, at = 0;
    while (true) {
        while (at < line.size() && IsSpace(line[at]) && line[at] != ',')
            ++at;
        std::string field;
        if (at < line.size() && line[at] == '"') {
            for (++at; at < line.size(); ++at) {
                if (line[at] == '"') {
                    if (at + 1 < line.size() && line[at + 1] == '"')
                        ++at;  // a doubled quote
                    else
                        break;
                }
                field += line[at];
            }
            if (at < line.size())
                ++at;  // the closing quote
        }
        size_t comma = line.find(',', at);
        std::string_view rest = line.substr(at, comma == std::string_view::npos ? std::string_view::npos : comma - at);
        field += Trim(rest);  // text after a closing quote, or the whole unquoted field
        if (count++ < max_fields)
            fields.push_back(std::move(field));
        if (comma == std::string_view::npos)
            return count;
        at = comma + 1;
    }
}

// value = value * multiplier + addend over the first `used` words, which grow by one on carry.
void MultiplyAdd(MLIB_UINTEGER& value, int& used, uint32_t multiplier, uint32_t addend)
{
    uint64_t carry = addend;
    for (int i = 0; i < used; ++i) {
        uint64_t t = static_cast<uint64_t>(value.word(i)) * multiplier + carry;
        value.set_word(i, static_cast<uint32_t>(t));
        carry = t >> 32;
    }
    if (carry)
        value.set_word(used++, static_cast<uint32_t>(carry));
}

// Decimal digits, nine at a time; the value is sized up front (3.33 bits per digit).
MLIB_UINTEGER DecimalValue(std::string_view digits)
{
    MLIB_UINTEGER value(0, static_cast<int>(digits.size() * 10 / 3 / 32 + 2) * 32);
    int used = 0;
    uint32_t chunk = 0, scale = 1;
    for (char c : digits) {
        chunk = chunk * 10 + static_cast<uint32_t>(c - '0');
        scale *= 10;
        if (scale == 1000000000) {
            MultiplyAdd(value, used, scale, chunk);
            chunk = 0;
            scale = 1;
        }
    }
    if (scale > 1)
        MultiplyAdd(value, used, scale, chunk);
    return value;
}

// Hexadecimal digits, four bits each from the last.
MLIB_UINTEGER HexValue(std::string_view digits)
{
    MLIB_UINTEGER value(0, static_cast<int>((digits.size() + 7) / 8) * 32);
    size_t bit = 0;
    for (size_t i = digits.size(); i-- > 0; bit += 4)
        value.set_word(static_cast<int>(bit / 32),
                       value.word(static_cast<int>(bit / 32)) | static_cast<uint32_t>(HexDigit(digits[i])) << (bit % 32));
    return value;
}

int SignificantBits(const MLIB_UINTEGER& value)
{
    for (int i = value.words() - 1; i >= 0; --i)
        if (uint32_t w = value.word(i))
            return i * 32 + 32 - __builtin_clz(w);
    return 0;
}

std::string Located(int line, const std::string& text) { return "line " + std::to_string(line) + ": " + text; }

}  // namespace

bool ParseValue(std::string_view text, StimulusValue& value, std::string& error)
{
    std::string_view digits = text;
    value.negative = false;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        value.negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    const bool hex = digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    if (hex)
        digits.remove_prefix(2);
    std::string clean;  // the digits without '_' separators
    clean.reserve(digits.size());
    for (char c : digits) {
        if (c == '_')
            continue;
        const int d = HexDigit(c);
        if (d < 0 || d >= (hex ? 16 : 10)) {
            error = "malformed value '" + std::string(text.substr(0, 40)) + (text.size() > 40 ? "...'" : "'");
            return false;
        }
        clean += c;
    }
    if (clean.empty()) {
        error = "empty value '" + std::string(text) + "'";
        return false;
    }
    if (!hex && clean.size() > kMaxDecimalDigits) {
        error = "a decimal value of " + std::to_string(clean.size()) + " digits: decimal values have at most " +
                std::to_string(kMaxDecimalDigits) + " digits; write wider ones in hexadecimal (0x...)";
        return false;
    }
    MLIB_UINTEGER magnitude = hex ? HexValue(clean) : DecimalValue(clean);
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

bool StimulusReader::ReadLine(std::string& error)
{
    line.clear();
    std::streambuf* buffer = in.rdbuf();
    if (!buffer)
        return false;
    int c = buffer->sbumpc();
    if (c == std::char_traits<char>::eof())
        return false;
    ++line_number;
    for (; c != std::char_traits<char>::eof() && c != '\n'; c = buffer->sbumpc()) {
        if (line.size() == kMaxStimulusLine) {
            error = Located(line_number, "longer than " + std::to_string(kMaxStimulusLine) + " characters");
            return false;
        }
        line += static_cast<char>(c);
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

bool StimulusReader::ReadHeader(std::string& error)
{
    if (!ReadLine(error)) {
        if (error.empty())
            error = "the stimulus file is empty: its first line must name design inputs";
        return false;
    }
    if (line.compare(0, 3, "\xEF\xBB\xBF") == 0)
        line.erase(0, 3);  // a UTF-8 byte-order mark, as spreadsheets write
    if (Trim(line).empty()) {
        error = "the stimulus file is empty: its first line must name design inputs";
        return false;
    }
    constexpr size_t kMaxColumns = size_t(1) << 20;
    const size_t columns = SplitFields(line, kMaxColumns, header);
    if (columns > kMaxColumns) {
        error = Located(1, std::to_string(columns) + " columns: at most " + std::to_string(kMaxColumns));
        return false;
    }
    std::unordered_set<std::string_view> seen;
    for (size_t column = 0; column < header.size(); ++column) {
        const std::string where = "line 1, column " + std::to_string(column + 1) + ": ";
        if (header[column].empty()) {
            error = where + "empty column name";
            return false;
        }
        if (!seen.insert(header[column]).second) {
            error = where + "'" + header[column] + "' names a column already";
            return false;
        }
        if (header[column] == "cycles")
            cycles_column = static_cast<int>(column);
        else
            inputs.push_back(header[column]);
    }
    return true;
}

StimulusReader::Result StimulusReader::Next(StimulusStep& step, std::string& error)
{
    std::vector<std::string> fields;
    while (ReadLine(error)) {
        const size_t first = line.find_first_not_of(" \t\r\f\v");
        if (first == std::string::npos || line[first] == '#')
            continue;  // blank lines and comments
        const size_t count = SplitFields(line, header.size(), fields);
        if (count != header.size()) {
            error = Located(line_number, std::to_string(count) + " fields where the header names " +
                                             std::to_string(header.size()));
            return Result::Failed;
        }
        step.line = line_number;
        step.cycles = 1;
        step.values.clear();  // values are moved in: assignment would keep an old value's width
        for (size_t column = 0; column < fields.size(); ++column) {
            StimulusValue value;
            std::string why;
            const std::string where = "line " + std::to_string(line_number) + ", column " + std::to_string(column + 1);
            if (!ParseValue(fields[column], value, why)) {
                error = where + " (" + header[column] + "): " + why;
                return Result::Failed;
            }
            if (static_cast<int>(column) != cycles_column) {
                step.values.push_back(std::move(value));
                continue;
            }
            if (value.negative || SignificantBits(value.magnitude) > 30) {
                error = where + " (cycles): a cycle count must be between 0 and 1073741823";
                return Result::Failed;
            }
            step.cycles = static_cast<int>(value.magnitude.to_uint());
        }
        return Result::Step;
    }
    return error.empty() ? Result::End : Result::Failed;
}

bool ReadStimulus(std::istream& in, Stimulus& stimulus, std::string& error)
{
    StimulusReader reader(in);
    if (!reader.ReadHeader(error))
        return false;
    stimulus.inputs = reader.Inputs();
    StimulusStep step;
    StimulusReader::Result result;
    while ((result = reader.Next(step, error)) == StimulusReader::Result::Step)
        stimulus.steps.push_back(step);
    return result == StimulusReader::Result::End;
}

}  // namespace blocktide_cli
