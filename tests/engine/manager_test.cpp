// Sim::Manager and its scheduler: node creation and unique names, running cycles and
// settles, rank ordering, the unstable-loop limit, clock-work marks, exceptions raised by
// nodes, the design-input inventory and teardown.
#include <gtest/gtest.h>

#include <stdexcept>

#include "engine/constant_node.h"
#include "engine/link.h"
#include "engine/perimeter.h"
#include "nodes/adders.h"
#include "nodes/logic.h"
#include "nodes/registers.h"
#include "test_nodes.h"

namespace Sim::testing {
namespace {

// Counts destructions and BeforeDelete calls across instances.
class Node_Counted : public Node_TestNot {
public:
    ~Node_Counted() override { ++destroyed; }
    void BeforeDelete() override { ++before_delete; }
    static inline int destroyed = 0;
    static inline int before_delete = 0;
};

using ManagerTest = EngineTest;

TEST_F(ManagerTest, RanksFollowCreationAndStayDistinctAfterAReplacement)
{
    Manager manager("ranks");
    EXPECT_EQ(manager.FindNode("(top)"), &Node_Constant_Sngl::Instance());
    EXPECT_EQ(manager.FindNode("(top)")->Rank(), 0);
    auto* first = manager.NewNode<Node_TestNot>("first");
    auto* second = manager.NewNode<Node_TestNot>("second");
    EXPECT_EQ(first->Rank(), 2);
    EXPECT_EQ(second->Rank(), 3);
    auto* replacement = manager.NewNode<Node_TestNot>("first");
    EXPECT_EQ(replacement->Rank(), 4);
    EXPECT_EQ(manager.FindNode("nobody"), nullptr);
}

TEST_F(ManagerTest, DuplicateNameReplacesAndDeletesTheOlderNode)
{
    Node_Counted::destroyed = 0;
    {
        Manager manager("dup");
        manager.NewNode<Node_Counted>("twin");
        auto* second = manager.NewNode<Node_Counted>("twin");
        EXPECT_TRUE(HasMessage(
            SEV_FATAL, "Node name 'twin' was not unique. This is an unrecoverable design violation."));
        EXPECT_EQ(Node_Counted::destroyed, 1);
        EXPECT_EQ(manager.FindNode("twin"), second);
        EXPECT_EQ(manager.Nodes().size(), 2u);
        EXPECT_EQ(manager.Run(0), 2);
    }
    EXPECT_EQ(Node_Counted::destroyed, 2);
}

TEST_F(ManagerTest, RunZeroEvaluatesEveryNodeOnceWithoutAClockEdge)
{
    Manager manager("run0");
    auto* reg = manager.NewNode<Node_TestRegister>("reg");
    auto* inv = manager.NewNode<Node_TestNot>("inv");
    auto* add = manager.NewNode<Node_TestAdd>("add");
    EXPECT_EQ(manager.Run(0), 4);
    EXPECT_EQ(manager.Cycle(), 0);
    EXPECT_EQ(reg->clock_edges, 0);
    EXPECT_EQ(reg->evaluations, 1);
    EXPECT_EQ(inv->evaluations, 1);
    EXPECT_EQ(add->evaluations, 1);
    EXPECT_EQ(manager.Run(0), 0);  // nothing changed since
}

TEST_F(ManagerTest, RunCountsCyclesAndClocksNodesWithClockWork)
{
    Manager manager("run3");
    auto* reg = manager.NewNode<Node_TestRegister>("reg");
    auto* inv = manager.NewNode<Node_TestNot>("inv");
    manager.Run(3);
    EXPECT_EQ(manager.Cycle(), 3);
    EXPECT_EQ(reg->clock_edges, 3);
    EXPECT_EQ(inv->evaluations, 1);  // settled, never clocked, inputs never changed
    EXPECT_EQ(manager.Run(-2), -2);
    EXPECT_EQ(manager.Cycle(), 3);
}

// Counts its clock edges, then does what the adder's own hook (the base one) does.
class Node_EdgeCountingAdd : public Node_TestAdd {
public:
    bool ClockHook() override
    {
        ++edges;
        return Node_TestAdd::ClockHook();
    }
    int edges = 0;
};

// Has clock-edge work only while active; otherwise its hook is the base one.
class Node_SometimesClocked : public Node_TestAdd {
public:
    bool ClockHook() override
    {
        if (!active)
            return Node_Concurrent::ClockHook();
        ++edges;
        return false;
    }
    bool active = false;
    int edges = 0;
};

// Nodes answering IsSettled false get an edge in every cycle, whatever their hook does with
// it: only an edge that cannot do anything (the base hook, no registered output) is left out.
TEST_F(ManagerTest, ClassesWithTheirOwnClockHookAreClockedInEveryCycle)
{
    Manager manager("hooks");
    auto* counting = manager.NewNode<Node_EdgeCountingAdd>("counting");
    auto* sometimes = manager.NewNode<Node_SometimesClocked>("sometimes");
    manager.Run(5);
    EXPECT_EQ(counting->edges, 5);
    manager.Run(2);
    EXPECT_EQ(sometimes->edges, 0);
    sometimes->active = true;
    manager.Run(3);
    EXPECT_EQ(sometimes->edges, 3);
    manager.NewNode<Node_TestAdd>("later");  // a new scheduler
    manager.Run(3);
    EXPECT_EQ(sometimes->edges, 6);
    EXPECT_EQ(counting->edges, 13);
}

TEST_F(ManagerTest, RegisteredOutputReachesItsReaderAfterTheClock)
{
    Manager manager("pipe");
    manager.NewNode<Node_TestNot>("src");
    auto* reg = manager.NewNode<Node_TestRegister>("reg");
    auto* sink = manager.NewNode<Node_TestNot>("sink");
    ASSERT_TRUE(Link(manager, "src", "y", "reg", "d", false));
    ASSERT_TRUE(Link(manager, "reg", "q", "sink", "a", false));
    manager.Run(0);
    EXPECT_EQ(reg->q->ValueInt(), 0u);  // src drives 0xFF, not clocked yet
    manager.Run(1);
    EXPECT_EQ(reg->q->ValueInt(), 0xFFu);
    EXPECT_EQ(sink->y->ValueInt(), 0x00u);
}

TEST_F(ManagerTest, ReconvergentPathsCreatedBackwardsEvaluateEachNodeOnce)
{
    // The input feeds a chain and, directly, the join at its end. Nodes are created sink
    // first, so creation ranks run against the data flow; only the rank exchange of the
    // preparation lets the join wait for the chain instead of running twice.
    Manager manager("chain");
    const int length = 20;
    manager.NewNode<Node_Perimeter_Out>("out", AnyWidth(8));
    auto* join = manager.NewNode<Node_TestAdd>("join");
    std::vector<Node_TestNot*> chain(length);
    for (int i = length - 1; i >= 0; --i)
        chain[i] = manager.NewNode<Node_TestNot>(Numbered("n", i));
    auto* input = manager.NewNode<Node_Perimeter_In>("in", AnyWidth(8));
    ASSERT_TRUE(Link(manager, "in", "(perimeter io)", "n0", "a", false));
    for (int i = 1; i < length; ++i)
        ASSERT_TRUE(Link(manager, Numbered("n", i - 1), "y", Numbered("n", i), "a", false));
    ASSERT_TRUE(Link(manager, Numbered("n", length - 1), "y", "join", "a", false));
    ASSERT_TRUE(Link(manager, "in", "(perimeter io)", "join", "b", false));
    ASSERT_TRUE(Link(manager, "join", "y", "out", "(perimeter io)", false));
    manager.Run(0);
    EXPECT_LT(input->Rank(), chain[0]->Rank());
    for (int i = 1; i < length; ++i)
        EXPECT_LT(chain[i - 1]->Rank(), chain[i]->Rank()) << i;
    EXPECT_LT(chain.back()->Rank(), join->Rank());

    for (Node_TestNot* node : chain)
        node->evaluations = 0;
    join->evaluations = 0;
    input->SetInput(MLIB_UINTEGER(0x5A, 8));
    EXPECT_EQ(manager.Run(1), 1 + length + 1 + 1);
    for (Node_TestNot* node : chain)
        EXPECT_EQ(node->evaluations, 1);
    EXPECT_EQ(join->evaluations, 1);
    EXPECT_EQ(join->y->ValueInt(), 0xB4u);  // 0x5A through an even number of inversions, plus 0x5A
}

// A ring beside 20,000 idle nodes once cost N * N + 100 = 400 million evaluations per settle:
// the limit is at most 64 per node and 100,000 more, while small designs keep N * N + 100.
TEST_F(ManagerTest, UnstableRingBesideManyIdleNodesStopsAtTheLargeDesignLimit)
{
    Manager manager("ring");
    auto* a = manager.NewNode<Node_TestNot>("ring_a");
    auto* b = manager.NewNode<Node_TestNot>("ring_b");
    ASSERT_TRUE(Link(manager, "ring_a", "y", "ring_b", "a", false));
    ASSERT_TRUE(Link(manager, "ring_b", "y", "ring_a", "a", true));
    for (int i = 0; i < 20000; ++i)
        manager.NewNode<Node_TestNot>("idle" + std::to_string(i));
    EXPECT_EQ(manager.Run(0), 0);
    const int64_t nodes = 20003;  // the constant node included
    // The ring holds the smallest ranks, so it takes every evaluation until the cut.
    EXPECT_EQ(a->evaluations + b->evaluations + 1, 64 * nodes + 100000 + 1);
    EXPECT_TRUE(HasMessage(SEV_WARNING, "Design may contain an unstable concurrent logic loop; nodes did not "
                                        "converge to stable values within reasonable time."));
}

TEST_F(ManagerTest, UnstableRingIsCutOffAndReportedOnce)
{
    Manager manager("ring");
    auto* a = manager.NewNode<Node_TestNot>("ring_a");
    auto* b = manager.NewNode<Node_TestNot>("ring_b");
    // Three inversions around the ring (the second link inverts): it can never settle.
    ASSERT_TRUE(Link(manager, "ring_a", "y", "ring_b", "a", false));
    ASSERT_TRUE(Link(manager, "ring_b", "y", "ring_a", "a", true));
    EXPECT_EQ(manager.Run(0), 0);
    const int nodes = 3;
    EXPECT_EQ(a->evaluations + b->evaluations + 1, nodes * nodes + 100 + 1);
    ASSERT_EQ(pending_messages().size(), 3u);
    EXPECT_TRUE(HasMessage(SEV_WARNING, "Design may contain an unstable concurrent logic loop; nodes did not "
                                        "converge to stable values within reasonable time."));
    EXPECT_TRUE(HasMessage(SEV_INFO,
                           "Simulation speed and results may be affected. This warning will only be "
                           "displayed once."));
    const std::string& names = pending_messages()[2].text;
    EXPECT_EQ(names.rfind("The following nodes may be unstable:  ring_", 0), 0u) << names;

    // The queued node is frozen for this scheduler; nothing more is reported.
    int evaluations = a->evaluations + b->evaluations;
    EXPECT_EQ(manager.Run(4), 0);
    EXPECT_EQ(a->evaluations + b->evaluations, evaluations);
    EXPECT_EQ(pending_messages().size(), 3u);

    // A new scheduler (after a node change) warns again.
    manager.NewNode<Node_TestNot>("bystander");
    EXPECT_EQ(manager.Run(0), 0);
    EXPECT_EQ(pending_messages().size(), 6u);
}

TEST_F(ManagerTest, NewNodeAfterARunDiscardsTheScheduler)
{
    Manager manager("again");
    manager.NewNode<Node_TestNot>("one");
    manager.Run(2);
    EXPECT_TRUE(manager.HasScheduler());
    EXPECT_EQ(manager.Cycle(), 2);
    auto* late = manager.NewNode<Node_TestNot>("late");
    EXPECT_FALSE(manager.HasScheduler());
    EXPECT_EQ(manager.Cycle(), 0);
    EXPECT_EQ(manager.Run(1), 3);  // a fresh preparation queues every node
    EXPECT_EQ(manager.Cycle(), 1);
    EXPECT_EQ(late->evaluations, 1);
    EXPECT_GE(late->Id(), 0);
}

TEST_F(ManagerTest, RegisterSetsAndClearsItsOwnClockWorkWhileEvaluated)
{
    Manager manager("pending");
    auto* input = manager.NewNode<Node_Perimeter_In>("d", AnyWidth(8));
    auto* reg = manager.NewNode<Node_TestPendingRegister>("reg");
    ASSERT_TRUE(Link(manager, "d", "(perimeter io)", "reg", "d", false));
    input->SetInput(MLIB_UINTEGER(0, 8));
    // Pending at registration: the first cycle clocks it, its evaluation clears the mark.
    manager.Run(1);
    EXPECT_EQ(reg->clock_edges, 1);
    EXPECT_FALSE(reg->pending);
    manager.Run(3);
    EXPECT_EQ(reg->clock_edges, 1);
    // A new value makes it pending in the settle; the next cycle's edge takes it.
    input->SetInput(MLIB_UINTEGER(7, 8));
    manager.Run(1);
    EXPECT_TRUE(reg->pending);
    EXPECT_EQ(reg->clock_edges, 1);
    manager.Run(1);
    EXPECT_EQ(reg->clock_edges, 2);
    EXPECT_EQ(reg->q->ValueInt(), 7u);
    EXPECT_FALSE(reg->pending);
    manager.Run(2);
    EXPECT_EQ(reg->clock_edges, 2);
    // Marks for nodes the scheduler does not hold are ignored.
    Manager other("other");
    other.SetClockWork(reg, true);
    manager.SetClockWork(nullptr, true);
}

// The clock phase keeps its marks 64 to a word: nodes on both sides of word boundaries are
// clocked every cycle when always marked, and a pending register far into the table sets and
// clears its own mark.
TEST_F(ManagerTest, ClockPhaseReachesMarkedNodesAcrossManyMarkWords)
{
    Manager manager("words");
    std::vector<Node_TestRegister*> registers;
    for (int i = 0; i < 150; ++i)
        registers.push_back(manager.NewNode<Node_TestRegister>("reg" + std::to_string(i)));
    auto* input = manager.NewNode<Node_Perimeter_In>("d", AnyWidth(8));
    auto* pending = manager.NewNode<Node_TestPendingRegister>("late");
    ASSERT_TRUE(Link(manager, "d", "(perimeter io)", "late", "d", false));
    input->SetInput(MLIB_UINTEGER(0, 8));
    manager.Run(3);
    for (Node_TestRegister* reg : registers)
        ASSERT_EQ(reg->clock_edges, 3) << reg->Name();
    EXPECT_GE(pending->Id(), 64);
    EXPECT_EQ(pending->clock_edges, 1);
    input->SetInput(MLIB_UINTEGER(9, 8));
    manager.Run(2);
    EXPECT_EQ(pending->clock_edges, 2);
    EXPECT_EQ(pending->q->ValueInt(), 9u);
    EXPECT_EQ(registers.back()->clock_edges, 5);
}

TEST_F(ManagerTest, ExceptionFromEvaluateIsReportedOncePerNodeAndLeavesOutputs)
{
    Manager manager("throws");
    auto* input = manager.NewNode<Node_Perimeter_In>("in", AnyWidth(8));
    auto* thrower = manager.NewNode<Node_TestThrow>("thrower");
    auto* after = manager.NewNode<Node_TestNot>("after");
    auto* beside = manager.NewNode<Node_TestNot>("beside");  // ranked after the thrower
    ASSERT_TRUE(Link(manager, "in", "(perimeter io)", "thrower", "a", false));
    ASSERT_TRUE(Link(manager, "thrower", "y", "after", "a", false));
    ASSERT_TRUE(Link(manager, "in", "(perimeter io)", "beside", "a", false));
    input->SetInput(MLIB_UINTEGER(4, 8));
    manager.Run(1);
    EXPECT_EQ(thrower->y->ValueInt(), 4u);
    for (uint32_t value : {5u, 7u, 9u}) {
        input->SetInput(MLIB_UINTEGER(value, 8));
        manager.Run(1);
        EXPECT_EQ(beside->y->ValueInt(), ~value & 0xFFu);  // the settle went on after the failure
    }
    EXPECT_EQ(thrower->evaluations, 4);
    EXPECT_EQ(thrower->y->ValueInt(), 4u);
    EXPECT_EQ(after->y->ValueInt(), 0xFBu);
    EXPECT_EQ(CountMessages(SEV_ERROR, "Node 'thrower' (TEST THR) failed during evaluation: "
                                       "MLIB_UINTEGER::bit() called with illegal bit_position"),
              1);
    input->SetInput(MLIB_UINTEGER(6, 8));
    manager.Run(1);
    EXPECT_EQ(after->y->ValueInt(), 0xF9u);
}

// Raises from its clock-edge work in every cycle.
class Node_ThrowOnClock : public Node_TestRegister {
public:
    bool ClockHook() override
    {
        ++clock_edges;
        throw std::runtime_error("clock work failed");
    }
};

TEST_F(ManagerTest, ExceptionFromClockWorkIsReportedOnceAndTheRunGoesOn)
{
    Manager manager("clock_throws");
    auto* node = manager.NewNode<Node_ThrowOnClock>("clocky");
    auto* other = manager.NewNode<Node_TestRegister>("steady");
    manager.Run(5);
    EXPECT_EQ(node->clock_edges, 5);
    EXPECT_EQ(other->clock_edges, 5);
    EXPECT_EQ(manager.Cycle(), 5);
    EXPECT_EQ(
        CountMessages(SEV_ERROR, "Node 'clocky' (TEST REG) failed during evaluation: clock work failed"), 1);
    EXPECT_EQ(pending_messages().size(), 1u);
}

TEST_F(ManagerTest, InventoryFollowsCombinationalPathsAndForwardingRegisters)
{
    Manager manager("inventory");
    const char* names[] = {"via_gate", "via_data", "via_clear", "unused_input"};
    for (const char* name : names)
        manager.NewNode<Node_Perimeter_In>(name, AnyWidth(8));
    manager.NewNode<Node_TestNot>("gate");
    manager.NewNode<Node_TestClearOnly>("reg");
    manager.NewNode<Node_TestAdd>("join");
    manager.NewNode<Node_Perimeter_Out>("out", AnyWidth(8));
    ASSERT_TRUE(Link(manager, "via_gate", "(perimeter io)", "gate", "a", false));
    ASSERT_TRUE(Link(manager, "via_data", "(perimeter io)", "reg", "data", false));
    ASSERT_TRUE(Link(manager, "via_clear", "(perimeter io)", "reg", "clear", false));
    ASSERT_TRUE(Link(manager, "gate", "y", "join", "a", false));
    ASSERT_TRUE(Link(manager, "reg", "q", "join", "b", false));
    ASSERT_TRUE(Link(manager, "join", "y", "(top)", "out", false));
    manager.SetInputOrder({"unused_input", "via_clear", "via_data", "via_gate"});
    manager.NewNode<Node_Perimeter_In>("unordered", AnyWidth(8));  // no position: last
    manager.Run(1);

    std::vector<InputInfo> inventory;
    manager.InputInventory(inventory);
    EXPECT_FALSE(manager.HasScheduler());
    ASSERT_EQ(inventory.size(), 5u);
    const InputInfo expected[] = {{"unused_input", 0, false},
                                  {"via_clear", 1, true},
                                  {"via_data", 2, false},
                                  {"via_gate", 3, true},
                                  {"unordered", 4, false}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(inventory[i].name, expected[i].name);
        EXPECT_EQ(inventory[i].position, expected[i].position);
        EXPECT_EQ(inventory[i].reaches_output, expected[i].reaches_output) << expected[i].name;
    }
}

// The search enters each reader before it looks at the next one, so the visit limit is used
// up in that order: here the two passes through the adder spend the register's ten visits
// (five inputs each) before the buffer's path to its clear input is tried.
TEST_F(ManagerTest, InventorySearchSpendsVisitsInDepthFirstOrder)
{
    Manager manager("order");
    manager.NewNode<Node_Perimeter_In>("in", AnyWidth(1));
    manager.NewNode<Node_UnsnAdd>("adder", AnyWidth(1));
    manager.NewNode<Node_BufDrn>("buffer", AnyWidth(1));
    manager.NewNode<Node_DFFE_Bit>("reg");
    manager.NewNode<Node_Perimeter_Out>("out", AnyWidth(1));
    ASSERT_TRUE(Link(manager, "in", "(perimeter io)", "adder", "dataa", false));
    ASSERT_TRUE(Link(manager, "in", "(perimeter io)", "adder", "datab", false));
    ASSERT_TRUE(Link(manager, "in", "(perimeter io)", "buffer", "datain", false));
    for (const char* port : {"datain", "adata", "ena", "sclr", "sload"})
        ASSERT_TRUE(Link(manager, "adder", "dataout", "reg", port, false));
    ASSERT_TRUE(Link(manager, "buffer", "dataout", "reg", "clear", false));
    ASSERT_TRUE(Link(manager, "reg", "dataout", "out", "(perimeter io)", false));
    std::vector<InputInfo> inventory;
    manager.InputInventory(inventory);
    ASSERT_EQ(inventory.size(), 1u);
    EXPECT_FALSE(inventory[0].reaches_output);
}

TEST_F(ManagerTest, InventorySearchEndsOnLoops)
{
    Manager manager("loop");
    manager.NewNode<Node_Perimeter_In>("in", AnyWidth(8));
    manager.NewNode<Node_TestAdd>("x");
    manager.NewNode<Node_TestAdd>("y");
    ASSERT_TRUE(Link(manager, "in", "(perimeter io)", "x", "a", false));
    ASSERT_TRUE(Link(manager, "y", "y", "x", "b", false));
    ASSERT_TRUE(Link(manager, "x", "y", "y", "a", false));
    std::vector<InputInfo> inventory;
    manager.InputInventory(inventory);
    ASSERT_EQ(inventory.size(), 1u);
    EXPECT_FALSE(inventory[0].reaches_output);
}

TEST_F(ManagerTest, TeardownCallsBeforeDeleteAndKeepsTheConstantNode)
{
    Node_Counted::before_delete = 0;
    Node_Counted::destroyed = 0;
    {
        Manager manager("teardown");
        manager.NewNode<Node_Counted>("a");
        manager.NewNode<Node_Counted>("b");
        manager.Run(1);
        EXPECT_EQ(Node_Constant_Sngl::Instance().GetManager(), &manager);
    }
    EXPECT_EQ(Node_Counted::before_delete, 2);
    EXPECT_EQ(Node_Counted::destroyed, 2);
    EXPECT_EQ(Node_Constant_Sngl::Instance().GetManager(), nullptr);
    // The constant node survives and serves the next manager.
    Manager next("next");
    auto* node = next.NewNode<Node_TestNot>("n");
    EXPECT_EQ(node->a->Value().is_undefined(), false);  // narrow inputs read "(unused)" as 0
    EXPECT_EQ(next.Run(0), 2);
    EXPECT_EQ(node->y->ValueInt(), 0xFFu);
}

}  // namespace
}  // namespace Sim::testing
