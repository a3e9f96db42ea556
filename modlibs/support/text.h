// Text helpers of the model libraries (support library modlib_stl): comparing parameter
// texts without regard to case and reading integers written as text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace modlib {

// Equal when the texts match letter for letter, ignoring ASCII case.
bool SameText(std::string_view a, std::string_view b);
// The text with ASCII letters in upper case.
std::string UpperText(std::string_view text);
// A decimal integer with an optional sign, surrounded by optional blanks; false (value
// untouched) for anything else or a number outside 64 bits.
bool ParseInteger(std::string_view text, int64_t& value);

}  // namespace modlib
