// Tests of the log facility: slots, the default "log.txt", indentation limits, prefixes, the
// slot stack, and failed checks that print their line and leave the facility usable.
#include "base/log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string FailureLine(const std::string& condition)
{
    return "\n\nCRITICAL LOGFILE FAILURE (" + condition + ")\n\n";
}

// Every test runs in its own empty directory, so the default "log.txt" lands there, and
// leaves every slot closed with slot 0 current.
class LogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = fs::current_path();
        // Named after the process and test, so parallel test runs never share a directory.
        std::string name = "log_test_";
        name.append(std::to_string(getpid())).append("_");
        name.append(::testing::UnitTest::GetInstance()->current_test_info()->name());
        directory_ = fs::path(::testing::TempDir()) / name;
        fs::remove_all(directory_);
        fs::create_directories(directory_);
        fs::current_path(directory_);
        logfile_close_all();
    }
    void TearDown() override
    {
        logfile_close_all();
        fs::current_path(previous_);
        fs::remove_all(directory_);
    }

    fs::path previous_;
    fs::path directory_;
};

TEST_F(LogTest, FirstLineWithoutOpenAppendsToLogTxtInTheWorkingDirectory)
{
    std::ofstream("log.txt") << "earlier\n";
    logfile_printf("value %d and %s", 42, "text");
    logfile_printf("second");
    EXPECT_EQ(ReadText("log.txt"), "earlier\nvalue 42 and text\nsecond\n");
}

TEST_F(LogTest, EveryLineIsOnDiskAsSoonAsItIsWritten)
{
    ASSERT_TRUE(logfile_open(4, "flushed.txt", false));
    logfile_printf("one");
    EXPECT_EQ(ReadText("flushed.txt"), "one\n");  // the slot is still open
}

TEST_F(LogTest, OpenTruncatesOrAppends)
{
    std::ofstream("a.txt") << "old\n";
    std::ofstream("b.txt") << "old\n";
    ASSERT_TRUE(logfile_open(1, "a.txt", false));
    logfile_printf("new");
    ASSERT_TRUE(logfile_open(2, "b.txt", true));
    logfile_printf("new");
    logfile_close_all();
    EXPECT_EQ(ReadText("a.txt"), "new\n");
    EXPECT_EQ(ReadText("b.txt"), "old\nnew\n");
}

TEST_F(LogTest, IndentationIsKeptBetweenZeroAnd32Tabs)
{
    ASSERT_TRUE(logfile_open(1, "indent.txt", false));
    struct Step {
        int indent, outdent;
        int tabs;
    } steps[] = {{0, 0, 0}, {40, 0, 32}, {0, 2, 30}, {0, 100, 0}, {0, 1, 0}, {3, 0, 3}, {-10, 0, 0}};
    std::string expected;
    for (const Step& step : steps) {
        logfile_indent(step.indent);
        logfile_outdent(step.outdent);
        logfile_printf("x");
        expected += std::string(static_cast<size_t>(step.tabs), '\t') + "x\n";
    }
    EXPECT_EQ(ReadText("indent.txt"), expected);
}

TEST_F(LogTest, PrefixFollowsTheIndentationWithOneBlank)
{
    ASSERT_TRUE(logfile_open(1, "prefix.txt", false));
    logfile_indent(1);
    logfile_set_prefix("NOTE:");
    logfile_printf("a");
    logfile_set_prefix("");
    logfile_printf("b");
    logfile_set_prefix("again");
    logfile_set_prefix(nullptr);
    logfile_printf("c");
    EXPECT_EQ(ReadText("prefix.txt"), "\tNOTE: a\n\tb\n\tc\n");
}

TEST_F(LogTest, IndentationAndPrefixBelongToTheirSlotAndGoWhenItCloses)
{
    ASSERT_TRUE(logfile_open(1, "one.txt", false));
    logfile_indent(2);
    logfile_set_prefix(">");
    ASSERT_TRUE(logfile_open(2, "two.txt", false));
    logfile_printf("plain");
    logfile_select(1);
    logfile_printf("deep");
    logfile_close(1);
    ASSERT_TRUE(logfile_open(1, "one.txt", true));
    logfile_printf("fresh");
    EXPECT_EQ(ReadText("one.txt"), "\t\t> deep\nfresh\n");
    EXPECT_EQ(ReadText("two.txt"), "plain\n");
}

