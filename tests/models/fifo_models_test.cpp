// The single- and dual-clock FIFO models driven through the bridge: order, fill counts
// and flags, show-ahead output, clears, requests a full or empty FIFO cannot serve, and
// request inputs that read 0 until the design drives them.
#include <gtest/gtest.h>

#include "model_design.h"

namespace {

using model_test::Design;
using model_test::Int;
using model_test::Text;

Design& Fifo(Design& d, const model_test::Params& extra)
{
    model_test::Params params = {{"lpm_width", Int(8)}, {"lpm_widthu", Int(2)}, {"lpm_numwords", Int(4)}};
    for (const auto& [name, value] : extra)
        params[name] = value;
    d.Add(113, "fifo", params);
    d.DriveAll("fifo", {"data", "wrreq", "rdreq", "sclr", "aclr"});
    return d;
}

void Push(Design& d, uint64_t value)
{
    d.Set("fifo", "data", value);
    d.Set("fifo", "wrreq", 1);
    d.Clock();
    d.Set("fifo", "wrreq", 0);
}

uint64_t Pop(Design& d)
{
    d.Set("fifo", "rdreq", 1);
    d.Clock();
    d.Set("fifo", "rdreq", 0);
    return d.Get("fifo", "q");
}

TEST(SingleClockFifoModel, WordsLeaveInTheOrderTheyCame)
{
    Design d;
    Fifo(d, {});
    d.Clock(3);  // rdreq is announced with kind one but is linked and still 0: nothing is read
    EXPECT_EQ(d.Get("fifo", "empty"), 1u);
    Push(d, 0x11);
    Push(d, 0x22);
    Push(d, 0x33);
    EXPECT_EQ(d.Get("fifo", "usedw"), 3u);
    EXPECT_EQ(d.Get("fifo", "empty"), 0u);
    EXPECT_EQ(d.Get("fifo", "q"), 0u);  // normal mode: q changes only on a read
    EXPECT_EQ(Pop(d), 0x11u);
    EXPECT_EQ(Pop(d), 0x22u);
    EXPECT_EQ(Pop(d), 0x33u);
    EXPECT_EQ(d.Get("fifo", "empty"), 1u);
    EXPECT_EQ(Pop(d), 0x33u);  // reading an empty FIFO changes nothing
    EXPECT_EQ(d.Get("fifo", "usedw"), 0u);
}

TEST(SingleClockFifoModel, FullFifoIgnoresWritesAndUsedwWraps)
{
    Design d;
    Fifo(d, {{"almost_full_value", Int(3)}, {"almost_empty_value", Int(2)}});
    Push(d, 1);
    EXPECT_EQ(d.Get("fifo", "almost_empty"), 1u);
    Push(d, 2);
    EXPECT_EQ(d.Get("fifo", "almost_empty"), 0u);
    EXPECT_EQ(d.Get("fifo", "almost_full"), 0u);
    Push(d, 3);
    EXPECT_EQ(d.Get("fifo", "almost_full"), 1u);
    Push(d, 4);
    EXPECT_EQ(d.Get("fifo", "full"), 1u);
    EXPECT_EQ(d.Get("fifo", "usedw"), 0u);  // four words in a two-bit count
    Push(d, 5);                              // ignored
    for (uint64_t expected : {1, 2, 3, 4})
        EXPECT_EQ(Pop(d), expected);
    EXPECT_EQ(d.Get("fifo", "empty"), 1u);
}

TEST(SingleClockFifoModel, ReadAndWriteInOneClockOfAFullFifoWhenAllowed)
{
    for (const char* allow : {"OFF", "ON"}) {
        SCOPED_TRACE(allow);
        Design d;
        Fifo(d, {{"allow_rwcycle_when_full", Text(allow)}});
        for (uint64_t value : {1, 2, 3, 4})
            Push(d, value);
        d.Set("fifo", "data", 9);
        d.Set("fifo", "wrreq", 1);
        d.Set("fifo", "rdreq", 1);
        d.Clock();
        d.Set("fifo", "wrreq", 0);
        d.Set("fifo", "rdreq", 0);
        EXPECT_EQ(d.Get("fifo", "q"), 1u);
        EXPECT_EQ(d.Get("fifo", "full"), std::string(allow) == "ON" ? 1u : 0u);
    }
}

TEST(SingleClockFifoModel, ShowAheadPresentsTheOldestWordWithoutARead)
{
    Design d;
    Fifo(d, {{"lpm_showahead", Text("ON")}});
    Push(d, 0xA1);
    EXPECT_EQ(d.Get("fifo", "q"), 0xA1u);
    Push(d, 0xA2);
    EXPECT_EQ(d.Get("fifo", "q"), 0xA1u);
    Pop(d);
    EXPECT_EQ(d.Get("fifo", "q"), 0xA2u);
}

TEST(SingleClockFifoModel, ClearsEmptyTheFifo)
{
    Design d;
    Fifo(d, {});
    Push(d, 1);
    Push(d, 2);
    d.Set("fifo", "sclr", 1);
    d.Settle();
    EXPECT_EQ(d.Get("fifo", "usedw"), 2u);  // synchronous: waits for the clock
    d.Clock();
    d.Set("fifo", "sclr", 0);
    EXPECT_EQ(d.Get("fifo", "empty"), 1u);
    Push(d, 3);
    d.Set("fifo", "aclr", 1);
    d.Settle();
    EXPECT_EQ(d.Get("fifo", "empty"), 1u);  // asynchronous: at once
}

TEST(SingleClockFifoModel, TwoInstancesKeepSeparateQueues)
{
    Design d;
    for (const char* name : {"one", "two"}) {
        d.Add(113, name, {{"lpm_width", Int(8)}, {"lpm_widthu", Int(3)}, {"lpm_numwords", Int(8)}});
        d.DriveAll(name, {"data", "wrreq", "rdreq"});
        d.Set(name, "wrreq", 1);
    }
    d.Set("one", "data", 5);
    d.Set("two", "data", 6);
    d.Clock(2);
    d.Set("two", "wrreq", 0);
    d.Clock(1);
    EXPECT_EQ(d.Get("one", "usedw"), 3u);
    EXPECT_EQ(d.Get("two", "usedw"), 2u);
}

TEST(DualClockFifoModel, WritesAndReadsOnTheOneSimulatedClock)
{
    Design d;
    d.Add(114, "fifo", {{"lpm_width", Int(16)}, {"lpm_widthu", Int(3)}, {"lpm_numwords", Int(8)}});
    d.DriveAll("fifo", {"data", "wrreq", "rdreq", "aclr"});
    EXPECT_EQ(d.Get("fifo", "rdempty"), 0u);  // nothing evaluated yet
    d.Clock();
    EXPECT_EQ(d.Get("fifo", "rdempty"), 1u);
    EXPECT_EQ(d.Get("fifo", "wrempty"), 1u);
    for (uint64_t value : {0x1234, 0x5678}) {
        d.Set("fifo", "data", value);
        d.Set("fifo", "wrreq", 1);
        d.Clock();
    }
    d.Set("fifo", "wrreq", 0);
    EXPECT_EQ(d.Get("fifo", "rdusedw"), 2u);
    EXPECT_EQ(d.Get("fifo", "wrusedw"), 2u);
    d.Set("fifo", "rdreq", 1);
    d.Clock();
    EXPECT_EQ(d.Get("fifo", "q"), 0x1234u);
    d.Clock();
    EXPECT_EQ(d.Get("fifo", "q"), 0x5678u);
    EXPECT_EQ(d.Get("fifo", "rdempty"), 1u);
    d.Set("fifo", "rdreq", 0);
    for (int i = 0; i < 9; ++i) {
        d.Set("fifo", "wrreq", 1);
        d.Clock();
    }
    EXPECT_EQ(d.Get("fifo", "wrfull"), 1u);
    d.Set("fifo", "aclr", 1);
    d.Settle();
    EXPECT_EQ(d.Get("fifo", "wrempty"), 1u);
}

}  // namespace
