// The counter and Gray-code counter models, driven through the bridge in small designs.
#include <gtest/gtest.h>

#include "model_design.h"

namespace {

using model_test::Design;
using model_test::Int;
using model_test::Text;

TEST(CounterModel, CountsUpAndWrapsAtItsWidth)
{
    Design d;
    d.Add(107, "c", {{"width", Int(4)}});
    d.Clock(3);  // clk_en, cnt_en and updown are unlinked and read 1; cin is unlinked and counts
    EXPECT_EQ(d.Get("c", "q"), 3u);
    EXPECT_EQ(d.Get("c", "eq"), 1u << 3);
    d.Clock(12);
    EXPECT_EQ(d.Get("c", "q"), 15u);
    EXPECT_EQ(d.Get("c", "cout"), 1u);
    EXPECT_EQ(d.Get("c", "eq"), 1u << 15);
    d.Clock(1);
    EXPECT_EQ(d.Get("c", "q"), 0u);
    EXPECT_EQ(d.Get("c", "cout"), 0u);
}

TEST(CounterModel, ModulusDirectionAndCarry)
{
    Design d;
    d.Add(107, "c", {{"width", Int(4)}, {"modulus", Int(10)}});
    d.Drive("c", "updown");
    d.Set("c", "updown", 1);
    d.Clock(9);
    EXPECT_EQ(d.Get("c", "q"), 9u);
    EXPECT_EQ(d.Get("c", "cout"), 1u);
    d.Clock(1);
    EXPECT_EQ(d.Get("c", "q"), 0u);
    d.Set("c", "updown", 0);  // down: 0 wraps to modulus - 1
    d.Clock(1);
    EXPECT_EQ(d.Get("c", "q"), 9u);
    d.Clock(9);
    EXPECT_EQ(d.Get("c", "q"), 0u);
    EXPECT_EQ(d.Get("c", "cout"), 1u);  // counting down, the carry comes at 0
}

TEST(CounterModel, FixedDirectionWinsOverTheUpdownInput)
{
    Design d;
    d.Add(107, "c", {{"width", Int(8)}, {"direction", Text("DOWN")}});
    d.Clock(2);
    EXPECT_EQ(d.Get("c", "q"), 254u);
}

TEST(CounterModel, LinkedControlsReadZeroUntilTheDesignSendsThem)
{
    // cnt_en is announced with kind one, but once linked it reads what its source drives:
    // a source that never changes from 0 keeps the counter still.
    Design d;
    d.Add(107, "c", {{"width", Int(8)}});
    d.Drive("c", "cnt_en");
    d.Clock(5);
    EXPECT_EQ(d.Get("c", "q"), 0u);
    d.Set("c", "cnt_en", 1);
    d.Clock(5);
    EXPECT_EQ(d.Get("c", "q"), 5u);
}

TEST(CounterModel, SynchronousAndAsynchronousControls)
{
    Design d;
    d.Add(107, "c", {{"width", Int(8)}, {"avalue", Int(77)}});
    d.DriveAll("c", {"data", "sload", "sclr", "aclr", "aset", "cin"});
    d.Set("c", "cin", 1);
    d.Set("c", "data", 100);
    d.Set("c", "sload", 1);
    d.Settle();
    EXPECT_EQ(d.Get("c", "q"), 0u);  // synchronous: waits for the clock
    d.Clock();
    EXPECT_EQ(d.Get("c", "q"), 100u);
    d.Set("c", "sload", 0);
    d.Clock(2);
    EXPECT_EQ(d.Get("c", "q"), 102u);
    d.Set("c", "cin", 0);  // a low carry in stops counting
    d.Clock(2);
    EXPECT_EQ(d.Get("c", "q"), 102u);
    d.Set("c", "aset", 1);
    d.Settle();
    EXPECT_EQ(d.Get("c", "q"), 77u);  // asynchronous: at once
    d.Set("c", "aset", 0);
    d.Set("c", "aclr", 1);
    d.Settle();
    EXPECT_EQ(d.Get("c", "q"), 0u);
    d.Set("c", "aclr", 0);
    d.Set("c", "cin", 1);
    d.Set("c", "sclr", 1);
    d.Clock(3);
    EXPECT_EQ(d.Get("c", "q"), 0u);
}

TEST(CounterModel, TwoInstancesKeepSeparateCounts)
{
    Design d;
    d.Add(107, "fast", {{"width", Int(8)}});
    d.Add(107, "slow", {{"width", Int(8)}});
    d.Drive("slow", "cnt_en");
    d.Clock(4);
    d.Set("slow", "cnt_en", 1);
    d.Clock(2);
    EXPECT_EQ(d.Get("fast", "q"), 6u);
    EXPECT_EQ(d.Get("slow", "q"), 2u);
}

TEST(CounterModel, WideCounterCarriesAcrossWords)
{
    Design d;
    d.Add(107, "c", {{"width", Int(40)}});
    d.DriveAll("c", {"data", "sload"});
    d.Set("c", "data", 0xFFFFFFFFull);
    d.Set("c", "sload", 1);
    d.Clock();
    d.Set("c", "sload", 0);
    d.Clock(2);
    EXPECT_EQ(d.Get("c", "q"), 0x100000001ull);
}

TEST(GrayCounterModel, StepsThroughTheGrayCodeAndClears)
{
    Design d;
    d.Add(110, "g", {{"width", Int(3)}});
    d.DriveAll("g", {"sclr", "updown"});
    d.Set("g", "updown", 1);
    const uint64_t gray[] = {1, 3, 2, 6, 7, 5, 4, 0};
    for (uint64_t expected : gray) {
        d.Clock();
        EXPECT_EQ(d.Get("g", "q"), expected);
    }
    d.Clock(2);
    EXPECT_EQ(d.Get("g", "qbin"), 2u);
    d.Set("g", "updown", 0);
    d.Clock();
    EXPECT_EQ(d.Get("g", "qbin"), 1u);
    d.Set("g", "sclr", 1);
    d.Clock();
    EXPECT_EQ(d.Get("g", "qbin"), 0u);
    EXPECT_EQ(d.Get("g", "q"), 0u);
}

TEST(GrayCounterModel, UnlinkedUpdownCountsUp)
{
    Design d;
    d.Add(110, "g", {{"width", Int(4)}, {"pvalue", Int(5)}});
    EXPECT_EQ(d.Get("g", "qbin"), 0u);  // nothing evaluated yet
    d.Clock(2);
    EXPECT_EQ(d.Get("g", "qbin"), 7u);
}

}  // namespace
