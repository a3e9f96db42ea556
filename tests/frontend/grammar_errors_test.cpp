// Every grammar violation, from a minimal netlist that triggers it, raises its own message,
// which the loader reports exactly once at SEV_FATAL and keeps in ErrorText.
#include <gtest/gtest.h>

#include "frontend/grammar_errors.h"
#include "load_design.h"

namespace {

const std::string HEAD = "module top (a, y);\ninput a;\noutput y;\n";

struct ErrorCase {
    std::string netlist;
    std::string message;
};

void ExpectSingleFatal(const std::string& netlist, const std::string& message)
{
    auto design = LoadText(netlist);
    EXPECT_EQ(design->parsed, 0) << netlist;
    EXPECT_EQ(design->loader->ErrorText(), message) << netlist;
    std::vector<Message> fatals;
    for (const Message& m : pending_messages())
        if (m.severity >= SEV_ERROR) fatals.push_back(m);
    ASSERT_EQ(fatals.size(), 1u) << netlist;
    EXPECT_EQ(fatals[0].severity, SEV_FATAL);
    EXPECT_EQ(fatals[0].text, message);
}

}  // namespace

TEST(GrammarErrors, HeaderAndDeclarationViolations)
{
    const ErrorCase cases[] = {
        {"", "No 'module' keyword found in design"},
        {"wire w; and2 u1 (.dataa(a));", "No 'module' keyword found in design"},
        {"module ;", "Expected a name identifier after keyword 'module'"},
        {"module top;", "Expected an opening parenthesis"},
        {"module top ();", "Expected module port name identifier"},
        {"module top (a, );", "Expected module port name identifier"},
        {"module top (a b);", "Expected a closing parenthesis"},
        {"module top (a) input a;", "Expected a semicolon / end of statement"},
        {"module top (a); wire w;", "Expected either input or output declaration"},
        {"module top (a); inout a;", "Bidirectional ports are not currently supported"},
        {"module top (a); input [7:1] a;", "Module I/O port declaration bit ranges should be anchored at zero"},
        {"module top (a); input [7] a;", "Module I/O port declaration bit ranges should be anchored at zero"},
        {"module top (a); input [0:7] a;", "Bit range error; first value in range cannot be less than second"},
        {"module top (a); input [x] a;", "Bit slice must be specified by a number"},
        {"module top (a); input [3:] a;", "Bit slice must be specified by a number"},
        {"module top (a); input [3:0 a;", "Expected a closing bracket"},
        {"module top (a); input [3;0] a;", "Expected a closing bracket"},
        {"module top (a); input ;", "Expected module port name identifier"},
        {"module top (a, b); input a, b;", "Expected a semicolon / end of statement"},
        {"module top (a); input a; output 'b1;", "Expected module port name identifier"},
        {HEAD + "wire ;", "Expected a name identifier for a wire"},
        {HEAD + "wire [3:0] w endmodule", "Expected a semicolon / end of statement"},
        {HEAD + "wire w1, w2;", "Expected a semicolon / end of statement"},
        {HEAD + "$", "Expected 'endmodule' keyword; further declarations unrecognized"},
        {HEAD, "Expected 'endmodule' keyword; further declarations unrecognized"},
    };
    for (const ErrorCase& c : cases) ExpectSingleFatal(c.netlist, c.message);
}

