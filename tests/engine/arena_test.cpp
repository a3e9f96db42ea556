// Arena: aligned, disjoint places in creation order, growing blocks, large objects apart,
// and nodes and ports of a manager placed there and destroyed with it.
#include <gtest/gtest.h>

#include <cstdint>

#include "engine/arena.h"
#include "test_nodes.h"

namespace Sim::testing {
namespace {

bool Aligned(const void* place, size_t align) { return reinterpret_cast<uintptr_t>(place) % align == 0; }

TEST(ArenaTest, PlacesAreAlignedDisjointAndFollowEachOther)
{
    Arena arena;
    auto* first = static_cast<char*>(arena.Allocate(24, 8));
    auto* second = static_cast<char*>(arena.Allocate(100, 64));
    auto* third = static_cast<char*>(arena.Allocate(8, 8));
    EXPECT_TRUE(Aligned(first, 8));
    EXPECT_TRUE(Aligned(second, 64));
    EXPECT_GE(second, first + 24);
    EXPECT_EQ(third, second + 100 + 4);  // 100 bytes, then up to the next multiple of 8
    // Enough to reach the 2 MB huge-page blocks, and objects larger than a first block:
    // every place stays aligned and writable (the sanitizer build checks the bounds).
    for (int i = 0; i < 40000; ++i) {
        size_t size = i % 97 == 0 ? 100000 : 40 + i % 200;
        auto* place = static_cast<unsigned char*>(arena.Allocate(size, 16));
        ASSERT_TRUE(Aligned(place, 16));
        place[0] = place[size - 1] = 0xA5;
    }
}

TEST_F(EngineTest, ManagedNodesAndPortsLieInCreationOrder)
{
    Manager manager("arena");
    auto* first = manager.NewNode<Node_TestNot>("first", AnyWidth(8));
    auto* second = manager.NewNode<Node_TestNot>("second", AnyWidth(8));
    EXPECT_TRUE(Aligned(first, 64));
    EXPECT_TRUE(Aligned(second, 64));
    EXPECT_LT(reinterpret_cast<char*>(first), reinterpret_cast<char*>(second));
    EXPECT_LT(reinterpret_cast<char*>(second) - reinterpret_cast<char*>(first), 1024);
    // The ports of both nodes follow one another in the port arena, not the node arena.
    EXPECT_LT(reinterpret_cast<char*>(first->y), reinterpret_cast<char*>(second->a));
    EXPECT_LT(reinterpret_cast<char*>(second->a) - reinterpret_cast<char*>(first->y), 1024);
}

}  // namespace
}  // namespace Sim::testing
