// Shifters and rotators through the engine, against a bit-by-bit model of their rules, on
// both sides of the 32-bit boundary and with amounts at and beyond the width.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "nodes/shifts.h"
#include "one_node_design.h"

using namespace node_tests;

namespace {

using Bits = std::vector<int>;  // bit i at index i

Bits ToBits(const MLIB_UINTEGER& v)
{
    Bits bits(static_cast<size_t>(v.width()));
    for (int i = 0; i < v.width(); ++i)
        bits[static_cast<size_t>(i)] = v.bit(i);
    return bits;
}

MLIB_UINTEGER FromBits(const Bits& bits)
{
    MLIB_UINTEGER v(0, static_cast<int>(bits.size()));
    for (size_t i = 0; i < bits.size(); ++i)
        v.set_bit(static_cast<int>(i), bits[i]);
    return v;
}

// Resizes to `width`: zero-extends, or copies the top bit when `sign_extend`; cuts above.
Bits Resized(Bits bits, size_t width, bool sign_extend)
{
    int fill = sign_extend && !bits.empty() ? bits.back() : 0;
    bits.resize(width, fill);
    return bits;
}

struct ShiftCase {
    int width_in, width_out;
    int fill_param;
    int fill_input;
    uint64_t amount;
};

// SHL: signed exactly when the parameter is 1; the "fill" input shifts in ones.
Bits ModelShl(const Bits& data, const ShiftCase& c)
{
    size_t m = static_cast<size_t>(std::max(c.width_in, c.width_out));
    Bits x = Resized(data, m, c.fill_param == 1);
    Bits out(m, 0);
    for (size_t i = 0; i < m; ++i) {
        if (i < c.amount)
            out[i] = c.fill_input ? 1 : 0;
        else
            out[i] = x[i - c.amount];
    }
    return Resized(out, static_cast<size_t>(c.width_out), false);
}

// SHR: logical exactly when the parameter is 0 (the "fill" input shifts in ones),
// arithmetic otherwise (the sign is shifted in).
Bits ModelShr(const Bits& data, const ShiftCase& c)
{
    size_t m = static_cast<size_t>(std::max(c.width_in, c.width_out));
    bool arithmetic = c.fill_param != 0;
    Bits x = Resized(data, m, arithmetic);
    int vacated = arithmetic ? x.back() : (c.fill_input ? 1 : 0);
    Bits out(m, vacated);
    for (size_t i = 0; i < m; ++i)
        if (c.amount < m - i)
            out[i] = x[i + c.amount];
    return Resized(out, static_cast<size_t>(c.width_out), false);
}

Bits ModelRotate(const Bits& data, uint64_t amount, int width_out, bool left)
{
    size_t n = data.size();
    size_t a = static_cast<size_t>(amount % n);
    Bits out(n);
    for (size_t i = 0; i < n; ++i)
        out[left ? (i + a) % n : (i + n - a) % n] = data[i];
    return Resized(out, static_cast<size_t>(width_out), false);
}

template <class Node>
MLIB_UINTEGER RunShift(const ShiftCase& c, const MLIB_UINTEGER& data, int width_amount, bool with_fill)
{
    OneNodeDesign design;
    Params params = {{"width_in", c.width_in}, {"width_out", c.width_out}, {"width_amount", width_amount}};
    std::vector<std::string> inputs = {"datain", "amount"};
    if (with_fill) {
        params["fill"] = c.fill_param;
        inputs.push_back("fill");
    }
    design.Create<Node>(params, inputs, {"dataout"});
    design.Set("datain", data);
    design.Set("amount", c.amount);
    if (with_fill)
        design.Set("fill", static_cast<uint64_t>(c.fill_input));
    design.Run();
    EXPECT_EQ(CountReports(SEV_ERROR), 0);
    return design.Read("dataout");
}

MLIB_UINTEGER RandomValue(std::mt19937& random, int width)
{
    MLIB_UINTEGER v(0, width);
    for (int i = 0; i < v.words(); ++i)
        v.set_word(i, random() & (i == v.words() - 1 ? MLIB_UINTEGER::top_mask(width) : ~0u));
    v.set_bit(width - 1, 1);  // negative when read as signed, so sign handling shows
    return v;
}

std::string Describe(const ShiftCase& c)
{
    return "in " + std::to_string(c.width_in) + " out " + std::to_string(c.width_out) + " fill param " +
           std::to_string(c.fill_param) + " fill input " + std::to_string(c.fill_input) + " amount " +
           std::to_string(c.amount);
}

}  // namespace

