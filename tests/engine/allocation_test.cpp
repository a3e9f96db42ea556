// Proves that running a design whose values are at most 32 bits wide performs no heap
// allocation: this file replaces the global operator new with a counting one for the
// whole test program, and counts only inside the measured sections.
#include <gtest/gtest.h>

#include "allocation_counter.h"
#include "engine/adapter.h"
#include "engine/link.h"
#include "engine/perimeter.h"
#include "test_nodes.h"

using allocation_counter::AllocationsDuring;

namespace Sim::testing {
namespace {

using AllocationTest = EngineTest;

TEST_F(AllocationTest, CountingAllocatorSeesAllocations)
{
    // A direct call, unlike a new-expression, cannot be optimised away.
    EXPECT_GT(AllocationsDuring([] { ::operator delete(::operator new(16)); }), 0);
}

TEST_F(AllocationTest, NarrowDesignRunsWithoutHeapAllocation)
{
    // in_a, in_b -> adapter (a[7:0] : b[7:0]) -> add (with a downshifted copy)
    //   -> inverter -> registered buffer -> output; a pending register on the side.
    Manager manager("narrow");
    auto* in_a = manager.NewNode<Node_Perimeter_In>("in_a", AnyWidth(16));
    auto* in_b = manager.NewNode<Node_Perimeter_In>("in_b", AnyWidth(16));
    auto* adapter = manager.NewNode<Node_Adapter>("adapter");
    adapter->SetSize(2, 16);
    adapter->DefineInput(0, 8, 8, in_a->PerimeterPort(), false);
    adapter->DefineInput(0, 0, 8, in_b->PerimeterPort(), true);
    auto* shifter = manager.NewNode<Node_Downshifter>("shifter", AnyWidth(16));
    shifter->SetShift(4);
    manager.NewNode<Node_TestAdd>("add", AnyWidth(16));
    manager.NewNode<Node_TestNot>("inv", AnyWidth(16));
    auto* reg = manager.NewNode<Node_TestRegister>("reg", AnyWidth(16));
    auto* pending = manager.NewNode<Node_TestPendingRegister>("pending");
    auto* out = manager.NewNode<Node_Perimeter_Out>("out", AnyWidth(16));
    ASSERT_TRUE(Link(manager, "in_a", "(perimeter io)", "shifter", "from", false));
    ASSERT_TRUE(Link(manager, "adapter", "out", "add", "a", false));
    ASSERT_TRUE(Link(manager, "shifter", "to", "add", "b", false));
    ASSERT_TRUE(Link(manager, "add", "y", "inv", "a", false));
    ASSERT_TRUE(Link(manager, "inv", "y", "reg", "d", false));
    ASSERT_TRUE(Link(manager, "reg", "q", "out", "(perimeter io)", false));
    ASSERT_TRUE(Link(manager, "in_b", "(perimeter io)", "pending", "d", false));
    in_a->SetInput(MLIB_UINTEGER(0, 16));
    in_b->SetInput(MLIB_UINTEGER(0, 16));
    manager.Run(1);  // builds and prepares the scheduler: allocation is allowed here

    uint64_t checksum = 0;
    long counted = AllocationsDuring([&] {
        for (uint32_t step = 1; step <= 200; ++step) {
            in_a->SetInput(MLIB_UINTEGER(step * 7, 16));
            in_b->SetInput(step & 0xFF, 0);
            manager.Run(3);
            manager.Run(0);
            checksum += out->ReadUInt64();
        }
    });
    EXPECT_EQ(counted, 0);
    EXPECT_NE(checksum, 0u);
    EXPECT_GT(pending->clock_edges, 1);
    // The last step by hand: a = 1400 & 0xFFFF, b = 200.
    uint32_t a = (200 * 7) & 0xFFFF, b = 200;
    uint32_t assembled = ((a & 0xFF) << 8) | (~b & 0xFF);
    uint32_t sum = (assembled + (a >> 4)) & 0xFFFF;
    EXPECT_EQ(out->ReadUInt64(), ~sum & 0xFFFFu);
    EXPECT_EQ(reg->q->ValueInt(), ~sum & 0xFFFFu);
}

TEST_F(AllocationTest, ValuesUpTo64BitsStayOffTheHeap)
{
    MLIB_UINTEGER a(0x89ABCDEFu, 48), b(0x12345678u, 48), wide(1, 65);
    a.set_word(1, 0x4567);
    uint64_t checksum = 0;
    long counted = AllocationsDuring([&] {
        for (int i = 0; i < 100; ++i) {
            MLIB_UINTEGER r = (a + b) & ~(a ^ b);
            r = r | (a << 3);
            r += b >> 5;
            MLIB_UINTEGER copy(r);
            a = std::move(copy);
            checksum += a.word(1) + (a == b);
        }
    });
    EXPECT_EQ(counted, 0);
    EXPECT_NE(checksum, 0u);
    // Above 64 bits a value owns one array.
    EXPECT_GT(AllocationsDuring([&] { MLIB_UINTEGER copy(wide); }), 0);
}

}  // namespace
}  // namespace Sim::testing
