// Adders and add/subtract units driven through the engine: carries at 8, 31, 32, 40 and 64
// bits, the signed adder's zero-extension quirk, the small adder's limit report, and the
// undefined state of wide results.
#include <random>

#include "node_harness.h"
#include "nodes/adders.h"

using namespace node_test;

namespace {

struct AddCase {
    int width_ab, width_o;
    uint64_t a, b, cin;
    uint64_t dataout, cout;
};

template <class Adder>
void run_add_cases(const std::vector<AddCase>& cases)
{
    for (const AddCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "widths " << c.width_ab << "/" << c.width_o << ": " << std::hex
                                        << c.a << " + " << c.b << " + " << c.cin);
        TestDesign design;
        design.Add<Adder>("add", {{"width", ParamValue(c.width_ab)}, {"width_o", ParamValue(c.width_o)}});
        design.Connect("add", {"dataa", "datab", "cin"}, {"dataout", "cout"});
        design.Set("add.dataa", c.a);
        design.Set("add.datab", c.b);
        design.Set("add.cin", c.cin);
        design.Run(1);
        EXPECT_EQ(design.Get("add.dataout"), c.dataout);
        EXPECT_EQ(design.Get("add.cout"), c.cout);
    }
}

}  // namespace

TEST(UnsnAdd, SumModuloOutputWidthWithCarryOutAcrossWordBoundaries)
{
    run_add_cases<Sim::Node_UnsnAdd>({
        {8, 8, 0xFF, 0x01, 0, 0x00, 1},
        {8, 8, 0xFF, 0xFF, 1, 0xFF, 1},
        {8, 8, 0x12, 0x34, 1, 0x47, 0},
        {8, 4, 0x1F, 0x01, 0, 0x0, 0},  // the 5-bit accumulator loses bit 5 of the true sum
        {31, 31, 0x7FFFFFFF, 1, 0, 0, 1},
        {32, 32, 0xFFFFFFFF, 0, 1, 0, 1},
        {32, 32, 0x80000000, 0x7FFFFFFF, 0, 0xFFFFFFFF, 0},
        {40, 40, 0xFFFFFFFFFF, 1, 1, 1, 1},
        {40, 40, 0x00FFFFFFFF, 1, 0, 0x0100000000, 0},
        {64, 64, 0xFFFFFFFFFFFFFFFF, 0xFFFFFFFFFFFFFFFF, 1, 0xFFFFFFFFFFFFFFFF, 1},
        // Outputs of 33 to 63 bits sum on one 64-bit word, inputs wider than the output included.
        {63, 63, 0x7FFFFFFFFFFFFFFF, 0x1, 0, 0x0, 1},
        {64, 48, 0xFFFFFFFFFFFFFFFF, 0x1, 0, 0x0, 0},
        {48, 40, 0xFFFFFFFFFF, 0xFFFF00000001, 1, 0xFF00000001, 0},
        {33, 33, 0x1FFFFFFFF, 0x1FFFFFFFF, 1, 0x1FFFFFFFF, 1},
    });
}

TEST(UnsnAdd, UndefinedInputsCountAsTheirValueBitsAndTheSumIsDefined)
{
    TestDesign design;
    design.Add<Sim::Node_UnsnAdd>("add", {{"width", ParamValue(40)}});
    design.Connect("add", {"dataa", "datab", "cin"}, {"dataout", "cout"});
    MLIB_UINTEGER undefined_three = value_of(3, 40);
    undefined_three.set_undefined();
    design.SetValue("add.dataa", undefined_three);
    design.Set("add.datab", 4);
    design.Set("add.cin", 0);
    design.Run(1);
    MLIB_UINTEGER sum = design.GetValue("add.dataout");
    EXPECT_FALSE(sum.is_undefined());
    EXPECT_FALSE(sum.has_undefined_bits());
    EXPECT_EQ(sum.to_uint(), 7u);
}

