// The reader of yosys's JSON netlists, on netlists written by hand: slices by runs of bits,
// inverters folded into inverted slices, constants, node names, the clock taken out of the
// design inputs, memory contents written to a file, uniform byte enables collapsed, and a
// clear error for text that is no netlist or names what the map does not hold.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "base/messages.h"
#include "frontend/xml_map.h"
#include "frontend/yosys_netlist.h"
#include "netlistdb/netlist_db.h"
#include "scratch_dir.h"

namespace {

const std::string kMap = std::string(BLOCKTIDE_TEST_DATA) + "/../../maps/blocktide_map.xml";

// A module "top" with the given ports, cells and net names (JSON object bodies).
std::string Netlist(const std::string& ports, const std::string& cells, const std::string& netnames = "")
{
    return R"({"modules": {"top": {"ports": {)" + ports + R"(}, "cells": {)" + cells + R"(}, "netnames": {)" +
           netnames + "}}}}";
}

struct Read {
    KVC::NetlistDB db;
    bool ok = false;
    std::string errors;
};

std::unique_ptr<Read> ReadText(const std::string& json, const std::string& memory_base = "/nonexistent/top.v")
{
    clear_messages();
    auto read = std::make_unique<Read>();
    XmlMapSmc map(kMap);
    EXPECT_EQ(map.Load(), 1);
    read->ok = Parser::ReadYosysNetlist(json, {"top", memory_base}, map, read->db);
    for (const Message& message : pending_messages())
        if (message.severity >= SEV_ERROR)
            read->errors += message.text + "\n";
    return read;
}

// "dstLow+width<-node.port[srcLow]" per slice, "~" marking an inverted one.
std::string Slices(const KVC::Input* input)
{
    if (input == nullptr)
        return "(no input)";
    std::ostringstream text;
    for (const auto& slice : input->slices)
        text << (text.tellp() > 0 ? " " : "") << slice->dstLow << "+" << slice->width << "<-"
             << (slice->inverted ? "~" : "") << slice->source->owner->name << "." << slice->source->name << "["
             << slice->srcLow << "]";
    return text.str();
}

TEST(YosysNetlist, SlicesFollowRunsOfBitsWithInvertersFoldedAndTheClockLeftOut)
{
    // y = {~a[1:0], 1, 0, a[3:2]} through an adder of a and b, registered on clk.
    auto read = ReadText(
        Netlist(R"("clk": {"direction": "input", "bits": [2]},
                   "a": {"direction": "input", "bits": [3, 4, 5, 6]},
                   "b": {"direction": "input", "bits": [7, 8, 9, 10]},
                   "y": {"direction": "output", "bits": [5, 6, "0", "1", 30, 31]},
                   "q": {"direction": "output", "bits": [40, 41, 42, 43]})",
                R"("$not$1": {"type": "$not", "connections": {"A": [3, 4], "Y": [30, 31]}},
                   "$add$2": {"type": "bt_add", "parameters": {"width_a": "00000000000000000000000000000100",
                              "width_o": "00000000000000000000000000000100"},
                              "connections": {"dataa": [3, 4, 5, 6], "datab": [7, 8, 32, 10],
                                              "result": [20, 21, 22, 23]}},
                   "$not$3": {"type": "$_NOT_", "connections": {"A": [33], "Y": [32]}},
                   "$not$4": {"type": "$_NOT_", "connections": {"A": [9], "Y": [33]}},
                   "$dff$5": {"type": "bt_dffe", "parameters": {"width": "00000000000000000000000000000100"},
                              "connections": {"clk": [2], "d": [20, 21, 22, 23], "q": [40, 41, 42, 43]}})",
                R"("sum": {"hide_name": 0, "bits": [20, 21, 22, 23]}, "$auto$x": {"hide_name": 1, "bits": [40]},
                   "q": {"hide_name": 0, "bits": [40, 41, 42, 43]})"));
    ASSERT_TRUE(read->ok) << read->errors;
    // Named after the designer's nets and their types; the clock makes no design port.
    ASSERT_NE(read->db.FindNode("sum_add"), nullptr);
    ASSERT_NE(read->db.FindNode("q_dffe"), nullptr);
    EXPECT_EQ(read->db.FindDesignPort("clk"), nullptr);
    EXPECT_EQ(read->db.Module().clocks, std::vector<std::string>{"clk"});
    EXPECT_EQ(read->db.FindNode("sum_add")->operatorCode, 4);
    ParamValue width;
    ASSERT_TRUE(read->db.FindNode("sum_add")->GetParam("width_o", width));
    EXPECT_EQ(width.integer(), 4);
    EXPECT_EQ(Slices(read->db.FindDesignPort("y")->AsInput()),
              "0+2<-(top).a[2] 2+1<-(top).(zero)[0] 3+1<-(top).(one)[0] 4+2<-~(top).a[0]");
    // A double inversion reads the bit itself.
    EXPECT_EQ(Slices(read->db.FindNode("sum_add")->FindInput("datab")), "0+4<-(top).b[0]");
    EXPECT_EQ(Slices(read->db.FindNode("q_dffe")->FindInput("datain")), "0+4<-sum_add.dataout[0]");
    EXPECT_EQ(read->db.FindNode("q_dffe")->FindInput("clock"), nullptr);
}

