// Two-input multiplexers, bit selectors and masked-OR selectors through the engine.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "nodes/select.h"
#include "one_node_design.h"

using namespace node_tests;

namespace {

template <class Mux>
MLIB_UINTEGER RunBitwiseMux(int width, const MLIB_UINTEGER& a, const MLIB_UINTEGER& b, const MLIB_UINTEGER& s)
{
    OneNodeDesign design;
    design.Create<Mux>({{"width", width}}, {"dataa", "datab", "outputselect"}, {"dataout"});
    design.Set("dataa", a);
    design.Set("datab", b);
    design.Set("outputselect", s);
    design.Run();
    return design.Read("dataout");
}

MLIB_UINTEGER RandomValue(std::mt19937& random, int width)
{
    MLIB_UINTEGER v(0, width);
    for (int i = 0; i < v.words(); ++i)
        v.set_word(i, random() & (i == v.words() - 1 ? MLIB_UINTEGER::top_mask(width) : ~0u));
    return v;
}

template <class Mux>
uint64_t RunBitSelect(const Params& params, const MLIB_UINTEGER& data, uint64_t select)
{
    OneNodeDesign design;
    design.Create<Mux>(params, {"datain", "select"}, {"dataout"});
    design.Set("datain", data);
    design.Set("select", select);
    design.Run();
    EXPECT_EQ(CountReports(SEV_ERROR), 0) << "no evaluation failure";
    return design.ReadU64("dataout");
}

template <class Selector>
uint64_t RunSelector(const Params& params, const MLIB_UINTEGER& data, const MLIB_UINTEGER& mask)
{
    OneNodeDesign design;
    design.Create<Selector>(params, {"data", "mask"}, {"out"});
    design.Set("data", data);
    design.Set("mask", mask);
    design.Run();
    return design.ReadU64("out");
}

}  // namespace

TEST(BitwiseMux, DocumentedExampleOnBothVariants)
{
    MLIB_UINTEGER a = Wide(4, {0x3}), b = Wide(4, {0xC}), s = Wide(4, {0x5});
    EXPECT_EQ(RunBitwiseMux<Sim::Node_Mux2to1>(4, a, b, s), Wide(4, {0x6}));
    EXPECT_EQ(RunBitwiseMux<Sim::Node_MuxSmall>(4, a, b, s), Wide(4, {0x6}));
}

TEST(BitwiseMux, PicksEachBitAcrossTheWordBoundary)
{
    const unsigned seed = 42;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    for (int width : {1, 31, 32, 33, 64, 70, 130}) {
        SCOPED_TRACE("width " + std::to_string(width));
        MLIB_UINTEGER a = RandomValue(random, width), b = RandomValue(random, width),
                      s = RandomValue(random, width);
        MLIB_UINTEGER expected(0, width);
        for (int i = 0; i < width; ++i)
            expected.set_bit(i, s.bit(i) ? b.bit(i) : a.bit(i));
        EXPECT_EQ(RunBitwiseMux<Sim::Node_Mux2to1>(width, a, b, s), expected);
        if (width <= 32) {
            EXPECT_EQ(RunBitwiseMux<Sim::Node_MuxSmall>(width, a, b, s), expected);
        }
    }
}

TEST(BitwiseMux, ResultIsDefinedEvenFromUndefinedInputs)
{
    MLIB_UINTEGER a = Wide(40, {0xFFFF0000, 0xF0});
    a.set_undefined();
    MLIB_UINTEGER out =
        RunBitwiseMux<Sim::Node_Mux2to1>(40, a, Wide(40, {0x1234, 0x1}), Wide(40, {0xFF, 0x0F}));
    EXPECT_FALSE(out.is_undefined());
    EXPECT_FALSE(out.has_undefined_bits());
    EXPECT_EQ(out, Wide(40, {0xFFFF0034, 0xF1}));
}

