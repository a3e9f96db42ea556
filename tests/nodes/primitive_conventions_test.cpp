// Conventions as the arithmetic, register and shift-taps classes answer them: type names,
// clock-work answers, default and overridden widths, port kinds before linking, and the
// reports for widths that would leave a node without bits.
#include "node_harness.h"
#include "nodes/adders.h"
#include "nodes/compare.h"
#include "nodes/mul_div.h"
#include "nodes/registers.h"
#include "nodes/shift_taps.h"

using namespace node_test;

namespace {

struct ClassAnswers {
    std::string type_name;
    bool settled;     // IsSettled on a fresh node
    bool sequential;  // IsSequential
};

template <class T>
ClassAnswers answers_of(TestDesign& design, const std::string& name)
{
    T* node = design.Add<T>(name);
    return {node->TypeName(), node->IsSettled(), node->IsSequential()};
}

}  // namespace

TEST(PrimitiveConventions, TypeNamesAndEngineAnswersPerClass)
{
    TestDesign design;
    const std::vector<std::pair<ClassAnswers, ClassAnswers>> cases = {
        {answers_of<Sim::Node_UnsnAdd>(design, "a"), {"UNSN ADD", false, false}},
        {answers_of<Sim::Node_UnsnAdd_Sm>(design, "b"), {"UNSN-ADD", false, false}},
        {answers_of<Sim::Node_SignAdd>(design, "c"), {"SIGN ADD", false, false}},
        {answers_of<Sim::Node_UnsnAddSub>(design, "d"), {"UNSN +/-", false, false}},
        {answers_of<Sim::Node_SignAddSub>(design, "e"), {"SIGN +/-", false, false}},
        {answers_of<Sim::Node_UnsnMul>(design, "f"), {"UNSN MUL", false, false}},
        {answers_of<Sim::Node_SignMul>(design, "g"), {"SIGN MUL", false, false}},
        {answers_of<Sim::Node_UnsnDiv>(design, "h"), {"UNSN DIV", false, false}},
        {answers_of<Sim::Node_SignDiv>(design, "i"), {"SIGN DIV", false, false}},
        {answers_of<Sim::Node_UnsnMod>(design, "j"), {"UNSN MOD", false, false}},
        {answers_of<Sim::Node_SignMod>(design, "k"), {"SIGN MOD", false, false}},
        {answers_of<Sim::Node_UnsnCmpLE>(design, "l"), {"UNSN <= ", true, false}},
        {answers_of<Sim::Node_SignCmpLE>(design, "m"), {"SIGN <= ", true, false}},
        {answers_of<Sim::Node_LpmCompare>(design, "n"), {"LPM COMP", false, false}},
        {answers_of<Sim::Node_LpmComparePiped>(design, "o"), {"LPM COMP", false, false}},
        {answers_of<Sim::Node_Abs>(design, "p"), {"ABSOLUTE", false, false}},
        {answers_of<Sim::Node_DFFE>(design, "q"), {"DFFE REG", false, true}},  // created pending
        {answers_of<Sim::Node_DFFE_Bit>(design, "r"), {"DFFE BIT", false, true}},
        {answers_of<Sim::Node_Latch>(design, "s"), {"LATCH CC", false, false}},
        {answers_of<Sim::Node_MrvShiftTaps>(design, "t"), {"SHIFTAPS", false, false}},
    };
    for (const auto& [actual, expected] : cases) {
        SCOPED_TRACE(expected.type_name);
        EXPECT_EQ(actual.type_name, expected.type_name);
        EXPECT_EQ(actual.type_name.size(), 8u);
        EXPECT_EQ(actual.settled, expected.settled);
        EXPECT_EQ(actual.sequential, expected.sequential);
    }
    EXPECT_TRUE(pending_messages().empty());
}

