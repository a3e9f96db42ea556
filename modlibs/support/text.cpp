// Text helpers of the model libraries.
#include "text.h"

#include "base/text.h"

namespace modlib {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
}  // namespace

bool SameText(std::string_view a, std::string_view b) { return SameIgnoringCase(a, b); }

std::string UpperText(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = AsciiUpper(c);
    return result;
}

bool ParseInteger(std::string_view text, int64_t& value)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    size_t digits = 0;
    uint64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        if (magnitude > (UINT64_MAX - 9) / 10)
            return false;
        magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
    }
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (digits == 0 || i != text.size() || magnitude > static_cast<uint64_t>(INT64_MAX))
        return false;
    value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

}  // namespace modlib