TEST_F(LogTest, ClosingTheCurrentSlotMakesSlotZeroCurrent)
{
    ASSERT_TRUE(logfile_open(3, "three.txt", false));
    logfile_close(3);
    logfile_printf("after close");
    EXPECT_EQ(ReadText("log.txt"), "after close\n");
    EXPECT_EQ(ReadText("three.txt"), "");
}

TEST_F(LogTest, PushAndPopReturnToTheSavedSlot)
{
    ASSERT_TRUE(logfile_open(1, "one.txt", false));
    ASSERT_TRUE(logfile_open(2, "two.txt", false));
    logfile_push(1);  // saves slot 2
    logfile_printf("pushed");
    logfile_pop();
    logfile_printf("popped");
    logfile_pop();  // empty stack: the slot at the bottom, 2, again
    logfile_printf("popped again");
    EXPECT_EQ(ReadText("one.txt"), "pushed\n");
    EXPECT_EQ(ReadText("two.txt"), "popped\npopped again\n");
}

TEST_F(LogTest, FailedChecksPrintTheirLineAndAbandonOnlyThatOperation)
{
    ASSERT_TRUE(logfile_open(1, "one.txt", false));
    const std::string bad_file = (directory_ / "missing_dir" / "x.txt").string();
    struct Case {
        const char* what;
        std::function<void()> operation;
        std::string condition;
    } cases[] = {
        {"open slot 16", [] { logfile_open(16, "x.txt", false); },
         "(P_num >= 0) && (P_num < LOGFILE_MAX_FILES)"},
        {"open slot -1", [] { logfile_open(-1, "x.txt", false); },
         "(P_num >= 0) && (P_num < LOGFILE_MAX_FILES)"},
        {"close slot 99", [] { logfile_close(99); }, "(P_num >= 0) && (P_num < LOGFILE_MAX_FILES)"},
        {"select slot 16", [] { logfile_select(16); }, "(P_num >= 0) && (P_num < LOGFILE_MAX_FILES)"},
        {"push slot -3", [] { logfile_push(-3); }, "(P_num >= 0) && (P_num < LOGFILE_MAX_FILES)"},
        {"open a file that cannot be created", [&] { logfile_open(5, bad_file.c_str(), false); },
         "log_data.fh[P_num]"},
        {"select a closed slot", [] { EXPECT_EQ(logfile_select(7), -1); }, "log_data.fh[P_num]"},
        {"push a closed slot", [] { logfile_push(7); }, "log_data.fh[P_num]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ::testing::internal::CaptureStdout();
        c.operation();
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), FailureLine(c.condition));
        // The process goes on and slot 1 is still the one written to.
        logfile_printf("%s", c.what);
    }
    std::string expected;
    for (const Case& c : cases)
        expected += std::string(c.what) + "\n";
    EXPECT_EQ(ReadText("one.txt"), expected);
    EXPECT_FALSE(fs::exists("x.txt"));
}

TEST_F(LogTest, StackHoldsAtMost63SlotsAndPopSkipsAClosedSlot)
{
    ASSERT_TRUE(logfile_open(1, "one.txt", false));
    ASSERT_TRUE(logfile_open(2, "two.txt", false));
    ::testing::internal::CaptureStdout();
    for (int i = 0; i < LOGFILE_MAX_STACK - 1; i++)
        logfile_push(i % 2 == 0 ? 1 : 2);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    ::testing::internal::CaptureStdout();
    logfile_push(1);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              FailureLine("((log_data.stackptr+1) < LOGFILE_MAX_STACK)"));
    for (int i = 0; i < LOGFILE_MAX_STACK - 1; i++)
        logfile_pop();
    logfile_printf("bottom");  // slot 2 was current before the first push
    // Slot 1 is saved, then closed: popping it fails and slot 2 stays current.
    logfile_push(1);
    logfile_push(2);
    logfile_close(1);
    ::testing::internal::CaptureStdout();
    logfile_pop();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), FailureLine("log_data.fh[log_data.current]"));
    logfile_printf("still two");
    logfile_pop();  // leaves the stack empty for the other tests
    EXPECT_EQ(ReadText("two.txt"), "bottom\nstill two\n");
}

}  // namespace
