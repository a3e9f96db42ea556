// The LPM multiplexers through the engine: selection, out-of-range selects, pipeline timing
// over clock edges with "clken" and "aclr", and configurations without a valid pipeline.
#include <gtest/gtest.h>

#include "nodes/lpm_mux.h"
#include "one_node_design.h"

using namespace node_tests;

namespace {

// Four 8-bit inputs: input k holds 0x11 * (k + 1).
constexpr uint64_t kFourBytes = 0x44332211;

struct Step {
    uint64_t sel;
    int aclr, clken;
    int cycles;         // 0: settle only
    uint64_t expected;  // "result" afterwards
};

void RunSteps(OneNodeDesign& design, const std::vector<Step>& steps)
{
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        design.Set("sel", step.sel);
        design.Set("aclr", static_cast<uint64_t>(step.aclr));
        design.Set("clken", static_cast<uint64_t>(step.clken));
        design.Run(step.cycles);
        EXPECT_EQ(design.ReadU64("result"), step.expected) << "step " << i;
    }
}

Sim::Node_MuxPiped* CreatePiped(OneNodeDesign& design, int depth)
{
    auto* node = design.Create<Sim::Node_MuxPiped>(
        {{"lpm_width", 8}, {"lpm_size", 4}, {"lpm_widths", 2}, {"lpm_pipeline", depth}},
        {"data", "sel", "aclr", "clken"}, {"result"});
    design.Set("data", kFourBytes);
    return node;
}

}  // namespace

TEST(LpmMuxConc, SelectsOneInputOfTheData)
{
    OneNodeDesign design;
    design.Create<Sim::Node_MuxConc>({{"lpm_width", 4}, {"lpm_size", 3}, {"lpm_widths", 2}}, {"data", "sel"},
                                     {"result"});
    EXPECT_EQ(design.Width("data"), 12);
    design.Set("data", 0x321);
    for (uint64_t sel : {2u, 0u, 1u}) {
        design.Set("sel", sel);
        design.Run();
        EXPECT_EQ(design.ReadU64("result"), sel + 1);
    }
    // Out of range: the data made undefined, which a 4-bit output cannot carry, so the
    // low bits of "data" show through.
    design.Set("sel", 3);
    design.Run();
    MLIB_UINTEGER out = design.Read("result");
    EXPECT_EQ(out.to_uint(), 0x1u);
    EXPECT_FALSE(out.is_undefined());
}

TEST(LpmMuxConc, WideInputsAndOutOfRangeSelectsAreUndefined)
{
    OneNodeDesign design;
    design.Create<Sim::Node_MuxConc>({{"lpm_width", 40}, {"lpm_size", 3}, {"lpm_widths", 2}}, {"data", "sel"},
                                     {"result"});
    EXPECT_EQ(design.Width("data"), 120);
    // Input k: 40 bits of 0xk0000000k0 style patterns spread over the word boundaries.
    MLIB_UINTEGER data(0, 120);
    const uint64_t inputs[3] = {0xA0000000A1ull, 0xB0000000B2ull, 0xC0000000C3ull};
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 40; ++i)
            data.set_bit(k * 40 + i, static_cast<int>((inputs[k] >> i) & 1));
    design.Set("data", data);
    for (int k = 0; k < 3; ++k) {
        design.Set("sel", static_cast<uint64_t>(k));
        design.Run();
        EXPECT_EQ(design.Read("result"), Wide64(40, inputs[k])) << k;
    }
    design.Set("sel", 3);
    design.Run();
    MLIB_UINTEGER out = design.Read("result");
    EXPECT_TRUE(out.is_undefined());
    EXPECT_EQ(out.to_hex(), "XXXXXXXXXX");
}

TEST(LpmMuxConc, SelectEqualToSizeAtThirtyTwoBitsIsUndefined)
{
    OneNodeDesign design;
    design.Create<Sim::Node_MuxConc>({{"lpm_width", 32}, {"lpm_size", 2}, {"lpm_widths", 40}},
                                     {"data", "sel"}, {"result"});
    design.Set("data", 0x2222222211111111ull);
    design.Set("sel", 1);
    design.Run();
    EXPECT_EQ(design.ReadU64("result"), 0x22222222u);
    design.Set("sel", 2);
    design.Run();
    EXPECT_TRUE(design.Read("result").is_undefined());
    design.Set("sel", 0x100000000ull);  // a wide select whose low word is 0 is still out of range
    design.Run();
    EXPECT_TRUE(design.Read("result").is_undefined());
}

TEST(LpmMuxConc, PipelineDepthIsReportedAndIgnored)
{
    OneNodeDesign design;
    design.Create<Sim::Node_MuxConc>(
        {{"lpm_width", 8}, {"lpm_size", 4}, {"lpm_widths", 2}, {"lpm_pipeline", 2}}, {"data", "sel"},
        {"result"});
    EXPECT_TRUE(WasReported(SEV_FATAL, "Concurrent lpm_mux model given invalid pipeline depth"));
    design.Set("data", kFourBytes);
    design.Set("sel", 3);
    design.Run();
    EXPECT_EQ(design.ReadU64("result"), 0x44u) << "no delay";
}

