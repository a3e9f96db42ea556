// Reduction gates, buffers and the decoder, driven through perimeter nodes and the engine.
#include <gtest/gtest.h>

#include <bit>
#include <functional>

#include "nodes/logic.h"
#include "one_node_design.h"

using namespace node_tests;

namespace {

// The gate's one-bit answer for a value given at the gate's input width.
template <class Gate>
int GateAnswer(const Params& params, const MLIB_UINTEGER& input)
{
    OneNodeDesign design;
    design.Create<Gate>(params, {"datain"}, {"dataout"});
    design.Set("datain", input);
    design.Run();
    EXPECT_EQ(CountReports(SEV_ERROR), 0);
    return static_cast<int>(design.ReadU64("dataout"));
}

// Reference answers over the value bits of a value of any width.
int CountOnes(const MLIB_UINTEGER& v)
{
    int ones = 0;
    for (int i = 0; i < v.words(); ++i)
        ones += std::popcount(v.word(i));
    return ones;
}

}  // namespace

TEST(ReductionGates, FoldEveryBitOnBothSidesOfTheWordBoundary)
{
    for (int width : {1, 3, 31, 32, 33, 63, 64, 65, 100}) {
        SCOPED_TRACE("width " + std::to_string(width));
        Params params = {{"width", width}};
        MLIB_UINTEGER ones = Wide(width, {~0u, ~0u, ~0u, ~0u});
        MLIB_UINTEGER top_clear = ones;
        top_clear.set_bit(width - 1, 0);
        MLIB_UINTEGER only_top = Wide(width, {});
        only_top.set_bit(width - 1, 1);
        MLIB_UINTEGER two_bits = only_top;
        two_bits.set_bit(0, 1);
        for (const MLIB_UINTEGER& input : {ones, top_clear, only_top, two_bits, Wide(width, {})}) {
            SCOPED_TRACE(input.to_hex());
            int ones_count = CountOnes(input);
            EXPECT_EQ(GateAnswer<Sim::Node_CombOr>(params, input), ones_count > 0);
            EXPECT_EQ(GateAnswer<Sim::Node_CombAnd>(params, input), ones_count == width);
            EXPECT_EQ(GateAnswer<Sim::Node_CombXor>(params, input), ones_count % 2);
            if (width <= 32) {
                EXPECT_EQ(GateAnswer<Sim::Node_CombOr_Sm>(params, input), ones_count > 0);
                EXPECT_EQ(GateAnswer<Sim::Node_CombAnd_Sm>({{"width_datain", width}}, input),
                          ones_count == width);
                EXPECT_EQ(GateAnswer<Sim::Node_CombXor_Sm>(params, input), ones_count % 2);
            }
        }
    }
}

TEST(ReductionGates, DocumentedExamples)
{
    EXPECT_EQ(GateAnswer<Sim::Node_CombAnd>({{"width", 3}}, Wide(3, {0b111})), 1);
    EXPECT_EQ(GateAnswer<Sim::Node_CombAnd>({{"width", 3}}, Wide(3, {0b110})), 0);
    EXPECT_EQ(GateAnswer<Sim::Node_CombXor>({{"width", 3}}, Wide(3, {0b110})), 0);
    EXPECT_EQ(GateAnswer<Sim::Node_CombXor>({{"width", 3}}, Wide(3, {0b100})), 1);
    EXPECT_EQ(GateAnswer<Sim::Node_CombAnd_Sm>({{"width_datain", 32}}, Wide(32, {0xFFFFFFFF})), 1);
    EXPECT_EQ(GateAnswer<Sim::Node_CombAnd_Sm>({{"width_datain", 32}}, Wide(32, {0x7FFFFFFF})), 0);
}

TEST(ReductionGates, UndefinedBitsCountAsTheirStoredValue)
{
    MLIB_UINTEGER input = Wide(40, {0xFFFFFFFF, 0xFF});
    input.set_undefined();  // value bits kept: all ones
    EXPECT_EQ(GateAnswer<Sim::Node_CombAnd>({{"width", 40}}, input), 1);
    EXPECT_EQ(GateAnswer<Sim::Node_CombOr>({{"width", 40}}, input), 1);
    EXPECT_EQ(GateAnswer<Sim::Node_CombXor>({{"width", 40}}, input), 0);
}

TEST(ReductionGates, SpecificWidthNameOverridesGeneralOne)
{
    OneNodeDesign design;
    design.Create<Sim::Node_CombOr>({{"width", 8}, {"width_datain", 12}}, {}, {});
    EXPECT_EQ(design.Width("datain"), 12);
    EXPECT_EQ(design.Width("dataout"), 1);
}

TEST(ReductionGates, SmallAndGateIgnoresTheGeneralWidthName)
{
    OneNodeDesign and_gate;
    and_gate.Create<Sim::Node_CombAnd_Sm>({{"width", 8}}, {"datain"}, {"dataout"});
    EXPECT_EQ(and_gate.Width("datain"), 2);
    and_gate.Set("datain", 0x3);  // all ones at the 2 bits it kept
    and_gate.Run();
    EXPECT_EQ(and_gate.ReadU64("dataout"), 1u);

    OneNodeDesign xor_gate;
    xor_gate.Create<Sim::Node_CombXor_Sm>({{"width", 8}}, {}, {});
    EXPECT_EQ(xor_gate.Width("datain"), 8);
}

