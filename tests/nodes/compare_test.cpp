// Comparators and the absolute-value unit through the engine: signed against unsigned
// readings, the six LPM outputs and their clear, the pipelined comparator's advance per
// enabled evaluation, its invalid depths, and the most negative value of the abs unit.
#include "node_harness.h"
#include "nodes/compare.h"

using namespace node_test;

namespace {

const std::vector<std::string> kSixOutputs = {"alb", "aeb", "agb", "aleb", "aneb", "ageb"};

// The six outputs as a text such as "100110" (alb first).
std::string six_outputs(TestDesign& design, const std::string& node)
{
    std::string bits;
    for (const std::string& port : kSixOutputs)
        bits += design.Get(node + "." + port) ? '1' : '0';
    return bits;
}

}  // namespace

TEST(CmpLE, EquOkChoosesLessOrLessEqualAndSignednessDecidesTheReading)
{
    struct Case {
        int width;
        uint64_t a, b, equ_ok;
        uint64_t unsigned_out, signed_out;
    };
    const Case cases[] = {
        {8, 5, 5, 0, 0, 0},
        {8, 5, 5, 1, 1, 1},
        {8, 0xFF, 0x01, 0, 0, 1},  // -1 < 1 only when signed
        {8, 0x01, 0xFF, 1, 1, 0},
        {32, 0x80000000, 0x7FFFFFFF, 0, 0, 1},
        {40, 0x8000000000, 0x0000000001, 1, 0, 1},
        {40, 0x0100000000, 0x00FFFFFFFF, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << ": " << std::hex << c.a << " vs " << c.b << " equ_ok "
                                        << c.equ_ok);
        TestDesign design;
        design.Add<Sim::Node_UnsnCmpLE>("u", {{"width", ParamValue(c.width)}});
        design.Add<Sim::Node_SignCmpLE>("s", {{"width", ParamValue(c.width)}});
        for (const char* node : {"u", "s"}) {
            design.Connect(node, {"dataa", "datab", "equ_ok"}, {"out"});
            design.Set(std::string(node) + ".dataa", c.a);
            design.Set(std::string(node) + ".datab", c.b);
            design.Set(std::string(node) + ".equ_ok", c.equ_ok);
        }
        design.Run(1);
        EXPECT_EQ(design.Get("u.out"), c.unsigned_out);
        EXPECT_EQ(design.Get("s.out"), c.signed_out);
    }
}

TEST(LpmCompare, SixResultsUnsignedOrSignedAndAllZeroWhileCleared)
{
    struct Case {
        const char* representation;  // nullptr: parameter absent
        int width;
        uint64_t a, b;
        const char* expected;  // alb aeb agb aleb aneb ageb
    };
    const Case cases[] = {
        {nullptr, 8, 3, 5, "100110"},
        {"UNSIGNED", 8, 5, 5, "010101"},
        {"UNSIGNED", 8, 0xFF, 0x01, "001011"},
        {"SIGNED", 8, 0xFF, 0x01, "100110"},
        {"signed", 8, 0xFF, 0x01, "001011"},  // compared case-sensitively: unsigned
        {"SIGNED", 40, 0x8000000000, 0x7FFFFFFFFF, "100110"},
        {"SIGNED", 40, 0xFFFFFFFFFF, 0xFFFFFFFFFF, "010101"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.representation ? c.representation : "(none)") << " " << c.width
                                        << ": " << std::hex << c.a << " vs " << c.b);
        Params params = {{"lpm_width", ParamValue(c.width)}};
        if (c.representation)
            params["lpm_representation"] = text(c.representation);
        TestDesign design;
        design.Add<Sim::Node_LpmCompare>("cmp", params);
        design.Connect("cmp", {"dataa", "datab", "aclr"}, kSixOutputs);
        design.Set("cmp.dataa", c.a);
        design.Set("cmp.datab", c.b);
        design.Set("cmp.aclr", 0);
        design.Run(1);
        EXPECT_EQ(six_outputs(design, "cmp"), c.expected);
        design.Set("cmp.aclr", 1);
        design.Run(1);
        EXPECT_EQ(six_outputs(design, "cmp"), "000000");
    }
}

TEST(LpmCompare, EqualValueBitsWithDifferentUndefinedBitsAreUnequal)
{
    TestDesign design;
    design.Add<Sim::Node_LpmCompare>("cmp", {{"lpm_width", ParamValue(32)}});
    design.Connect("cmp", {"dataa", "datab"}, kSixOutputs);
    MLIB_UINTEGER undefined_five(5, 32);
    undefined_five.set_undefined();
    design.SetValue("cmp.dataa", undefined_five);
    design.Set("cmp.datab", 5);
    design.Run(0);
    EXPECT_EQ(six_outputs(design, "cmp"), "000111");  // not equal, yet neither less nor greater
}

