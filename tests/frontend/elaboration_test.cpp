// Elaboration checked through the database a whole netlist produces: nodes with operator
// codes, ports under simulator names and widths, slices (srcLow, dstLow, width, inversion),
// parameters, design ports, clocks and aliases.
#include <gtest/gtest.h>

#include "load_design.h"

namespace {

struct ExpectedSlice {
    int dstLow;
    int width;
    std::string source;  // "node.port", or "(top).port" for design ports and constants
    int srcLow;
    bool inverted;
};

std::string SourceName(const KVC::Slice& slice) { return slice.source->owner->name + "." + slice.source->name; }

void ExpectSlices(const KVC::Input* input, const std::vector<ExpectedSlice>& expected)
{
    ASSERT_NE(input, nullptr);
    ASSERT_EQ(input->SliceCount(), expected.size()) << input->name;
    for (size_t i = 0; i < expected.size(); ++i) {
        const KVC::Slice& slice = *input->slices[i];
        EXPECT_EQ(slice.dstLow, expected[i].dstLow) << input->name << " slice " << i;
        EXPECT_EQ(slice.width, expected[i].width) << input->name << " slice " << i;
        EXPECT_EQ(SourceName(slice), expected[i].source) << input->name << " slice " << i;
        EXPECT_EQ(slice.srcLow, expected[i].srcLow) << input->name << " slice " << i;
        EXPECT_EQ(slice.inverted, expected[i].inverted) << input->name << " slice " << i;
    }
}

KVC::Input* InputOf(const KVC::NetlistDB& db, const std::string& node, const std::string& port)
{
    const KVC::Node* found = node == "(top)" ? db.Top() : db.FindNode(node);
    return found ? found->FindInput(port) : nullptr;
}

}  // namespace

