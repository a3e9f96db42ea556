// The message store: printed forms of every severity, ordering, and the error_seen flag.
#include <gtest/gtest.h>

#include <string>

#include "base/messages.h"

namespace {

// Captures what the flush prints; restores standard error afterwards.
class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear_messages();
        set_console_sink([this](const std::string& text) { printed += text; });
    }
    void TearDown() override
    {
        set_console_sink(nullptr);
        clear_messages();
    }
    std::string printed;
};

}  // namespace

TEST_F(MessagesTest, EachSeverityPrintsItsExactForm)
{
    report(SEV_WARNING, "w");
    report(SEV_ERROR, "e");
    report(SEV_FATAL, "f");
    report(SEV_INFO, "i");
    report(SEV_INTERNAL, "never shown");
    report(SEV_INTERNAL, "twice");
    report(SEV_TRACE, "trace");
    bool error_seen = false;
    EXPECT_TRUE(flush_messages(0, "top", error_seen));
    EXPECT_EQ(printed, "Blocktide Warning: top: w\n"
                       "Blocktide Error: top: e\n"
                       "Blocktide Fatal Error: top: f\n"
                       " Blocktide Info: top\n    i"
                       " A Blocktide Internal Error has occurred. Please contact Morvane technical support for "
                       "assistance."
                       " A Blocktide Internal Error has occurred. Please contact Morvane technical support for "
                       "assistance.");
    EXPECT_TRUE(pending_messages().empty());  // the trace is dropped too
}

TEST_F(MessagesTest, OnlyErrorsAndFatalsSetErrorSeen)
{
    for (int severity : {SEV_INFO, SEV_TRACE, SEV_WARNING, SEV_INTERNAL}) {
        report(severity, "x");
        bool error_seen = false;
        EXPECT_FALSE(flush_messages(0, "t", error_seen)) << severity;
    }
    for (int severity : {SEV_ERROR, SEV_FATAL}) {
        report(severity, "x");
        bool error_seen = false;
        EXPECT_TRUE(flush_messages(0, "t", error_seen)) << severity;
    }
}

TEST_F(MessagesTest, FlushOfEmptyStoreKeepsTheFlag)
{
    bool error_seen = true;
    EXPECT_TRUE(flush_messages(0, "t", error_seen));
    error_seen = false;
    EXPECT_FALSE(flush_messages(0, "t", error_seen));
    EXPECT_EQ(printed, "");
}

TEST_F(MessagesTest, LevelLeavesLowerSeveritiesInOrder)
{
    report(SEV_INFO, "first");
    report(SEV_ERROR, "second");
    report(SEV_WARNING, "third");
    report(SEV_ERROR, "fourth");
    bool error_seen = false;
    flush_messages(SEV_ERROR, "t", error_seen);
    EXPECT_EQ(printed, "Blocktide Error: t: second\nBlocktide Error: t: fourth\n");
    ASSERT_EQ(pending_messages().size(), 2u);
    EXPECT_EQ(pending_messages()[0].text, "first");
    EXPECT_EQ(pending_messages()[1].text, "third");
}

TEST_F(MessagesTest, TextIsNeverUsedAsAFormat)
{
    report(SEV_WARNING, "100% of %s and %d");
    bool error_seen = false;
    flush_messages(0, "name%n", error_seen);
    EXPECT_EQ(printed, "Blocktide Warning: name%n: 100% of %s and %d\n");
}

TEST_F(MessagesTest, TwoSessionsShareTheStore)
{
    report(SEV_WARNING, "from a");
    bool a_seen = false, b_seen = false;
    flush_messages(0, "b", b_seen);
    EXPECT_EQ(printed, "Blocktide Warning: b: from a\n");
    flush_messages(0, "a", a_seen);
    EXPECT_EQ(printed, "Blocktide Warning: b: from a\n");
}

// A flood of reports (thousands of faulty netlist lines) keeps the store bounded: beyond
// 10,000 waiting messages the rest are counted, and an error among them still counts.
TEST_F(MessagesTest, FloodIsCountedBeyondTheStoreLimit)
{
    for (int i = 0; i < 10000; ++i)
        report(SEV_WARNING, "w");
    report(SEV_INFO, "dropped");
    report(SEV_FATAL, "dropped too");
    EXPECT_EQ(pending_messages().size(), 10000u);
    bool error_seen = false;
    EXPECT_TRUE(flush_messages(0, "top", error_seen));
    const std::string last = "Blocktide Warning: top: 2 further messages were dropped\n";
    ASSERT_GE(printed.size(), last.size());
    EXPECT_EQ(printed.substr(printed.size() - last.size()), last);
    printed.clear();
    report(SEV_WARNING, "after");
    error_seen = false;
    EXPECT_FALSE(flush_messages(0, "top", error_seen));
    EXPECT_EQ(printed, "Blocktide Warning: top: after\n");
}