TEST(Shifters, DocumentedExamples)
{
    struct Case {
        bool left;
        ShiftCase shift;
        uint64_t data, expected;
    };
    Case cases[] = {
        {true, {8, 8, 0, 0, 1}, 0x81, 0x02},   {true, {8, 8, 0, 1, 1}, 0x81, 0x03},
        {true, {8, 8, 0, 1, 9}, 0x81, 0xFF},   {true, {4, 8, 1, 0, 1}, 0x8, 0xF0},
        {true, {4, 8, 0, 0, 1}, 0x8, 0x10},    {false, {8, 8, 0, 0, 1}, 0x81, 0x40},
        {false, {8, 8, 0, 1, 1}, 0x81, 0xC0},  {false, {8, 8, 1, 0, 1}, 0x81, 0xC0},
        {false, {8, 8, 1, 1, 1}, 0x81, 0xC0},  {false, {8, 8, 1, 0, 1}, 0x41, 0x20},
        {false, {8, 8, 2, 1, 1}, 0x41, 0x20},  // parameter values other than 0 and 1: SHR arithmetic
        {true, {8, 8, 2, 0, 1}, 0x81, 0x02},   // ... and SHL unsigned
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.left ? "SHL " : "SHR ") + Describe(c.shift));
        MLIB_UINTEGER data = Wide64(c.shift.width_in, c.data);
        MLIB_UINTEGER out = c.left ? RunShift<Sim::Node_SHL>(c.shift, data, 6, true)
                                   : RunShift<Sim::Node_SHR>(c.shift, data, 6, true);
        EXPECT_EQ(out, Wide64(c.shift.width_out, c.expected));
    }
}

TEST(Shifters, MatchTheBitModelAcrossTheWordBoundaryAndBeyondTheWidth)
{
    const unsigned seed = 20261209;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const std::pair<int, int> widths[] = {{8, 8},   {4, 12},  {31, 31}, {32, 32}, {33, 33}, {31, 33},
                                          {33, 31}, {20, 40}, {64, 64}, {65, 40}, {70, 96}, {1, 1}};
    for (auto [width_in, width_out] : widths) {
        int m = std::max(width_in, width_out);
        const uint64_t amounts[] = {0,
                                    1,
                                    static_cast<uint64_t>(m - 1),
                                    static_cast<uint64_t>(m),
                                    static_cast<uint64_t>(m + 1),
                                    31,
                                    32,
                                    33,
                                    0xFFFFFFFFull,
                                    0x100000001ull};  // wider than 32 bits: beyond any width
        for (uint64_t amount : amounts)
            for (int fill_param : {0, 1, 3})
                for (int fill_input : {0, 1}) {
                    ShiftCase c{width_in, width_out, fill_param, fill_input, amount};
                    SCOPED_TRACE(Describe(c));
                    MLIB_UINTEGER data = RandomValue(random, width_in);
                    EXPECT_EQ(RunShift<Sim::Node_SHL>(c, data, 40, true), FromBits(ModelShl(ToBits(data), c)))
                        << "SHL of " << data.to_hex();
                    EXPECT_EQ(RunShift<Sim::Node_SHR>(c, data, 40, true), FromBits(ModelShr(ToBits(data), c)))
                        << "SHR of " << data.to_hex();
                }
    }
}

TEST(Shifters, AmountsAreReadWithTheAmountPortWidth)
{
    // A 3-bit amount port sees 9 as 1.
    ShiftCase c{8, 8, 0, 0, 9};
    EXPECT_EQ(RunShift<Sim::Node_SHL>(c, Wide(8, {0x81}), 3, true), Wide(8, {0x02}));
}

TEST(Shifters, WideShiftsMoveUndefinedBitsWithTheirValues)
{
    MLIB_UINTEGER data = Wide(40, {0x1});
    data.set_undefined();  // every bit undefined, value 1
    ShiftCase c{40, 40, 0, 0, 4};
    MLIB_UINTEGER out = RunShift<Sim::Node_SHL>(c, data, 6, true);
    EXPECT_EQ(out.word(0), 0x10u);
    EXPECT_EQ(out.undef_word(0), 0xFFFFFFF0u) << "the vacated low bits are known zeros";
    EXPECT_EQ(out.to_hex(), "XXXXXXXXX0");
}

TEST(Rotators, DocumentedExamples)
{
    struct Case {
        bool left;
        uint64_t data, amount, expected;
    };
    Case cases[] = {{true, 0x81, 1, 0x03},  {true, 0x81, 9, 0x03}, {false, 0x81, 1, 0xC0},
                    {false, 0x81, 9, 0xC0}, {true, 0x81, 0, 0x81}, {true, 0x81, 8, 0x81},
                    {false, 0x81, 16, 0x81}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.left ? "ROL " : "ROR ") + std::to_string(c.amount));
        ShiftCase shape{8, 8, 0, 0, c.amount};
        MLIB_UINTEGER out = c.left ? RunShift<Sim::Node_ROL>(shape, Wide(8, {uint32_t(c.data)}), 6, false)
                                   : RunShift<Sim::Node_ROR>(shape, Wide(8, {uint32_t(c.data)}), 6, false);
        EXPECT_EQ(out.to_uint(), c.expected);
    }
}