TEST(LpmComparePiped, ResultsAdvanceOncePerEnabledEvaluation)
{
    TestDesign design;
    auto* cmp = design.Add<Sim::Node_LpmComparePiped>("cmp", {{"lpm_width", ParamValue(8)},
                                                               {"lpm_pipeline", ParamValue(2)}});
    design.Connect("cmp", {"dataa", "datab", "aclr", "clken"}, kSixOutputs);
    design.Set("cmp.aclr", 0);
    design.Set("cmp.clken", 1);
    design.Set("cmp.dataa", 3);
    design.Set("cmp.datab", 5);
    design.Run(0);  // evaluation 1 computes "less"
    EXPECT_EQ(six_outputs(design, "cmp"), "000000");
    design.Run(4);  // no input changes: no evaluation, no advance, although clocks pass
    EXPECT_EQ(six_outputs(design, "cmp"), "000000");
    design.Set("cmp.dataa", 5);
    design.Run(0);  // evaluation 2 computes "equal"
    EXPECT_EQ(six_outputs(design, "cmp"), "000000");
    design.Set("cmp.dataa", 9);
    design.Run(0);  // evaluation 3 shows the result of evaluation 1
    EXPECT_EQ(six_outputs(design, "cmp"), "100110");
    design.Set("cmp.clken", 0);
    design.Set("cmp.dataa", 1);
    design.Run(0);  // disabled: the outputs hold and nothing moves
    EXPECT_EQ(six_outputs(design, "cmp"), "100110");
    design.Set("cmp.clken", 1);
    design.Run(0);  // evaluation 4 shows evaluation 2
    EXPECT_EQ(six_outputs(design, "cmp"), "010101");
    EXPECT_EQ(cmp->TraceText(), "01, 05  -->  LT 0  EQ 1  GT 0  LE 1  NE 0  GE 1");
    design.Set("cmp.aclr", 1);
    design.Run(0);
    EXPECT_EQ(six_outputs(design, "cmp"), "000000");
    design.Set("cmp.aclr", 0);
    design.Set("cmp.dataa", 7);
    design.Run(0);  // the clear emptied the pipeline: zeros come out first
    EXPECT_EQ(six_outputs(design, "cmp"), "000000");
}

TEST(LpmComparePiped, InvalidDepthIsReportedAndTheNodeComparesWithoutDelay)
{
    struct Case {
        int depth;
        const char* message;
    };
    const Case cases[] = {
        {0, "Pipelined LpmCompare model given invalid pipeline depth"},
        {-3, "Pipelined LpmCompare model given invalid pipeline depth"},
        {0x7FFFFFFF, "LpmCompare unable to allocate pipeline"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.depth);
        TestDesign design;
        design.Add<Sim::Node_LpmComparePiped>("cmp", {{"lpm_width", ParamValue(8)},
                                                       {"lpm_pipeline", ParamValue(c.depth)}});
        EXPECT_EQ(count_messages(SEV_FATAL, c.message), 1);
        design.Connect("cmp", {"dataa", "datab", "aclr", "clken"}, kSixOutputs);
        design.Set("cmp.aclr", 0);
        design.Set("cmp.clken", 1);
        design.Set("cmp.dataa", 3);
        design.Set("cmp.datab", 5);
        design.Run(0);
        EXPECT_EQ(six_outputs(design, "cmp"), "100110");
        design.Set("cmp.clken", 0);
        design.Set("cmp.dataa", 5);
        design.Run(0);  // disabled: the last enabled result holds
        EXPECT_EQ(six_outputs(design, "cmp"), "100110");
    }
}

TEST(Abs, MagnitudeWithOverflowOnlyForTheMostNegativeValue)
{
    struct Case {
        int width;
        uint64_t data, result, overflow;
    };
    const Case cases[] = {
        {8, 0xFB, 0x05, 0},
        {8, 0x80, 0x80, 1},
        {8, 0x05, 0x05, 0},
        {8, 0xFF, 0x01, 0},
        {1, 0x1, 0x1, 1},
        {1, 0x0, 0x0, 0},
        {32, 0x80000000, 0x80000000, 1},
        {32, 0xFFFFFFFF, 1, 0},
        {40, 0xFFFFFFFFFB, 5, 0},
        {40, 0x8000000000, 0x8000000000, 1},
        {40, 0x8000000001, 0x7FFFFFFFFF, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << ": " << std::hex << c.data);
        TestDesign design;
        design.Add<Sim::Node_Abs>("abs", {{"lpm_width", ParamValue(c.width)}});
        design.Connect("abs", {"data"}, {"result", "overflow"});
        design.Set("abs.data", c.data);
        design.Run(1);
        EXPECT_EQ(design.Get("abs.result"), c.result);
        EXPECT_EQ(design.Get("abs.overflow"), c.overflow);
    }
}

TEST(Comparators, TraceTexts)
{
    TestDesign design;
    auto* le = design.Add<Sim::Node_SignCmpLE>("le", {{"width", ParamValue(8)}});
    auto* cmp = design.Add<Sim::Node_LpmCompare>("cmp", {{"lpm_width", ParamValue(12)}});
    design.Connect("le", {"dataa", "datab", "equ_ok"}, {"out"});
    design.Connect("cmp", {"dataa", "datab"}, kSixOutputs);
    design.Set("le.dataa", 3);
    design.Set("le.datab", 4);
    design.Set("le.equ_ok", 1);
    design.Set("cmp.dataa", 0xABC);
    design.Set("cmp.datab", 0x00F);
    design.Run(0);
    EXPECT_EQ(le->TraceText(), "3 <= 4  -->  1");
    EXPECT_EQ(cmp->TraceText(), "ABC, 00F  -->  LT 0  EQ 0  GT 1  LE 0  NE 1  GE 1");
}
