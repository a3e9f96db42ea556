// Registers and the latch through the engine: values written before a settle are taken at
// the next clock edge, the asynchronous controls act at once with preset over clear over
// load, the pending flag switches the register's clock edges on and off in the running
// scheduler, and only the asynchronous controls forward reachability.
#include "node_harness.h"
#include "nodes/registers.h"

using namespace node_test;

namespace {

const std::vector<std::string> kRegisterInputs = {"datain", "adata", "preset", "clear",
                                                  "aload",  "ena",   "sclr",   "sload"};

// A register of `width` bits with every input driven (controls 0, enable all ones).
TestDesign* make_register(TestDesign& design, int width)
{
    design.Add<Sim::Node_DFFE>("r", {{"width", ParamValue(width)}});
    design.Connect("r", kRegisterInputs, {"dataout"});
    for (const std::string& port : kRegisterInputs)
        design.Set("r." + port, 0);
    design.Set("r.ena", width >= 64 ? ~uint64_t{0} : (uint64_t{1} << width) - 1);
    return &design;
}

// Settles with the given datain, then gives one clock edge.
void clock_in(TestDesign& design, uint64_t datain)
{
    design.Set("r.datain", datain);
    design.Run(0);
    design.Run(1);
}

}  // namespace

TEST(DFFE, DataSettledBeforeTheEdgeIsTakenAtTheEdgeForEnabledBits)
{
    TestDesign design;
    make_register(design, 4);
    design.Set("r.datain", 0x5);
    design.Run(0);
    EXPECT_EQ(design.Get("r.dataout"), 0x0u);  // nothing before the edge
    design.Run(1);
    EXPECT_EQ(design.Get("r.dataout"), 0x5u);
    clock_in(design, 0xF);
    EXPECT_EQ(design.Get("r.dataout"), 0xFu);
    design.Set("r.ena", 0x3);
    clock_in(design, 0x0);
    EXPECT_EQ(design.Get("r.dataout"), 0xCu);  // only the enabled low bits take the data
    design.Set("r.ena", 0x0);
    clock_in(design, 0x3);
    EXPECT_EQ(design.Get("r.dataout"), 0xCu);
}

TEST(DFFE, WriteBeforeARunWithAClockIsTakenOneEdgeLater)
{
    TestDesign design;
    make_register(design, 8);
    design.Run(0);
    design.Set("r.datain", 0x42);
    design.Run(1);  // the edge comes before the settle that sees 0x42
    EXPECT_EQ(design.Get("r.dataout"), 0x00u);
    design.Run(1);
    EXPECT_EQ(design.Get("r.dataout"), 0x42u);
}

TEST(DFFE, PresetWinsOverClearForTheWholeValueThenClearActs)
{
    TestDesign design;
    make_register(design, 4);
    design.Set("r.preset", 0x1);
    design.Set("r.clear", 0xF);
    design.Run(0);
    EXPECT_EQ(design.Get("r.dataout"), 0x1u);  // at once, without an edge
    design.Set("r.preset", 0x0);
    design.Run(0);
    EXPECT_EQ(design.Get("r.dataout"), 0x0u);
    design.Set("r.clear", 0x0);
    design.Set("r.preset", 0x6);
    design.Run(0);
    EXPECT_EQ(design.Get("r.dataout"), 0x6u);
    design.Set("r.preset", 0x0);
    design.Set("r.clear", 0x2);
    design.Run(0);
    EXPECT_EQ(design.Get("r.dataout"), 0x4u);  // clears only the bits set in "clear"
}

TEST(DFFE, AsynchronousLoadTakesTheWholeValueAndHoldsAgainstTheEdge)
{
    TestDesign design;
    make_register(design, 4);
    design.Set("r.adata", 0xA);
    design.Set("r.aload", 0x1);
    design.Set("r.datain", 0x3);
    design.Run(0);
    EXPECT_EQ(design.Get("r.dataout"), 0xAu);
    design.Run(2);  // the load made the register take adata as the data seen: the edge keeps it
    EXPECT_EQ(design.Get("r.dataout"), 0xAu);
    design.Set("r.aload", 0x0);
    clock_in(design, 0x3);
    EXPECT_EQ(design.Get("r.dataout"), 0x3u);
}

TEST(DFFE, SynchronousClearAndLoadInputsHaveNoEffect)
{
    TestDesign design;
    make_register(design, 4);
    clock_in(design, 0x9);
    design.Set("r.sclr", 0xF);
    design.Set("r.sload", 0xF);
    design.Run(0);
    design.Run(2);
    EXPECT_EQ(design.Get("r.dataout"), 0x9u);
}