TEST(UnsnAddSm, SameSumsOnOneWordUpTo31Bits)
{
    run_add_cases<Sim::Node_UnsnAdd_Sm>({
        {8, 8, 0xFF, 0x01, 0, 0x00, 1},
        {8, 8, 0xFF, 0xFF, 1, 0xFF, 1},
        {8, 4, 0x1F, 0x01, 0, 0x0, 0},
        {8, 4, 0x0F, 0x01, 0, 0x0, 1},
        {31, 31, 0x7FFFFFFF, 1, 0, 0, 1},
        {16, 16, 0x1234, 0x1111, 1, 0x2346, 0},
    });
    EXPECT_TRUE(pending_messages().empty());
}

TEST(UnsnAddSm, WidthBeyond31ReportsOnceAndStillAddsTheLow32Bits)
{
    TestDesign design;
    design.Add<Sim::Node_UnsnAdd_Sm>("add", {{"width", ParamValue(32)}});
    EXPECT_EQ(count_messages(SEV_INTERNAL, "Small UnsnAdd configured with bitwidth beyond limits"), 1);
    EXPECT_EQ(pending_messages().size(), 1u);
    EXPECT_EQ(design.manager.FindNode("add")->LookupPort("dataout")->Width(), 32);
    design.Connect("add", {"dataa", "datab", "cin"}, {"dataout", "cout"});
    design.Set("add.dataa", 0xFFFFFFF0);
    design.Set("add.datab", 0x11);
    design.Set("add.cin", 0);
    design.Run(1);
    EXPECT_EQ(design.Get("add.dataout"), 0x1u);
    // The carry is read from bit (32 mod 32) = 0 of the word sum: wrong by design above 31 bits.
    EXPECT_EQ(design.Get("add.cout"), 1u);
}

TEST(SignAdd, ExactSignedSumCutToOutputWithSignInCarry)
{
    run_add_cases<Sim::Node_SignAdd>({
        {8, 8, 0xFF, 0xFF, 0, 0xFE, 1},    // -1 + -1
        {8, 8, 0x05, 0xFD, 0, 0x02, 0},    // 5 + -3 (an unsigned adder carries here)
        {8, 8, 0x7F, 0x01, 0, 0x80, 0},    // 127 + 1 = 128 needs the extra bit
        {8, 16, 0xFF, 0x00, 0, 0x01FF, 0}, // the 9-bit sum is zero-extended, not sign-extended
        {8, 16, 0x80, 0x80, 0, 0x0300, 0}, // -256: 9-bit sum plus cin gives a 10-bit pattern, zero-extended
        {32, 32, 0xFFFFFFFF, 0xFFFFFFFF, 1, 0xFFFFFFFF, 1},
        {32, 32, 0x7FFFFFFF, 0x00000001, 0, 0x80000000, 0},
        {32, 40, 0xFFFFFFFF, 0x00000000, 0, 0x01FFFFFFFF, 0},
        {40, 40, 0xFFFFFFFFFF, 0xFFFFFFFFFF, 0, 0xFFFFFFFFFE, 1},
    });
}

TEST(SignAdd, WordSumsMatchExactArithmeticForRandomWidths)
{
    const unsigned seed = 20261209;
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 random(seed);
    for (int round = 0; round < 40; ++round) {
        int wa = 1 + static_cast<int>(random() % 32), wb = 1 + static_cast<int>(random() % 32);
        int wo = 1 + static_cast<int>(random() % std::max(wa, wb));
        uint64_t a = random() & LowBitsMask(wa), b = random() & LowBitsMask(wb), cin = random() & 1;
        auto signed_value = [](uint64_t v, int w) { return (int64_t)(v << (64 - w)) >> (64 - w); };
        uint64_t exact = static_cast<uint64_t>(signed_value(a, wa) + signed_value(b, wb) + (int64_t)cin);
        SCOPED_TRACE(testing::Message()
                     << wa << "/" << wb << "/" << wo << " " << a << " " << b << " " << cin);
        TestDesign design;
        design.Add<Sim::Node_SignAdd>(
            "add", {{"width_a", ParamValue(wa)}, {"width_b", ParamValue(wb)}, {"width_o", ParamValue(wo)}});
        design.Connect("add", {"dataa", "datab", "cin"}, {"dataout", "cout"});
        design.Set("add.dataa", a);
        design.Set("add.datab", b);
        design.Set("add.cin", cin);
        design.Run(0);
        EXPECT_EQ(design.Get("add.dataout"), exact & LowBitsMask(wo));
        EXPECT_EQ(design.Get("add.cout"), (exact >> wo) & 1);
    }
}

