// The shift register with taps through the engine: tap spacing and packing, the enable,
// wide and undefined entries, and configurations that would leave the ring empty.
#include "node_harness.h"
#include "nodes/shift_taps.h"

using namespace node_test;

namespace {

// Settles with the given input, then gives one clock edge.
void shift_in(TestDesign& design, uint64_t value)
{
    design.Set("s.shiftin", value);
    design.Run(0);
    design.Run(1);
}

}  // namespace

TEST(MrvShiftTaps, TapsHoldEveryDistanceThEntryNewestInTheLowBits)
{
    TestDesign design;
    auto* taps = design.Add<Sim::Node_MrvShiftTaps>(
        "s", {{"number_of_taps", ParamValue(2)}, {"tap_distance", ParamValue(3)}, {"width", ParamValue(8)}});
    design.Connect("s", {"shiftin", "clken"}, {"shiftout", "taps"});
    design.Set("s.clken", 1);
    for (uint64_t k = 1; k <= 9; ++k) {
        SCOPED_TRACE(k);
        shift_in(design, k);
        uint64_t low = k >= 3 ? k - 2 : 0, high = k >= 6 ? k - 5 : 0;
        EXPECT_EQ(design.Get("s.taps"), low | (high << 8));
        EXPECT_EQ(design.Get("s.shiftout"), high);
    }
    EXPECT_EQ(taps->TraceText(), "in 09  -->  out 4   taps 0407");
}

TEST(MrvShiftTaps, DisabledClockEnableHoldsOutputsAndRing)
{
    TestDesign design;
    design.Add<Sim::Node_MrvShiftTaps>(
        "s", {{"number_of_taps", ParamValue(2)}, {"tap_distance", ParamValue(1)}, {"width", ParamValue(4)}});
    design.Connect("s", {"shiftin", "clken"}, {"shiftout", "taps"});
    design.Set("s.clken", 1);
    shift_in(design, 0xA);
    shift_in(design, 0xB);
    EXPECT_EQ(design.Get("s.taps"), 0xABu);
    design.Set("s.clken", 0);
    shift_in(design, 0xC);
    shift_in(design, 0xD);
    EXPECT_EQ(design.Get("s.taps"), 0xABu);
    EXPECT_EQ(design.Get("s.shiftout"), 0xAu);
    design.Set("s.clken", 1);
    shift_in(design, 0xE);  // the ring moved on from where it stopped
    EXPECT_EQ(design.Get("s.taps"), 0xBEu);
    EXPECT_EQ(design.Get("s.shiftout"), 0xBu);
}

TEST(MrvShiftTaps, DefaultsAreFourTapsThreeApartEightBitsWide)
{
    TestDesign design;
    design.Add<Sim::Node_MrvShiftTaps>("s");
    Sim::Node_Base* node = design.manager.FindNode("s");
    EXPECT_EQ(node->LookupPort("shiftin")->Width(), 8);
    EXPECT_EQ(node->LookupPort("taps")->Width(), 32);
    design.Connect("s", {"shiftin"}, {"shiftout", "taps"});  // "clken" unlinked reads one
    for (uint64_t k = 1; k <= 12; ++k)
        shift_in(design, k);
    // Tap i holds the value shifted in (i + 1) x 3 edges ago: 10, 7, 4 and 1 from the low byte.
    EXPECT_EQ(design.Get("s.taps"), 0x0104070Au);
    EXPECT_EQ(design.Get("s.shiftout"), 0x1u);
}