TEST(BitwiseMux, SmallVariantZeroExtendsItsWordIntoAWideOutput)
{
    MLIB_UINTEGER a = Wide(40, {0x11111111, 0xFF}), b = Wide(40, {0x22222222, 0xFF});
    MLIB_UINTEGER out = RunBitwiseMux<Sim::Node_MuxSmall>(40, a, b, Wide(40, {0xFFFF0000, 0xFF}));
    EXPECT_EQ(out, Wide(40, {0x22221111, 0x00})) << "only the low 32 bits are computed";
}

TEST(WordMux, SimpleMuxPassesTheChosenWordAndNamesItInTheTrace)
{
    OneNodeDesign design;
    design.Create<Sim::Node_MuxSimple>({{"data_width", 12}}, {"dataa", "datab", "outputselect"}, {"dataout"});
    EXPECT_EQ(design.Width("dataa"), 12);
    EXPECT_EQ(design.Width("outputselect"), 1);
    design.Set("dataa", 0x123);
    design.Set("datab", 0xABC);
    design.Set("outputselect", 1);
    design.Run();
    EXPECT_EQ(design.ReadU64("dataout"), 0xABCu);
    EXPECT_EQ(design.dut->TraceText(), "(291, 2748)  sel B  -->  2748");
    design.Set("outputselect", 0);
    design.Run();
    EXPECT_EQ(design.ReadU64("dataout"), 0x123u);
    EXPECT_EQ(design.dut->TraceText(), "(291, 2748)  sel A  -->  291");
}

TEST(WordMux, BusMuxCutsOrExtendsAndKeepsUndefinedState)
{
    OneNodeDesign design;
    design.Create<Sim::Node_BusMux2>({{"width", 40}, {"width_a", 8}}, {"dataa", "datab", "select"},
                                     {"dataout"});
    EXPECT_EQ(design.Width("datab"), 40);
    design.Set("dataa", 0xA5);
    MLIB_UINTEGER b = Wide(40, {0x1, 0x80});
    b.set_undefined();
    design.Set("datab", b);
    design.Set("select", 0);
    design.Run();
    EXPECT_EQ(design.Read("dataout"), Wide(40, {0xA5})) << "dataa zero-extended";
    design.Set("select", 1);
    design.Run();
    EXPECT_TRUE(design.Read("dataout").is_undefined()) << "undefined state passes through";
    EXPECT_EQ(design.dut->TraceText(), "(A5, XXXXXXXXXX)  sel 1  -->  XXXXXXXXXX");

    OneNodeDesign narrow;
    narrow.Create<Sim::Node_BusMux2>({{"width_a", 8}, {"width_o", 16}}, {"dataa", "select"}, {"dataout"});
    narrow.Set("dataa", 0xFF);
    narrow.Set("select", 0);
    narrow.Run();
    EXPECT_EQ(narrow.ReadU64("dataout"), 0xFFu);
}