TEST(Rotators, MatchTheBitModelForAmountsBeyondTheWidth)
{
    const unsigned seed = 7;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const std::pair<int, int> widths[] = {{1, 1},   {7, 7},   {31, 31}, {32, 32}, {33, 33},
                                          {31, 40}, {40, 31}, {64, 64}, {96, 96}, {100, 8}};
    for (auto [width_in, width_out] : widths)
        for (uint64_t amount :
             {uint64_t(0), uint64_t(1), uint64_t(width_in - 1), uint64_t(width_in), uint64_t(width_in + 3),
              uint64_t(3 * width_in + 5), uint64_t(0xFFFFFFFF), uint64_t(0x12345678AB)}) {
            ShiftCase c{width_in, width_out, 0, 0, amount};
            SCOPED_TRACE(Describe(c));
            MLIB_UINTEGER data = RandomValue(random, width_in);
            EXPECT_EQ(RunShift<Sim::Node_ROL>(c, data, 40, false),
                      FromBits(ModelRotate(ToBits(data), amount, width_out, true)));
            EXPECT_EQ(RunShift<Sim::Node_ROR>(c, data, 40, false),
                      FromBits(ModelRotate(ToBits(data), amount, width_out, false)));
        }
}

TEST(Rotators, WideRotationCarriesUndefinedBitsAround)
{
    MLIB_UINTEGER data = Wide(40, {0x0, 0x80});  // bit 39 set
    data.set_bit(0, 0);
    // Mark bit 38 undefined by hand: value 0, mask bit set.
    data.set_undef_word(1, 0x40);
    ShiftCase c{40, 40, 0, 0, 2};
    MLIB_UINTEGER out = RunShift<Sim::Node_ROL>(c, data, 6, false);
    EXPECT_EQ(out.word(0), 0x2u);       // bit 39 moved to bit 1
    EXPECT_EQ(out.undef_word(0), 0x1u);  // bit 38 moved to bit 0, still undefined
    EXPECT_EQ(out.undef_word(1), 0x0u);

    // The parts are joined by an OR, which keeps only known ones: undefined bits whose
    // value bit is 1 read 0 under their mask, in both parts.
    MLIB_UINTEGER ones = Wide(40, {0x000000FF, 0xC0});
    ones.set_undef_word(0, 0x0F);
    ones.set_undef_word(1, 0x80);
    out = RunShift<Sim::Node_ROL>(c, ones, 6, false);  // bits 38 and 39 wrap to bits 0 and 1
    EXPECT_EQ(out.word(0), 0x3C1u);
    EXPECT_EQ(out.undef_word(0), 0x3Eu);
    EXPECT_FALSE(out.is_undefined());
}

TEST(Rotators, WidthZeroIsReportedTakenAsOneBitAndPassesTheInput)
{
    OneNodeDesign design;
    design.Create<Sim::Node_ROR>({{"width", 0}}, {"datain", "amount"}, {"dataout"});
    EXPECT_EQ(design.Width("datain"), 1);
    EXPECT_EQ(design.Width("dataout"), 1);
    EXPECT_TRUE(WasReported(
        SEV_ERROR, "Node 'dut' of type 'ROR BITS' configured with invalid width_in 0; 1 is used instead."));
    clear_messages();
    for (uint64_t amount : {0u, 1u, 7u}) {
        design.Set("datain", 1);
        design.Set("amount", amount);
        design.Run();
        EXPECT_EQ(design.ReadU64("dataout"), 1u);
    }
    EXPECT_EQ(CountReports(SEV_ERROR), 0);
}

TEST(ShiftNodes, TypeNamesTracesAndClockEdgeAnswers)
{
    struct Case {
        std::function<Sim::Node_Base*(OneNodeDesign&)> make;
        const char* type_name;
        const char* trace;  // after datain 0x81 (8 bits) and amount 1
    };
    auto make = [](auto* tag) {
        using T = std::remove_pointer_t<decltype(tag)>;
        return [](OneNodeDesign& d) -> Sim::Node_Base* {
            return d.Create<T>({{"width", 8}, {"width_amount", 4}}, {"datain", "amount"}, {"dataout"});
        };
    };
    Case cases[] = {
        {make((Sim::Node_SHL*)nullptr), "SHL BITS", "81 << 1  -->  02"},
        {make((Sim::Node_SHR*)nullptr), "SHR BITS", "81 >> 1  -->  40"},
        {make((Sim::Node_ROL*)nullptr), "ROL BITS", "81 <| 1  -->  03"},
        {make((Sim::Node_ROR*)nullptr), "ROR BITS", "81 |> 1  -->  C0"},
    };
    for (const Case& c : cases) {
        OneNodeDesign design;
        Sim::Node_Base* node = c.make(design);
        design.Set("datain", 0x81);
        design.Set("amount", 1);
        design.Run();
        EXPECT_EQ(node->TypeName(), c.type_name);
        EXPECT_TRUE(node->IsSettled()) << c.type_name;
        EXPECT_EQ(node->TraceText(), c.trace);
    }
}