TEST(Elaboration, RegisterAndAdderDesign)
{
    auto design = LoadFile("registers.vo");
    ASSERT_EQ(design->parsed, 1) << design->loader->ErrorText();
    EXPECT_TRUE(pending_messages().empty());
    const KVC::NetlistDB& db = design->db;
    EXPECT_EQ(db.NodeCount(), 2);

    const KVC::Node* r1 = db.FindNode("r1");
    ASSERT_NE(r1, nullptr);
    EXPECT_EQ(r1->operatorCode, 40);
    EXPECT_EQ(r1->clockDomain, 1);
    EXPECT_EQ(r1->PortCount(), 2u);  // the clock port makes no database port
    EXPECT_EQ(r1->FindPort("clock"), nullptr);
    ASSERT_NE(r1->FindPort("result"), nullptr);
    EXPECT_EQ(r1->FindPort("result")->Direction(), 1);
    EXPECT_EQ(r1->FindPort("result")->width, 8);
    EXPECT_EQ(InputOf(db, "r1", "data")->width, 8);
    ExpectSlices(InputOf(db, "r1", "data"), {{0, 8, "(top).d", 0, false}});
    ParamValue value;
    ASSERT_TRUE(r1->GetParam("width", value));
    EXPECT_FALSE(value.is_text());
    EXPECT_EQ(value.integer(), 8);
    ASSERT_TRUE(r1->GetParam("file", value));
    EXPECT_EQ(value.text(), "init.hex");
    EXPECT_EQ(value.integer(), 0);

    const KVC::Node* adder = db.FindNode("u_add");
    ASSERT_NE(adder, nullptr);
    EXPECT_EQ(adder->operatorCode, 1);
    ASSERT_TRUE(adder->GetParam("width", value));
    EXPECT_EQ(value.integer(), 4);
    ExpectSlices(InputOf(db, "u_add", "a"), {{0, 8, "(top).a", 0, false}});
    // The last term written drives the lowest bits.
    ExpectSlices(InputOf(db, "u_add", "b"), {{0, 4, "r1.result", 0, true}, {4, 4, "(top).b", 0, false}});
    EXPECT_EQ(InputOf(db, "u_add", "b")->width, 8);
    EXPECT_EQ(adder->FindPort("sum")->width, 8);  // a rangeless wire counts at its declared width

    // Design ports: inputs as driving ports, outputs as inputs of the top node.
    ASSERT_NE(db.FindDesignPort("d"), nullptr);
    EXPECT_EQ(db.FindDesignPort("d")->Direction(), 1);
    EXPECT_EQ(db.FindDesignPort("d")->width, 8);
    EXPECT_EQ(db.FindDesignPort("clk"), nullptr);
    ExpectSlices(InputOf(db, "(top)", "q"), {{0, 8, "r1.result", 0, false}});
    ExpectSlices(InputOf(db, "(top)", "sum"), {{0, 8, "u_add.sum", 0, false}});
    EXPECT_EQ(db.Top()->PortCount(), 7u);  // (zero), (one), a, b, d, q, sum

    const VoParser& loader = *design->loader;
    EXPECT_EQ(loader.ErrorText(), "0");
    EXPECT_EQ(loader.ModuleName(), "top");
    ASSERT_EQ(loader.InputCount(), 3);
    EXPECT_EQ(loader.InputName(0), "d");
    EXPECT_EQ(loader.InputName(1), "a");
    EXPECT_EQ(loader.InputName(2), "b");
    EXPECT_EQ(loader.InputWidth(2), 8);
    ASSERT_EQ(loader.OutputCount(), 2);
    EXPECT_EQ(loader.OutputName(0), "q");
    EXPECT_EQ(loader.OutputName(1), "sum");
    EXPECT_EQ(loader.OutputWidth(1), 8);
    EXPECT_EQ(loader.ClockCount(), 1);
    EXPECT_EQ(loader.ClockList(), "clk ");
    EXPECT_EQ(loader.FirstClock(), "clk");
    EXPECT_EQ(loader.InternalClockList(), "");
    for (int bad : {-1, 3, 1000}) {
        EXPECT_EQ(loader.InputName(bad), "***ERR***");
        EXPECT_EQ(loader.InputWidth(bad), 0);
    }
    EXPECT_EQ(loader.OutputName(2), "***ERR***");
    EXPECT_EQ(loader.OutputWidth(-1), 0);
}

TEST(Elaboration, MultipleAndInternalClocksAreReportedWithTheirTexts)
{
    auto design = LoadFile("clocks.vo");
    ASSERT_EQ(design->parsed, 1) << design->loader->ErrorText();
    const VoParser& loader = *design->loader;
    EXPECT_EQ(loader.ClockCount(), 3);
    EXPECT_EQ(loader.ClockList(), "c1 c2 ic ");
    EXPECT_EQ(loader.InternalClockList(), "ic ");
    EXPECT_EQ(loader.FirstClock(), "c1");
    EXPECT_EQ(loader.InputCount(), 1);
    EXPECT_EQ(loader.InputName(0), "d");

    std::vector<Message> reports;
    for (const Message& m : pending_messages())
        if (m.severity == SEV_WARNING || m.severity == SEV_ERROR) reports.push_back(m);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].severity, SEV_WARNING);
    EXPECT_EQ(reports[0].text,
              "'two' is a multiple (3) clock system, but will be simulated as a single clock system.\n"
              "two clocks:\n\tc1 c2 ic \n");
    EXPECT_EQ(reports[1].severity, SEV_ERROR);
    EXPECT_EQ(reports[1].text,
              "'two' includes 1 internally derived clock signal.\nIt will be simulated as a single clock system, "
              "so may not give correct simulation results.\ntwo intenal clocks:\n\tic ");
}

