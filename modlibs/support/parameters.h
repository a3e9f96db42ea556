// The parameter registry of a model instance and the warning channel of the model
// libraries (support library modlib_info).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace modlib {

// The parameters handed to one model, by name; a later value of a name replaces the earlier.
class ParameterTable {
public:
    void SetText(const char* name, const char* text);
    void SetInteger(const char* name, int value);

    bool Has(const std::string& name) const;
    // The text of a text parameter, an integer parameter in decimal, or the default.
    std::string Text(const std::string& name, const std::string& fallback) const;
    // An integer parameter, a text parameter that reads as a decimal integer, or the default.
    int64_t Integer(const std::string& name, int64_t fallback) const;
    // Text(name, fallback) equals expected, ignoring case.
    bool Is(const std::string& name, const std::string& expected, const std::string& fallback) const;

private:
    struct Entry {
        std::string name;
        std::string text;  // the text as handed, or the integer in decimal
        int64_t integer;   // the integer as handed, or the text read as a number (0 if it is none)
        bool is_text;      // handed as text
    };
    const Entry* Find(const std::string& name) const;
    std::vector<Entry> entries;  // in order of first hand-over
};

// Sends a warning to the host's message store when the host offers one (libblocktide
// exports blocktide_model_report), otherwise to standard error.
void Warn(const std::string& text);

}  // namespace modlib
