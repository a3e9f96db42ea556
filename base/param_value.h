// ParamValue: a parameter's value, a signed 32-bit integer and a text. It is a text value
// when the text is not empty and an integer value otherwise. The netlist database stores
// one per parameter; parameter queries hand them to nodes while they create their ports.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class ParamValue {
public:
    ParamValue() = default;
    explicit ParamValue(int32_t integer) : integer_(integer) {}
    explicit ParamValue(std::string text) : text_(std::move(text)) {}
    // Both parts as stored, e.g. read back from a file: (7, "abc") is a text value whose
    // integer part is still 7.
    ParamValue(int32_t integer, std::string text) : integer_(integer), text_(std::move(text)) {}

    int32_t integer() const { return integer_; }
    const std::string& text() const { return text_; }
    bool is_text() const { return !text_.empty(); }

    // Setting an integer clears the text; setting a text sets the integer to 0.
    void set_integer(int32_t integer) { integer_ = integer; text_.clear(); }
    void set_text(std::string text) { text_ = std::move(text); integer_ = 0; }

    // The text when there is one, otherwise the integer in decimal.
    std::string text_form() const { return is_text() ? text_ : std::to_string(integer_); }

    // Text values compare by text, integer values by integer; the left operand decides which.
    bool operator==(const ParamValue& other) const
    {
        return is_text() ? text_ == other.text_ : integer_ == other.integer_;
    }
    bool operator!=(const ParamValue& other) const { return !(*this == other); }

private:
    int32_t integer_ = 0;  // the integer part; 0 for text values
    std::string text_;     // empty for integer values
};

// A node's way of reading its parameters by name while it creates its ports: fills the
// value and answers whether the parameter exists. The creator of the node supplies it.
using ParamQuery = std::function<bool(const std::string& name, ParamValue& value)>;