TEST(Elaboration, ClockCountsAndPluralOfInternalClocks)
{
    const std::string head = "module m (c, d, q);\ninput c;\ninput d;\noutput q;\nwire w;\nwire i1;\nwire i2;\n";
    // One design-input clock: no report at all.
    auto single = LoadText(head + "dff r (.clk(c), .d(d), .q(w));\nassign q = w;\nendmodule\n");
    ASSERT_EQ(single->parsed, 1);
    EXPECT_TRUE(pending_messages().empty());
    EXPECT_EQ(single->loader->ClockCount(), 1);
    EXPECT_EQ(single->loader->InputCount(), 1);

    // Two internal clocks: plural, no multiple-clock warning's "(1)".
    auto plural = LoadText(head + "dff r1 (.clk(i1), .d(d), .q(w));\ndff r2 (.clk(i2), .d(d), .q(i1));\n"
                                  "assign q = w;\nendmodule\n");
    ASSERT_EQ(plural->parsed, 1);
    ASSERT_EQ(pending_messages().size(), 2u);
    EXPECT_NE(pending_messages()[0].text.find("multiple (2) clock"), std::string::npos);
    EXPECT_NE(pending_messages()[1].text.find("includes 2 internally derived clock signals.\n"), std::string::npos);
    EXPECT_EQ(plural->loader->InputCount(), 2);  // c drives no clock, so it stays a design input

    // No clocks at all.
    auto none = LoadText(head + "assign q = d;\nendmodule\n");
    ASSERT_EQ(none->parsed, 1);
    EXPECT_EQ(none->loader->ClockCount(), 0);
    EXPECT_EQ(none->loader->ClockList(), "");
    EXPECT_EQ(none->loader->FirstClock(), "");
}

TEST(Elaboration, AliasesLiteralsAndAGroupAfterAnAlias)
{
    auto design = LoadFile("aliases.vo");
    ASSERT_EQ(design->parsed, 1) << design->loader->ErrorText();
    EXPECT_TRUE(pending_messages().empty());
    const KVC::NetlistDB& db = design->db;
    ExpectSlices(InputOf(db, "u1", "a"), {{0, 1, "(top).a", 0, false}});
    ExpectSlices(InputOf(db, "u1", "b"), {{0, 1, "(top).(one)", 0, false}});
    // w2 stands for w1, which u1 drives.
    ExpectSlices(InputOf(db, "u2", "a"), {{0, 1, "u1.q", 0, false}});
    ExpectSlices(InputOf(db, "u2", "b"), {{0, 4, "(top).(zero)", 0, false}});
    EXPECT_EQ(InputOf(db, "u2", "b")->width, 4);
    ExpectSlices(InputOf(db, "(top)", "y"), {{0, 1, "u2.q", 0, false}});
    ExpectSlices(InputOf(db, "(top)", "z"),
                 {{0, 1, "(top).(zero)", 0, false}, {1, 1, "(top).a", 0, false}, {2, 2, "(top).(one)", 0, false}});
}

TEST(Elaboration, ReadsThroughALongAliasChainTakeTheWidthAtItsEnd)
{
    // w0 = w1, w1 = w2, ...: each alias is made while its source is still a plain wire, so
    // the width of every read of w0 is found at the end of the whole chain, w<n>.
    const int n = 20000;
    std::string text = "module m (y);\noutput [3:0] y;\n";
    for (int i = 0; i < n; ++i)
        text += "wire w" + std::to_string(i) + ";\n";
    text += "wire [3:0] w" + std::to_string(n) + ";\nand2 u0 (.result(w" + std::to_string(n) + "));\n";
    for (int i = 0; i < n; ++i)
        text += "assign w" + std::to_string(i) + " = w" + std::to_string(i + 1) + ";\n";
    for (int i = 1; i <= n; ++i)
        text += "and2 u" + std::to_string(i) + " (.dataa(w0[3:0]), .datab(w" + std::to_string(i % 7) + "));\n";
    text += "assign y = w0;\nendmodule\n";
    auto design = LoadText(text);
    ASSERT_EQ(design->parsed, 1) << design->loader->ErrorText();
    for (int i : {1, n / 2, n}) {
        EXPECT_EQ(InputOf(design->db, "u" + std::to_string(i), "a")->width, 4);
        EXPECT_EQ(InputOf(design->db, "u" + std::to_string(i), "b")->width, 4);
    }
    EXPECT_EQ(InputOf(design->db, "(top)", "y")->width, 4);
}