TEST(PrimitiveConventions, DefaultWidthsAndLaterNamesOverrideEarlierOnes)
{
    TestDesign design;
    auto width = [&](const char* node, const char* port) {
        return design.manager.FindNode(node)->LookupPort(port)->Width();
    };
    design.Add<Sim::Node_UnsnDiv>("div");
    design.Add<Sim::Node_UnsnAdd>("add");
    design.Add<Sim::Node_SignAddSub>("as");
    design.Add<Sim::Node_SignCmpLE>("le");
    design.Add<Sim::Node_UnsnMul>("mul12", {{"width", ParamValue(12)}});
    design.Add<Sim::Node_UnsnMul>("mul13", {{"width", ParamValue(12)}, {"width_o", ParamValue(13)}});
    design.Add<Sim::Node_SignMul>("only_o", {{"width_o", ParamValue(5)}});
    design.Add<Sim::Node_DFFE>("reg", {{"width", ParamValue(3)}, {"array_width", ParamValue(9)}});
    EXPECT_EQ(width("div", "dataa"), 6);
    EXPECT_EQ(width("div", "dataout"), 6);
    EXPECT_EQ(width("add", "datab"), 1);
    EXPECT_EQ(width("as", "dataout"), 32);
    EXPECT_EQ(width("le", "datab"), 6);
    EXPECT_EQ(width("le", "out"), 1);
    EXPECT_EQ(width("mul12", "dataa"), 12);
    EXPECT_EQ(width("mul12", "dataout"), 12);
    EXPECT_EQ(width("mul13", "datab"), 12);
    EXPECT_EQ(width("mul13", "dataout"), 13);
    EXPECT_EQ(width("only_o", "dataa"), 1);
    EXPECT_EQ(width("only_o", "dataout"), 5);
    EXPECT_EQ(width("reg", "clear"), 9);
}

TEST(PrimitiveConventions, UnlinkedInputsReadTheirDefaultKind)
{
    // Register controls default to zero and the enable to one; data inputs read "(unused)".
    TestDesign design;
    design.Add<Sim::Node_DFFE>("reg", {{"width", ParamValue(40)}});
    Sim::Node_Base* reg = design.manager.FindNode("reg");
    EXPECT_TRUE(reg->LookupPort("clear")->Value().is_zero());
    EXPECT_EQ(reg->LookupPort("ena")->Value(), ~MLIB_UINTEGER(0, 40));  // all ones at every width
    EXPECT_TRUE(reg->LookupPort("datain")->Value().is_undefined());
    design.Add<Sim::Node_LpmComparePiped>("cmp");
    Sim::Node_Base* cmp = design.manager.FindNode("cmp");
    EXPECT_EQ(cmp->LookupPort("aclr")->ValueInt(), 0u);
    EXPECT_EQ(cmp->LookupPort("clken")->ValueInt(), 1u);
}

TEST(PrimitiveConventions, WidthsWithoutBitsAreReportedAndBuiltAsOneBit)
{
    struct Case {
        int32_t width;
        const char* message;
    };
    const Case cases[] = {
        {0, "Node 'add' of type 'UNSN ADD' configured with invalid width_a 0; 1 is used instead."},
        {-5, "Node 'add' of type 'UNSN ADD' configured with invalid width_a -5; 1 is used instead."},
        {0x7FFFFFFF,
         "Node 'add' of type 'UNSN ADD' configured with invalid width_a 2147483647; 1 is used instead."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        TestDesign design;
        design.Add<Sim::Node_UnsnAdd>("add", {{"width", ParamValue(c.width)}});
        EXPECT_EQ(count_messages(SEV_ERROR, c.message), 1);
        EXPECT_EQ(pending_messages().size(), 3u);  // one per width
        design.Connect("add", {"dataa", "datab", "cin"}, {"dataout", "cout"});
        design.Set("add.dataa", 1);
        design.Set("add.datab", 1);
        design.Set("add.cin", 0);
        design.Run(1);
        EXPECT_EQ(design.Get("add.dataout"), 0u);
        EXPECT_EQ(design.Get("add.cout"), 1u);
    }
}

TEST(PrimitiveConventions, UnknownPortNamesAreReportedWithTheTypeName)
{
    TestDesign design;
    design.Add<Sim::Node_SignMod>("mod");
    Sim::Port_Base* port = design.manager.FindNode("mod")->FindPort("remainder");
    EXPECT_TRUE(port->Value().is_undefined());
    EXPECT_EQ(count_messages(SEV_ERROR,
                             "Referenced non-existent port name 'remainder' on 'SIGN MOD'node 'mod'. "
                             "Unable to connect models (using X instead)."),
              1);
}
