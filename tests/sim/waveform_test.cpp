// Signals by name and their waveform on a small imported design: a register chain read without
// changing the simulation, dumped with the clock under the scopes of flat hierarchical names
// (as synthesis tools write them), changes only, ten time units per cycle.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/messages.h"
#include "netlistdb/netlist_db.h"
#include "sim/import.h"
#include "sim/session.h"
#include "sim/signals.h"
#include "sim/waveform.h"

namespace {

namespace fs = std::filesystem;

// q1 takes d at every edge, q2 takes q1: a two-stage delay.
const char* const kNetlist = R"(module chain (clk, d, y);
input clk;
input [7:0] d;
output [7:0] y;
wire [7:0] q1;
wire [7:0] q2;
bt_dffe r1 (.clk(clk), .d(d[7:0]), .q(q1[7:0]));
defparam r1.width = 8;
bt_dffe r2 (.clk(clk), .d(q1[7:0]), .q(q2[7:0]));
defparam r2.width = 8;
assign y = q2[7:0];
endmodule
)";

class WaveformTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        directory = fs::temp_directory_path() / ("blocktide_waveform_" + std::to_string(getpid()));
        fs::remove_all(directory);
        fs::create_directories(directory);
        netlist = (directory / "chain.vo").string();
        std::ofstream(netlist) << kNetlist;
        set_console_sink([](const std::string&) {});
        ASSERT_TRUE(Sim::ImportDesign(netlist, map).success);
        ASSERT_FALSE(session.Load(netlist, "", false, {}));
        session.input_names = {"d"};
        session.output_names = {"y"};
        session.MapDesignPorts();
    }
    void TearDown() override
    {
        set_console_sink({});
        clear_messages();
        fs::remove_all(directory);
    }
    void Cycle(uint32_t d)
    {
        session.WriteWideInput(0, MLIB_UINTEGER(d, 8));
        session.Run(1);
    }

    const std::string map = std::string(BLOCKTIDE_TEST_DATA) + "/../../maps/blocktide_map.xml";
    fs::path directory;
    std::string netlist;
    SimSession session;
};

std::string Read(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TEST_F(WaveformTest, SignalsHaveDatabaseAndNetlistNamesAndReadingChangesNothing)
{
    KVC::ElaboratedModule module;
    ASSERT_TRUE(Sim::ReadModule(netlist, map, module));
    Sim::SignalTable plain(*session.GetManager(), nullptr), named(*session.GetManager(), &module);
    std::vector<std::string> names;
    for (const Sim::Signal& signal : named.All())
        names.push_back(signal.name);
    EXPECT_EQ(names, (std::vector<std::string>{"d", "q1", "q2", "r1.dataout", "r1.q", "r2.dataout", "r2.q", "y"}));
    EXPECT_EQ(plain.All().size(), 4u);  // without the netlist: ports and node outputs only
    EXPECT_EQ(plain.Find("q1"), nullptr);

    Cycle(5);
    Cycle(9);
    EXPECT_EQ(named.Find("r1.q")->Value().to_uint(), 5u);  // took d at the second edge
    EXPECT_EQ(named.Find("q2")->Value().to_uint(), 0u);
    const int evaluations = session.GetManager()->Run(0);  // a settle after the reads: nothing queued
    EXPECT_EQ(evaluations, 0);
    EXPECT_EQ(named.Find("d")->Value().to_uint(), 9u);
}

TEST_F(WaveformTest, WaveformNestsScopesAndWritesChangesPerCycle)
{
    KVC::ElaboratedModule module;
    ASSERT_TRUE(Sim::ReadModule(netlist, map, module));
    Sim::SignalTable table(*session.GetManager(), &module);
    // The registers renamed as a synthesis tool flattens hierarchy: "|" and "/" separate scopes.
    Sim::Signal first = *table.Find("r1.q"), second = *table.Find("r2.q");
    first.name = "u_core|r1.q";
    second.name = "u_core/r2.q";
    std::vector<const Sim::Signal*> chosen = {table.Find("d"), &first, &second, table.Find("y")};
    const std::string path = (directory / "chain.vcd").string();
    Sim::Waveform waveform;
    std::string error;
    ASSERT_TRUE(waveform.Open(path, "chain", chosen, *session.GetManager(), error)) << error;
    Cycle(3);
    waveform.Sample(1);
    Cycle(3);  // d unchanged: only r1 changes
    waveform.Sample(2);
    ASSERT_TRUE(waveform.Close());
    EXPECT_EQ(Read(path),
              "$version Blocktide $end\n$timescale 1ns $end\n$scope module chain $end\n"
              "$var wire 1 ! clk $end\n$var wire 8 \" d $end\n$var wire 8 % y $end\n"
              "$scope module u_core $end\n$scope module r1 $end\n$var wire 8 # q $end\n$upscope $end\n"
              "$scope module r2 $end\n$var wire 8 $ q $end\n$upscope $end\n$upscope $end\n"
              "$upscope $end\n$enddefinitions $end\n"
              "#0\n$dumpvars\n0!\nb00000000 \"\nb00000000 #\nb00000000 $\nb00000000 %\n$end\n"
              "#10\n1!\n#11\nb00000011 \"\n#15\n0!\n"
              "#20\n1!\n#21\nb00000011 #\n#25\n0!\n");

    Sim::Waveform unwritable;
    EXPECT_FALSE(unwritable.Open((directory / "missing" / "w.vcd").string(), "chain", chosen, *session.GetManager(),
                                 error));
    EXPECT_NE(error.find("missing/w.vcd"), std::string::npos);
}

TEST(SignalNames, HierarchyAndPatterns)
{
    struct Case {
        const char* name;
        std::vector<std::string> parts;
    } cases[] = {
        {"y", {"y"}},
        {"u_core|u_alu/add0.q", {"u_core", "u_alu", "add0", "q"}},
        {"\\u_core.add0 .q", {"u_core", "add0", "q"}},
        {"a||b", {"a", "b"}},
        {"", {"_"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Sim::HierarchyOf(c.name), c.parts) << c.name;
    EXPECT_TRUE(Sim::MatchesGlob("u_core|r1.q", "u_core*"));
    EXPECT_TRUE(Sim::MatchesGlob("u_core|r1.q", "*.q"));
    EXPECT_FALSE(Sim::MatchesGlob("u_core|r1.dataout", "*.q"));
}
