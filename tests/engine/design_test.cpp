// Hand-built designs end to end: perimeter inputs through adapters and downshifters to
// perimeter outputs, the linker and its reports, and the undefined-output reports.
#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "engine/adapter.h"
#include "engine/constant_node.h"
#include "engine/link.h"
#include "engine/perimeter.h"
#include "test_nodes.h"

namespace Sim::testing {
namespace {

class DesignTest : public EngineTest {
protected:
    Manager manager{"design"};

    Node_Perimeter_In* Input(const std::string& name, int width)
    {
        return manager.NewNode<Node_Perimeter_In>(name, AnyWidth(width));
    }
    Node_Perimeter_Out* Output(const std::string& name, int width)
    {
        return manager.NewNode<Node_Perimeter_Out>(name, AnyWidth(width));
    }
    static MLIB_UINTEGER Undefined(int width)
    {
        MLIB_UINTEGER value(0, width);
        value.set_undefined();
        return value;
    }
};

TEST_F(DesignTest, InputsReachOutputsThroughAdapterAndDownshifter)
{
    auto* low = Input("low", 16);
    auto* high = Input("high", 16);
    auto* wide = Input("wide", 48);
    auto* assembled = Output("assembled", 24);
    auto* shifted = Output("shifted", 48);

    // assembled = high[15:0] : low[11:4]
    auto* adapter = manager.NewNode<Node_Adapter>("Adapter(assembled)");
    adapter->SetSize(2, 24);
    adapter->DefineInput(4, 0, 8, low->PerimeterPort(), false);
    adapter->DefineInput(0, 8, 16, manager.FindNode("(top)")->FindPort("high"), false);
    ASSERT_TRUE(Link(manager, "Adapter(assembled)", "out", "(top)", "assembled", false));
    EXPECT_FALSE(adapter->IsWide());

    // shifted = wide >> 12
    auto* shifter = manager.NewNode<Node_Downshifter>("Downshift(wide:12)", AnyWidth(48));
    shifter->SetShift(12);
    ASSERT_TRUE(Link(manager, "wide", "(perimeter io)", "Downshift(wide:12)", "from", false));
    ASSERT_TRUE(Link(manager, "Downshift(wide:12)", "to", "shifted", "(perimeter io)", false));

    low->SetInput(MLIB_UINTEGER(0xABCD, 16));
    high->SetInput(MLIB_UINTEGER(0x1234, 16));
    wide->SetInput(0x89ABCDEF, 0x4567);
    manager.Run(1);
    EXPECT_EQ(assembled->ReadUInt64(), 0x1234BCu);
    EXPECT_EQ(shifted->ReadUInt64(), 0x456789ABCull);
    EXPECT_TRUE(pending_messages().empty());

    high->SetInput(MLIB_UINTEGER(0xFFFF, 16));
    manager.Run(1);
    EXPECT_EQ(assembled->ReadUInt64(), 0xFFFFBCu);
    MLIB_UINTEGER read(0, 48);
    shifted->ReadValue(read);
    EXPECT_EQ(read.word(1), 0x4u);
}

TEST_F(DesignTest, AdapterAbove32BitsTakesTheWidePathAndKeepsUndefinedBits)
{
    auto* a = Input("a", 40);
    auto* b = Input("b", 8);
    auto* out = Output("out", 40);
    auto* adapter = manager.NewNode<Node_Adapter>("adapter");
    adapter->SetSize(3, 40);
    adapter->DefineInput(0, 0, 20, a->PerimeterPort(), false);  // narrow slices only
    adapter->DefineInput(0, 20, 8, b->PerimeterPort(), true);
    adapter->DefineInput(0, 0, 31, manager.FindNode("(top)")->FindPort("(zero)"), false);  // skipped
    EXPECT_TRUE(adapter->IsWide());
    EXPECT_NE(adapter->LookupPort("in 001"), nullptr);
    EXPECT_EQ(adapter->LookupPort("in 002"), nullptr);
    ASSERT_TRUE(Link(manager, "adapter", "out", "out", "(perimeter io)", false));

    a->SetInput(0x12345, 0);
    b->SetInput(MLIB_UINTEGER(0x0F, 8));
    manager.Run(1);
    EXPECT_EQ(out->ReadUInt64(), 0xF012345ull);  // b inverted into bits 20..27

    // A wide slice carries undefined bits through.
    auto* c = Input("c", 40);
    auto* out2 = Output("out2", 40);
    auto* wide_adapter = manager.NewNode<Node_Adapter>("wide_adapter");
    wide_adapter->SetSize(1, 40);
    wide_adapter->DefineInput(0, 0, 40, c->PerimeterPort(), false);
    ASSERT_TRUE(Link(manager, "wide_adapter", "out", "out2", "(perimeter io)", false));
    c->SetInput(Undefined(40));
    manager.Run(1);
    EXPECT_EQ(out2->ReadUInt64(), 0u);
    EXPECT_EQ(CountMessages(SEV_WARNING, "Output value on port out2 is undefined at cycle:2"), 1);
}

TEST_F(DesignTest, AdapterSlicesOfConstantsAndInversions)
{
    auto* out = Output("out", 16);
    Node_Base* top = manager.FindNode("(top)");
    auto* adapter = manager.NewNode<Node_Adapter>("adapter");
    adapter->SetSize(4, 16);
    adapter->DefineInput(0, 0, 4, top->FindPort("(one)"), false);    // ones
    adapter->DefineInput(0, 4, 4, top->FindPort("(one)"), true);     // zeros: skipped
    adapter->DefineInput(0, 8, 4, top->FindPort("(zero)"), true);    // ones
    adapter->DefineInput(28, 12, 4, top->FindPort("(one)"), false);  // the top of the 32-bit constant
    ASSERT_TRUE(Link(manager, "adapter", "out", "out", "(perimeter io)", false));
    manager.Run(0);
    EXPECT_EQ(out->ReadUInt64(), 0xFF0Fu);  // the last slice ends above bit 31: the wide path
    EXPECT_TRUE(adapter->IsWide());
}

TEST_F(DesignTest, AdapterMisuseIsReportedAndHarmless)
{
    auto* in = Input("in", 8);
    auto* unsized = manager.NewNode<Node_Adapter>("unsized");
    unsized->DefineInput(0, 0, 8, in->PerimeterPort(), false);
    EXPECT_TRUE(HasMessage(
        SEV_INTERNAL, "Attempted to define a Node_Adapter input before sizing. Action could not complete."));
    EXPECT_FALSE(unsized->Evaluate());
    EXPECT_TRUE(HasMessage(SEV_INTERNAL, "Attempted to use Node_Adapter before size and inputs set."));

    auto* adapter = manager.NewNode<Node_Adapter>("adapter");
    adapter->SetSize(1, 8);
    adapter->DefineInput(0, 0, 4, in->PerimeterPort(), false);
    adapter->DefineInput(4, 4, 4, in->PerimeterPort(), false);
    EXPECT_EQ(CountMessages(SEV_INTERNAL, "was given more inputs than its size"), 1);
    auto* other = manager.NewNode<Node_Adapter>("other");
    other->SetSize(4, 8);
    other->DefineInput(-1, 0, 4, in->PerimeterPort(), false);
    other->DefineInput(0, -3, 4, in->PerimeterPort(), false);
    other->DefineInput(0, 0, 0, in->PerimeterPort(), false);
    other->DefineInput(INT32_MAX - 2, 0, 4, in->PerimeterPort(), false);
    EXPECT_EQ(CountMessages(SEV_INTERNAL, "negative position or no bits"), 4);
    in->SetInput(MLIB_UINTEGER(0xA5, 8));
    manager.Run(1);
    EXPECT_EQ(adapter->LookupPort("out")->ValueInt(), 0x5u);
    EXPECT_EQ(other->LookupPort("out")->ValueInt(), 0u);
}

TEST_F(DesignTest, DownshifterDropsLowBitsAtAnyShift)
{
    struct Case {
        int width;
        int shift;
        uint32_t low;
        uint32_t high;
        uint64_t expected;
    };
    const Case cases[] = {{8, 3, 0xF8, 0, 0x1F},   {8, 8, 0xFF, 0, 0},
                          {8, 40, 0xFF, 0, 0},     {40, 4, 0x12345678, 0x9A, 0x9A1234567},
                          {40, 32, 0, 0xFF, 0xFF}, {40, 70000, 1, 1, 0}};
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(index);
        std::string in_name = Numbered("in", index), shifter = Numbered("shift", index);
        std::string out_name = Numbered("out", index++);
        auto* in = Input(in_name, c.width);
        auto* out = Output(out_name, c.width);
        auto* node = manager.NewNode<Node_Downshifter>(shifter, AnyWidth(c.width));
        node->SetShift(c.shift);
        ASSERT_TRUE(Link(manager, in_name, "(perimeter io)", shifter, "from", false));
        ASSERT_TRUE(Link(manager, shifter, "to", out_name, "(perimeter io)", false));
        in->SetInput(c.low, c.high);
        manager.Run(1);
        EXPECT_EQ(out->ReadUInt64(), c.expected);
    }
}

TEST_F(DesignTest, SetInputFromTwoWordsCutsToTheWidth)
{
    struct Case {
        int width;
        uint32_t low;
        uint32_t high;
        uint32_t word0;
        uint32_t word1;
    };
    const Case cases[] = {{40, 1, 0x1FF, 1, 0xFF},
                          {16, 0x12345, 7, 0x2345, 0},
                          {64, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF},
                          {96, 2, 3, 2, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        auto* in = Input(Numbered("in", c.width), c.width);
        in->SetInput(Undefined(c.width));
        in->SetInput(c.low, c.high);
        EXPECT_FALSE(in->IsSettled());
        manager.Run(0);
        EXPECT_TRUE(in->IsSettled());
        const MLIB_UINTEGER& value = in->PerimeterPort()->Value();
        EXPECT_FALSE(value.is_undefined());
        EXPECT_EQ(value.word(0), c.word0);
        EXPECT_EQ(value.word(1), c.word1);
        EXPECT_EQ(value.word(2), 0u);
        in->SetInput(c.low + 1, c.high);
        EXPECT_FALSE(in->IsSettled());
        in->SetInput(c.low, c.high);  // back to what the port shows: nothing to pass on
        EXPECT_TRUE(in->IsSettled());
        EXPECT_EQ(manager.Run(0), 0);
    }
}

TEST_F(DesignTest, UndefinedOutputIsReportedWhenItStartsAndWhenItEnds)
{
    auto* in = Input("in", 40);
    auto* out = Output("out", 40);
    ASSERT_TRUE(Link(manager, "in", "(perimeter io)", "out", "(perimeter io)", false));
    for (int cycle = 1; cycle <= 5; ++cycle) {
        manager.Run(1);
        EXPECT_EQ(out->ReadUInt64(), 0u);
    }
    in->SetInput(5, 0);
    manager.Run(1);
    EXPECT_EQ(out->ReadUInt64(), 5u);
    ASSERT_EQ(pending_messages().size(), 2u);
    EXPECT_EQ(pending_messages()[0].text, "Output value on port out is undefined at cycle:2");
    EXPECT_EQ(pending_messages()[1].text, "Output value on port out is undefined from cycle 2 to cycle 6");
    EXPECT_EQ(pending_messages()[1].severity, SEV_WARNING);
}

TEST_F(DesignTest, UndefinedReadBeforeAnyRunIsNotReported)
{
    auto* out = Output("out", 40);
    EXPECT_EQ(out->ReadUInt64(), 0u);
    MLIB_UINTEGER read(0, 40);
    out->ReadValue(read);
    EXPECT_TRUE(read.is_undefined());
    EXPECT_TRUE(pending_messages().empty());
}

TEST_F(DesignTest, UndefinedReportsStopAfterOneHundred)
{
    auto* in = Input("in", 40);
    auto* out = Output("out", 40);
    ASSERT_TRUE(Link(manager, "in", "(perimeter io)", "out", "(perimeter io)", false));
    MLIB_UINTEGER read(0, 40);
    for (int round = 0; round < 80; ++round) {
        in->SetInput(Undefined(40));
        manager.Run(1);
        out->ReadValue(read);
        EXPECT_TRUE(read.is_undefined());
        in->SetInput(1, 0);
        manager.Run(2);
        out->ReadValue(read);
    }
    EXPECT_EQ(CountMessages(SEV_WARNING, "Output value on port out is undefined"), 100);
    EXPECT_EQ(CountMessages(SEV_WARNING, "No further undefined values will be reported for port out"), 1);
    EXPECT_EQ(pending_messages().size(), 101u);
}

TEST_F(DesignTest, TopResolvesConstantsAndDesignPortsByName)
{
    Input("data", 8);
    auto* out = Output("result", 8);
    auto* inv = manager.NewNode<Node_TestNot>("inv");
    Node_Base* top = manager.FindNode("(top)");
    EXPECT_EQ(top->FindPort("data"), manager.FindNode("data")->LookupPort("(perimeter io)"));
    EXPECT_EQ(top->TypeName(), "PERIM IO");
    ASSERT_TRUE(Link(manager, "(top)", "(one)", "inv", "a", false));
    ASSERT_TRUE(Link(manager, "inv", "y", "(top)", "result", true));
    manager.Run(0);
    EXPECT_EQ(inv->y->ValueInt(), 0u);
    EXPECT_EQ(out->ReadUInt64(), 0xFFu);
}

TEST_F(DesignTest, LinkerReportsMissingNodesAndPortsAndLeavesTheInputAlone)
{
    auto* inv = manager.NewNode<Node_TestNot>("inv");
    manager.NewNode<Node_TestNot>("src");
    Port_Base* original = Node_Base::DriverOf(inv->a) ? dynamic_cast<Port_In*>(inv->a)->Source() : nullptr;

    EXPECT_FALSE(Link(manager, "ghost", "y", "inv", "a", false));
    EXPECT_TRUE(HasMessage(SEV_ERROR, "Linker could not find output node ghost"));
    EXPECT_FALSE(Link(manager, "src", "y", "phantom", "a", false));
    EXPECT_TRUE(HasMessage(SEV_ERROR, "Linker could not find input node phantom"));

    // An unknown port name is reported by the lookup, which answers with "(unused)".
    EXPECT_TRUE(Link(manager, "src", "nope", "inv", "a", false));
    EXPECT_EQ(CountMessages(SEV_ERROR, "Referenced non-existent port name 'nope'"), 1);
    EXPECT_EQ(dynamic_cast<Port_In*>(inv->a)->Source(), original);

    EXPECT_FALSE(Link(manager, "src", "y", "inv", "y", true));
    EXPECT_TRUE(HasMessage(SEV_INTERNAL, "Linker attempting to route data into a NON-INPUT port"));
    EXPECT_TRUE(Link(manager, "src", "y", "inv", "y", false));
    EXPECT_TRUE(HasMessage(SEV_INTERNAL, "Cannot assign port dependancies to OUTPUT ports"));
    EXPECT_EQ(dynamic_cast<Port_In*>(inv->a)->Source(), original);
}

TEST_F(DesignTest, EngineNodesAnswerTheEngineQuestions)
{
    auto* in = Input("in", 8);
    auto* out = Output("out", 8);
    auto* adapter = manager.NewNode<Node_Adapter>("adapter");
    auto* shifter = manager.NewNode<Node_Downshifter>("shifter");
    EXPECT_EQ(in->TypeName(), "PERIM IO");
    EXPECT_EQ(out->TypeName(), "PERIM IO");
    EXPECT_EQ(adapter->TypeName(), "*ADAPTER");
    EXPECT_EQ(shifter->TypeName(), "*DNSHIFT");
    EXPECT_TRUE(out->IsSettled());
    EXPECT_TRUE(adapter->IsSettled());
    EXPECT_TRUE(shifter->IsSettled());
    EXPECT_FALSE(in->IsSettled());                      // holds an undefined value its port does not show yet
    EXPECT_EQ(shifter->LookupPort("to")->Width(), 32);  // no query: 32 bits
    Node_Base& top = Node_Constant_Sngl::Instance();
    EXPECT_TRUE(top.IsSettled());
    EXPECT_FALSE(top.IsDeletable());
    EXPECT_FALSE(top.Evaluate());
}

}  // namespace
}  // namespace Sim::testing

