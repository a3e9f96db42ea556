// formatport: the port formatter of the gateway. Scales doubles written to fixed-point
// inputs into the simulation's integers and turns outputs' raw contents back into the
// host's signed, unsigned or fixed-point view; or passes values through (bypass).
#pragma once

#include <string>
#include <vector>

class formatport {
public:
    formatport(const std::string& in_format, const std::string& out_format, const std::vector<int>& in_int_bits,
               const std::vector<int>& in_frac_bits, const std::vector<int>& out_int_bits,
               const std::vector<int>& out_frac_bits);
    virtual ~formatport();

    // The value to write to design input index: scaled by 2^fraction bits for letter "f".
    double ToSimulation(double value, int index) const;
    // The host's view of design output index, given its raw contents as a double.
    double FromSimulation(double value, int index) const;

    bool Bypassed() const { return bypass; }

private:
    std::string in_format;            // one type letter per design input, or "off"
    std::vector<int> in_int_bits;     // one per input; only their number is compared
    std::vector<int> in_frac_bits;    // fraction bits of each input
    std::string out_format;           // one type letter per design output
    std::vector<int> out_int_bits;    // integer bits of each output (a signed integer's width)
    std::vector<int> out_frac_bits;   // fraction bits of each output
    bool bypass = true;               // values pass unchanged
    int input_count = 0;              // length of in_format (unset when bypassed by "off")
    int output_count = 0;             // length of out_format (unset when bypassed by "off")
};
