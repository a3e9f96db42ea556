// Ports: default sources, change reporting, the integer twins, registered outputs,
// inversion, misuse reports and the guard against widths below one bit.
#include <gtest/gtest.h>

#include "engine/constant_node.h"
#include "engine/input_value.h"
#include "engine/link.h"
#include "engine/output_word.h"
#include "test_nodes.h"

namespace Sim::testing {
namespace {

class PortTest : public EngineTest {
protected:
    Manager manager{"ports"};
    Node_TestNot* node = manager.NewNode<Node_TestNot>("node", AnyWidth(8));

    Port_Base* Output(const std::string& name, int width)
    {
        return node->AddPort(node->CreateOutputPort(name, width));
    }
    Port_Base* Input(const std::string& name, int width, int kind = 0)
    {
        return node->AddPort(node->CreateInputPort(name, width, kind));
    }
};

TEST_F(PortTest, UnlinkedInputsReadTheirDefaultConstant)
{
    struct Case {
        int kind;
        int width;
        uint32_t word0;
        uint32_t word1;
        bool undefined;
    };
    const Case cases[] = {
        // "(one)" reads all ones at every width, not a 32-bit constant zero-extended.
        {1, 8, 0, 0, false},  {2, 8, 0xFF, 0, false},        {2, 40, 0xFFFFFFFF, 0xFF, false},
        {2, 64, 0xFFFFFFFF, 0xFFFFFFFF, false},              {2, 33, 0xFFFFFFFF, 0x1, false},
        {0, 40, 0, 0, true},  {3, 32, 0, 0, true},           {3, 8, 0, 0, false},
        {7, 31, 0, 0, false}, {2, 31, 0x7FFFFFFF, 0, false},
    };
    int index = 0;
    for (const Case& c : cases) {
        Port_Base* in = Input(Numbered("in", index++), c.width, c.kind);
        const MLIB_UINTEGER& value = in->Value();
        SCOPED_TRACE(::testing::Message() << "kind " << c.kind << " width " << c.width);
        EXPECT_EQ(value.width(), c.width);
        EXPECT_EQ(value.is_undefined(), c.undefined);
        if (!c.undefined) {
            EXPECT_EQ(value.word(0), c.word0);
            EXPECT_EQ(value.word(1), c.word1);
            EXPECT_EQ(in->ValueInt(), c.word0);
            EXPECT_EQ(in->IsZero(), c.word0 == 0);
        }
    }
}

TEST_F(PortTest, FactoriesPickTheIntegerTwinBelow32Bits)
{
    EXPECT_NE(dynamic_cast<Port_In_Int*>(Input("i31", 31)), nullptr);
    EXPECT_EQ(dynamic_cast<Port_In_Int*>(Input("i32", 32)), nullptr);
    EXPECT_NE(dynamic_cast<Port_Out_Con_Int*>(Output("o31", 31)), nullptr);
    EXPECT_EQ(dynamic_cast<Port_Out_Con_Int*>(Output("o32", 32)), nullptr);
    auto* reg31 = node->AddPort(node->CreateRegisteredOutputPort("r31", 31));
    auto* reg32 = node->AddPort(node->CreateRegisteredOutputPort("r32", 32));
    EXPECT_NE(dynamic_cast<Port_Out_Reg_Int*>(reg31), nullptr);
    EXPECT_EQ(dynamic_cast<Port_Out_Reg_Int*>(reg32), nullptr);
    EXPECT_NE(dynamic_cast<Port_Out_Reg*>(reg32), nullptr);
}

TEST_F(PortTest, WidthBelowOneBitBecomesOneBitWithAWarning)
{
    for (int width : {0, -5, INT32_MIN}) {
        clear_messages();
        Port_Base* out = Output(Numbered("w", width), width);
        Port_Base* in = Input(Numbered("v", width), width);
        EXPECT_EQ(out->Width(), 1);
        EXPECT_EQ(in->Width(), 1);
        EXPECT_TRUE(out->SetInt(3));
        EXPECT_EQ(out->ValueInt(), 1u);
        EXPECT_EQ(out->Value().width(), 1);
        in->SetSource(out);
        EXPECT_EQ(in->ValueInt(), 1u);
        EXPECT_EQ(CountMessages(SEV_WARNING, "a width of 1 is used instead"), 2);
    }
}

TEST_F(PortTest, NarrowWriteReportsChangeBeforeMasking)
{
    Port_Base* out = Output("out", 8);
    EXPECT_TRUE(out->SetInt(0xFF));
    EXPECT_FALSE(out->SetInt(0xFF));
    EXPECT_TRUE(out->SetInt(0x1FF));
    EXPECT_EQ(out->ValueInt(), 0xFFu);
    EXPECT_TRUE(out->Set(MLIB_UINTEGER(0x12, 8)));
    EXPECT_EQ(out->Value().to_uint(), 0x12u);
}

// Narrow outputs of adopted nodes keep their words in the manager's blocks, one after the
// other in creation order, and everything that reads or writes them follows.
TEST_F(PortTest, NarrowOutputsOfAdoptedNodesShareDenseWords)
{
    auto* first = manager.NewNode<Node_TestNot>("first", AnyWidth(8));
    auto* second = manager.NewNode<Node_TestNot>("second", AnyWidth(8));
    auto* reg = manager.NewNode<Node_TestRegister>("reg", AnyWidth(8));
    EXPECT_EQ(second->y->ValueWord(), first->y->ValueWord() + 1);
    EXPECT_EQ(reg->q->ValueWord(), second->y->ValueWord() + 1);

    ASSERT_TRUE(Link(manager, "first", "y", "second", "a", false));
    manager.Run(0);  // first.a reads "(unused)" = 0: first.y = 0xFF, second.y = 0x00
    EXPECT_EQ(first->y->ValueInt(), 0xFFu);
    EXPECT_EQ(second->a->ValueInt(), 0xFFu);
    EXPECT_EQ(second->y->Value().to_uint(), 0u);
    EXPECT_FALSE(reg->q->SetInt(0x5A));  // registered: the write waits for the clock
    EXPECT_TRUE(reg->q->Clock());
    EXPECT_EQ(*reg->q->ValueWord(), 0x5Au);
    EXPECT_FALSE(reg->q->IsZero());
}

// OutputWord writes exactly as SetInt does, straight into the word when the port has one.
TEST_F(PortTest, OutputWordWritesLikeSetInt)
{
    Port_Base* direct = Output("direct", 8);
    Port_Base* wide = Output("wide", 40);
    auto* reg = manager.NewNode<Node_TestRegister>("reg", AnyWidth(8));
    for (Port_Base* port : {direct, wide, reg->q}) {
        SCOPED_TRACE(port->Name());
        OutputWord out;
        out.Attach(port);
        EXPECT_EQ(out.Write(0xFF), port != reg->q);
        EXPECT_FALSE(out.Write(0xFF));
        EXPECT_EQ(out.Write(0x1FF), port != reg->q);  // judged before masking, as SetInt
        if (port == reg->q)
            reg->q->Clock();
        EXPECT_EQ(port->ValueInt(), port == wide ? 0x1FFu : 0xFFu);
    }
    EXPECT_NE(direct->DirectWord(), nullptr);
    EXPECT_EQ(wide->DirectWord(), nullptr);
    EXPECT_EQ(reg->q->DirectWord(), nullptr);
}

// InputValue reads the source's value object itself only while Value() would return it
// (same width, no inversion), and follows relinking and inversion through FollowPorts.
TEST_F(PortTest, InputValueReadsTheSourceObjectOnlyWhenValueWould)
{
    Port_Base* wide = Output("wide", 40);
    Port_Base* wider = Output("wider", 48);
    Port_Base* in = Input("in", 40);
    in->SetSource(wide);
    wide->Set(MLIB_UINTEGER(0x12345, 40));
    InputValue read;
    read.Follow(in);
    EXPECT_EQ(&read.Read(), &wide->Value());  // the object itself, no copy
    wide->Set(MLIB_UINTEGER(0x777, 40));
    EXPECT_EQ(read.Read(), MLIB_UINTEGER(0x777, 40));

    in->SetSource(wider);  // other width: the input's own resized copy
    wider->Set(MLIB_UINTEGER(0xABCDEF, 48));
    read.Follow(in);
    EXPECT_NE(&read.Read(), &wider->Value());
    EXPECT_EQ(read.Read(), in->Value());

    in->SetSource(wide);
    dynamic_cast<Port_In*>(in)->SetInversion(nullptr);  // inverted: computed by Value()
    read.Follow(in);
    EXPECT_EQ(read.Read(), ~MLIB_UINTEGER(0x777, 40));
    EXPECT_EQ(Output("narrow", 8)->ValueObject(), nullptr);  // refreshed only by Value()
}

TEST_F(PortTest, NarrowPortsDropUndefinedState)
{
    Port_Base* out = Output("out", 16);
    MLIB_UINTEGER undefined(0x1234, 16);
    undefined.set_undefined();
    out->Set(undefined);
    EXPECT_FALSE(out->Value().is_undefined());
    EXPECT_EQ(out->Value().to_uint(), 0x1234u);
}

TEST_F(PortTest, WideWriteComparesMaskAndFlags)
{
    Port_Base* out = Output("out", 40);
    MLIB_UINTEGER value(5, 40);
    EXPECT_TRUE(out->Set(value));
    EXPECT_FALSE(out->Set(value));
    MLIB_UINTEGER undefined = value;
    undefined.set_undefined();
    EXPECT_TRUE(out->Set(undefined));
    EXPECT_TRUE(out->Value().is_undefined());
    EXPECT_TRUE(out->SetInt(7));
    EXPECT_EQ(out->Value(), MLIB_UINTEGER(7, 40));
}

TEST_F(PortTest, RegisteredOutputsShowTheirValueOnlyAfterTheClock)
{
    for (int width : {8, 40}) {
        SCOPED_TRACE(width);
        auto* reg = manager.NewNode<Node_TestRegister>(Numbered("reg", width), AnyWidth(width));
        // Init gave the port one reset and one clock: wide starts undefined, narrow at 0.
        EXPECT_EQ(reg->q->Value().is_undefined(), width >= 32);
        if (width < 32) {
            EXPECT_EQ(reg->q->ValueInt(), 0u);
        }
        EXPECT_FALSE(reg->q->SetInt(9));
        EXPECT_NE(reg->q->ValueInt(), 9u);
        EXPECT_TRUE(reg->q->Clock());
        EXPECT_EQ(reg->q->ValueInt(), 9u);
        EXPECT_FALSE(reg->q->Clock());
        reg->q->Set(MLIB_UINTEGER(0x3FF, 10));
        EXPECT_TRUE(reg->q->Clock());
        EXPECT_EQ(reg->q->ValueInt(), width < 32 ? 0xFFu : 0x3FFu);
    }
}

TEST_F(PortTest, InversionFlipsTheChosenBits)
{
    Port_Base* narrow_out = Output("n_out", 8);
    Port_Base* wide_out = Output("w_out", 40);
    narrow_out->SetInt(0x0F);
    wide_out->SetInt(0x0F);

    auto* narrow_in = dynamic_cast<Port_In*>(Input("n_in", 8));
    narrow_in->SetSource(narrow_out);
    narrow_in->SetInversion(nullptr);
    EXPECT_EQ(narrow_in->ValueInt(), 0xF0u);
    EXPECT_EQ(narrow_in->Value().to_uint(), 0xF0u);
    MLIB_UINTEGER low_bits(0x3, 8);
    narrow_in->SetInversion(&low_bits);
    EXPECT_EQ(narrow_in->ValueInt(), 0x0Cu);

    auto* wide_in = dynamic_cast<Port_In*>(Input("w_in", 40));
    wide_in->SetSource(wide_out);
    wide_in->SetInversion(nullptr);
    EXPECT_EQ(wide_in->Value().word(0), 0xFFFFFFF0u);
    EXPECT_EQ(wide_in->Value().word(1), 0xFFu);
    EXPECT_EQ(wide_in->ValueInt(), 0xFFFFFFF0u);
    EXPECT_FALSE(wide_in->IsZero());

    MLIB_UINTEGER undefined(0, 40);
    undefined.set_undefined();
    wide_out->Set(undefined);
    wide_in->SetInversion(&low_bits);
    EXPECT_TRUE(wide_in->Value().is_undefined());
}

TEST_F(PortTest, InputsFollowTheirSourceAcrossWidths)
{
    Port_Base* wide_out = Output("w_out", 40);
    MLIB_UINTEGER value(0xABCDEF12, 40);
    value.set_word(1, 0x34);
    wide_out->Set(value);
    Port_Base* narrow_in = Input("n_in", 12);
    narrow_in->SetSource(wide_out);
    EXPECT_EQ(narrow_in->ValueInt(), 0xF12u);
    Port_Base* wider_in = Input("w_in", 64);
    wider_in->SetSource(wide_out);
    EXPECT_EQ(wider_in->Value().word(1), 0x34u);
    EXPECT_EQ(wider_in->Value().width(), 64);
}

TEST_F(PortTest, LowWordReadsFollowEverySourceKindAndRelinking)
{
    // Readers take the low word straight from their source when it has one in memory; every
    // kind of source and every order of linking and inverting must give the same word.
    Port_Base* huge_out = Output("h_out", 100);  // stored on the heap: read through a call
    MLIB_UINTEGER huge(0x12345678, 100);
    huge.set_word(2, 7);
    huge_out->Set(huge);
    auto* reg_out = dynamic_cast<Port_Out_Reg*>(node->AddPort(node->CreateRegisteredOutputPort("r_out", 48)));
    reg_out->SetInt(0xCAFE);

    auto* narrow_in = dynamic_cast<Port_In*>(Input("n_in", 16));
    narrow_in->SetInversion(nullptr);  // before linking, as the linker does
    narrow_in->SetSource(huge_out);
    EXPECT_EQ(narrow_in->ValueInt(), 0xA987u);
    narrow_in->SetSource(reg_out);
    EXPECT_EQ(narrow_in->ValueInt(), 0xFFFFu);  // the register shows its value after the clock
    reg_out->Clock();
    EXPECT_EQ(narrow_in->ValueInt(), 0x3501u);

    auto* wide_in = dynamic_cast<Port_In*>(Input("w_in", 100));
    wide_in->SetSource(huge_out);
    EXPECT_EQ(wide_in->ValueInt(), 0x12345678u);
    EXPECT_EQ(wide_in->Value().word(2), 7u);
    huge_out->SetInt(0);
    EXPECT_TRUE(wide_in->IsZero());
    wide_in->SetInversion(nullptr);
    EXPECT_EQ(wide_in->ValueInt(), 0xFFFFFFFFu);
    EXPECT_FALSE(wide_in->IsZero());

    // A wide input leaving its default constant for a narrow output.
    Port_Base* unlinked = Input("u_in", 80, 2);
    EXPECT_EQ(unlinked->ValueInt(), 0xFFFFFFFFu);
    EXPECT_EQ(unlinked->Value().word(2), 0xFFFFu);
    Port_Base* narrow_out = Output("n_out", 8);
    narrow_out->SetInt(0x5A);
    unlinked->SetSource(narrow_out);
    EXPECT_EQ(unlinked->ValueInt(), 0x5Au);
    EXPECT_EQ(unlinked->Value().width(), 80);
}

TEST_F(PortTest, MisuseIsReportedAndChangesNothing)
{
    Port_Base* out = Output("out", 8);
    Port_Base* other_out = Output("other", 8);
    Port_Base* in = Input("in", 8);
    Port_Base* second_in = Input("in2", 8);
    out->SetInt(0x55);
    in->SetSource(out);

    in->SetSource(second_in);
    EXPECT_TRUE(HasMessage(SEV_INTERNAL, "Tried to make an input port read from another input port"));
    EXPECT_EQ(in->ValueInt(), 0x55u);

    out->SetSource(other_out);
    EXPECT_TRUE(HasMessage(SEV_INTERNAL, "Cannot assign port dependancies to OUTPUT ports"));

    EXPECT_FALSE(in->SetInt(1));
    EXPECT_FALSE(in->Set(MLIB_UINTEGER(1, 8)));
    EXPECT_EQ(CountMessages(SEV_INTERNAL, "Cannot assign values to INPUT ports."), 2);
    EXPECT_EQ(in->ValueInt(), 0x55u);
}

TEST_F(PortTest, ConstantPortsIgnoreWritesAndConnections)
{
    Port_Base* one = Node_Constant_Sngl::Instance().ConstantPort(2);
    Port_Base* out = Output("out", 8);
    EXPECT_TRUE(one->IsInput());
    EXPECT_TRUE(one->IsOutput());
    EXPECT_FALSE(one->SetInt(0));
    EXPECT_FALSE(one->Set(MLIB_UINTEGER(0, 32)));
    one->SetSource(out);
    EXPECT_EQ(one->ValueInt(), 0xFFFFFFFFu);
    EXPECT_TRUE(pending_messages().empty());
}

}  // namespace
}  // namespace Sim::testing
