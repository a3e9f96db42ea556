// Random designs over every built-in primitive class, run through the real import, SimDB
// file and session, agree cycle by cycle with the reference model (values, undefined masks
// and flags). A failing seed is printed with the smallest netlist and stimulus it shrinks to;
// scripts/reference_soak.sh runs many more seeds.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "model/generator.h"
#include "model/ref_sim.h"
#include "seed_runner.h"

namespace {

constexpr uint64_t kFirstSeed = 1;
constexpr int kSeeds = 400;

TEST(DesignReference, RandomDesignsAgreeWithTheModel)
{
    reference_tests::ExpectSeedsAgree("designs", kFirstSeed, kSeeds);
}

// Guards the generator: the fixed seeds must reach every built-in class the builder can choose.
TEST(DesignReference, FixedSeedsReachEveryBuiltInClass)
{
    const std::set<std::string> all = {
        "Node_UnsnAdd",  "Node_UnsnAdd_Sm",  "Node_SignAdd",     "Node_UnsnAddSub", "Node_SignAddSub",
        "Node_UnsnMul",  "Node_SignMul",     "Node_UnsnDiv",     "Node_SignDiv",    "Node_UnsnMod",
        "Node_SignMod",  "Node_UnsnCmpLE",   "Node_SignCmpLE",   "Node_LpmCompare", "Node_LpmComparePiped",
        "Node_Abs",      "Node_CombOr",      "Node_CombOr_Sm",   "Node_CombAnd",    "Node_CombAnd_Sm",
        "Node_CombXor",  "Node_CombXor_Sm",  "Node_SHL",         "Node_SHR",        "Node_ROL",
        "Node_ROR",      "Node_BufTri",      "Node_BufDrn",      "Node_Decoder",    "Node_Mux2to1",
        "Node_MuxSmall", "Node_MuxSimple",   "Node_BusMux2",     "Node_Mux",        "Node_Mux_Sm",
        "Node_Selector", "Node_Selector_Sm", "Node_MuxConc",     "Node_MuxPiped",   "Node_DFFE",
        "Node_DFFE_Bit", "Node_Latch",       "Node_MrvShiftTaps"};
    std::cout << "profile designs, seeds " << kFirstSeed << ".." << kFirstSeed + kSeeds - 1 << "\n";
    const reference::Profile profile = reference::NamedProfile("designs");
    std::set<std::string> reached;
    for (uint64_t seed = kFirstSeed; seed < kFirstSeed + kSeeds; ++seed) {
        const reference::Generated g = reference::Generate(seed, profile);
        for (const reference::Instance& inst : g.design.instances)
            reached.insert(reference::MakeInstanceNode(inst)->ClassName());
    }
    for (const std::string& name : all)
        EXPECT_TRUE(reached.count(name)) << name << " is never generated";
    EXPECT_EQ(reached.size(), all.size());
}

} // namespace