namespace Sim::testing {
namespace {

// The adapter's evaluation as written: every slice read through its input (cut to src_low +
// bits, inversion applied, below 32 bits a defined word), shifted down, widened to the
// output, shifted up and ORed in; slices within bits 0..30 on both sides as 32-bit words.
MLIB_UINTEGER AssembledAsWritten(int width, const std::vector<std::tuple<int, int, int, bool>>& slices,
                                 const std::vector<Port_Base*>& sources)
{
    MLIB_UINTEGER result(0, width);
    for (size_t i = 0; i < slices.size(); ++i) {
        const auto [src_low, dst_low, bits, inverted] = slices[i];
        const int input_width = src_low + bits;
        const MLIB_UINTEGER& source = sources[i]->Value();
        MLIB_UINTEGER read(0, input_width);
        if (input_width < 32) {
            read = (source.word(0) ^ (inverted ? 0xFFFFFFFFu : 0u)) & LowBitsMask(input_width);
        } else {
            read = source;
            if (inverted) {
                MLIB_UINTEGER ones(0, input_width);
                read = read ^ ~ones;
            }
        }
        if (input_width <= 31 && dst_low + bits <= 31) {
            result |= MLIB_UINTEGER(((read.to_uint() >> src_low) & LowBitsMask(bits)) << dst_low, 32);
            continue;
        }
        MLIB_UINTEGER piece = read >> src_low;
        piece.resize(width);
        result |= piece << dst_low;
    }
    return result;
}

// Random adapters over sources of 1 to 130 bits with undefined bits, whole-value flags and
// inversions: what the adapter assembles (its word windows included) is what the written
// evaluation gives.
TEST_F(DesignTest, AdapterAssemblesWhatItsWrittenEvaluationGives)
{
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int design = 0; design < 300; ++design) {
        Manager local("adapters");
        const int width = pick(1, 130);
        const int count = pick(1, 5);
        auto* out = local.NewNode<Node_Perimeter_Out>("out", AnyWidth(width));
        auto* adapter = local.NewNode<Node_Adapter>("adapter");
        adapter->SetSize(count, width);
        std::vector<std::tuple<int, int, int, bool>> slices;
        std::vector<Port_Base*> sources;
        for (int i = 0; i < count; ++i) {
            const int source_width = pick(1, 130);
            auto* source = local.NewNode<Node_Perimeter_In>(std::string(1, 's').append(std::to_string(i)), AnyWidth(source_width));
            MLIB_UINTEGER value(0, source_width);
            for (int word = 0; word < value.words(); ++word) {
                value.set_word(word, static_cast<uint32_t>(random()));
                if (pick(0, 2) == 0)
                    value.set_undef_word(word, static_cast<uint32_t>(random()));
            }
            value.resize(source_width);  // bits above the width cleared
            if (pick(0, 9) == 0)
                value.set_undefined();
            if (pick(0, 9) == 0)
                value.set_high_z();
            source->SetInput(value);
            const int src_low = pick(0, source_width - 1);
            const int bits = pick(1, std::min(40, source_width - src_low + 8));  // some read beyond the source
            const int dst_low = pick(0, width - 1);
            const bool inverted = pick(0, 3) == 0;
            adapter->DefineInput(src_low, dst_low, bits, source->PerimeterPort(), inverted);
            slices.emplace_back(src_low, dst_low, bits, inverted);
            sources.push_back(source->PerimeterPort());
        }
        ASSERT_TRUE(Link(local, "adapter", "out", "out", "(perimeter io)", false));
        local.Run(0);
        const MLIB_UINTEGER expected = AssembledAsWritten(width, slices, sources);
        const MLIB_UINTEGER& got = out->CapturedValue();
        if (width < 32) {  // a narrow output keeps only its word
            ASSERT_EQ(got.to_uint(), expected.to_uint() & LowBitsMask(width)) << "design " << design;
        } else {
            ASSERT_EQ(got, expected) << "design " << design << ": " << got.to_hex() << " against "
                                     << expected.to_hex() << " flags " << got.flags() << "/" << expected.flags();
        }
        clear_messages();
    }
}

}  // namespace
}  // namespace Sim::testing
