// Small text helpers shared across the layers and by the model libraries. Header-only, so the
// model libraries can use them without linking libblocktide. ASCII only: netlists,
// parameter texts and value files are ASCII, and the answers must not depend on the locale.
#pragma once

#include <string_view>

// The letter in upper case; any other character as it is.
inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Equal when the texts match letter for letter, ignoring case.
inline bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
            return false;
    return true;
}

// The value of a hexadecimal digit (either case), or -1 for any other character.
inline int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