TEST(YosysNetlist, MemoryContentsGoToAFileAndUniformByteEnablesCollapse)
{
    ScratchDir dir;
    const std::string base = dir.Write("top.v", "");
    // Four words of 8 bits: word 0 = 0x12, word 2 = 0xA5, words 1 and 3 undefined (INIT holds
    // the last word first).
    const std::string init = std::string(8, 'x') + "10100101" + std::string(8, 'x') + "00010010";
    auto read =
        ReadText(Netlist(R"("clk": {"direction": "input", "bits": [2]}, "we": {"direction": "input", "bits": [3]},
                   "q": {"direction": "output", "bits": [10, 11, 12, 13, 14, 15, 16, 17]})",
                         R"("ram": {"type": "bt_syncram", "parameters": {"INIT": ")" + init + R"(",
                   "width_a": "00000000000000000000000000001000", "numwords_a": "00000000000000000000000000000100",
                   "width_byteena_a": "00000000000000000000000000001000", "operation_mode": "SINGLE_PORT"},
                   "connections": {"clock0": [2], "wren_a": [3], "byteena_a": [3, 3, 3, 3, 3, 3, 3, 3],
                                   "q_a": [10, 11, 12, 13, 14, 15, 16, 17]}})",
                         R"("q": {"hide_name": 0, "bits": [10, 11, 12, 13, 14, 15, 16, 17]})"),
                 base);
    ASSERT_TRUE(read->ok) << read->errors;
    KVC::Node* ram = read->db.FindNode("q_syncram");
    ASSERT_NE(ram, nullptr);
    ParamValue file, enables;
    ASSERT_TRUE(ram->GetParam("init_file", file));
    EXPECT_EQ(file.text(), "top.v.q_syncram.mif");
    std::ifstream in(base + ".q_syncram.mif");
    std::stringstream contents;
    contents << in.rdbuf();
    EXPECT_NE(contents.str().find("WIDTH=8;\nDEPTH=4;\n"), std::string::npos) << contents.str();
    EXPECT_NE(contents.str().find("CONTENT BEGIN\n    0 : 12;\n    2 : A5;\nEND;\n"), std::string::npos)
        << contents.str();
    ASSERT_TRUE(ram->GetParam("width_byteena_a", enables));
    EXPECT_EQ(enables.integer(), 1);
    EXPECT_EQ(Slices(ram->FindInput("byteena_a")), "0+1<-(top).we[0]");
    EXPECT_EQ(read->db.ZeroPort()->fanout + read->db.FindDesignPort("we")->fanout, 2); // wren_a, byteena_a
}

TEST(YosysNetlist, TextThatIsNoNetlistOrThatTheMapCannotHoldIsRefused)
{
    struct Case {
        const char* what;
        std::string json;
        const char* error;
    };
    const Case cases[] = {
        {"no JSON", "module top; endmodule", "yosys wrote no readable netlist"},
        {"another module", R"({"modules": {"other": {}}})", "the netlist holds no module of that name"},
        {"unmapped type", Netlist("", R"("u": {"type": "my_block", "connections": {}})"),
         "module 'my_block' is neither defined nor in the map (u)"},
        {"unknown parameter",
         Netlist("", R"("u": {"type": "bt_add", "parameters": {"depth": "1"}, "connections": {}})"),
         "parameter 'depth' of 'bt_add' is not in the map"},
        {"unknown port", Netlist("", R"("u": {"type": "bt_add", "connections": {"carry": [5]}})"),
         "port 'carry' of 'bt_add' is not in the map"},
        {"falling edge",
         Netlist(R"("c": {"direction": "input", "bits": [2]})",
                 R"("u": {"type": "$_DFF_N_", "attributes": {"src": "t.v:3.1-3.9|map.v:1"},
                          "connections": {"C": [2], "D": [3], "Q": [4]}})"),
         "a register clocked on the falling edge: Blocktide simulates the rising edge of one clock (u, t.v:3.1-3.9)"},
        {"tri-state", Netlist("", R"("u": {"type": "$tribuf", "connections": {}})"), "a tri-state driver"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto read = ReadText(c.json);
        EXPECT_FALSE(read->ok);
        EXPECT_NE(read->errors.find(c.error), std::string::npos) << read->errors;
    }
}

} // namespace
