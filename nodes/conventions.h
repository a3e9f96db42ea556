// Conventions shared by the built-in node classes: reading parameters with presets and
// later-name overrides, the width checks of the small variants, and trace-text formatting.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "base/param_value.h"

namespace Sim {

// Reads a node's parameters through its query. Each value keeps its preset (the class
// default) unless the query knows the name; a later read of the same value overrides an
// earlier one, so a general name is read first and the specific names after it:
//     int32_t width_a = 1, width_o = 1;
//     ParamReader params(query);
//     params.Read("width", width_a); params.Read("width", width_o);
//     params.Read("width_a", width_a); params.Read("width_o", width_o);
class ParamReader {
public:
    explicit ParamReader(const ParamQuery& query) : query(query) {}
    // The reader keeps a reference: a temporary query would be gone before the first read.
    explicit ParamReader(ParamQuery&&) = delete;

    // Integer parameter: the value's integer part when the parameter exists.
    bool Read(const char* name, int32_t& value) const;
    // Whole value (integer and text) when the parameter exists.
    bool Read(const char* name, ParamValue& value) const;
    // Text parameter: the value's text when the parameter exists.
    bool Read(const char* name, std::string& value) const;

private:
    ParamQuery query;  // a copy: callers may pass a temporary query
};

// Reports message at SEV_INTERNAL when a small variant is configured wider than it computes;
// the node is created anyway. Returns whether the width was within the limit.
bool CheckSmallWidth(int width, int limit, const char* message);

// printf-style formatting of a trace line. By convention "%d" takes a port's low 32 bits
// as a signed number (trace_signed), "%08X" the low 32 bits, "%s" a value's to_hex() text.
std::string TraceFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The low 32 bits of a value read as a signed number, as "%d" shows them.
inline int32_t TraceSigned(uint32_t low_word) { return static_cast<int32_t>(low_word); }

}  // namespace Sim
