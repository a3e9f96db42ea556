// Small designs on the default map, simulated through the command: registers, adders,
// multiplexers, slices, concatenations, aliases and wide values, with every expected output
// worked out by hand from the primitives' behaviour (timing as in examples_test.cpp: a
// register shows at a line's edge what it saw while the previous line settled).
#include <gtest/gtest.h>

#include "command_runner.h"

namespace {

using e2e::Workspace;

struct Case {
    const char* name;
    const char* netlist;
    const char* stimulus;
    const char* expected_csv;
};

void ExpectSimulation(const Case& c)
{
    SCOPED_TRACE(c.name);
    Workspace ws;
    ws.Write("d.vo", c.netlist);
    ws.Write("s.csv", c.stimulus);
    e2e::CommandResult result = ws.Simulate("d.vo", "s.csv");
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(result.out, c.expected_csv) << result.err;
}

TEST(Designs, RegistersTakeALinesValueAtTheNextEdge)
{
    ExpectSimulation({
        "two registers in a row and an adder after them",
        "module pipe (clk, x, r1, r2, sum);\n"
        "input clk; input [7:0] x; output [7:0] r1; output [7:0] r2; output [7:0] sum;\n"
        "wire [7:0] q1; wire [7:0] q2; wire [7:0] s;\n"
        "bt_dffe a (.clk(clk), .d(x[7:0]), .q(q1[7:0]));\n"
        "defparam a.width = 8;\n"
        "bt_dffe b (.clk(clk), .d(q1[7:0]), .q(q2[7:0]));\n"
        "defparam b.width = 8;\n"
        "bt_add add (.dataa(x[7:0]), .datab(q2[7:0]), .cin(1'b0), .result(s[7:0]));\n"
        "defparam add.width = 8;\n"
        "assign r1 = q1[7:0], r2 = q2[7:0], sum = s[7:0];\n"
        "endmodule\n",
        "x,cycles\n1,1\n2,1\n3,1\n4,3\n",
        "cycle,r1,r2,sum\n"
        "1,00,00,01\n" // the first edge saw nothing; sum = x + r2 = 1 + 0 at once
        "2,01,00,02\n" // r1 takes line 1's x
        "3,02,01,04\n" // r2 takes what r1 showed after line 2's edge
        "6,04,04,08\n" // three edges: r1 3, 4, 4; r2 2, 3, 4
    });
}

TEST(Designs, RegisterControlsWorkPerBitAndClearAtOnce)
{
    ExpectSimulation({
        "a 4-bit register with a per-bit enable and a per-bit clear",
        "module regctl (clk, d, en, clr, q);\n"
        "input clk; input [3:0] d; input [3:0] en; input [3:0] clr; output [3:0] q;\n"
        "wire [3:0] w;\n"
        "bt_dffe r (.clk(clk), .d(d[3:0]), .ena(en[3:0]), .clear(clr[3:0]), .q(w[3:0]));\n"
        "defparam r.width = 4;\n"
        "assign q = w[3:0];\n"
        "endmodule\n",
        "d,en,clr\n0xF,0xF,0\n0x0,0x3,0\n0x0,0x3,0\n0x0,0xF,0x4\n0x0,0xF,0\n0x5,0x0,0\n0x5,0xF,0\n0x5,0xF,0\n",
        "cycle,q\n"
        "1,0\n" // nothing seen before the first edge
        "2,F\n" // takes 0xF with every bit enabled
        "3,C\n" // d 0 with enable 0x3: bits 0 and 1 clear, bits 2 and 3 kept
        "4,8\n" // the edge keeps 0xC; clear 0x4 then acts within the line: 0x8
        "5,8\n" // the clear left data seen equal to the contents: no edge work
        "6,0\n" // the edge sees d 0 with every bit enabled (line 5)
        "7,0\n" // the edge sees enable 0 (line 6): held
        "8,5\n" // the edge sees d 5 enabled (line 7)
    });
}

TEST(Designs, AddersMultiplexersAndComparatorsFollowTheirLineAtOnce)
{
    const Case cases[] = {
        {"unsigned 8-bit adder with carry in and out",
         "module add (a, b, ci, s, co);\n"
         "input [7:0] a; input [7:0] b; input ci; output [7:0] s; output co;\n"
         "wire [7:0] w; wire c;\n"
         "bt_add u (.dataa(a[7:0]), .datab(b[7:0]), .cin(ci), .result(w[7:0]), .cout(c));\n"
         "defparam u.width = 8;\n"
         "assign s = w[7:0], co = c;\n"
         "endmodule\n",
         "a,b,ci\n0xFF,1,0\n0xFF,0xFF,1\n0x12,0x34,1\n",
         "cycle,co,s\n"
         "1,1,00\n" // 0x100: carry out
         "2,1,FF\n" // 0x1FF
         "3,0,47\n"},
        {"signed adder: the carry is the sign of the sum",
         "module sadd (a, b, s, co);\n"
         "input [7:0] a; input [7:0] b; output [7:0] s; output co;\n"
         "wire [7:0] w; wire c;\n"
         "bt_add u (.dataa(a[7:0]), .datab(b[7:0]), .cin(1'b0), .result(w[7:0]), .cout(c));\n"
         "defparam u.width = 8, u.signed = 1;\n"
         "assign s = w[7:0], co = c;\n"
         "endmodule\n",
         "a,b\n-1,-1\n5,-3\n",
         "cycle,co,s\n"
         "1,1,FE\n"   // -2
         "2,0,02\n"}, // +2 (an unsigned adder would carry here)
        {"adder/subtractor: add_sub 0 subtracts modulo 2^8",
         "module addsub (a, b, add, r);\n"
         "input [7:0] a; input [7:0] b; input add; output [7:0] r;\n"
         "wire [7:0] w;\n"
         "bt_addsub u (.dataa(a[7:0]), .datab(b[7:0]), .add_sub(add), .result(w[7:0]));\n"
         "defparam u.width = 8;\n"
         "assign r = w[7:0];\n"
         "endmodule\n",
         "a,b,add\n0,1,0\n0,1,1\n200,100,0\n", "cycle,r\n1,FF\n2,01\n3,64\n"},
        {"bitwise 2-input multiplexer, whole-word bus multiplexer and bit selector",
         "module muxes (a, b, s, w, n, m, word, bit);\n"
         "input [3:0] a; input [3:0] b; input [3:0] s; input w; input [2:0] n; output [3:0] m;\n"
         "output [3:0] word; output bit;\n"
         "wire [3:0] mw; wire [3:0] ww; wire bw;\n"
         "bt_mux2 u (.dataa(a[3:0]), .datab(b[3:0]), .sel(s[3:0]), .result(mw[3:0]));\n"
         "defparam u.width = 4;\n"
         "bt_busmux2 v (.dataa(a[3:0]), .datab(b[3:0]), .sel(w), .result(ww[3:0]));\n"
         "defparam v.width = 4;\n"
         "bt_bitselect x (.data({b[3:0], a[3:0]}), .sel(n[2:0]), .result(bw));\n"
         "defparam x.width_data = 8, x.width_select = 3;\n"
         "assign m = mw[3:0], word = ww[3:0], bit = bw;\n"
         "endmodule\n",
         "a,b,s,w,n\n3,0xC,5,0,7\n3,0xC,0xF,1,1\n",
         "cycle,bit,m,word\n"
         "1,1,6,3\n"   // bit 0 from b (0), bit 1 from a (1), bit 2 from b (1), bit 3 from a (0); bit 7 of 0xC3
         "2,1,C,C\n"}, // every bit from b; bit 1 of 0xC3
        {"LPM comparator and LPM multiplexer",
         "module lpm (a, b, d, s, lt, eq, r);\n"
         "input [7:0] a; input [7:0] b; input [11:0] d; input [1:0] s; output lt; output eq; output [3:0] r;\n"
         "wire l; wire e; wire [3:0] rw;\n"
         "lpm_compare c (.dataa(a[7:0]), .datab(b[7:0]), .alb(l), .aeb(e));\n"
         "defparam c.lpm_width = 8;\n"
         "lpm_mux m (.data(d[11:0]), .sel(s[1:0]), .result(rw[3:0]));\n"
         "defparam m.lpm_width = 4, m.lpm_size = 3, m.lpm_widths = 2;\n"
         "assign lt = l, eq = e, r = rw[3:0];\n"
         "endmodule\n",
         "a,b,d,s\n3,5,0x321,2\n5,5,0x321,0\n",
         "cycle,eq,lt,r\n"
         "1,0,1,3\n" // 3 < 5; input 2 of 0x321
         "2,1,0,1\n"},
    };
    for (const Case& c : cases)
        ExpectSimulation(c);
}

TEST(Designs, SlicesConcatenationsLiteralsAndAliasesConnectTheBitsTheyName)
{
    const Case cases[] = {
        {"part-selects above bit 0 share one downshifter; inverted slices flip their bits",
         "module slices (x, hi, hi2, swapped, inv);\n"
         "input [15:0] x; output [7:0] hi; output [3:0] hi2; output [15:0] swapped; output [3:0] inv;\n"
         "wire [7:0] h; wire [3:0] h2;\n"
         "bt_tribuf a (.data(x[15:8]), .oe(1'b1), .result(h[7:0]));\n"
         "defparam a.width = 8;\n"
         "bt_tribuf b (.data(x[11:8]), .oe(1'b1), .result(h2[3:0]));\n"
         "defparam b.width = 4;\n"
         "assign hi = h[7:0], hi2 = h2[3:0], swapped = {x[7:0], x[15:8]}, inv = ~x[3:0];\n"
         "endmodule\n",
         "x\n0x1234\n0xA5F0\n",
         "cycle,hi,hi2,inv,swapped\n"
         "1,12,2,B,3412\n"
         "2,A5,5,F,F0A5\n"},
        {"replication and sized literals; an alias reads the wire it names",
         "module lits (b, rep, lit, via);\n"
         "input b; output [3:0] rep; output [7:0] lit; output [7:0] via;\n"
         "wire [7:0] w; wire [7:0] a;\n"
         "bt_tribuf t (.data({2'b1, 3{b}, 3'b0}), .oe(1'b1), .result(w[7:0]));\n"
         "defparam t.width = 8;\n"
         "assign a = w;\n"
         "assign rep = {4{b}}, lit = w[7:0], via = a[7:0];\n"
         "endmodule\n",
         "b\n1\n0\n",
         "cycle,lit,rep,via\n"
         "1,F8,F,F8\n"   // 11 111 000
         "2,C0,0,C0\n"}, // 11 000 000
        {"in a concatenation a name without a range connects only its bit 0; alone it links the whole signal",
         "module quirk (x, z, whole, pair);\n"
         "input [3:0] x; input [3:0] z; output [3:0] whole; output [7:0] pair;\n"
         "wire [3:0] w; wire [7:0] p;\n"
         "bt_tribuf t (.data(x), .oe(1'b1), .result(w[3:0]));\n"
         "defparam t.width = 4;\n"
         "bt_tribuf u (.data({x, z}), .oe(1'b1), .result(p[7:0]));\n"
         "defparam u.width = 8;\n"
         "assign whole = w[3:0], pair = p[7:0];\n"
         "endmodule\n",
         "x,z\n0xA,0x5\n0x5,0x4\n",
         "cycle,pair,whole\n"
         "1,01,A\n" // pair: bit 0 is bit 0 of z (1), bit 1 is bit 0 of x (0), bits 2..7 have no slice
         "2,02,5\n"},
    };
    for (const Case& c : cases)
        ExpectSimulation(c);
}

TEST(Designs, WideValuesPassThroughTheWidePathsWithUndefinedBitsAsX)
{
    ExpectSimulation({
        "a 72-bit bus through a tri-state buffer, and a 40-bit input never written",
        "module wide (x, u, y, v);\n"
        "input [71:0] x; input [39:0] u; output [71:0] y; output [39:0] v;\n"
        "wire [71:0] w; wire [39:0] z;\n"
        "bt_tribuf t (.data(x[71:0]), .oe(1'b1), .result(w[71:0]));\n"
        "defparam t.width = 72;\n"
        "bt_tribuf s (.data(u[39:0]), .oe(1'b1), .result(z[39:0]));\n"
        "defparam s.width = 40;\n"
        "assign y = w[71:0], v = z[39:0];\n"
        "endmodule\n",
        "x\n0x123456789ABCDEF012\n-2\n4722366482869645213695\n",
        "cycle,v,y\n"
        "1,XXXXXXXXXX,123456789ABCDEF012\n"
        "2,XXXXXXXXXX,FFFFFFFFFFFFFFFFFE\n" // two's complement at 72 bits
        "3,XXXXXXXXXX,FFFFFFFFFFFFFFFFFF\n" // 2^72 - 1 in decimal
    });
}

// Reads the default map's modules: name and the netlist names of its clock, input and
// output ports.
struct MapModule {
    std::string name;
    std::vector<std::string> clocks, inputs, outputs;
};

// The text between `key="` and the next double quote, or "" when the line lacks the key.
std::string QuotedAfter(const std::string& line, const std::string& key)
{
    size_t at = line.find(key + "=\"");
    if (at == std::string::npos)
        return "";
    at += key.size() + 2;
    return line.substr(at, line.find('"', at) - at);
}

std::vector<MapModule> ReadDefaultMap()
{
    std::vector<MapModule> modules;
    std::istringstream map(e2e::ReadFile(e2e::DefaultMap()));
    for (std::string line; std::getline(map, line);) {
        if (line.find("<Module ") != std::string::npos)
            modules.push_back({QuotedAfter(line, "VName"), {}, {}, {}});
        else if (modules.empty())
            continue;
        else if (line.find("<ClkPort ") != std::string::npos)
            modules.back().clocks.push_back(QuotedAfter(line, "name"));
        else if (line.find("<InpPort ") != std::string::npos)
            modules.back().inputs.push_back(QuotedAfter(line, "name"));
        else if (line.find("<OutPort ") != std::string::npos)
            modules.back().outputs.push_back(QuotedAfter(line, "name"));
    }
    return modules;
}

TEST(DefaultMap, EveryModuleImportsBuildsAndLinksWithEveryPortConnected)
{
    std::vector<MapModule> modules = ReadDefaultMap();
    ASSERT_EQ(modules.size(), 37u); // operator codes 1-19, 21-23 and 100-114
    for (const MapModule& m : modules) {
        SCOPED_TRACE(m.name);
        // Every input reads the one-bit design input d, every output drives a wire of its
        // own that a design output of the same index shows; default parameters throughout.
        std::string header = "module one (clk, d", decls = "input clk;\ninput d;\n", wires, assigns;
        std::string instance = m.name + " u (";
        for (const std::string& clock : m.clocks)
            instance += "." + clock + "(clk), ";
        for (const std::string& input : m.inputs)
            instance += "." + input + "(d), ";
        for (size_t i = 0; i < m.outputs.size(); ++i) {
            std::string n = std::to_string(i);
            header += ", o" + n;
            decls += "output o" + n + ";\n";
            wires += "wire w" + n + ";\n";
            instance += "." + m.outputs[i] + "(w" + n + "), ";
            assigns += "assign o" + n + " = w" + n + ";\n";
        }
        instance.resize(instance.size() - 2);
        instance += ");\n";
        // The multiply-add block has some ports only for the newer device families.
        if (m.name == "bt_mult_add")
            instance += "defparam u.intended_device_family = \"Orrin\";\n";
        std::string netlist = header + ");\n" + decls + wires + instance + assigns + "endmodule\n";

        Workspace ws;
        ws.Write("one.vo", netlist);
        ws.Write("s.csv", "d\n1\n0\n");
        e2e::CommandResult result = ws.Simulate("one.vo", "s.csv");
        EXPECT_EQ(result.exit_code, 0) << netlist << result.err;
        EXPECT_EQ(e2e::Occurrences(result.err, "Error"), 0) << netlist << result.err;
        EXPECT_EQ(e2e::Occurrences(result.out, "\n"), 3) << result.out; // header and two steps
    }
}

} // namespace