TEST(SignAdd, UndefinedStateFollowsTheWiderOperandOnWordAndWidePaths)
{
    for (int width : {32, 40}) {
        SCOPED_TRACE(width);
        TestDesign design;
        design.Add<Sim::Node_SignAdd>("add", {{"width", ParamValue(width)}, {"width_a", ParamValue(8)}});
        design.Connect("add", {"dataa", "datab", "cin"}, {"dataout", "cout"});
        design.Set("add.dataa", 1);
        design.Set("add.cin", 0);
        design.Run(0);  // datab never written: undefined
        EXPECT_TRUE(design.GetValue("add.dataout").is_undefined());
        design.Set("add.datab", 2);
        design.Run(0);
        MLIB_UINTEGER sum = design.GetValue("add.dataout");
        EXPECT_FALSE(sum.is_undefined());
        EXPECT_EQ(sum.to_uint(), 3u);
    }
}

TEST(UnsnAddSub, FlagSelectsSumOrDifferenceModuloOutputWidth)
{
    struct Case {
        int width_a, width_b, width_o;
        uint64_t a, b, flag, dataout;
    };
    const Case cases[] = {
        {8, 8, 8, 0x00, 0x01, 0, 0xFF},
        {8, 8, 8, 0xFF, 0x01, 1, 0x00},
        {8, 8, 8, 0x10, 0x01, 0, 0x0F},
        {16, 8, 8, 0x1234, 0x01, 1, 0x35},  // dataa is cut to the output width first
        {8, 16, 8, 0x01, 0x0102, 0, 0xFF},  // 1 - 0x102 modulo 2^8
        {32, 32, 32, 0, 1, 0, 0xFFFFFFFF},
        {32, 32, 32, 0xFFFFFFFF, 1, 1, 0},
        {40, 40, 40, 0, 1, 0, 0xFFFFFFFFFF},
        {40, 40, 40, 0xFFFFFFFFFF, 2, 1, 1},
        {8, 40, 40, 0x80, 0xFFFFFFFFFF, 1, 0x7F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.width_a << "/" << c.width_b << "/" << c.width_o << " flag " << c.flag);
        TestDesign design;
        design.Add<Sim::Node_UnsnAddSub>("as", {{"width_a", ParamValue(c.width_a)},
                                                {"width_b", ParamValue(c.width_b)},
                                                {"width_o", ParamValue(c.width_o)}});
        design.Connect("as", {"dataa", "datab", "flag"}, {"dataout"});
        design.Set("as.dataa", c.a);
        design.Set("as.datab", c.b);
        design.Set("as.flag", c.flag);
        design.Run(0);
        EXPECT_EQ(design.Get("as.dataout"), c.dataout);
    }
}