TEST(MrvShiftTaps, WideTapsAndEntriesCarryEveryBitAndUndefinedState)
{
    TestDesign design;
    design.Add<Sim::Node_MrvShiftTaps>(
        "s", {{"number_of_taps", ParamValue(3)}, {"tap_distance", ParamValue(1)}, {"width", ParamValue(20)}});
    design.Connect("s", {"shiftin", "clken"}, {"shiftout", "taps"});
    design.Set("s.clken", 1);
    shift_in(design, 0xAAAAA);
    shift_in(design, 0xBBBBB);
    shift_in(design, 0xCCCCC);
    EXPECT_EQ(design.GetValue("s.taps").to_hex(), "AAAAABBBBBCCCCC");
    EXPECT_EQ(design.Get("s.shiftout"), 0xAAAAAu);

    TestDesign wide;
    wide.Add<Sim::Node_MrvShiftTaps>(
        "s", {{"number_of_taps", ParamValue(2)}, {"tap_distance", ParamValue(1)}, {"width", ParamValue(32)}});
    wide.Connect("s", {"shiftin"}, {"shiftout", "taps"});
    MLIB_UINTEGER undefined_value(0, 32);
    undefined_value.set_undefined();
    wide.SetValue("s.shiftin", undefined_value);
    wide.Run(0);
    wide.Run(1);
    shift_in(wide, 0x12345678);
    EXPECT_EQ(wide.GetValue("s.taps").to_hex(), "XXXXXXXX12345678");
    EXPECT_TRUE(wide.GetValue("s.shiftout").is_undefined());
    // Several taps are joined by an OR, whose result has fresh flags: the undefined tap
    // shows in the mask alone. A single tap is the entry itself, flags included.
    EXPECT_FALSE(wide.GetValue("s.taps").is_undefined());

    TestDesign single;
    single.Add<Sim::Node_MrvShiftTaps>(
        "s", {{"number_of_taps", ParamValue(1)}, {"tap_distance", ParamValue(2)}, {"width", ParamValue(40)}});
    single.Connect("s", {"shiftin"}, {"shiftout", "taps"});
    MLIB_UINTEGER high_z(5, 40);
    high_z.set_high_z();
    single.SetValue("s.shiftin", high_z);
    single.Run(0);
    single.Run(2);
    EXPECT_TRUE(single.GetValue("s.taps").is_high_z());
    EXPECT_EQ(single.GetValue("s.taps").to_uint(), 5u);
}

TEST(MrvShiftTaps, InvalidCountsAndWidthsAreReportedAndReplacedByOne)
{
    struct Case {
        int taps, distance, width;
        int severity;
        const char* message;
        uint64_t shiftout;  // after shifting in 1, 2, 3, 4 with the replaced values
    };
    const Case cases[] = {
        {0, 3, 8, SEV_FATAL,
         "Node 's' of type 'SHIFTAPS' configured with invalid number_of_taps 0; 1 is used instead.", 2},
        {2, -1, 8, SEV_FATAL,
         "Node 's' of type 'SHIFTAPS' configured with invalid tap_distance -1; 1 is used instead.", 3},
        {2, 1, 0, SEV_ERROR,
         "Node 's' of type 'SHIFTAPS' configured with invalid width 0; 1 is used instead.", 1},
        {2, 0x7FFFFFFF, 8, SEV_FATAL,
         "Node 's' of type 'SHIFTAPS' configured with invalid tap_distance 2147483647; 1 is used instead.",
         3},
        // Each within its own bound, but 2^20 entries of 2^20 bits: the ring's size is bounded too.
        {1, 1 << 20, 1 << 20, SEV_FATAL,
         "Node 's' of type 'SHIFTAPS' configured with invalid tap_distance 1048576; 1 is used instead.", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        TestDesign design;
        design.Add<Sim::Node_MrvShiftTaps>("s", {{"number_of_taps", ParamValue(c.taps)},
                                                 {"tap_distance", ParamValue(c.distance)},
                                                 {"width", ParamValue(c.width)}});
        EXPECT_EQ(count_messages(c.severity, c.message), 1);
        EXPECT_EQ(pending_messages().size(), 1u);
        design.Connect("s", {"shiftin"}, {"shiftout", "taps"});
        for (uint64_t k = 1; k <= 4; ++k)
            shift_in(design, k);  // evaluates and shifts without fault
        EXPECT_EQ(design.Get("s.shiftout"), c.shiftout);
    }
}
