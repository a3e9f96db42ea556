// Designs of our own, imported from RTL through yosys and simulated by Blocktide, against
// Icarus Verilog on the same RTL, cycle by cycle on random stimulus (the seed is printed;
// BLOCKTIDE_TEST_SEED replays another). Between them they use every mapped cell and memory
// form, registers wider than 64 bits, a small processor and a filter pipeline.
#include <gtest/gtest.h>

#include "icarus_reference.h"

using verilog_test::Comparison;
using verilog_test::Drive;

namespace {

class IcarusComparison : public ::testing::TestWithParam<Comparison> {};

TEST_P(IcarusComparison, OutputsMatchCycleByCycle)
{
    const Comparison& comparison = GetParam();
    const uint32_t seed = verilog_test::TestSeed();
    std::printf("%s: seed %u (BLOCKTIDE_TEST_SEED=%u replays it)\n", comparison.top.c_str(), seed, seed);
    const verilog_test::Outcome outcome = verilog_test::Compare(comparison, seed);
    ASSERT_TRUE(outcome.imported) << comparison.design << " was not imported";
    ASSERT_EQ(outcome.icarus_failure, "");
    std::string mismatches;
    for (const std::string& line : outcome.mismatches)
        mismatches += line + "\n";
    EXPECT_TRUE(outcome.mismatches.empty()) << mismatches;
    std::printf("%lld defined reference bits compared\n", outcome.compared_bits);
    EXPECT_GT(outcome.compared_bits, 0);
}

const Comparison kDesigns[] = {
    {"arith.v", "arith", 300, {}},
    {"logic.v", "logic_ops", 300, {}},
    {"regs.v",
     "regs",
     300,
     {{"rst", Drive::Reset},
      {"rst_n", Drive::ActiveLowReset},
      {"en", Drive::Often},
      {"srst", Drive::Rare},
      {"load", Drive::Rare},
      {"set", Drive::Rare},
      {"clr", Drive::Rare},
      {"le", Drive::Often}}},
    {"mem.v", "mem", 400, {{"we", Drive::Often}, {"we2", Drive::Rare}, {"re", Drive::Often}}},
    {"cpu.v", "cpu", 600, {{"rst", Drive::Reset}}},
    {"dsp.v", "dsp", 400, {{"rst", Drive::Reset}, {"en", Drive::Often}, {"clear", Drive::Reset}}},
};

INSTANTIATE_TEST_SUITE_P(Designs, IcarusComparison, ::testing::ValuesIn(kDesigns),
                         [](const ::testing::TestParamInfo<Comparison>& info) { return info.param.top; });

} // namespace
