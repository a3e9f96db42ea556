// Every primitive class at widths up to 32 bits runs its cycles without touching the heap:
// this file replaces the global operator new of the test program with a counting one and
// counts only while the measured cycles run.
#include "allocation_counter.h"
#include "node_harness.h"
#include "nodes/adders.h"
#include "nodes/compare.h"
#include "nodes/mul_div.h"
#include "nodes/registers.h"
#include "nodes/shift_taps.h"

using namespace node_test;

TEST(Allocation, EveryPrimitiveUpTo32BitsRunsWithoutHeapAllocation)
{
    TestDesign design;
    const Params w32 = {{"width", ParamValue(32)}}, w16 = {{"width", ParamValue(16)}};
    const std::vector<std::string> binary = {"dataa", "datab"};
    design.Add<Sim::Node_UnsnAdd>("uadd", w32);
    design.Add<Sim::Node_UnsnAdd>("uadd8", {{"width", ParamValue(8)}});
    design.Add<Sim::Node_UnsnAdd_Sm>("sadd_sm", w16);
    design.Add<Sim::Node_SignAdd>("sadd", w32);
    design.Add<Sim::Node_SignAdd>("sadd_ext", {{"width", ParamValue(8)}, {"width_o", ParamValue(16)}});
    design.Add<Sim::Node_UnsnAddSub>("uas", w32);
    design.Add<Sim::Node_SignAddSub>("sas", w32);
    design.Add<Sim::Node_UnsnMul>("umul", w32);
    design.Add<Sim::Node_SignMul>("smul", w16);
    design.Add<Sim::Node_UnsnDiv>("udiv", w32);
    design.Add<Sim::Node_SignDiv>("sdiv", w32);
    design.Add<Sim::Node_UnsnMod>("umod", w32);
    design.Add<Sim::Node_SignMod>("smod", w32);
    design.Add<Sim::Node_UnsnCmpLE>("ule", w32);
    design.Add<Sim::Node_SignCmpLE>("sle", w32);
    design.Add<Sim::Node_LpmCompare>("cmp",
                                     {{"lpm_width", ParamValue(32)}, {"lpm_representation", text("SIGNED")}});
    design.Add<Sim::Node_LpmComparePiped>("pcmp",
                                          {{"lpm_width", ParamValue(32)}, {"lpm_pipeline", ParamValue(3)}});
    design.Add<Sim::Node_Abs>("abs", {{"lpm_width", ParamValue(32)}});
    design.Add<Sim::Node_DFFE>("reg", w32);
    design.Add<Sim::Node_DFFE>("reg8", {{"width", ParamValue(8)}});
    design.Add<Sim::Node_DFFE_Bit>("bit");
    design.Add<Sim::Node_Latch>("latch");
    design.Add<Sim::Node_MrvShiftTaps>("taps");
    design.Add<Sim::Node_MrvShiftTaps>("taps32",
                                       {{"number_of_taps", ParamValue(1)}, {"width", ParamValue(32)}});
    for (const char* node : {"uadd", "uadd8", "sadd_sm", "sadd", "sadd_ext"})
        design.Connect(node, {"dataa", "datab", "cin"}, {"dataout", "cout"});
    for (const char* node : {"uas", "sas"})
        design.Connect(node, {"dataa", "datab", "flag"}, {"dataout"});
    for (const char* node : {"umul", "smul", "udiv", "sdiv", "umod", "smod"})
        design.Connect(node, binary, {"dataout"});
    design.Connect("ule", {"dataa", "datab", "equ_ok"}, {"out"});
    design.Connect("sle", {"dataa", "datab", "equ_ok"}, {"out"});
    design.Connect("cmp", binary, {"alb", "ageb"});
    design.Connect("pcmp", binary, {"alb", "ageb"});
    design.Connect("abs", {"data"}, {"result", "overflow"});
    design.Connect("reg", {"datain", "clear"}, {"dataout"});
    design.Connect("reg8", {"datain", "preset"}, {"dataout"});
    design.Connect("bit", {"datain", "aload", "adata"}, {"dataout"});
    design.Connect("latch", {"datain", "latch_enable"}, {"dataout"});
    design.Connect("taps", {"shiftin"}, {"shiftout", "taps"});
    design.Connect("taps32", {"shiftin"}, {"shiftout", "taps"});

    std::vector<std::string> inputs;
    for (Sim::Node_Base* node : design.manager.Nodes())
        if (dynamic_cast<Sim::Node_Perimeter_In*>(node) && node->Name() != "(top)")
            inputs.push_back(node->Name());
    auto drive = [&](uint32_t seed) {
        uint32_t v = seed;
        for (const std::string& pin : inputs) {
            v = v * 1664525u + 1013904223u;
            design.Set(pin, v >> (seed % 7));  // includes zero divisors and negative values
        }
    };
    drive(1);
    design.Run(2);  // builds and prepares the scheduler outside the measurement

    EXPECT_EQ(allocation_counter::AllocationsDuring([&] {
                  for (uint32_t cycle = 2; cycle < 40; ++cycle) {
                      drive(cycle);
                      design.Run(1);
                  }
              }),
              0);
}