TEST(BitSelect, PicksTheNumberedBitOrZeroBeyondTheData)
{
    struct Case {
        int width_data;
        uint64_t data, select, expected;
    };
    Case cases[] = {
        {8, 0x80, 7, 1},        {8, 0x80, 0, 0},          {8, 0xFF, 8, 0},  // beyond the data: 0
        {8, 0xFF, 63, 0},       {31, 0x40000000, 30, 1},   {32, 0x80000000, 31, 1},
        {32, 0xFFFFFFFF, 32, 0}, {33, 0x100000000ull, 32, 1}, {40, 0x8000000000ull, 39, 1},
        {40, 0xFFFFFFFFFFull, 40, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("width " + std::to_string(c.width_data) + " select " + std::to_string(c.select));
        Params params = {{"width_data", c.width_data}, {"width_select", 6}};
        EXPECT_EQ(RunBitSelect<Sim::Node_Mux>(params, Wide64(c.width_data, c.data), c.select), c.expected);
        if (c.width_data <= 32) {
            EXPECT_EQ(RunBitSelect<Sim::Node_Mux_Sm>(params, Wide64(c.width_data, c.data), c.select),
                      c.expected);
        }
    }
}

TEST(BitSelect, WideDataAndWideSelect)
{
    MLIB_UINTEGER data = Wide(100, {0, 0, 0, 0x8});  // bit 99
    EXPECT_EQ(RunBitSelect<Sim::Node_Mux>({{"width_data", 100}, {"width_select", 7}}, data, 99), 1u);
    EXPECT_EQ(RunBitSelect<Sim::Node_Mux>({{"width_data", 100}, {"width_select", 7}}, data, 98), 0u);
    // A 40-bit select whose low word is 99 lies far beyond the data.
    EXPECT_EQ(RunBitSelect<Sim::Node_Mux>({{"width_data", 100}, {"width_select", 40}}, data, 0x100000063ull),
              0u);
}

TEST(BitSelect, SmallVariantSelectsOfThirtyTwoOrMoreGiveZero)
{
    for (uint64_t select : {32u, 33u, 63u, 64u, 255u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(select);
        EXPECT_EQ(RunBitSelect<Sim::Node_Mux_Sm>({{"width_data", 32}, {"width_select", 32}}, Wide(32, {~0u}),
                                                 select),
                  0u);
    }
}

TEST(BitSelect, SmallVariantAboveThirtyTwoBitsReportsAndSeesOnlyTheLowWord)
{
    OneNodeDesign design;
    design.Create<Sim::Node_Mux_Sm>({{"width", 40}}, {"datain", "select"}, {"dataout"});
    EXPECT_TRUE(WasReported(SEV_INTERNAL, "Small Node_Mux configured above bitwidth limit"));
    EXPECT_EQ(design.Width("datain"), 40);
    design.Set("datain", 0xFF00000001ull);
    design.Set("select", 35);
    design.Run();
    EXPECT_EQ(design.ReadU64("dataout"), 0u);
    design.Set("select", 0);
    design.Run();
    EXPECT_EQ(design.ReadU64("dataout"), 1u);
}

TEST(Selector, DocumentedExamplesOnBothVariants)
{
    for (bool small : {false, true}) {
        auto run = small ? RunSelector<Sim::Node_Selector_Sm> : RunSelector<Sim::Node_Selector>;
        EXPECT_EQ(run({{"width_sel", 4}}, Wide(4, {0b1010}), Wide(4, {0b0101})), 0u) << small;
        EXPECT_EQ(run({{"width_sel", 4}}, Wide(4, {0b1010}), Wide(4, {0b0010})), 1u) << small;
    }
}

TEST(Selector, OnlyKnownOnesCountOnWideInputs)
{
    Params params = {{"width_sel", 40}};
    MLIB_UINTEGER data = Wide(40, {0, 0x8});  // bit 35
    EXPECT_EQ(RunSelector<Sim::Node_Selector>(params, data, Wide(40, {0, 0x8})), 1u);
    MLIB_UINTEGER undefined_data = data;
    undefined_data.set_undef_word(1, 0x8);  // bit 35 still 1 but undefined
    EXPECT_EQ(RunSelector<Sim::Node_Selector>(params, undefined_data, Wide(40, {0, 0x8})), 0u);
    EXPECT_EQ(RunSelector<Sim::Node_Selector>(params, data, Wide(40, {0xFFFFFFFF, 0x7})), 0u);
}

TEST(Selector, DataWidthFollowsWidthSelUnlessGiven)
{
    OneNodeDesign copied;
    copied.Create<Sim::Node_Selector>({{"width_sel", 9}}, {}, {});
    EXPECT_EQ(copied.Width("data"), 9);
    EXPECT_EQ(copied.Width("mask"), 9);

    OneNodeDesign unequal;
    unequal.Create<Sim::Node_Selector>({{"width_sel", 8}, {"width_data", 40}}, {"data", "mask"}, {"out"});
    unequal.Set("data", 0xFF00000080ull);
    unequal.Set("mask", 0x80);
    unequal.Run();
    EXPECT_EQ(unequal.ReadU64("out"), 1u);
    unequal.Set("data", 0xFF00000000ull);
    unequal.Run();
    EXPECT_EQ(unequal.ReadU64("out"), 0u) << "the narrower mask reads 0 above its width";
    EXPECT_EQ(unequal.dut->TraceText(), "data FF00000000  sel 80  -->  0");
}

TEST(Selector, SmallVariantAboveThirtyTwoBitsReports)
{
    OneNodeDesign design;
    design.Create<Sim::Node_Selector_Sm>({{"width_sel", 8}, {"width_data", 33}}, {}, {});
    EXPECT_TRUE(WasReported(SEV_INTERNAL, "Small Selector configured beyond bitwidth limits"));
    OneNodeDesign fits;
    fits.Create<Sim::Node_Selector_Sm>({{"width_sel", 32}}, {}, {});
    EXPECT_EQ(CountReports(SEV_INTERNAL), 0);
}

// The wide classes share their port creation with the small ones but not their limit.
TEST(SelectionNodes, WideClassesTakeMoreThanThirtyTwoBitsWithoutReport)
{
    OneNodeDesign bit_select;
    bit_select.Create<Sim::Node_Mux>({{"width_data", 40}}, {}, {});
    EXPECT_EQ(CountReports(SEV_INTERNAL), 0);
    EXPECT_EQ(bit_select.Width("datain"), 40);
    OneNodeDesign selector;  // a new design empties the message store
    selector.Create<Sim::Node_Selector>({{"width_sel", 8}, {"width_data", 33}}, {}, {});
    EXPECT_EQ(CountReports(SEV_INTERNAL), 0);
    EXPECT_EQ(selector.Width("data"), 33);
}

TEST(SelectionNodes, TypeNamesTracesAndClockEdgeAnswers)
{
    struct Case {
        std::function<Sim::Node_Base*(OneNodeDesign&)> make;
        const char* type_name;
        const char* trace;  // after every input port named below was set to 0x5 (select 1)
    };
    auto make = [](auto* tag, Params params, std::vector<std::string> inputs) {
        using T = std::remove_pointer_t<decltype(tag)>;
        return [=](OneNodeDesign& d) -> Sim::Node_Base* { return d.Create<T>(params, inputs, {}); };
    };
    std::vector<std::string> two_inputs = {"dataa", "datab", "outputselect"};
    Case cases[] = {
        {make((Sim::Node_Mux2to1*)nullptr, {{"width", 8}}, two_inputs), "MUX 2to1",
         "(05, 05)  sel 05  -->  05"},
        {make((Sim::Node_MuxSmall*)nullptr, {{"width", 8}}, two_inputs), "MUX_2to1", "(5, 5)  sel 5  -->  5"},
        {make((Sim::Node_MuxSimple*)nullptr, {{"width", 8}}, two_inputs), "MUX-2to1",
         "(5, 5)  sel B  -->  5"},
        {make((Sim::Node_BusMux2*)nullptr, {{"width", 8}}, {"dataa", "datab", "select"}), "BUS MUX ",
         "(05, 05)  sel 1  -->  05"},
        {make((Sim::Node_Mux*)nullptr, {{"width", 8}}, {"datain", "select"}), "MUX     ",
         "data 05   sel 5  -->  0"},
        {make((Sim::Node_Mux_Sm*)nullptr, {{"width", 8}}, {"datain", "select"}), "MUX-    ",
         "data 05   sel 5  -->  0"},
        {make((Sim::Node_Selector*)nullptr, {{"width_sel", 8}}, {"data", "mask"}), "SELECTOR",
         "data 05  sel 05  -->  1"},
        {make((Sim::Node_Selector_Sm*)nullptr, {{"width_sel", 8}}, {"data", "mask"}), "SELECTOR",
         "data 05  sel 05  -->  1"},
    };
    for (const Case& c : cases) {
        OneNodeDesign design;
        Sim::Node_Base* node = c.make(design);
        for (Sim::Port_Base* input : node->Inputs())
            design.Set(input->Name(), input->Width() == 1 ? 1 : 5);
        design.Run();
        EXPECT_EQ(node->TypeName(), c.type_name);
        EXPECT_TRUE(node->IsSettled()) << c.type_name;
        EXPECT_EQ(node->TraceText(), c.trace) << c.type_name;
    }
}
