// Tests of the netlist database model: creation, collisions, ports in name order, slices with
// their fanout, inversion and overlap rules, clocks and parameters.
#include "netlistdb/netlist_db.h"

#include <gtest/gtest.h>

#include "base/messages.h"

namespace {

// The texts of the pending messages of one severity, and the store emptied.
std::vector<std::string> TakeMessages(int severity)
{
    std::vector<std::string> texts;
    for (const Message& message : pending_messages())
        if (message.severity == severity)
            texts.push_back(message.text);
    clear_messages();
    return texts;
}

std::vector<std::string> PortNames(const KVC::Node& node)
{
    std::vector<std::string> names;
    node.ForEachPort([&](KVC::Port& port) { names.push_back(port.name); });
    return names;
}

class NetlistDBTest : public ::testing::Test {
protected:
    void SetUp() override { clear_messages(); }
    void TearDown() override { clear_messages(); }
    KVC::NetlistDB db;
};

TEST_F(NetlistDBTest, NewDatabaseHoldsOnlyTheTopNodeWithItsConstantPorts)
{
    EXPECT_EQ(db.NodeCount(), 0);
    EXPECT_EQ(db.ClockCount(), 0);
    int visited = 0;
    db.ForEachNode([&](KVC::Node&) { visited++; });
    EXPECT_EQ(visited, 0);
    ASSERT_NE(db.Top(), nullptr);
    EXPECT_EQ(db.Top()->name, "(top)");
    EXPECT_EQ(db.Top()->clockDomain, -1);
    EXPECT_EQ(db.Top()->operatorCode, 0);
    EXPECT_EQ(PortNames(*db.Top()), (std::vector<std::string>{"(one)", "(zero)"}));
    for (KVC::Port* constant : {db.ZeroPort(), db.OnePort()}) {
        ASSERT_NE(constant, nullptr);
        EXPECT_EQ(constant->Direction(), 1);
        EXPECT_EQ(constant->width, 1);
        EXPECT_EQ(constant->fanout, 0);
        EXPECT_EQ(constant->owner, db.Top());
    }
    EXPECT_EQ(db.FindNode("(top)"), nullptr);
    EXPECT_TRUE(pending_messages().empty());
}

TEST_F(NetlistDBTest, NodeNameCollisionIsReportedOnceAndKeepsTheFirstNode)
{
    KVC::Node* first = db.CreateNode("u1");
    first->operatorCode = 7;
    EXPECT_TRUE(pending_messages().empty());
    KVC::Node* second = db.CreateNode("u1");
    EXPECT_EQ(second, first);
    EXPECT_EQ(second->operatorCode, 7);
    EXPECT_EQ(db.NodeCount(), 1);
    EXPECT_EQ(TakeMessages(SEV_ERROR),
              (std::vector<std::string>{"Namespace collision when creating node. Name:u1"}));
    EXPECT_TRUE(pending_messages().empty());
}

TEST_F(NetlistDBTest, NewNodeStartsEmptyAndIsFoundByName)
{
    KVC::Node* node = db.CreateNode("adder");
    EXPECT_EQ(node->name, "adder");
    EXPECT_EQ(node->owner, &db);
    EXPECT_EQ(node->clockDomain, -1);
    EXPECT_EQ(node->operatorCode, 0);
    EXPECT_EQ(node->PortCount(), 0u);
    EXPECT_EQ(node->ParamCount(), 0u);
    EXPECT_EQ(db.FindNode("adder"), node);
    EXPECT_EQ(db.FindNode("other"), nullptr);
}

TEST_F(NetlistDBTest, NodesAreVisitedInCreationOrderAndListedByName)
{
    for (const char* name : {"u3", "u1", "u2"})
        db.CreateNode(name);
    std::vector<std::string> visited;
    db.ForEachNode([&](KVC::Node& node) { visited.push_back(node.name); });
    EXPECT_EQ(visited, (std::vector<std::string>{"u3", "u1", "u2"}));
    std::vector<std::string> sorted;
    for (const KVC::Node* node : db.NodesByName())
        sorted.push_back(node->name);
    EXPECT_EQ(sorted, (std::vector<std::string>{"u1", "u2", "u3"}));
}

TEST_F(NetlistDBTest, PortsComeInAscendingByteOrderWithTheirDirections)
{
    KVC::Node* node = db.CreateNode("n");
    // Upper case sorts before lower case, and a byte above 127 after both.
    for (const char* name : {"b", "a", "Z", "\xC3\xA9", "a0"})
        node->NewPort(name, 1);
    KVC::Port* input = node->NewPort("c", 0);
    EXPECT_EQ(PortNames(*node), (std::vector<std::string>{"Z", "a", "a0", "b", "c", "\xC3\xA9"}));
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(input->Direction(), 0);
    EXPECT_EQ(input->width, 1);
    EXPECT_EQ(input->AsInput()->reserved, 0);
    EXPECT_EQ(node->FindPort("a")->Direction(), 1);
    EXPECT_EQ(node->FindPort("a")->AsInput(), nullptr);
    EXPECT_EQ(node->FindInput("c"), input);
    EXPECT_EQ(node->FindInput("a"), nullptr);
    EXPECT_EQ(node->FindPort("missing"), nullptr);
}

TEST_F(NetlistDBTest, DuplicatePortIsReportedAndTheExistingPortReturned)
{
    KVC::Node* node = db.CreateNode("u7");
    KVC::Port* input = node->NewPort("a", 0);
    KVC::Port* again = node->NewPort("a", 1);
    EXPECT_EQ(again, input);
    EXPECT_EQ(again->Direction(), 0);
    EXPECT_EQ(node->PortCount(), 1u);
    EXPECT_EQ(TakeMessages(SEV_ERROR),
              (std::vector<std::string>{
                  "Encountered duplicate port name 'a' on node 'u7'. Ports require unique names."}));
}

TEST_F(NetlistDBTest, BadDirectionCodeCreatesNoPort)
{
    KVC::Node* node = db.CreateNode("u");
    for (int code : {2, -1}) {
        EXPECT_EQ(node->NewPort("p", code), nullptr);
        EXPECT_EQ(TakeMessages(SEV_INTERNAL),
                  (std::vector<std::string>{"Unrecognized Port direction code in NewPort."}));
    }
    EXPECT_EQ(node->PortCount(), 0u);
}

TEST_F(NetlistDBTest, DesignPortsLiveOnTheTopNode)
{
    KVC::Port* in = db.AddDesignInput("din");
    KVC::Port* out = db.AddDesignOutput("dout");
    EXPECT_EQ(in->Direction(), 1);
    EXPECT_EQ(out->Direction(), 0);
    EXPECT_EQ(in->owner, db.Top());
    EXPECT_EQ(db.FindDesignPort("din"), in);
    EXPECT_EQ(db.FindDesignPort("dout"), out);
    EXPECT_EQ(db.FindDesignPort("(zero)"), db.ZeroPort());
    EXPECT_EQ(db.FindDesignPort("nothing"), nullptr);
    EXPECT_EQ(PortNames(*db.Top()), (std::vector<std::string>{"(one)", "(zero)", "din", "dout"}));
}

TEST_F(NetlistDBTest, SliceCreationCountsFanoutOnItsSource)
{
    KVC::Port* a = db.AddDesignInput("a");
    a->width = 8;
    KVC::Input* d = db.CreateNode("u")->NewPort("d", 0)->AsInput();
    d->width = 8;
    KVC::Slice* low = d->NewSlice(0, 4, a, 4);
    KVC::Slice* high = d->NewSlice(4, 4, a, 0);
    ASSERT_NE(low, nullptr);
    EXPECT_EQ(a->fanout, 2);
    EXPECT_EQ(low->owner, d);
    EXPECT_EQ(low->source, a);
    EXPECT_EQ(low->srcLow, 4);
    EXPECT_EQ(low->dstLow, 0);
    EXPECT_EQ(low->width, 4);
    EXPECT_FALSE(low->inverted);
    std::vector<KVC::Slice*> order;
    d->ForEachSlice([&](KVC::Slice& slice) { order.push_back(&slice); });
    EXPECT_EQ(order, (std::vector<KVC::Slice*>{low, high}));
    EXPECT_TRUE(pending_messages().empty());
}

TEST_F(NetlistDBTest, NullSourceGivesNoSlice)
{
    KVC::Input* d = db.CreateNode("u")->NewPort("d", 0)->AsInput();
    EXPECT_EQ(d->NewSlice(0, 1, nullptr, 0), nullptr);
    EXPECT_EQ(d->SliceCount(), 0u);
    EXPECT_EQ(TakeMessages(SEV_INTERNAL),
              (std::vector<std::string>{"Passed a null ptr into Input::NewSlice."}));
}

TEST_F(NetlistDBTest, OnesWiderThan32BitsBecomeInvertedZeros)
{
    KVC::Input* d = db.CreateNode("u")->NewPort("d", 0)->AsInput();
    struct Case {
        int width;
        KVC::Port* expected_source;
        bool expected_inverted;
    } cases[] = {{40, db.ZeroPort(), true}, {32, db.OnePort(), false}, {33, db.ZeroPort(), true}};
    int dstLow = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        KVC::Slice* slice = d->NewSlice(dstLow, c.width, db.OnePort(), 0);
        dstLow += c.width;
        EXPECT_EQ(slice->source, c.expected_source);
        EXPECT_EQ(slice->inverted, c.expected_inverted);
    }
    EXPECT_EQ(db.ZeroPort()->fanout, 2);
    EXPECT_EQ(db.OnePort()->fanout, 1);
    // A wide slice of "(zero)" itself stays as it is.
    KVC::Slice* zeros = db.CreateNode("v")->NewPort("d", 0)->AsInput()->NewSlice(0, 40, db.ZeroPort(), 0);
    EXPECT_FALSE(zeros->inverted);
}