TEST(DFFE, PendingFlagSwitchesClockEdgesOnAndOffInTheRunningScheduler)
{
    TestDesign design;
    make_register(design, 8);
    auto* reg = dynamic_cast<Sim::Node_DFFE*>(design.manager.FindNode("r"));
    EXPECT_FALSE(reg->IsSettled());  // created pending: the first cycle clocks it
    design.Run(0);
    EXPECT_TRUE(reg->IsSettled());  // datain equals the stored 0
    // A new scheduler registers the register without clock work ...
    design.Add<Sim::Node_DFFE>("other");
    design.Run(2);
    EXPECT_EQ(design.Get("r.dataout"), 0u);
    // ... so the change of datain must ask the running scheduler for edges again.
    design.Set("r.datain", 0x77);
    design.Run(0);
    EXPECT_FALSE(reg->IsSettled());
    design.Run(1);
    EXPECT_EQ(design.Get("r.dataout"), 0x77u);
    design.Run(0);  // no input changed: the register is not evaluated and stays pending
    EXPECT_FALSE(reg->IsSettled());
    design.Set("r.ena", 0xFE);  // any evaluation recomputes the flag
    design.Run(0);
    EXPECT_TRUE(reg->IsSettled());
}

TEST(DFFE, WideRegisterTakesEveryBitWhenItsEnableIsDriven)
{
    TestDesign design;
    make_register(design, 40);
    clock_in(design, 0xAB12345678);
    EXPECT_EQ(design.Get("r.dataout"), 0xAB12345678u);
    design.Set("r.preset", 0x8000000000);
    design.Run(0);
    EXPECT_EQ(design.Get("r.dataout"), 0xAB12345678u | 0x8000000000u);
    design.Set("r.preset", 0);
    design.Set("r.clear", 0xFF00000001);
    design.Run(0);
    EXPECT_EQ(design.Get("r.dataout"), 0x0012345678u);
}

TEST(DFFE, UndefinedDataIsTakenAsUndefinedBits)
{
    TestDesign design;
    make_register(design, 32);
    design.Run(0);
    MLIB_UINTEGER undefined_data(0, 32);
    undefined_data.set_undefined();
    design.SetValue("r.datain", undefined_data);
    design.Run(0);
    design.Run(1);
    EXPECT_EQ(design.GetValue("r.dataout").to_hex(), "XXXXXXXX");
}

TEST(DFFE, WideRegistersMixUndefinedAndDefinedBitsUnderPartialEnables)
{
    // 48 bits: defined values take a one-word path, values with undefined bits the general
    // one; a register moving between them must keep every bit and mask exact.
    TestDesign design;
    make_register(design, 48);
    clock_in(design, 0x123456789ABC);
    EXPECT_EQ(design.GetValue("r.dataout").to_hex(), "123456789ABC");
    MLIB_UINTEGER partly(0x0000FFFF, 48);
    partly.set_undef_word(1, 0xFF00);  // bits 40-47 undefined
    design.Set("r.ena", 0xFF00FFFF0000);
    design.SetValue("r.datain", partly);
    design.Run(0);
    design.Run(1);
    EXPECT_EQ(design.GetValue("r.dataout").to_hex(), "XX3400009ABC");
    design.Set("r.ena", 0x00FF0000FFFF);
    clock_in(design, 0xFEDCBA987654);
    EXPECT_EQ(design.GetValue("r.dataout").to_hex(), "XXDC00007654");
    design.Set("r.ena", 0xFFFFFFFFFFFF);
    clock_in(design, 0x111111111111);
    EXPECT_EQ(design.GetValue("r.dataout").to_hex(), "111111111111");
}

TEST(DFFE, OnlyAsynchronousControlsForwardReachability)
{
    TestDesign design;
    design.Add<Sim::Node_DFFE>("r", {{"width", ParamValue(4)}});
    design.Connect("r", {"datain", "adata", "ena", "clear", "aload", "preset"}, {"dataout"});
    std::vector<Sim::InputInfo> inventory;
    design.manager.InputInventory(inventory);
    std::map<std::string, bool> reaches;
    for (const Sim::InputInfo& info : inventory)
        reaches[info.name] = info.reaches_output;
    EXPECT_FALSE(reaches.at("r.datain"));
    EXPECT_FALSE(reaches.at("r.adata"));
    EXPECT_FALSE(reaches.at("r.ena"));
    EXPECT_TRUE(reaches.at("r.clear"));
    EXPECT_TRUE(reaches.at("r.aload"));
    EXPECT_TRUE(reaches.at("r.preset"));
}

