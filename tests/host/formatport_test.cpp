// The port formatter on its own: when it passes values through, the fixed-point scaling of
// inputs, the signed, unsigned and fixed-point readings of outputs, and bit counts or values
// outside the range that a 64-bit shift or conversion could take.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "host/formatport.h"

namespace {

formatport Make(const std::string& in, const std::string& out, std::vector<int> in_int, std::vector<int> in_frac,
                std::vector<int> out_int, std::vector<int> out_frac)
{
    return formatport(in, out, in_int, in_frac, out_int, out_frac);
}

}  // namespace

TEST(FormatPort, PassesValuesThroughWhenOffOrWhenTheListsDoNotMatch)
{
    const struct {
        formatport formatter;
        bool bypass;
    } cases[] = {
        {Make("off", "f", {1}, {3}, {4}, {4}), true},
        {Make("off", "", {}, {}, {}, {}), true},
        {Make("f", "ff", {1}, {3}, {4, 4}, {4}), true},       // out_frac_bits one short
        {Make("ff", "f", {1}, {3, 3}, {4}, {4}), true},       // in_int_bits one short
        {Make("f", "f", {1}, {3}, {4}, {4}), false},
        {Make("Off", "", {0, 0, 0}, {0, 0, 0}, {}, {}), false},  // only "off" exactly
        {Make("", "", {}, {}, {}, {}), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.formatter.Bypassed(), c.bypass);
        if (c.bypass) {
            EXPECT_EQ(c.formatter.ToSimulation(1.5, 0), 1.5);
            EXPECT_EQ(c.formatter.FromSimulation(240, 0), 240);
        }
    }
}

TEST(FormatPort, ScalesFixedPointInputsByTheirFractionBits)
{
    const formatport formatter = Make("sfuf" "ff", "", {8, 8, 8, 8, 8, 8}, {5, 3, 5, 63, 64, -2}, {}, {});
    const struct {
        int index;
        double value;
        double sent;
    } cases[] = {
        {0, 1.5, 1.5},                      // signed integer: unchanged
        {1, 1.5, 12},                       // 3 fraction bits
        {1, -0.25, -2},
        {2, 7.75, 7.75},                    // unsigned: unchanged
        {3, 1.0, std::ldexp(1.0, 63)},      // 63 fraction bits: 2^63, positive
        {4, 1.0, std::ldexp(1.0, 64)},      // beyond a 64-bit shift: still value x 2^k
        {5, 8.0, 2.0},                      // a negative count divides
        {6, 1.5, 1.5},                      // past the last input: unchanged
        {-1, 1.5, 1.5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatter.ToSimulation(c.value, c.index), c.sent) << "input " << c.index;
}

TEST(FormatPort, ReadsOutputsAsSignedUnsignedOrFixedPoint)
{
    const formatport formatter = Make("", "fsubfsfs" "sf", {}, {}, {4, 8, 8, 8, 4, 64, 30, 0, 100, 2},
                                      {4, 0, 0, 0, 4, 0, 40, 0, 0, std::numeric_limits<int>::max()});
    const double two63 = std::ldexp(1.0, 63);
    const struct {
        int index;
        double raw;
        double read;
    } cases[] = {
        {0, 0x18, 1.5},      {0, 0xE8, -1.5},       {0, 0xF0, -1.0},  // 4.4 fixed point
        {1, 0xF0, -16},      {1, 0x70, 112},                         // signed 8 bits
        {2, 0xF0, 240},      {3, 1, 1},                              // unsigned, bit
        {4, 2.9, 0.125},                                             // truncated to 2 first
        {5, -5, -5},                                                 // 64 bits: v itself
        {6, 0x10000000000, std::ldexp(1.0, 0)},                      // 70 bits: no sign step
        {7, 300, 300},                                               // width 0: no sign bit
        {8, -7, -7},                                                 // width 100
        {9, 3, 0.0},                                                 // huge fraction count
        {1, std::nan(""), 0},                                        // NaN reads as 0
        {5, two63, two63},                                          // saturates, no UB
        {10, 0xF0, 0xF0},                                            // past the last output
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatter.FromSimulation(c.raw, c.index), c.read) << "output " << c.index << " raw " << c.raw;
}