TEST(Elaboration, ConnectionTermsAndWidths)
{
    // p is driven by u0, r by u2; the expression under test goes on u1's dataa.
    const std::string head = "module m (a, y);\ninput [3:0] a;\noutput y;\nwire [3:0] p;\nwire [3:0] r;\n"
                             "and2 u0 (.result(p));\nand2 u2 (.result(r));\n";
    struct Case {
        std::string expression;
        int width;  // of the input
        std::vector<ExpectedSlice> slices;
    };
    const std::vector<Case> cases = {
        // Rangeless names count at their declared width but link one bit each.
        {"{p, r}", 8, {{0, 1, "u2.q", 0, false}, {1, 1, "u0.q", 0, false}}},
        {"{p[3:0], r[3:0]}", 8, {{0, 4, "u2.q", 0, false}, {4, 4, "u0.q", 0, false}}},
        {"{a[2:1], 2{a[0]}, 3'b1}", 7,
         {{0, 3, "(top).(one)", 0, false}, {3, 1, "(top).a", 0, false}, {4, 1, "(top).a", 0, false},
          {5, 2, "(top).a", 1, false}}},
        {"4{1'b0}", 4, {{0, 4, "(top).(zero)", 0, false}}},
        {"(~a[3:2])", 2, {{0, 2, "(top).a", 2, true}}},
        {"~p[1]", 1, {{0, 1, "u0.q", 1, true}}},
        {"{{{a[0]}, {1'b1}}, {{{r[3]}}}}", 3,
         {{0, 1, "u2.q", 3, false}, {1, 1, "(top).(one)", 0, false}, {2, 1, "(top).a", 0, false}}},
        {"40'b1", 40, {{0, 40, "(top).(zero)", 0, true}}},  // wide ones are inverted zeros
        {"32'b1", 32, {{0, 32, "(top).(one)", 0, false}}},
        {"0{a[0]}", 0, {}},
    };
    for (const Case& c : cases) {
        auto design = LoadText(head + "and2 u1 (.dataa(" + c.expression + "));\nassign y = a[0];\nendmodule\n");
        ASSERT_EQ(design->parsed, 1) << c.expression << ": " << design->loader->ErrorText();
        const KVC::Input* input = InputOf(design->db, "u1", "a");
        ASSERT_NE(input, nullptr) << c.expression;
        EXPECT_EQ(input->width, c.width) << c.expression;
        ExpectSlices(input, c.slices);
    }
}

TEST(Elaboration, OutputConnectionDrivesTheWholeWire)
{
    auto design = LoadText("module m (a, y);\ninput [3:0] a;\noutput [7:0] y;\nwire [7:0] w;\n"
                           "and2 u0 (.dataa(a[0]), .result(w[3:0]));\nassign y = w[7:0];\nendmodule\n");
    ASSERT_EQ(design->parsed, 1) << design->loader->ErrorText();
    EXPECT_EQ(design->db.FindNode("u0")->FindPort("q")->width, 4);
    ExpectSlices(InputOf(design->db, "(top)", "y"), {{0, 8, "u0.q", 0, false}});
}

