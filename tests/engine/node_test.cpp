// Node_Base and Node_Concurrent: creation without CreatePorts, port lookup with its
// fallback and report, port filing, the clock edge and the driver list.
#include <gtest/gtest.h>

#include "engine/constant_node.h"
#include "engine/link.h"
#include "test_nodes.h"

namespace Sim::testing {
namespace {

// A class that forgets CreatePorts.
class Node_NoPorts : public Node_Concurrent {
public:
    bool Evaluate() override { return false; }
};

// Two registered outputs clocked together.
class Node_TwoRegisters : public Node_Concurrent {
public:
    void CreatePorts(const ParamQuery&) override
    {
        first = AddPort(CreateRegisteredOutputPort("first", 8));
        second = AddPort(CreateRegisteredOutputPort("second", 40));
    }
    bool Evaluate() override { return false; }
    Port_Base* first = nullptr;
    Port_Base* second = nullptr;
};

using NodeTest = EngineTest;

TEST_F(NodeTest, NodeWithoutCreatePortsIsCreatedAndReported)
{
    Manager manager("nodes");
    auto* node = manager.NewNode<Node_NoPorts>("lonely");
    EXPECT_EQ(manager.FindNode("lonely"), node);
    EXPECT_EQ(node->TypeName(), "UNKNOWN!");
    EXPECT_TRUE(HasMessage(SEV_INTERNAL,
                           "CreatePorts() reached in abstract class Node_Base. Function should be "
                           "overridden when creating node model. Call was on object: lonely"));
    EXPECT_EQ(manager.Run(1), 1 + 1);  // "(top)" and the node, each evaluated once
}

TEST_F(NodeTest, UnknownPortNameGivesTheUndefinedConstantAndOneReportPerCall)
{
    Manager manager("nodes");
    auto* node = manager.NewNode<Node_TestNot>("inv");
    EXPECT_EQ(node->FindPort("a"), node->a);
    for (int call = 1; call <= 2; ++call) {
        Port_Base* port = node->FindPort("missing");
        ASSERT_NE(port, nullptr);
        EXPECT_TRUE(port->Value().is_undefined());
        EXPECT_EQ(port, Node_Constant_Sngl::Instance().ConstantPort(0));
        EXPECT_EQ(CountMessages(SEV_ERROR,
                                "Referenced non-existent port name 'missing' on 'TEST NOT'node 'inv'. "
                                "Unable to connect models (using X instead)."),
                  call);
    }
}

TEST_F(NodeTest, AddPortFilesPortsAndRejectsNull)
{
    Manager manager("nodes");
    auto* node = manager.NewNode<Node_TestNot>("inv");
    EXPECT_EQ(node->AddPort(nullptr), nullptr);
    EXPECT_TRUE(HasMessage(
        SEV_WARNING, "Attempted to add null ptr to a port list (INTERNAL ERROR - WILL ATTEMPT TO CONTINUE)"));
    ASSERT_EQ(node->Inputs().size(), 1u);
    // A second port of the same name replaces the first in the lookup; both stay alive.
    Port_Base* again = node->AddPort(node->CreateInputPort("a", 8, 2));
    EXPECT_EQ(node->FindPort("a"), again);
    EXPECT_EQ(node->Inputs().size(), 2u);
    EXPECT_EQ(node->a->ValueInt(), 0u);
    EXPECT_EQ(again->ValueInt(), 0xFFu);
}

TEST_F(NodeTest, ClockEdgeClocksEveryRegisteredOutput)
{
    Manager manager("nodes");
    auto* node = manager.NewNode<Node_TwoRegisters>("regs");
    node->first->SetInt(5);
    node->second->SetInt(9);
    EXPECT_TRUE(node->ClockEdge());
    // Only the first changes: true, and both hold their next values.
    node->first->SetInt(6);
    node->second->SetInt(9);
    EXPECT_TRUE(node->ClockEdge());
    EXPECT_EQ(node->first->ValueInt(), 6u);
    EXPECT_EQ(node->second->ValueInt(), 9u);
    // Only the second changes: it is clocked although the first reported nothing.
    node->second->SetInt(77);
    EXPECT_TRUE(node->ClockEdge());
    EXPECT_EQ(node->second->ValueInt(), 77u);
    EXPECT_EQ(node->first->ValueInt(), 6u);
    EXPECT_FALSE(node->ClockEdge());
}

TEST_F(NodeTest, DriversAreListedOncePerInput)
{
    Manager manager("nodes");
    auto* source = manager.NewNode<Node_TestNot>("src");
    auto* adder = manager.NewNode<Node_TestAdd>("add");
    ASSERT_TRUE(Link(manager, "src", "y", "add", "a", false));
    ASSERT_TRUE(Link(manager, "src", "y", "add", "b", false));
    std::vector<Node_Base*> drivers = adder->GetDrivers();
    ASSERT_EQ(drivers.size(), 2u);
    EXPECT_EQ(drivers[0], source);
    EXPECT_EQ(drivers[1], source);
    EXPECT_EQ(Node_Base::DriverOf(adder->a), source);
    EXPECT_EQ(Node_Base::DriverOf(adder->y), nullptr);
    // An unlinked input is driven by the shared constant node.
    EXPECT_EQ(source->GetDrivers()[0], &Node_Constant_Sngl::Instance());
}

}  // namespace
}  // namespace Sim::testing
