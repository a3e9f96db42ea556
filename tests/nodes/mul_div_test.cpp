// Multipliers, dividers and remainder units through the engine: exact products across the
// 32-bit boundary, signed patterns, division by zero on narrow and wide outputs, and a
// 40-bit divider (the value type divides exactly at every width).
#include "node_harness.h"
#include "nodes/mul_div.h"

using namespace node_test;

namespace {

struct BinaryCase {
    int width_a, width_b, width_o;
    uint64_t a, b;
    uint64_t dataout;
    bool undefined;  // dataout is expected wholly undefined (visible from 32 bits up)
};

template <class Node>
void run_binary_cases(const std::vector<BinaryCase>& cases)
{
    for (const BinaryCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width_a << "/" << c.width_b << "/" << c.width_o << ": "
                                        << std::hex << c.a << ", " << c.b);
        TestDesign design;
        design.Add<Node>("op", {{"width_a", ParamValue(c.width_a)},
                                {"width_b", ParamValue(c.width_b)},
                                {"width_o", ParamValue(c.width_o)}});
        design.Connect("op", {"dataa", "datab"}, {"dataout"});
        design.Set("op.dataa", c.a);
        design.Set("op.datab", c.b);
        design.Run(1);
        MLIB_UINTEGER out = design.GetValue("op.dataout");
        EXPECT_EQ(out.is_undefined(), c.undefined);
        if (!c.undefined)
            EXPECT_EQ(out.word(0) | (uint64_t(out.word(1)) << 32), c.dataout);
        else
            EXPECT_TRUE(out.has_undefined_bits());
    }
}

}  // namespace

TEST(UnsnMul, ExactProductCutOrZeroExtendedToOutput)
{
    run_binary_cases<Sim::Node_UnsnMul>({
        {8, 8, 16, 0xFF, 0xFF, 0xFE01, false},
        {8, 8, 8, 0xFF, 0xFF, 0x01, false},
        {4, 4, 32, 0xF, 0xF, 0xE1, false},
        {16, 16, 32, 0xFFFF, 0xFFFF, 0xFFFE0001, false},
        {32, 32, 64, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFE00000001, false},
        {32, 32, 32, 0xFFFFFFFF, 0xFFFFFFFF, 0x00000001, false},
        {40, 8, 48, 0xFFFFFFFFFF, 0x02, 0x1FFFFFFFFFE, false},
        {40, 40, 64, 0x10000000000 - 1, 0x100, 0xFFFFFFFFFF00, false},
    });
}

TEST(SignMul, SignedProductPatternCutOrZeroExtended)
{
    run_binary_cases<Sim::Node_SignMul>({
        {4, 4, 8, 0xE, 0x3, 0xFA, false},     // -2 * 3
        {4, 4, 16, 0xE, 0x3, 0x00FA, false},  // the 8-bit pattern is zero-extended
        {4, 4, 4, 0xE, 0x3, 0xA, false},
        {8, 8, 16, 0x80, 0x80, 0x4000, false},  // -128 * -128
        {32, 32, 64, 0xFFFFFFFF, 0xFFFFFFFF, 1, false},
        {32, 32, 64, 0x80000000, 0x80000000, 0x4000000000000000, false},
        {32, 32, 32, 0x80000000, 0x00000002, 0, false},
        {40, 8, 48, 0xFFFFFFFFFF, 0x03, 0xFFFFFFFFFFFD, false},  // -1 * 3
    });
}

TEST(Multipliers, UndefinedInputGivesWhollyUndefinedProductOnWideOutputs)
{
    for (int width_o : {32, 64}) {
        SCOPED_TRACE(width_o);
        TestDesign design;
        design.Add<Sim::Node_UnsnMul>("mul", {{"width", ParamValue(32)}, {"width_o", ParamValue(width_o)}});
        design.Add<Sim::Node_SignMul>("smul", {{"width", ParamValue(32)}, {"width_o", ParamValue(width_o)}});
        design.Connect("mul", {"dataa", "datab"}, {"dataout"});
        design.Connect("smul", {"dataa", "datab"}, {"dataout"});
        design.Set("mul.dataa", 3);
        design.Set("smul.dataa", 3);
        design.Run(0);
        EXPECT_TRUE(design.GetValue("mul.dataout").is_undefined());
        EXPECT_TRUE(design.GetValue("smul.dataout").is_undefined());
    }
}

TEST(UnsnDiv, QuotientAndDivisionByZeroOnNarrowAndWideOutputs)
{
    run_binary_cases<Sim::Node_UnsnDiv>({
        {8, 8, 8, 7, 2, 3, false},
        {8, 8, 8, 7, 0, 0, false},  // undefined, but an 8-bit output reads 0
        {32, 32, 32, 7, 0, 0, true},
        {32, 32, 32, 0xFFFFFFFF, 0xFFFFFFFF, 1, false},
        {16, 8, 8, 0x1234, 2, 0x1A, false},  // dataa is cut to the output width before dividing
        {40, 40, 40, 0xFFFFFFFFFF, 3, 0x5555555555, false},
        {40, 40, 40, 0x123456789A, 0x100000000, 0x12, false},
        {40, 40, 40, 5, 0, 0, true},
    });
}

TEST(SignDiv, TruncatesTowardZeroAndLeavesOverflowUndefined)
{
    run_binary_cases<Sim::Node_SignDiv>({
        {8, 8, 8, 0xF9, 2, 0xFD, false},  // -7 / 2 = -3
        {8, 8, 8, 0x07, 0xFE, 0xFD, false},  // 7 / -2 = -3
        {8, 8, 8, 0x80, 0xFF, 0, false},  // -128 / -1: undefined, reads 0 on 8 bits
        {32, 32, 32, 0x80000000, 0xFFFFFFFF, 0, true},
        {32, 32, 32, 5, 0, 0, true},
        {4, 4, 8, 0x9, 0x2, 0xFD, false},  // dataa sign-extended: -7 / 2
        {40, 40, 40, 0xFFFFFFFFF9, 2, 0xFFFFFFFFFD, false},
        {40, 40, 40, 0x8000000000, 0xFFFFFFFFFF, 0, true},
    });
}

