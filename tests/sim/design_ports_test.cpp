// The one view of a design's ports: what an import reports (declaration order, clocks,
// module name) and what a session answers after loading the saved design (name order).
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "base/messages.h"
#include "sim/design_interface.h"
#include "sim/import.h"
#include "sim/session.h"

namespace {

namespace fs = std::filesystem;

// Header order differs from name order; clk drives only clock ports; the second register
// is clocked by an internal wire.
const char* const kNetlist = R"(module acc (zz, clk, d, en, q, carry);
input [7:0] zz;
input clk;
input [7:0] d;
input en;
output [7:0] q;
output carry;
wire [7:0] sum;
wire [7:0] qw;
wire c;
wire slow;
bt_add add (.dataa(qw[7:0]), .datab(d[7:0]), .result(sum[7:0]), .cout(c));
defparam add.width = 8;
bt_dffe acc (.clk(clk), .d(sum[7:0]), .ena({8{en}}), .q(qw[7:0]));
defparam acc.width = 8;
bt_dffe div (.clk(c), .d(zz[0:0]), .q(slow));
assign q = qw[7:0];
assign carry = slow;
endmodule
)";

class DesignPortsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        directory = fs::temp_directory_path() / ("blocktide_ports_" + std::to_string(getpid()));
        fs::remove_all(directory);
        fs::create_directories(directory);
        netlist = (directory / "acc.vo").string();
        std::ofstream(netlist) << kNetlist;
        set_console_sink([](const std::string&) {});
    }
    void TearDown() override
    {
        set_console_sink({});
        clear_messages();
        fs::remove_all(directory);
    }

    static std::vector<std::string> Names(const std::vector<Sim::DesignPort>& ports)
    {
        std::vector<std::string> names;
        for (const Sim::DesignPort& port : ports)
            names.push_back(port.name + ":" + std::to_string(port.width));
        return names;
    }

    const std::string map = std::string(BLOCKTIDE_TEST_DATA) + "/../../maps/blocktide_map.xml";
    fs::path directory;
    std::string netlist;
};

}  // namespace

TEST_F(DesignPortsTest, ImportAnswersDeclarationOrderAndTheClocks)
{
    const Sim::ImportResult imported = Sim::ImportDesign(netlist, map);
    ASSERT_TRUE(imported.success);
    EXPECT_TRUE(fs::exists(netlist + ".simdb"));
    EXPECT_EQ(imported.ports.module_name, "acc");
    EXPECT_EQ(Names(imported.ports.inputs), (std::vector<std::string>{"zz:8", "d:8", "en:1"}));
    EXPECT_EQ(Names(imported.ports.outputs), (std::vector<std::string>{"q:8", "carry:1"}));
    EXPECT_EQ(imported.ports.clocks, (std::vector<std::string>{"clk", "c"}));
    ASSERT_NE(imported.ports.Find("carry"), nullptr);
    EXPECT_EQ(imported.ports.Find("carry")->direction, Sim::PortDirection::Output);
    EXPECT_EQ(imported.ports.Find("clk"), nullptr);  // a clock input is no design port

    const DesignInterface ten = InterfaceOf(imported.ports);
    EXPECT_EQ(ten.ninput, 3);
    EXPECT_EQ(ten.noutput, 2);
    EXPECT_EQ(ten.nclock, 2);
    EXPECT_EQ(ten.input_port_names, "zz d en ");
    EXPECT_EQ(ten.output_port_names, "q carry ");
    EXPECT_EQ(ten.clock_names, "clk c ");
    EXPECT_EQ(ten.top_level_name, "acc");
    EXPECT_EQ(ten.top_clockname, "clk");
    EXPECT_EQ(ten.inptbwl, "8 8 1 ");
    EXPECT_EQ(ten.outptbwl, "8 1 ");
}

TEST_F(DesignPortsTest, LoadedDesignAnswersNameOrderWithoutModuleFacts)
{
    ASSERT_TRUE(Sim::ImportDesign(netlist, map).success);
    SimSession session;
    EXPECT_TRUE(session.Ports().inputs.empty());
    session.Load(netlist, "", false, {});
    EXPECT_EQ(Names(session.Ports().inputs), (std::vector<std::string>{"d:8", "en:1", "zz:8"}));
    EXPECT_EQ(Names(session.Ports().outputs), (std::vector<std::string>{"carry:1", "q:8"}));
    EXPECT_EQ(session.Ports().module_name, "");  // a SimDB file does not keep it
}

TEST_F(DesignPortsTest, FailedImportAnswersTheInitialResults)
{
    std::ofstream(netlist) << "module broken (a);\ninput a;\nwire w\nendmodule\n";
    bool read = true;
    const DesignInterface ten = ImportDesignInterface(netlist, map, read);
    EXPECT_FALSE(read);
    EXPECT_FALSE(fs::exists(netlist + ".simdb"));
    EXPECT_EQ(ten.ninput, 0);
    EXPECT_EQ(ten.input_port_names, " ");
    EXPECT_EQ(ten.output_port_names, " ");
    EXPECT_EQ(ten.top_level_name, "");
}