TEST(DFFE, TraceTextsForNarrowAndWideRegisters)
{
    TestDesign design;
    auto* reg = design.Add<Sim::Node_DFFE>("r", {{"width", ParamValue(4)}});
    design.Connect("r", kRegisterInputs, {"dataout"});
    for (const std::string& port : kRegisterInputs)
        design.Set("r." + port, 0);
    design.Set("r.ena", 0xF);
    design.Set("r.datain", 5);
    design.Run(0);
    EXPECT_EQ(reg->TraceText(), "was 0  (seeing 5  enabled F)  -->  will be 5 ");
    design.Set("r.ena", 0);
    design.Run(0);
    EXPECT_EQ(reg->TraceText(), "Disabled 0 (seeing 5)  -->  holding 0");
    design.Set("r.clear", 1);
    design.Set("r.ena", 1);
    design.Run(0);
    EXPECT_EQ(reg->TraceText(), "Clear to 0");

    auto* wide = design.Add<Sim::Node_DFFE>("w", {{"width", ParamValue(20)}});
    design.Connect("w", {"datain"}, {"dataout"});
    design.Set("w.datain", 0xABCDE);
    design.Run(0);
    EXPECT_EQ(wide->TraceText(), "was 00000 (seeing ABCDE enabled FFFFF)  -->  will be ABCDE");
}

TEST(DFFEBit, EnableControlsTheEdgeAndControlsActAtOnce)
{
    TestDesign design;
    auto* bit = design.Add<Sim::Node_DFFE_Bit>("r");
    design.Connect("r", kRegisterInputs, {"dataout"});
    for (const std::string& port : kRegisterInputs)
        design.Set("r." + port, 0);
    design.Set("r.ena", 1);
    clock_in(design, 1);
    EXPECT_EQ(design.Get("r.dataout"), 1u);
    EXPECT_EQ(bit->TraceText(), "was 1  (seeing 1  enabled 1)  -->  will be 1");
    design.Set("r.ena", 0);
    clock_in(design, 0);
    EXPECT_EQ(design.Get("r.dataout"), 1u);  // disabled: the edge keeps the bit
    EXPECT_EQ(bit->TraceText(), "Disabled 0 (seeing 0)  -->  holding 1");
    design.Set("r.clear", 1);
    design.Set("r.preset", 1);
    design.Run(0);
    EXPECT_EQ(design.Get("r.dataout"), 1u);  // preset wins
    design.Set("r.preset", 0);
    design.Run(0);
    EXPECT_EQ(design.Get("r.dataout"), 0u);
    design.Set("r.clear", 0);
    design.Set("r.adata", 1);
    design.Set("r.aload", 1);
    design.Run(0);
    EXPECT_EQ(design.Get("r.dataout"), 1u);
    design.Set("r.aload", 0);
    design.Set("r.ena", 1);
    clock_in(design, 0);
    EXPECT_EQ(design.Get("r.dataout"), 0u);
    EXPECT_FALSE(bit->IsSettled());  // the edge leaves the flag; only an evaluation recomputes it
    design.Set("r.ena", 0);
    design.Run(0);
    EXPECT_TRUE(bit->IsSettled());
}

TEST(Latch, ClearOverPresetOverTransparentEnable)
{
    TestDesign design;
    auto* latch = design.Add<Sim::Node_Latch>("l");
    design.Connect("l", {"datain", "latch_enable", "aclr", "apre"}, {"dataout"});
    for (const char* port : {"l.datain", "l.latch_enable", "l.aclr", "l.apre"})
        design.Set(port, 0);
    design.Set("l.latch_enable", 1);
    design.Set("l.datain", 1);
    design.Run(0);
    EXPECT_EQ(design.Get("l.dataout"), 1u);  // transparent within the same settle
    EXPECT_EQ(latch->TraceText(), "in 1   --ENA-->   out 1");
    design.Set("l.latch_enable", 0);
    design.Set("l.datain", 0);
    design.Run(2);
    EXPECT_EQ(design.Get("l.dataout"), 1u);  // holds while disabled
    EXPECT_EQ(latch->TraceText(), "in 0   --dis-->   out 1");
    design.Set("l.aclr", 1);
    design.Set("l.apre", 1);
    design.Run(0);
    EXPECT_EQ(design.Get("l.dataout"), 0u);
    design.Set("l.aclr", 0);
    design.Run(0);
    EXPECT_EQ(design.Get("l.dataout"), 1u);
}