TEST(GrammarErrors, InstanceAndConnectionViolations)
{
    const ErrorCase cases[] = {
        {HEAD + "and2 ;", "Expected an identifier naming a module instantiation"},
        {HEAD + "nand3 u1 (.x(a));",
         "The design contains a block of unsupported type 'nand3'.\nThis was either instantiated directly, or "
         "inferred by the\nTalverin software."},
        {HEAD + "and2 u1 .dataa(a));", "Expected an opening parenthesis"},
        {HEAD + "and2 u1 ();", "Expected a leading period, thinking this was a port name"},
        {HEAD + "and2 u1 (dataa(a));", "Expected a leading period, thinking this was a port name"},
        {HEAD + "and2 u1 (.(a));", "Expected a port identifier as part of a port connection"},
        {HEAD + "and2 u1 (.dataa a);", "Expected an opening parenthesis"},
        {HEAD + "and2 u1 (.dataa(a);", "Expected a closing parenthesis"},
        {HEAD + "and2 u1 (.dataa(a)) endmodule", "Expected a semicolon / end of statement"},
        {HEAD + "and2 u1 (.dataa(a) .datab(a));", "Expected a closing parenthesis"},
        {HEAD + "and2 u1 (.bogus(a));", "Unrecognized port 'bogus'; see module definition in XML map"},
        {HEAD + "wire w; and2 u1 (.result({w, w}));", "Output port drives multiple wires; this is not supported"},
        {HEAD + "wire w; and2 u1 (.result(0{w}));", "Output port drives multiple wires; this is not supported"},
        {HEAD + "and2 u1 (.result(1'b0));", "Output port connected to a literal; outputs must drive wires"},
        {HEAD + "and2 u1 (.result(a));", "Output port connected to name not declared as a wire?"},
        {HEAD + "and2 u1 (.dataa(nosuch));", "Unable to resolve name 'nosuch' as a wire or I/O"},
        {HEAD + "and2 u1 (.dataa({a, a));", "Expected a closing brace at end of concatenation notation"},
        {HEAD + "and2 u1 (.dataa({a a}));", "Expected a closing brace at end of concatenation notation"},
        {HEAD + "and2 u1 (.dataa(2{a)));", "Expected a closing brace at end of concatenation notation"},
        {HEAD + "and2 u1 (.dataa({}));", "Expected a source identifier as part of a port connection"},
        {HEAD + "and2 u1 (.dataa(3));", "Expected literal bit constant ('b0 or 'b1)"},
        {HEAD + "and2 u1 (.dataa(2{3{a}}));", "Expected literal bit constant ('b0 or 'b1)"},
        {HEAD + "and2 u1 (.dataa('b1));", "Expected a source identifier as part of a port connection"},
        {HEAD + "and2 u1 (.dataa(4'h0));", "Expected literal bit constant ('b0 or 'b1)"},
        {HEAD + "and2 u1 (.dataa(~(a)));", "Expected a source identifier as part of a port connection"},
        {HEAD + "and2 u1 (.dataa((a;", "Mismatched parentheses (lacking closure) in port expression"},
        {HEAD + "and2 u1 (.dataa((~a[0] ));", "Expected a closing parenthesis"},
        {HEAD + "and2 u1 (.dataa(a[x]));", "Bit slice must be specified by a number"},
        {HEAD + "and2 u1 (.dataa(a[0:1]));", "Bit range error; first value in range cannot be less than second"},
    };
    for (const ErrorCase& c : cases) ExpectSingleFatal(c.netlist, c.message);
}

TEST(GrammarErrors, DefparamViolations)
{
    const std::string inst = HEAD + "wire w;\ndff u1 (.d(a), .q(w));\n";
    const ErrorCase cases[] = {
        {inst + "defparam ;", "Expected an identifier naming a module instantiation"},
        {inst + "defparam u2.lpm_width = 1;", "Parameters must refer to node immediately prior to defparam block"},
        {inst + "defparam u1 lpm_width = 1;", "Malformed param name; expected 'identifier period identifier' form"},
        {inst + "defparam u1. = 1;", "Expected a param identifier as part of parameter specification"},
        {inst + "defparam u1.nope = 1;", "Parameter name 'nope' is unknown; see definition in XML map"},
        {inst + "defparam u1.lpm_width 1;", "Expected equals sign in assignment"},
        {inst + "defparam u1.lpm_width = x;", "Expected either a number or string literal as parameter value"},
        {inst + "defparam u1.lpm_width = 1 endmodule", "Expected a semicolon / end of statement"},
        {inst + "defparam u1.lpm_width = 1, ;", "Expected an identifier naming a module instantiation"},
    };
    set_console_sink([](const std::string&) {});  // the unknown parameter prints the list
    for (const ErrorCase& c : cases) ExpectSingleFatal(c.netlist, c.message);
    set_console_sink({});
}

TEST(GrammarErrors, AssignmentAndWiringViolations)
{
    const ErrorCase cases[] = {
        {HEAD + "assign y = a endmodule", "Expected a semicolon / end of statement"},
        {HEAD + "assign y = a assign", "Expected a semicolon / end of statement"},
        {HEAD + "assign = a;", "Expected module port name identifier"},
        {HEAD + "assign y a;", "Expected equals sign in assignment"},
        {HEAD + "assign y = a, ;", "Expected module port name identifier"},
        {HEAD + "wire w; assign w = {a, a};", "Assignments to a wire cannot incorporate fan-in/concatenation"},
        {HEAD + "assign y = a; wire w;", "Expected 'endmodule' keyword; further declarations unrecognized"},
        {HEAD + "assign y = a; and2 u1 (.dataa(a));", "Expected 'endmodule' keyword; further declarations unrecognized"},
        {HEAD + "wire w; assign w = x;\nassign y = w;\nendmodule", "Unable to find port 'x' when wiring up connections"},
        {HEAD + "assign z = a;\nendmodule", "Unable to find design output 'z' specified in assign block"},
        {HEAD + "assign a = a;\nendmodule", "Unable to find design output 'a' specified in assign block"},
        {HEAD + "assign y = q;\nendmodule", "Unable to resolve name 'q' as a wire or I/O"},
        {HEAD + "and2 y (.dataa(a));\nassign y = a;\nendmodule",
         "Design port 'y' has the name of an instance; the simulation names both by it, so they must differ"},
        {HEAD + "and2 a (.dataa(a));\nassign y = a;\nendmodule",
         "Design port 'a' has the name of an instance; the simulation names both by it, so they must differ"},
    };
    for (const ErrorCase& c : cases) ExpectSingleFatal(c.netlist, c.message);
}

