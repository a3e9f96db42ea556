// `blocktide import DESIGN.v --top NAME`: the ten results and the SimDB file beside the first
// source, `sim` on the source's path, the netlist written with --write-vo importing to the very
// same SimDB bytes, and a clear refusal, exit 1 and no SimDB file for what the primitives
// cannot hold or when yosys is missing.
#include <gtest/gtest.h>

#include "command_runner.h"

namespace {

using e2e::CommandResult;
using e2e::Workspace;

const char* const kCounter = R"(// an up/down counter with a RAM of its history
module counter (input clk, input rst, input up, input [3:0] step, output reg [7:0] count,
                output reg [7:0] past);
  reg [7:0] history [0:15];
  initial history[3] = 8'h77;
  always @(posedge clk or posedge rst)
    if (rst) count <= 8'd0; else count <= up ? count + step : count - step;
  always @(posedge clk) begin
    history[count[3:0]] <= count;
    past <= history[step];
  end
endmodule
)";

TEST(VerilogImport, PrintsTheTenResultsAndSimulatesFromTheSourcesPath)
{
    Workspace ws;
    ws.Write("counter.v", kCounter);
    CommandResult result = ws.Run({"import", ws.Path("counter.v"), "--top", "counter"});
    ASSERT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(result.out, "ninput: 3\nnoutput: 2\nnclock: 1\n"
                          "input_port_names: rst up step \n"
                          "output_port_names: count past \n"
                          "clock_names: clk \n"
                          "top_level_name: counter\n"
                          "top_clockname: clk\n"
                          "inptbwl: 1 1 4 \n"
                          "outptbwl: 8 8 \n");
    EXPECT_TRUE(ws.Exists("counter.v.simdb"));
    // The RAM's contents beside it, named after the RAM's node.
    EXPECT_EQ(ws.Files(), (std::vector<std::string>{"counter.v", "counter.v.simdb", "counter.v.syncram.mif"}));

    ws.Write("stim.csv", "rst,up,step,cycles\n1,1,3,1\n0,1,3,2\n0,0,1,1\n0,1,3,1\n");
    result = ws.Run({"sim", ws.Path("counter.v"), "--stimulus", ws.Path("stim.csv")});
    ASSERT_EQ(result.exit_code, 0) << result.err;
    // An edge takes what the line before settled: the reset holds the count through cycle 2.
    // The history RAM reads word 3 (8'h77 from the initial block) while step is 3, and the
    // old word while the other port writes it.
    EXPECT_EQ(result.out, "cycle,count,past\n1,00,00\n3,03,77\n4,06,77\n5,05,00\n");
}

TEST(VerilogImport, TheNetlistWrittenBesideImportsToTheSameSimDbBytes)
{
    Workspace ws;
    ws.Write("counter.v", kCounter);
    CommandResult result =
        ws.Run({"import", ws.Path("counter.v"), "--top", "counter", "--write-vo", ws.Path("counter.vo")});
    ASSERT_EQ(result.exit_code, 0) << result.err;
    ASSERT_TRUE(ws.Exists("counter.vo"));
    ASSERT_TRUE(ws.Exists("counter.xml"));
    result = ws.Run({"import", ws.Path("counter.vo"), ws.Path("counter.xml")});
    ASSERT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(result.err, ""); // written with every range: no dialect warning
    EXPECT_EQ(ws.Read("counter.vo.simdb"), ws.Read("counter.v.simdb"));
}

TEST(VerilogImport, RefusesWhatThePrimitivesCannotHoldNamingTheConstruct)
{
    struct Case {
        const char* what;
        const char* source;
        const char* message;
    };
    const Case cases[] = {
        {"two clocks",
         "module top(input clk, input clk2, input d, output reg q, output reg r);\n"
         "always @(posedge clk) q <= d;\nalways @(posedge clk2) r <= d;\nendmodule\n",
         "several clocks (clk, clk2)"},
        {"falling edge", "module top(input clk, input d, output reg q);\nalways @(negedge clk) q <= d;\nendmodule\n",
         "a register clocked on the falling edge"},
        {"initial value",
         "module top(input clk, input d, output reg [3:0] q);\ninitial q = 4'd5;\n"
         "always @(posedge clk) q <= q + d;\nendmodule\n",
         "an initial value other than 0 (an 'initial' block beyond memory contents)"},
        {"derived clock",
         "module top(input clk, input d, output reg q);\nreg half;\nalways @(posedge clk) half <= ~half;\n"
         "always @(posedge half) q <= d;\nendmodule\n",
         "a clock derived inside the design"},
        {"clock as data",
         "module top(input clk, input d, output reg q, output y);\nalways @(posedge clk) q <= d;\n"
         "assign y = clk & d;\nendmodule\n",
         "the clock 'clk' read as data"},
        {"bidirectional port", "module top(inout p, input d);\nassign p = d;\nendmodule\n", "a bidirectional port"},
        {"syntax error", "module top(input a, output y);\nassign y = a +;\nendmodule\n",
         "yosys could not synthesise 'top'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Workspace ws;
        ws.Write("top.v", c.source);
        CommandResult result = ws.Run({"import", ws.Path("top.v"), "--top", "top"});
        EXPECT_EQ(result.exit_code, 1);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_FALSE(ws.Exists("top.v.simdb"));
    }
}

TEST(VerilogImport, SaysHowToInstallYosysWhenItIsMissing)
{
    Workspace ws;
    ws.Write("top.v", "module top(input a, output y);\nassign y = a;\nendmodule\n");
    const std::string err = ws.Path("err.txt");
    const int status = std::system(("PATH=/nonexistent '" BLOCKTIDE_COMMAND "' import '" + ws.Path("top.v") +
                                    "' --top top >/dev/null 2>'" + err + "'")
                                       .c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string text = ws.Read("err.txt");
    EXPECT_NE(text.find("yosys is not installed"), std::string::npos) << text;
    EXPECT_NE(text.find("apt-get install yosys"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
}

TEST(VerilogImport, VerilogWithoutItsTopOrANetlistWithoutItsMapIsAUsageError)
{
    Workspace ws;
    ws.Write("top.v", "module top(input a, output y);\nassign y = a;\nendmodule\n");
    CommandResult result = ws.Run({"import", ws.Path("top.v")});
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_NE(result.err.find("--top NAME"), std::string::npos) << result.err;
    result = ws.Run({"import", ws.Path("top.vo")});
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_NE(result.err.find("NETLIST.vo MAP.xml"), std::string::npos) << result.err;
}

} // namespace