TEST(LpmMuxPiped, DeliversTheChoiceDepthEdgesLater)
{
    OneNodeDesign design;
    CreatePiped(design, 2);
    EXPECT_EQ(CountReports(SEV_FATAL), 0);
    RunSteps(design, {
                         {1, 0, 1, 0, 0x00},  // 0x22 selected; nothing shown before any edge
                         {1, 0, 1, 1, 0x00},  // edge 1 stores 0x22
                         {2, 0, 1, 1, 0x22},  // edge 2 shows the value selected before edge 1
                         {2, 0, 1, 1, 0x22},  // edge 3 shows what was selected before edge 2
                         {2, 0, 1, 1, 0x33},
                         {0, 0, 1, 1, 0x33},
                         {0, 0, 1, 1, 0x33},
                         {0, 0, 1, 1, 0x11},
                     });
}

TEST(LpmMuxPiped, DepthOneShowsTheChoiceAtTheNextEdge)
{
    OneNodeDesign design;
    CreatePiped(design, 1);
    RunSteps(design, {
                         {3, 0, 1, 0, 0x00},
                         {3, 0, 1, 1, 0x44},
                         {1, 0, 1, 0, 0x44},  // a new choice waits for the edge
                         {1, 0, 1, 1, 0x22},
                     });
}

TEST(LpmMuxPiped, EdgesWithoutClockEnableNeitherStoreNorAdvance)
{
    OneNodeDesign design;
    CreatePiped(design, 2);
    RunSteps(design, {
                         {1, 0, 1, 0, 0x00},
                         {1, 0, 1, 2, 0x22},  // pipeline holds 0x22, 0x22
                         {3, 0, 0, 0, 0x22},  // 0x44 chosen, clock disabled
                         {3, 0, 0, 3, 0x22},  // three edges change nothing
                         {3, 0, 1, 0, 0x22},
                         {3, 0, 1, 1, 0x22},
                         {3, 0, 1, 1, 0x44},
                     });
}

TEST(LpmMuxPiped, ClearEmptiesThePipelineAtOnce)
{
    OneNodeDesign design;
    CreatePiped(design, 2);
    RunSteps(design, {
                         {2, 0, 1, 0, 0x00},
                         {2, 0, 1, 2, 0x33},
                         {2, 1, 1, 0, 0x00},  // at once, without an edge
                         {2, 1, 1, 2, 0x00},  // edges while clearing store zeros
                         {2, 0, 1, 0, 0x00},
                         {2, 0, 1, 1, 0x00},  // the first enabled edge still shows 0
                         {2, 0, 1, 1, 0x33},  // the second the value selected before the first
                     });
}

TEST(LpmMuxPiped, UnconnectedControlsClearNothingAndEnableTheClock)
{
    OneNodeDesign design;
    design.Create<Sim::Node_MuxPiped>(
        {{"lpm_width", 8}, {"lpm_size", 4}, {"lpm_widths", 2}, {"lpm_pipeline", 1}}, {"data", "sel"},
        {"result"});
    design.Set("data", kFourBytes);
    design.Set("sel", 2);
    design.Run(0);
    design.Run(1);
    EXPECT_EQ(design.ReadU64("result"), 0x33u);
}

TEST(LpmMuxPiped, OutOfRangeSelectTravelsAsAnUndefinedValue)
{
    OneNodeDesign design;
    design.Create<Sim::Node_MuxPiped>(
        {{"lpm_width", 32}, {"lpm_size", 2}, {"lpm_widths", 2}, {"lpm_pipeline", 1}}, {"data", "sel"},
        {"result"});
    design.Set("data", 0x2222222211111111ull);
    design.Set("sel", 3);
    design.Run(0);
    EXPECT_FALSE(design.Read("result").is_undefined()) << "still the initial 0";
    design.Run(1);
    EXPECT_TRUE(design.Read("result").is_undefined());
    design.Set("sel", 1);
    design.Run(0);
    design.Run(1);
    EXPECT_EQ(design.Read("result"), Wide(32, {0x22222222}));
}

TEST(LpmMuxPiped, WithoutAPipelineItReportsAndWorksWithoutDelay)
{
    for (int depth : {0, -3}) {
        SCOPED_TRACE("depth " + std::to_string(depth));
        OneNodeDesign design;
        CreatePiped(design, depth);
        EXPECT_TRUE(WasReported(SEV_FATAL, "Pipelined lpm_mux model given invalid pipeline depth"));
        RunSteps(design, {
                             {1, 0, 1, 0, 0x22},
                             {1, 0, 1, 3, 0x22},  // clocked all the same: the edges do nothing
                             {3, 0, 1, 1, 0x44},
                             {3, 1, 1, 0, 0x00},  // the clear still works
                         });
        EXPECT_EQ(CountReports(SEV_ERROR), 0);
    }
}

TEST(LpmMux, TypeNamesClockEdgeAnswersAndNoTrace)
{
    OneNodeDesign conc;
    Sim::Node_Base* node = conc.Create<Sim::Node_MuxConc>({}, {}, {});
    EXPECT_EQ(node->TypeName(), "MUX CONC");
    EXPECT_FALSE(node->IsSettled());
    EXPECT_EQ(node->TraceText(), "");
    EXPECT_EQ(conc.Width("data"), 2);
    EXPECT_EQ(conc.Width("aclr"), 1);
    EXPECT_EQ(conc.Width("clken"), 1);

    OneNodeDesign piped;
    node = piped.Create<Sim::Node_MuxPiped>({{"lpm_pipeline", 1}}, {}, {});
    EXPECT_EQ(node->TypeName(), "MUX PIPE");
    EXPECT_FALSE(node->IsSettled());
    EXPECT_EQ(node->TraceText(), "");
}