TEST(GrammarErrors, OversizedWidthsAndReplicationsFailCleanly)
{
    const std::string too_wide = "Bit width too large; ranges, literals and expressions are limited to 1048576 bits";
    const std::string too_long =
        "Expression too long; at most 16384 terms per expression and 1048576 replicated signals per design are "
        "supported";
    std::string many_terms = "{a";
    for (int i = 0; i < 16384; ++i) many_terms += ",a";
    std::string many_replications;
    for (int i = 0; i < 65; ++i) many_replications += "and2 u" + std::to_string(i) + " (.dataa(16384{a}));\n";
    const ErrorCase cases[] = {
        {"module top (a); input [2147483647:0] a;", too_wide},
        {"module top (a); input [99999999999999:0] a;", too_wide},
        {HEAD + "and2 u1 (.dataa(2000000000{1'b1}));", too_wide},
        {HEAD + "and2 u1 (.dataa(1048577'b0));", too_wide},
        {HEAD + "and2 u1 (.dataa(1024{1024'b1}), .datab(1025{1024'b1}));", too_wide},
        {HEAD + "wire [1048575:0] w; and2 u1 (.dataa({w, a}));", too_wide},
        {HEAD + "and2 u1 (.dataa(2000000000{a}));", too_long},
        {HEAD + "and2 u1 (.dataa({a, 16384{a}}));", too_long},
        {HEAD + "and2 u1 (.dataa(" + many_terms + "}));", too_long},
        {HEAD + many_replications, too_long},
    };
    for (const ErrorCase& c : cases) ExpectSingleFatal(c.netlist, c.message);

    // Just within the limits.
    auto design = LoadText(HEAD + "and2 u1 (.dataa(16384{a}), .datab(1048576'b1));\nassign y = a;\nendmodule\n");
    ASSERT_EQ(design->parsed, 1) << design->loader->ErrorText();
    EXPECT_EQ(design->db.FindNode("u1")->FindInput("a")->SliceCount(), 16384u);
}

TEST(GrammarErrors, ReportedLineIsTheLineOfTheOffendingToken)
{
    auto design = LoadText("module top (a, y);\ninput a;\noutput y;\n\nwire w\nendmodule\n");
    EXPECT_EQ(design->loader->ErrorText(), "Expected a semicolon / end of statement");
    EXPECT_EQ(design->loader->ErrorLine(), 6);
    // Errors found while wiring up have no line.
    design = LoadText(HEAD + "assign z = a;\nendmodule\n");
    EXPECT_EQ(design->loader->ErrorLine(), -1);
}

TEST(GrammarErrors, UnknownParameterPrintsTheParameterList)
{
    std::string printed;
    set_console_sink([&](const std::string& text) { printed += text; });
    auto design = LoadText(HEAD + "wire w; dff u1 (.d(a), .q(w)); defparam u1.nope = 1;");
    set_console_sink({});
    EXPECT_EQ(design->parsed, 0);
    EXPECT_EQ(printed.rfind("PARAM NAME LIST:\n", 0), 0u);
    EXPECT_NE(printed.find(" 'lpm_width' -> 'width'\n"), std::string::npos);
    EXPECT_NE(printed.find(" 'nope' -> ''\n"), std::string::npos);
}

TEST(GrammarErrors, UnloadableMapIsOneFatalAfterTheMapReadersError)
{
    auto design = LoadText(HEAD + "endmodule", "/nonexistent/map.xml");
    EXPECT_EQ(design->parsed, 0);
    EXPECT_EQ(design->loader->ErrorText(), "Unable to load XML map file");
    ASSERT_EQ(pending_messages().size(), 2u);
    EXPECT_EQ(pending_messages()[0].severity, SEV_ERROR);
    EXPECT_EQ(pending_messages()[0].text, "Unable to open /nonexistent/map.xml");
    EXPECT_EQ(pending_messages()[1].severity, SEV_FATAL);
    EXPECT_EQ(pending_messages()[1].text, "Unable to load XML map file");
}

TEST(GrammarErrors, FamilyAnswersItsMessagesThroughTheBase)
{
    Parser::X_Grammar base(3);
    EXPECT_STREQ(base.what(), "Generic parsing error");
    EXPECT_EQ(base.line, 3);
    const Parser::X_Grammar& fault = Parser::X_Fault("lost");
    EXPECT_STREQ(fault.what(), "[Internal Fault] lost");
    EXPECT_EQ(fault.line, -1);
    const Parser::X_Grammar& unknown = Parser::X_UnknownPortName(9, "p");
    EXPECT_EQ(unknown.line, 9);
    EXPECT_STREQ(Parser::X_ExpectedNumber(1).what(), "Expected a number");
    EXPECT_STREQ(Parser::X_ExpectedLBrace(1).what(), "Expected an opening brace or other signal notation");
    EXPECT_STREQ(Parser::X_ExpectedBitCount(1).what(), "Expected a bit count (number)");
    EXPECT_STREQ(Parser::X_WireAssignMismatch(1).what(), "Assignment apparently refers to wire yet assigns non-constant");
    EXPECT_STREQ(Parser::X_NodeNotFound("n").what(), "Unable to find node 'n' when wiring up connections");
}