// A pending register whose differing bits are all disabled asks for no clock edge, and one
// that has just taken its data asks for none until an input changes again; neither may
// change what the register holds. Covers the word path, the wide path and the one-bit class.
TEST(DFFE, DisabledOrJustClockedRegistersSkipEdgesWithoutChangingTheirValue)
{
    struct Case {
        const char* what;
        int width;  // 0: the one-bit class
        uint64_t first, second;
    };
    const Case cases[] = {{"narrow", 8, 0x5A, 0xA5}, {"wide", 40, 0x12345678AB, 0xFEDCBA9876}, {"bit", 0, 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestDesign design;
        Sim::Node_Base* reg = nullptr;
        if (c.width == 0) {
            reg = design.Add<Sim::Node_DFFE_Bit>("r");
            design.Connect("r", kRegisterInputs, {"dataout"});
            for (const std::string& port : kRegisterInputs)
                design.Set("r." + port, 0);
        } else {
            make_register(design, c.width);
            reg = design.manager.FindNode("r");
            design.Set("r.ena", 0);
        }
        const uint64_t all = c.width == 0 ? 1 : (uint64_t{1} << c.width) - 1;
        design.Set("r.datain", c.first);
        design.Run(0);
        design.Run(5);
        EXPECT_EQ(design.Get("r.dataout"), 0u);  // disabled: holds through the edges
        EXPECT_FALSE(reg->IsSettled());           // yet pending, as the data differs
        design.Set("r.ena", all);
        design.Run(0);
        design.Run(1);
        EXPECT_EQ(design.Get("r.dataout"), c.first);  // the enable brings the edge back
        design.Run(4);
        EXPECT_EQ(design.Get("r.dataout"), c.first);
        design.Set("r.datain", c.second);  // a change after idle edges is still taken
        design.Run(0);
        design.Run(1);
        EXPECT_EQ(design.Get("r.dataout"), c.second);
        design.Set("r.datain", c.first);
        design.Set("r.ena", 0);  // both change in one settle: the disabled edge keeps the value
        design.Run(0);
        design.Run(3);
        EXPECT_EQ(design.Get("r.dataout"), c.second);
    }
}

// Counts the clock edges the scheduler gives a register.
template <class Register>
struct EdgeCounting : Register {
    int edges = 0;
    bool ClockHook() override
    {
        ++edges;
        return Register::ClockHook();
    }
};

// After taking its data a register gets no further edge until an input changes: for the
// one-word, the wide (plain and undefined data) and the one-bit register alike.
TEST(DFFE, TakingTheDataEndsTheClockEdgesUntilAnInputChanges)
{
    struct Case {
        const char* what;
        int width;  // 0: the one-bit class
        bool undefined_data;
    };
    for (const Case& c : {Case{"narrow", 8, false}, Case{"wide", 48, false}, Case{"wide undefined", 48, true},
                          Case{"bit", 0, false}}) {
        SCOPED_TRACE(c.what);
        TestDesign design;
        int* edges = nullptr;
        if (c.width == 0) {
            edges = &design.Add<EdgeCounting<Sim::Node_DFFE_Bit>>("r")->edges;
        } else {
            edges = &design.Add<EdgeCounting<Sim::Node_DFFE>>("r", {{"width", ParamValue(c.width)}})->edges;
        }
        design.Connect("r", kRegisterInputs, {"dataout"});
        for (const std::string& port : kRegisterInputs)
            design.Set("r." + port, 0);
        design.Set("r.ena", c.width == 0 ? 1 : (uint64_t{1} << c.width) - 1);
        design.Set("r.datain", 1);
        if (c.undefined_data) {
            MLIB_UINTEGER data(1, c.width);
            data.set_undefined();
            design.SetValue("r.datain", data);
        }
        design.Run(0);
        design.Run(1);
        const int taken = *edges;
        EXPECT_GE(taken, 1);
        design.Run(5);
        EXPECT_EQ(*edges, taken);  // nothing left to take
        design.Set("r.datain", 0);
        design.Run(0);
        design.Run(3);
        EXPECT_EQ(*edges, taken + 1);  // the change is taken at the next edge, once
        EXPECT_EQ(design.Get("r.dataout"), 0u);
    }
}

// The edge does not change the pending flag: a register that took its data still answers
// IsSettled false until its next evaluation, whatever its width.
TEST(DFFE, TheEdgeLeavesThePendingFlagToTheNextEvaluation)
{
    for (int width : {8, 32, 40}) {
        SCOPED_TRACE(width);
        TestDesign design;
        make_register(design, width);
        Sim::Node_Base* reg = design.manager.FindNode("r");
        clock_in(design, 5);
        EXPECT_EQ(design.Get("r.dataout"), 5u);
        EXPECT_FALSE(reg->IsSettled());
        design.Set("r.datain", 6);
        design.Run(0);
        EXPECT_FALSE(reg->IsSettled());
        design.Set("r.datain", 5);  // evaluated again, seeing the data it holds
        design.Run(0);
        EXPECT_TRUE(reg->IsSettled());
    }
}

// Edges on undefined bits need not repeat themselves: an undefined data bit under an
// undefined enable bit becomes undefined at the first edge and a known 0 at the second.
TEST(DFFE, WideRegisterKeepsTakingEdgesWhileUndefinedBitsStillChange)
{
    for (int width : {32, 40, 100}) {
        SCOPED_TRACE(width);
        TestDesign design;
        make_register(design, width);
        MLIB_UINTEGER ones(0, width);
        for (int i = 0; i < width; ++i)
            ones.set_bit(i, 1);
        design.SetValue("r.ena", ones);
        design.SetValue("r.datain", ones);
        design.Run(0);
        design.Run(1);
        MLIB_UINTEGER unknown(0, width);  // every bit undefined, no undefined flag
        unknown.set_undefined();
        unknown.clear_flags();
        design.SetValue("r.ena", unknown);
        design.SetValue("r.datain", unknown);
        design.Run(0);
        design.Run(1);
        EXPECT_EQ(design.GetValue("r.dataout").to_hex(), std::string((width + 3) / 4, 'X'));
        design.Run(1);
        EXPECT_EQ(design.GetValue("r.dataout").to_hex(), std::string((width + 3) / 4, '0'));
        design.Run(2);
        EXPECT_EQ(design.GetValue("r.dataout").to_hex(), std::string((width + 3) / 4, '0'));
    }
}

// An unconnected control reads constant zeros and is not looked at; inverting it after a
// run makes it read ones, and the register must see that at its next evaluation.
TEST(DFFE, AControlInvertedAfterARunActsAtTheNextEvaluation)
{
    for (int width : {1, 8, 48}) {
        SCOPED_TRACE(width);
        TestDesign design;
        if (width == 1)
            design.Add<Sim::Node_DFFE_Bit>("r");
        else
            design.Add<Sim::Node_DFFE>("r", {{"width", ParamValue(width)}});
        design.Connect("r", {"datain"}, {"dataout"});
        design.Set("r.datain", 0);
        design.Run(0);
        design.Run(2);
        EXPECT_EQ(design.Get("r.dataout"), 0u);
        auto* preset = dynamic_cast<Sim::Port_In*>(design.manager.FindNode("r")->LookupPort("preset"));
        ASSERT_NE(preset, nullptr);
        preset->SetInversion(nullptr);
        design.Set("r.datain", 1);  // evaluated again
        design.Run(0);
        EXPECT_EQ(design.Get("r.dataout"), (uint64_t{1} << width) - 1);
    }
}

TEST(DFFE, ControlsReadingAFixedNonZeroValueStillAct)
{
    // Controls that read constant zeros are not looked at during evaluation; a control whose
    // constant reaches it inverted is fixed too, but it is not zero and must act.
    for (int width : {1, 8, 48}) {
        SCOPED_TRACE(width);
        TestDesign design;
        Sim::Node_Base* reg = width == 1 ? static_cast<Sim::Node_Base*>(design.Add<Sim::Node_DFFE_Bit>("r"))
                                         : design.Add<Sim::Node_DFFE>("r", {{"width", ParamValue(width)}});
        design.Connect("r", {"datain", "ena"}, {"dataout"});
        auto* preset = dynamic_cast<Sim::Port_In*>(reg->LookupPort("preset"));
        ASSERT_NE(preset, nullptr);
        preset->SetInversion(nullptr);  // "(zero)" read inverted: every bit set
        const uint64_t ones = (uint64_t{1} << width) - 1;
        design.Set("r.ena", ones);
        clock_in(design, 0);
        EXPECT_EQ(design.Get("r.dataout"), ones);
    }
}

// Guards the open enable of wide registers: "(one)" once read as a 32-bit constant
// zero-extended, so a register above 32 bits with "ena" unconnected loaded only bits 0-31.
TEST(DFFE, OpenEnableLoadsEveryBitAtAnyWidth)
{
    for (int width : {33, 40, 64, 100}) {
        SCOPED_TRACE(::testing::Message() << "width " << width);
        TestDesign design;
        design.Add<Sim::Node_DFFE>("r", {{"width", ParamValue(width)}});
        design.Connect("r", {"datain"}, {"dataout"});
        MLIB_UINTEGER data = ~MLIB_UINTEGER(0, width);
        data.set_bit(3, false);
        design.SetValue("r.datain", data);
        design.Run(0);
        design.Run(1);
        EXPECT_EQ(design.GetValue("r.dataout"), data);
    }
}