TEST_F(NetlistDBTest, OverlappingSlicesAreReportedAndKept)
{
    struct Case {
        const char* what;
        int low1, width1, low2, width2;
        bool overlap;
    } cases[] = {
        {"adjacent [0..3] [4..7]", 0, 4, 4, 4, false},
        {"[0..4] [4..7]", 0, 5, 4, 4, true},
        {"same single bit", 3, 1, 3, 1, true},
        {"second below first", 4, 4, 0, 4, false},
        {"second inside first", 0, 8, 2, 2, true},
        {"huge widths do not overflow", 0x7FFFFFF0, 0x7FFFFFFF, 0, 0x7FFFFFFF, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KVC::NetlistDB local;
        KVC::Port* src = local.AddDesignInput("src");
        KVC::Input* in = local.CreateNode("u")->NewPort("in", 0)->AsInput();
        in->NewSlice(c.low1, c.width1, src, 0);
        in->NewSlice(c.low2, c.width2, src, 0);
        EXPECT_EQ(in->SliceCount(), 2u);
        std::vector<std::string> expected;
        if (c.overlap)
            expected.push_back("Ignored overlapping bit Slice found in Input Port in (link source: src)");
        EXPECT_EQ(TakeMessages(SEV_ERROR), expected);
    }
}

// Thousands of overlapping assignments to one output once flooded the message store with a
// report per pair of slices: now the first overlap on an input is reported and the rest counted.
TEST_F(NetlistDBTest, RepeatedOverlapsAreReportedOnceWithTheirCount)
{
    KVC::Port* src = db.AddDesignInput("src");
    KVC::Input* in = db.CreateNode("u")->NewPort("in", 0)->AsInput();
    KVC::Input* quiet = db.CreateNode("v")->NewPort("in", 0)->AsInput();
    for (int i = 0; i < 3000; ++i)
        in->NewSlice(0, 8, src, 0);
    quiet->NewSlice(0, 4, src, 0);
    quiet->NewSlice(2, 4, src, 0);  // one overlap: its report is the only one
    EXPECT_EQ(in->SliceCount(), 3000u);
    db.ReportRepeatedOverlaps();
    EXPECT_EQ(TakeMessages(SEV_ERROR),
              (std::vector<std::string>{"Ignored overlapping bit Slice found in Input Port in (link source: src)",
                                        "Ignored overlapping bit Slice found in Input Port in (link source: src)",
                                        "Ignored 2998 more overlapping bit Slices in Input Port in of node u"}));
}

// A node of many parameters fills and answers in linear time, replacing in place.
TEST_F(NetlistDBTest, ManyParametersKeepTheirOrderAndTheirLatestValue)
{
    KVC::Node* node = db.CreateNode("big");
    for (int i = 0; i < 50000; ++i)
        node->SetParam(std::string(1, 'p').append(std::to_string(i)), ParamValue(i));
    node->SetParam("p7", ParamValue(-7));
    node->SetParam("p49999", ParamValue(std::string("last")));
    EXPECT_EQ(node->ParamCount(), 50000u);
    ParamValue value;
    ASSERT_TRUE(node->GetParam("p7", value));
    EXPECT_EQ(value.integer(), -7);
    EXPECT_EQ(node->GetParam("p49999")->value.text(), "last");
    EXPECT_EQ(node->GetParam("p12345")->value.integer(), 12345);
    EXPECT_EQ(node->GetParam("p50000"), nullptr);
}

TEST_F(NetlistDBTest, SliceAtFindsTheFirstCoveringSlice)
{
    KVC::Port* src = db.AddDesignInput("s");
    KVC::Input* in = db.CreateNode("u")->NewPort("in", 0)->AsInput();
    KVC::Slice* low = in->NewSlice(0, 4, src, 0);
    KVC::Slice* high = in->NewSlice(4, 4, src, 0);
    EXPECT_EQ(in->SliceAt(0), low);
    EXPECT_EQ(in->SliceAt(3), low);
    EXPECT_EQ(in->SliceAt(5), high);
    EXPECT_EQ(in->SliceAt(8), nullptr);
    EXPECT_EQ(in->SliceAt(-1), nullptr);
    // With an overlap the earlier slice wins.
    KVC::Slice* overlapping = in->NewSlice(2, 4, src, 0);
    clear_messages();
    EXPECT_EQ(in->SliceAt(2), low);
    EXPECT_EQ(in->SliceAt(4), high);
    EXPECT_NE(overlapping, nullptr);
}

TEST_F(NetlistDBTest, ClocksAreNumberedFromOneAndDuplicatesWarned)
{
    EXPECT_EQ(db.AddClock("clk"), 1);
    EXPECT_EQ(db.AddClock("clk2"), 2);
    EXPECT_TRUE(pending_messages().empty());
    EXPECT_EQ(db.AddClock("clk"), 1);
    EXPECT_EQ(
        TakeMessages(SEV_WARNING),
        (std::vector<std::string>{"Attemped to create clocks with duplicate names. Proceeding, assuming the "
                                  "clocks ARE IDENTICAL."}));
    EXPECT_EQ(db.ClockCount(), 2);
    EXPECT_EQ(db.ClockNumber("clk2"), 2);
    EXPECT_EQ(db.ClockNumber("none"), 0);
    std::vector<std::pair<std::string, int>> listed;
    db.ForEachClock([&](const std::string& name, int number) { listed.emplace_back(name, number); });
    EXPECT_EQ(listed, (std::vector<std::pair<std::string, int>>{{"clk", 1}, {"clk2", 2}}));
}

TEST_F(NetlistDBTest, ParametersAreReplacedAndReadBack)
{
    KVC::Node* node = db.CreateNode("u");
    node->SetParam("lpm_width", ParamValue(4));
    KVC::Param* second = node->SetParam("lpm_width", ParamValue(8));
    node->SetParam("lpm_type", ParamValue(std::string("LPM_ADD_SUB")));
    EXPECT_EQ(node->ParamCount(), 2u);
    EXPECT_EQ(node->GetParam("lpm_width"), second);
    EXPECT_EQ(second->owner, node);
    ParamValue value;
    ASSERT_TRUE(node->GetParam("lpm_width", value));
    EXPECT_EQ(value.integer(), 8);
    EXPECT_FALSE(node->GetParam("missing", value));
    EXPECT_EQ(value.integer(), 8);  // untouched when missing
    EXPECT_EQ(node->GetParam("missing"), nullptr);
    std::vector<std::string> names;
    node->ForEachParam([&](const KVC::Param& param) { names.push_back(param.name); });
    EXPECT_EQ(names, (std::vector<std::string>{"lpm_type", "lpm_width"}));
}

TEST_F(NetlistDBTest, ParamValueTextForm)
{
    EXPECT_EQ(ParamValue(-12).text_form(), "-12");
    ParamValue both(7);
    both = ParamValue(std::string("abc"));
    EXPECT_EQ(both.text_form(), "abc");
}

TEST_F(NetlistDBTest, TopParametersAreTexts)
{
    db.SetTopParam("dll_path", "/models");
    EXPECT_EQ(db.GetTopParamText("dll_path"), "/models");
    EXPECT_EQ(db.GetTopParamText("top_level_name"), "");
    db.Top()->SetParam("number", ParamValue(-3));
    EXPECT_EQ(db.GetTopParamText("number"), "-3");
}

TEST_F(NetlistDBTest, ClearReturnsToANewDatabase)
{
    KVC::Node* node = db.CreateNode("u");
    node->NewPort("d", 0)->AsInput()->NewSlice(0, 1, db.OnePort(), 0);
    db.AddDesignInput("a");
    db.AddClock("clk");
    db.SetTopParam("dll_path", "x");
    db.Clear();
    EXPECT_EQ(db.NodeCount(), 0);
    EXPECT_EQ(db.FindNode("u"), nullptr);
    EXPECT_EQ(db.ClockCount(), 0);
    EXPECT_EQ(db.ClockNumber("clk"), 0);
    EXPECT_EQ(PortNames(*db.Top()), (std::vector<std::string>{"(one)", "(zero)"}));
    EXPECT_EQ(db.OnePort()->fanout, 0);
    EXPECT_EQ(db.GetTopParamText("dll_path"), "");
    EXPECT_EQ(db.AddClock("clk"), 1);
    db.CreateNode("u");
    EXPECT_TRUE(pending_messages().empty());
}

}  // namespace