TEST(Elaboration, WireAssignmentsAndDesignOutputAssignments)
{
    const std::string head = "module m (a, y);\ninput a;\noutput y;\nwire w;\nwire v;\n";
    auto ones = LoadText(head + "assign w = 1'b1;\nassign y = w;\nendmodule\n");
    ASSERT_EQ(ones->parsed, 1);
    ExpectSlices(InputOf(ones->db, "(top)", "y"), {{0, 1, "(top).(one)", 0, false}});

    auto zeros = LoadText(head + "assign w = 8'b0, y = w;\nendmodule\n");
    ASSERT_EQ(zeros->parsed, 1);
    ExpectSlices(InputOf(zeros->db, "(top)", "y"), {{0, 1, "(top).(zero)", 0, false}});

    auto direct = LoadText(head + "assign y = ~a;\nendmodule\n");
    ASSERT_EQ(direct->parsed, 1);
    ExpectSlices(InputOf(direct->db, "(top)", "y"), {{0, 1, "(top).a", 0, true}});

    // A wire assigned from a name that is not a wire fails when the wires are wired up.
    auto from_input = LoadText(head + "assign w = a;\nendmodule\n");
    EXPECT_EQ(from_input->parsed, 0);
    EXPECT_EQ(from_input->loader->ErrorText(), "Unable to find port 'a' when wiring up connections");
}

TEST(Elaboration, UndrivenWireLeavesTheInputBitsWithoutASlice)
{
    auto design = LoadText("module m (a, y);\ninput a;\noutput y;\nwire w;\nwire q;\n"
                           "and2 u0 (.dataa(w), .datab(a), .result(q));\nassign y = q;\nendmodule\n");
    ASSERT_EQ(design->parsed, 1) << design->loader->ErrorText();
    EXPECT_EQ(InputOf(design->db, "u0", "a")->SliceCount(), 0u);
    EXPECT_EQ(InputOf(design->db, "u0", "b")->SliceCount(), 1u);
    ASSERT_EQ(pending_messages().size(), 1u);
    EXPECT_EQ(pending_messages()[0].severity, SEV_INTERNAL);
    EXPECT_EQ(pending_messages()[0].text, "Passed a null ptr into Input::NewSlice.");
}

TEST(Elaboration, RepeatedParametersInstancesAndIoOrder)
{
    auto design = LoadText("module m (y, a, b);\noutput y;\ninput b;\ninput a;\ninput extra;\nwire w;\n"
                           "dff r (.d(a), .q(w));\ndefparam r.lpm_width = 3, r.lpm_width = 5;\n"
                           "dff r (.d(b), .q(w));\nassign y = w;\nendmodule\n");
    ASSERT_EQ(design->parsed, 1) << design->loader->ErrorText();
    ParamValue value;
    ASSERT_TRUE(design->db.FindNode("r")->GetParam("width", value));
    EXPECT_EQ(value.integer(), 5);
    EXPECT_EQ(design->db.NodeCount(), 1);
    // The second instance of the same name reuses the node; its input gets a second,
    // overlapping slice, which the database reports.
    std::vector<std::string> texts;
    for (const Message& m : pending_messages()) texts.push_back(m.text);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[0], "Namespace collision when creating node. Name:r");
    // Header order, then the undeclared-in-header name last.
    ASSERT_EQ(design->loader->InputCount(), 3);
    EXPECT_EQ(design->loader->InputName(0), "a");
    EXPECT_EQ(design->loader->InputName(1), "b");
    EXPECT_EQ(design->loader->InputName(2), "extra");
    EXPECT_EQ(design->loader->OutputName(0), "y");
}

TEST(Elaboration, DeeplyNestedConcatenationIsFlattenedWithoutRecursion)
{
    const int depth = 200000;
    std::string expression = std::string(depth, '{') + "a" + std::string(depth, '}');
    auto design = LoadText("module m (a, y);\ninput a;\noutput y;\nwire q;\nand2 u (.dataa(" + expression +
                           "), .result(q));\nassign y = q;\nendmodule\n");
    ASSERT_EQ(design->parsed, 1) << design->loader->ErrorText();
    ExpectSlices(InputOf(design->db, "u", "a"), {{0, 1, "(top).a", 0, false}});

    auto unbalanced = LoadText("module m (a, y);\ninput a;\noutput y;\nand2 u (.dataa(" +
                               std::string(depth, '{') + "a));\nendmodule\n");
    EXPECT_EQ(unbalanced->loader->ErrorText(), "Expected a closing brace at end of concatenation notation");
}