TEST(UnsnMod, RemainderZeroExtendedToOutput)
{
    run_binary_cases<Sim::Node_UnsnMod>({
        {8, 8, 8, 7, 2, 1, false},
        {8, 4, 8, 0xFF, 0xA, 5, false},
        {8, 8, 8, 7, 0, 0, false},
        {32, 32, 32, 7, 0, 0, true},
        {40, 40, 40, 0xFFFFFFFFFF, 0x100, 0xFF, false},
        {40, 40, 40, 0x123456789A, 0x100000000, 0x3456789A, false},
    });
}

TEST(SignMod, RemainderTakesTheDividendsSign)
{
    run_binary_cases<Sim::Node_SignMod>({
        {8, 8, 8, 0xF9, 2, 0xFF, false},  // -7 % 2 = -1
        {8, 8, 8, 0x07, 0xFE, 0x01, false},  // 7 % -2 = 1
        {8, 4, 16, 0xF9, 0x3, 0xFFFF, false},  // -7 % 3 = -1, sign-extended from 4 bits
        {32, 32, 32, 0x80000000, 0xFFFFFFFF, 0, true},
        {40, 40, 40, 0xFFFFFFFFF9, 2, 0xFFFFFFFFFF, false},
        {40, 40, 40, 9, 0, 0, true},
    });
}

TEST(Dividers, TraceTextsShowTheOperator)
{
    TestDesign design;
    auto* mod = design.Add<Sim::Node_UnsnMod>("mod");
    auto* div = design.Add<Sim::Node_SignDiv>("div");
    auto* mul = design.Add<Sim::Node_UnsnMul>("mul", {{"width", ParamValue(8)}});
    design.Connect("mod", {"dataa", "datab"}, {"dataout"});
    design.Connect("div", {"dataa", "datab"}, {"dataout"});
    design.Connect("mul", {"dataa", "datab"}, {"dataout"});
    design.Set("mod.dataa", 7);
    design.Set("mod.datab", 2);
    design.Set("div.dataa", 0x39);  // -7 in 6 bits
    design.Set("div.datab", 2);
    design.Set("mul.dataa", 3);
    design.Set("mul.datab", 5);
    design.Run(0);
    EXPECT_EQ(mod->TraceText(), "7 % 2  -->  1");
    // "%d" shows the low 32 bits as a signed number, so narrow negative values print unsigned.
    EXPECT_EQ(div->TraceText(), "57 / 2  -->  61");
    EXPECT_EQ(mul->TraceText(), "3 * 5  -->  15");
}

// The six classes share their trace line; each must still name its own operation.
TEST(MulDiv, EveryClassTracesItsOwnOperator)
{
    TestDesign design;
    const Params w8 = {{"width", ParamValue(8)}};
    const std::vector<std::pair<Sim::Node_Base*, const char*>> cases = {
        {design.Add<Sim::Node_UnsnMul>("umul", w8), "7 * 2  -->  14"},
        {design.Add<Sim::Node_SignMul>("smul", w8), "7 * 2  -->  14"},
        {design.Add<Sim::Node_UnsnDiv>("udiv", w8), "7 / 2  -->  3"},
        {design.Add<Sim::Node_SignDiv>("sdiv", w8), "7 / 2  -->  3"},
        {design.Add<Sim::Node_UnsnMod>("umod", w8), "7 % 2  -->  1"},
        {design.Add<Sim::Node_SignMod>("smod", w8), "7 % 2  -->  1"},
    };
    for (const auto& [node, trace] : cases) {
        design.Connect(node->Name(), {"dataa", "datab"}, {"dataout"});
        design.Set(node->Name() + ".dataa", 7);
        design.Set(node->Name() + ".datab", 2);
    }
    design.Run(0);
    for (const auto& [node, trace] : cases)
        EXPECT_EQ(node->TraceText(), trace) << node->TypeName();
}

TEST(Arithmetic, ResultsBeyond64BitsReachTheThirdWord)
{
    TestDesign design;
    design.Add<Sim::Node_UnsnMul>("mul", {{"width", ParamValue(40)}, {"width_o", ParamValue(80)}});
    design.Add<Sim::Node_SignMul>("smul", {{"width", ParamValue(40)}, {"width_o", ParamValue(80)}});
    design.Add<Sim::Node_UnsnDiv>("div", {{"width", ParamValue(72)}});
    design.Connect("mul", {"dataa", "datab"}, {"dataout"});
    design.Connect("smul", {"dataa", "datab"}, {"dataout"});
    design.Connect("div", {"dataa", "datab"}, {"dataout"});
    for (const char* pin : {"mul.dataa", "mul.datab", "smul.dataa", "smul.datab"})
        design.Set(pin, 0xFFFFFFFFFF);
    MLIB_UINTEGER dividend = value_of(0, 72);
    dividend.set_word(2, 0xFF);
    design.SetValue("div.dataa", dividend);  // 0xFF << 64
    design.Set("div.datab", 0x100);
    design.Run(0);
    EXPECT_EQ(design.GetValue("mul.dataout").to_hex(), "FFFFFFFFFE0000000001");
    EXPECT_EQ(design.GetValue("smul.dataout").to_hex(), "00000000000000000001");  // -1 * -1
    EXPECT_EQ(design.GetValue("div.dataout").to_hex(), "00FF00000000000000");
}