TEST(ReductionGates, SmallGatesAboveThirtyTwoBitsReportAndLookAtTheLowWord)
{
    struct Case {
        std::function<int(const MLIB_UINTEGER&)> answer;
        const char* message;
        int low_word_ones;  // answer for an input of 32 ones and a set bit 35
    };
    Params params = {{"width", 40}, {"width_datain", 40}};
    Case cases[] = {
        {[&](const MLIB_UINTEGER& v) { return GateAnswer<Sim::Node_CombOr_Sm>(params, v); },
         "Small CombOr config exceeded size limits", 1},
        {[&](const MLIB_UINTEGER& v) { return GateAnswer<Sim::Node_CombAnd_Sm>(params, v); },
         "Small CombAnd config exceeded size limits", 1},
        {[&](const MLIB_UINTEGER& v) { return GateAnswer<Sim::Node_CombXor_Sm>(params, v); },
         "Small CombXor config exceeded size limits", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        OneNodeDesign probe;  // clears the store; the gate reports while it is created
        EXPECT_EQ(c.answer(Wide(40, {0xFFFFFFFF, 1u << 3})), c.low_word_ones);
        EXPECT_EQ(c.answer(Wide(40, {0, 1u << 3})), 0) << "bits above the low word are not seen";
    }
    OneNodeDesign design;
    design.Create<Sim::Node_CombXor_Sm>(params, {}, {});
    EXPECT_TRUE(WasReported(SEV_INTERNAL, "Small CombXor config exceeded size limits"));
    EXPECT_EQ(design.Width("datain"), 40);
}

TEST(TriStateBuffer, PassesWhenEnabledAndDrivesADefinedZeroWhenDisabled)
{
    for (int width : {8, 32, 40}) {
        SCOPED_TRACE("width " + std::to_string(width));
        OneNodeDesign design;
        design.Create<Sim::Node_BufTri>({{"width", width}}, {"datain", "enable"}, {"dataout"});
        MLIB_UINTEGER input = Wide64(width, 0xA5A5A5A5A5ull);
        design.Set("datain", input);
        design.Set("enable", 1);
        design.Run();
        EXPECT_EQ(design.Read("dataout"), input);

        MLIB_UINTEGER undefined_input = input;
        undefined_input.set_undefined();
        design.Set("datain", undefined_input);
        design.Run();
        EXPECT_EQ(design.Read("dataout").is_undefined(), width >= 32)
            << "undefined passes on wide ports only";

        design.Set("enable", 0);
        design.Run();
        MLIB_UINTEGER out = design.Read("dataout");
        EXPECT_TRUE(out.is_zero());
        EXPECT_FALSE(out.is_undefined());
        EXPECT_FALSE(out.is_high_z()) << "a disabled buffer drives 0, not Z";
        EXPECT_EQ(design.dut->TraceText(), "Disable  -->  Z");
    }
}

TEST(OpenDrainBuffer, ReleasesNonzeroInputsAsHighImpedanceOnWideOutputsOnly)
{
    struct Case {
        int width;
        uint64_t input;
        bool high_z;
        const char* hex;
    };
    Case cases[] = {
        {32, 0x5, true, "ZZZZZZZZ"},  {32, 0, false, "00000000"}, {40, 0x100000000ull, true, "ZZZZZZZZZZ"},
        {40, 0, false, "0000000000"}, {8, 0x5, false, "00"},      {31, 0x40000000, false, "00000000"},
        {1, 1, false, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("width " + std::to_string(c.width) + " input " + std::to_string(c.input));
        OneNodeDesign design;
        design.Create<Sim::Node_BufDrn>({{"width", c.width}}, {"datain"}, {"dataout"});
        design.Set("datain", c.input);
        design.Run();
        MLIB_UINTEGER out = design.Read("dataout");
        EXPECT_TRUE(out.is_zero());
        EXPECT_EQ(out.is_high_z(), c.high_z);
        EXPECT_EQ(out.to_hex(), c.hex);
    }
}

TEST(OpenDrainBuffer, TraceNamesZeroesAndShowsTheReleasedLine)
{
    OneNodeDesign design;
    design.Create<Sim::Node_BufDrn>({{"width", 32}}, {"datain"}, {"dataout"});
    design.Set("datain", 0x5);
    design.Run();
    EXPECT_EQ(design.dut->TraceText(), "in 00000005  -->  ZERO")
        << "the released line is a zero with the Z flag";
    design.Set("datain", 0);
    design.Run();
    EXPECT_EQ(design.dut->TraceText(), "in ZERO  -->  ZERO");
}

TEST(Decoder, SetsExactlyTheBitNamedByTheInput)
{
    struct Case {
        int width_i, width_o;
        uint64_t input;
        std::vector<int> set_bits;  // empty: all zero
    };
    Case cases[] = {
        {3, 8, 5, {5}},      {3, 4, 5, {}},       {3, 8, 0, {0}},     {5, 31, 30, {30}}, {6, 32, 31, {31}},
        {6, 32, 32, {}},     {7, 33, 32, {32}},   {7, 70, 69, {69}},  {7, 70, 70, {}},   {7, 70, 127, {}},
        {40, 64, 0x100000002ull, {}},  // bits above the low word make the input larger than any output bit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width_i) + " -> " + std::to_string(c.width_o) + " input " +
                     std::to_string(c.input));
        OneNodeDesign design;
        design.Create<Sim::Node_Decoder>({{"width_i", c.width_i}, {"width_o", c.width_o}}, {"datain"},
                                         {"dataout"});
        design.Set("datain", c.input);
        design.Run(2);
        MLIB_UINTEGER expected(0, c.width_o);
        for (int bit : c.set_bits)
            expected.set_bit(bit, 1);
        EXPECT_EQ(design.Read("dataout"), expected);
    }
}

TEST(Decoder, WideOutputClearsThePreviousBit)
{
    OneNodeDesign design;
    design.Create<Sim::Node_Decoder>({{"width", 7}, {"width_o", 100}}, {"datain"}, {"dataout"});
    for (uint64_t input : {99u, 3u, 64u, 120u, 0u}) {
        design.Set("datain", input);
        design.Run(1);
        MLIB_UINTEGER expected(0, 100);
        if (input < 100)
            expected.set_bit(static_cast<int>(input), 1);
        EXPECT_EQ(design.Read("dataout"), expected) << input;
    }
    EXPECT_EQ(design.dut->TraceText(), "data 00  -->  " + std::string(24, '0') + "1");
}

TEST(LogicNodes, TypeNamesAndClockEdgeAnswers)
{
    struct Case {
        std::function<Sim::Node_Base*(OneNodeDesign&)> make;
        const char* type_name;
        bool settled;
    };
    auto make = [](auto* tag) {
        using T = std::remove_pointer_t<decltype(tag)>;
        return [](OneNodeDesign& d) -> Sim::Node_Base* { return d.Create<T>({}, {}, {}); };
    };
    Case cases[] = {
        {make((Sim::Node_CombOr*)nullptr), "COMB OR ", true},
        {make((Sim::Node_CombOr_Sm*)nullptr), "COMB-OR ", true},
        {make((Sim::Node_CombAnd*)nullptr), "COMB AND", true},
        {make((Sim::Node_CombAnd_Sm*)nullptr), "COMB-AND", true},
        {make((Sim::Node_CombXor*)nullptr), "COMB XOR", true},
        {make((Sim::Node_CombXor_Sm*)nullptr), "COMB-XOR", true},
        {make((Sim::Node_BufTri*)nullptr), "BUF TRI ", true},
        {make((Sim::Node_BufDrn*)nullptr), "BUFDRAIN", true},
        {make((Sim::Node_Decoder*)nullptr), "DECODER ", false},
    };
    for (const Case& c : cases) {
        OneNodeDesign design;
        Sim::Node_Base* node = c.make(design);
        EXPECT_EQ(node->TypeName(), c.type_name);
        EXPECT_EQ(node->IsSettled(), c.settled) << c.type_name;
        EXPECT_FALSE(node->IsSequential()) << c.type_name;
    }
}

TEST(LogicNodes, TraceTexts)
{
    OneNodeDesign or_gate;
    or_gate.Create<Sim::Node_CombOr>({{"width", 40}}, {"datain"}, {"dataout"});
    or_gate.Set("datain", 0xAB000000C3ull);
    or_gate.Run();
    EXPECT_EQ(or_gate.dut->TraceText(), "000000C3   -->  1");

    OneNodeDesign and_gate;
    and_gate.Create<Sim::Node_CombAnd>({{"width", 12}}, {"datain"}, {"dataout"});
    and_gate.Set("datain", 0xABC);
    and_gate.Run();
    EXPECT_EQ(and_gate.dut->TraceText(), "ABC  -->  0");

    OneNodeDesign xor_gate;
    xor_gate.Create<Sim::Node_CombXor_Sm>({{"width", 6}}, {"datain"}, {"dataout"});
    xor_gate.Set("datain", 0x31);
    xor_gate.Run();
    EXPECT_EQ(xor_gate.dut->TraceText(), "31  -->  1");

    OneNodeDesign buffer;
    buffer.Create<Sim::Node_BufTri>({{"width", 8}}, {"datain", "enable"}, {"dataout"});
    buffer.Set("datain", 0x5A);
    buffer.Set("enable", 1);
    buffer.Run();
    EXPECT_EQ(buffer.dut->TraceText(), "5A  -->  5A");

    OneNodeDesign decoder;
    decoder.Create<Sim::Node_Decoder>({{"width_i", 3}, {"width_o", 8}}, {"datain"}, {"dataout"});
    decoder.Set("datain", 5);
    decoder.Run();
    EXPECT_EQ(decoder.dut->TraceText(), "data 5  -->  20");
}