TEST(SignAddSub, SignResizesDataaAndReadsDatabAsSigned)
{
    struct Case {
        int width_a, width_b, width_o;
        uint64_t a, b, flag, dataout;
    };
    const Case cases[] = {
        {8, 4, 8, 5, 0xF, 1, 4},           // 5 + -1
        {8, 4, 8, 5, 0xF, 0, 6},           // 5 - -1
        {4, 4, 8, 0xF, 0x1, 1, 0x00},      // -1 sign-extended to 8 bits, + 1
        {4, 4, 8, 0x8, 0x1, 0, 0xF7},      // -8 - 1
        {8, 8, 4, 0x7C, 0x0, 1, 0xC},      // dataa is cut, not saturated
        {32, 32, 32, 0x80000000, 1, 0, 0x7FFFFFFF},
        {8, 8, 40, 0x80, 0x01, 0, 0xFFFFFFFF7F},  // -128 - 1 = -129 in 40 bits
        {40, 40, 40, 0, 1, 0, 0xFFFFFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.width_a << "/" << c.width_b << "/" << c.width_o << " flag " << c.flag);
        TestDesign design;
        design.Add<Sim::Node_SignAddSub>("as", {{"width_a", ParamValue(c.width_a)},
                                                {"width_b", ParamValue(c.width_b)},
                                                {"width_o", ParamValue(c.width_o)}});
        design.Connect("as", {"dataa", "datab", "flag"}, {"dataout"});
        design.Set("as.dataa", c.a);
        design.Set("as.datab", c.b);
        design.Set("as.flag", c.flag);
        design.Run(0);
        EXPECT_EQ(design.Get("as.dataout"), c.dataout);
    }
}

TEST(AddSub, ThirtyTwoBitDifferenceCarriesTheMinuendsUndefinedState)
{
    TestDesign design;
    design.Add<Sim::Node_UnsnAddSub>("as");  // 32 bits by default
    design.Connect("as", {"dataa", "datab", "flag"}, {"dataout"});
    design.Set("as.datab", 1);
    design.Set("as.flag", 0);
    design.Run(0);  // dataa undefined
    EXPECT_TRUE(design.GetValue("as.dataout").is_undefined());
    design.Set("as.dataa", 10);
    design.Run(0);
    EXPECT_EQ(design.Get("as.dataout"), 9u);
}

TEST(Adders, TraceTextsShowOperandsCarriesAndSignedLowWords)
{
    TestDesign design;
    auto* add = design.Add<Sim::Node_UnsnAdd>("add", {{"width", ParamValue(32)}});
    design.Connect("add", {"dataa", "datab", "cin"}, {"dataout", "cout"});
    design.Set("add.dataa", 0xFFFFFFFF);
    design.Set("add.datab", 2);
    design.Set("add.cin", 1);
    design.Run(0);
    EXPECT_EQ(add->TraceText(), "-1 + 2 +cin  -->  2+cout");
    auto* as = design.Add<Sim::Node_SignAddSub>("as", {{"width", ParamValue(8)}});
    design.Connect("as", {"dataa", "datab", "flag"}, {"dataout"});
    design.Set("as.dataa", 7);
    design.Set("as.datab", 2);
    design.Set("as.flag", 0);
    design.Run(0);
    EXPECT_EQ(as->TraceText(), "7 - 2  -->  5");
}

TEST(UnsnAddSm, ReadsFollowInvertedLinksAndSourcesLinkedLater)
{
    // The adder keeps its inputs' read paths inside the node; an inverted link and a source
    // linked after a run (with a rebuilt scheduler) must both reach them.
    TestDesign design;
    design.Add<Sim::Node_UnsnAdd_Sm>("add", {{"width", ParamValue(8)}});
    design.Connect("add", {"dataa", "datab", "cin"}, {"dataout", "cout"});
    ASSERT_TRUE(Sim::Link(design.manager, "add.dataa", "(perimeter io)", "add", "dataa", true));
    design.Set("add.dataa", 0x0F);
    design.Set("add.datab", 0x01);
    design.Set("add.cin", 0);
    design.Run(1);
    EXPECT_EQ(design.Get("add.dataout"), 0xF1u);  // ~0x0F + 1
    design.Add<Sim::Node_UnsnAdd_Sm>("other", {{"width", ParamValue(8)}});
    design.Connect("other", {"dataa"}, {});
    ASSERT_TRUE(Sim::Link(design.manager, "other.dataa", "(perimeter io)", "add", "datab", false));
    design.Set("other.dataa", 0x20);
    design.Run(1);
    EXPECT_EQ(design.Get("add.dataout"), 0x10u);  // 0xF0 + 0x20, carried out
    EXPECT_EQ(design.Get("add.cout"), 1u);
}
