// RankQueue: smallest rank first whatever the push order, repeated pushes ignored, and
// pushes below the cursor after pops, frozen ranks refused, the bounded look ahead.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "engine/rank_queue.h"

namespace Sim {
namespace {

TEST(RankQueueTest, PopsTheSmallestRankFirstAcrossInterleavedPushes)
{
    const unsigned seed = 20261209;
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    std::mt19937 random(seed);
    RankQueue queue;
    const int max_rank = 1000;
    queue.Reset(max_rank);
    std::set<int> expected;
    for (int step = 0; step < 20000; ++step) {
        if (expected.empty() || random() % 3 != 0) {
            int rank = static_cast<int>(random() % (max_rank + 1));
            queue.Push(rank);  // a rank already queued stays queued once
            expected.insert(rank);
        } else {
            ASSERT_FALSE(queue.Empty());
            ASSERT_EQ(queue.Peek(), *expected.begin());  // looking leaves the rank queued
            ASSERT_EQ(queue.Pop(), *expected.begin());
            expected.erase(expected.begin());
        }
    }
    while (!expected.empty()) {
        ASSERT_EQ(queue.Pop(), *expected.begin());
        expected.erase(expected.begin());
    }
    EXPECT_TRUE(queue.Empty());
    EXPECT_EQ(queue.Peek(), -1);
}

TEST(RankQueueTest, ResetEmptiesAndCoversTheEdgesOfItsRange)
{
    RankQueue queue;
    queue.Reset(64);
    queue.Push(64);
    queue.Push(0);
    queue.Push(63);
    EXPECT_EQ(queue.Pop(), 0);
    EXPECT_EQ(queue.Pop(), 63);
    queue.Push(1);
    EXPECT_EQ(queue.Pop(), 1);
    EXPECT_EQ(queue.Pop(), 64);
    EXPECT_TRUE(queue.Empty());
    queue.Push(5);
    queue.Reset(10);
    EXPECT_TRUE(queue.Empty());
}

TEST(RankQueueTest, FrozenRanksAreRefusedUntilTheNextReset)
{
    RankQueue queue;
    queue.Reset(200);
    queue.Freeze(3);
    queue.Freeze(130);
    queue.Push(3);
    queue.Push(130);
    EXPECT_TRUE(queue.Empty());
    queue.Push(131);
    queue.Push(2);
    EXPECT_EQ(queue.Pop(), 2);
    EXPECT_EQ(queue.Pop(), 131);
    EXPECT_TRUE(queue.Empty());
    queue.Reset(200);
    queue.Push(3);
    EXPECT_EQ(queue.Pop(), 3);
}

// The look ahead finds the n-th queued rank above a given one within that rank's word and
// the next; beyond them it answers -1 rather than searching on.
TEST(RankQueueTest, PeekAheadCountsQueuedRanksWithinTwoWords)
{
    RankQueue queue;
    queue.Reset(300);
    for (int rank : {5, 63, 64, 100, 127, 128, 250})
        queue.Push(rank);
    EXPECT_EQ(queue.PeekAhead(5, 1), 63);
    EXPECT_EQ(queue.PeekAhead(5, 2), 64);
    EXPECT_EQ(queue.PeekAhead(5, 4), 127);
    EXPECT_EQ(queue.PeekAhead(5, 5), -1);   // 128 lies two words on
    EXPECT_EQ(queue.PeekAhead(63, 1), 64);  // the last bit of a word looks into the next
    EXPECT_EQ(queue.PeekAhead(0, 1), 5);
    EXPECT_EQ(queue.PeekAhead(127, 1), 128);
    EXPECT_EQ(queue.PeekAhead(128, 1), 250);
    EXPECT_EQ(queue.PeekAhead(250, 1), -1);  // the last word has no next
    EXPECT_EQ(queue.PeekAhead(299, 1), -1);
    // Ranks filling whole words end where the end mark starts: it is never a rank.
    queue.Reset(127);
    queue.Push(127);
    EXPECT_EQ(queue.PeekAhead(100, 1), 127);
    EXPECT_EQ(queue.PeekAhead(100, 2), -1);
    EXPECT_EQ(queue.PeekAhead(127, 1), -1);
    EXPECT_EQ(queue.Pop(), 127);
    EXPECT_EQ(queue.Pop(), -1);
    EXPECT_EQ(queue.Pop(), -1);  // an empty queue stays empty
    EXPECT_EQ(queue.Peek(), -1);
    EXPECT_TRUE(RankQueue().Empty());
}

}  // namespace
}  // namespace Sim