TEST(Elaboration, TokensBeforeTheModuleAndCarriageReturnsAreSkipped)
{
    const std::string body = "module m (a, y);\ninput [1:0] a;\noutput y;\nassign y = a[1];\nendmodule\n";
    std::string crlf;
    for (char c : body) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    for (const std::string& text : {"junk $ 12 ; endmodule wire\n" + body, crlf}) {
        auto design = LoadText(text);
        ASSERT_EQ(design->parsed, 1) << design->loader->ErrorText();
        EXPECT_EQ(design->loader->ModuleName(), "m");
        ExpectSlices(InputOf(design->db, "(top)", "y"), {{0, 1, "(top).a", 1, false}});
    }
}

// Where the dialect silently differs from Verilog, the import warns (and elaborates as ever).
TEST(Elaboration, WarnsWhereTheDialectDiffersFromVerilog)
{
    const std::string head = "module m (a, y);\ninput [3:0] a;\noutput [7:0] y;\nwire [3:0] p;\nwire [3:0] r;\n"
                             "wire [3:0] v;\n";
    struct Case {
        std::string body;
        std::string warning;  // empty: none
        std::string second = "";  // a second warning expected, if any
    };
    const std::vector<Case> cases = {
        {"and2 u0 (.dataa(a[3:0]), .result(p[3:0]));\nassign v = ~p;\nassign y = {v[3:0], p[3:0]};\n",
         "Netlist line 8: 'assign v = ~p' makes v another name for p: the inversion is dropped."},
        {"and2 u0 (.dataa(a[3:0]), .result(p[3:0]));\nassign v = p;\nassign y = {v[3:0], p[3:0]};\n", ""},
        {"and2 u0 (.dataa({a, p[3:0]}), .result(p[3:0]));\nassign y = {p[3:0], p[3:0]};\n",
         "Netlist line 7: in the concatenation connected to u0.dataa, 'a' (4 bits) has no range and connects only its "
         "bit 0; write a[3:0]."},
        {"and2 u0 (.dataa(a[3:0]), .result(p[3:0]));\nassign y = {p, a[3:0]};\n",
         "in the concatenation connected to y, 'p' (4 bits) has no range"},
        {"and2 u0 (.dataa(a), .result(p[3:0]));\nassign y = {p[3:0], a[3:0]};\n", ""},  // one term fills it all
        {"and2 u0 (.dataa(a[3:0]), .result(p[1:0]));\nassign y = {p[3:0], p[3:0]};\n",
         "Netlist line 7: output u0.result is connected to p[1:0] but drives the whole wire p (4 bits).",
         // The output is two bits wide, so bits 2 and 3 of p read 0.
         "2 bit slice(s) reach beyond the width of their ports, the first bits 0 to 3 of (top).y (8 bits) from bits "
         "0 to 3 of u0.q (2 bits); bits beyond a port read 0."},
        {"and2 u0 (.dataa(a[3:0]), .result(~p[3:0]));\nassign y = {p[3:0], p[3:0]};\n",
         "Netlist line 7: output u0.result is connected to ~p[3:0]: the inversion is dropped, outputs drive wires as "
         "they are."},
        {"and2 u0 (.dataa(a[3:0]), .result(p[3:0]));\nassign y = {p[3:0], p[3:0]};\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        auto design = LoadText(head + c.body + "endmodule\n");
        ASSERT_EQ(design->parsed, 1) << design->loader->ErrorText();
        std::vector<std::string> warnings;
        for (const Message& message : pending_messages())
            if (message.severity == SEV_WARNING)
                warnings.push_back(message.text);
        if (c.warning.empty()) {
            EXPECT_TRUE(warnings.empty()) << warnings.front();
        } else {
            ASSERT_EQ(warnings.size(), c.second.empty() ? 1u : 2u);
            EXPECT_NE(warnings.front().find(c.warning), std::string::npos) << warnings.front();
            if (!c.second.empty()) {
                EXPECT_EQ(warnings.back(), c.second);
            }
        }
    }
}
