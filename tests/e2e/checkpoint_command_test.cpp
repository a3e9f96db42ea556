// Checkpoints across processes: every example run through half its stimulus with
// --save-state, then a second command run with --load-state on the rest, prints the very rows
// the uninterrupted run prints for it. A refused checkpoint stops the command with its message.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "command_runner.h"

namespace {

using e2e::Workspace;

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Joined(const std::vector<std::string>& lines, size_t first, size_t last)
{
    std::string text;
    for (size_t i = first; i < last; ++i)
        text += lines[i] + "\n";
    return text;
}

TEST(CheckpointCommand, ASecondProcessContinuesEveryExampleAsTheUninterruptedRun)
{
    for (const char* name : {"counter", "mac40", "shuffle", "ram_fifo"}) {
        SCOPED_TRACE(name);
        Workspace ws;
        ws.CopyExample(name);
        const std::string design = std::string(name) + ".vo";
        const std::vector<std::string> stimulus = Lines(ws.Read(std::string(name) + "_stimulus.csv"));
        ASSERT_GT(stimulus.size(), 3u);
        const size_t split = 1 + (stimulus.size() - 1) / 2; // the header, then half the steps
        ws.Write("first.csv", Joined(stimulus, 0, split));
        ws.Write("rest.csv", stimulus[0] + "\n" + Joined(stimulus, split, stimulus.size()));

        const e2e::CommandResult whole = ws.Simulate(design, std::string(name) + "_stimulus.csv");
        ASSERT_EQ(whole.exit_code, 0) << whole.err;
        const e2e::CommandResult first = ws.Simulate(design, "first.csv", {"--save-state", ws.Path("half.state")});
        ASSERT_EQ(first.exit_code, 0) << first.err;
        const e2e::CommandResult rest =
            ws.Run({"sim", ws.Path(design), "--stimulus", ws.Path("rest.csv"), "--load-state", ws.Path("half.state")});
        ASSERT_EQ(rest.exit_code, 0) << rest.err;

        const std::vector<std::string> expected = Lines(whole.out), printed = Lines(rest.out);
        ASSERT_EQ(printed.size(), expected.size() - (split - 1));
        EXPECT_EQ(Joined(printed, 1, printed.size()), Joined(expected, split, expected.size()));
    }
}

TEST(CheckpointCommand, ARefusedCheckpointStopsTheRunWithItsMessage)
{
    Workspace ws;
    ws.CopyExample("counter");
    ASSERT_EQ(ws.Simulate("counter.vo", "counter_stimulus.csv", {"--save-state", ws.Path("good.state")}).exit_code, 0);
    std::string damaged = ws.Read("good.state");
    damaged[damaged.size() - 3] ^= 0x40;
    ws.Write("damaged.state", damaged);
    ws.Write("truncated.state", damaged.substr(0, damaged.size() / 2));
    for (const char* state : {"damaged.state", "truncated.state", "missing.state"}) {
        SCOPED_TRACE(state);
        const e2e::CommandResult result =
            ws.Run({"sim", ws.Path("counter.vo"), "--cycles", "2", "--load-state", ws.Path(state)});
        EXPECT_EQ(result.exit_code, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("not restored"), std::string::npos) << result.err;
    }
}

} // namespace
