// XmlMapSmc: reading module definitions by line and attribute position, the persistent
// section flags, replacement of repeated names, lookups, MapParam's side effect and the
// load failures with their exact messages.
#include "frontend/xml_map.h"

#include <gtest/gtest.h>

#include "frontend/parser_util.h"
#include "base/messages.h"
#include "scratch_dir.h"

namespace {

class XmlMapTest : public ::testing::Test {
protected:
    void SetUp() override { clear_messages(); }
    void TearDown() override
    {
        clear_messages();
        set_console_sink({});
    }
    ScratchDir dir;
};

}  // namespace

TEST_F(XmlMapTest, ReadsModulesPortsAndParametersOfTheSampleMap)
{
    XmlMapSmc map(DataPath("basic_map.xml"));
    ASSERT_EQ(map.Load(), 1);
    EXPECT_EQ(map.ModuleCount(), 3u);
    ASSERT_TRUE(map.HasModule("dff"));
    EXPECT_FALSE(map.HasModule("DFF"));
    EXPECT_EQ(map.GetModule("missing"), nullptr);

    LibModule& dff = *map.GetModule("dff");
    EXPECT_EQ(dff.name, "dff");
    EXPECT_EQ(dff.opcode, 40);
    ASSERT_EQ(dff.inputs.size(), 2u);
    EXPECT_EQ(dff.inputs[0].netName, "d");
    EXPECT_EQ(dff.inputs[0].simName, "data");
    EXPECT_EQ(dff.inputs[0].number1, 8);
    EXPECT_EQ(dff.inputs[0].number2, 0);
    EXPECT_FALSE(dff.inputs[0].isClock);
    EXPECT_TRUE(dff.inputs[1].isClock);
    ASSERT_EQ(dff.outputs.size(), 1u);
    EXPECT_EQ(dff.outputs[0].simName, "result");

    // A clock port is an input as well.
    EXPECT_TRUE(dff.IsInputPort("clk"));
    EXPECT_TRUE(dff.IsClockPort("clk"));
    EXPECT_EQ(dff.MapInputPort("clk"), "clock");
    EXPECT_FALSE(dff.IsClockPort("d"));
    EXPECT_FALSE(dff.IsClockPort("q"));
    EXPECT_TRUE(dff.IsOutputPort("q"));
    EXPECT_FALSE(dff.IsOutputPort("d"));
    EXPECT_EQ(dff.MapOutputPort("q"), "result");
    EXPECT_EQ(dff.MapOutputPort("d"), "");
    EXPECT_EQ(dff.MapInputPort("q"), "");

    EXPECT_EQ(dff.MapParam("lpm_width"), "width");
    EXPECT_EQ(dff.MapParam("init_file"), "file");
    EXPECT_TRUE(dff.param_types.at("init_file"));
    EXPECT_FALSE(dff.param_types.at("lpm_width"));
    EXPECT_TRUE(pending_messages().empty());
}

TEST_F(XmlMapTest, MapParamEntersUnknownNamesThatDumpThenLists)
{
    std::string printed;
    set_console_sink([&](const std::string& text) { printed += text; });
    std::string path = dir.Write("m.xml",
                                 "<Module VName=\"m\" 3>\n<ParameterSection n_Parameters=\"1\">\n"
                                 "<Param n=\"w\" s=\"width\" t=\"int\" d=\"1\"/>\n</ParameterSection>\n</Module>\n");
    XmlMapSmc map(path);
    ASSERT_EQ(map.Load(), 1);
    LibModule& module = *map.GetModule("m");
    EXPECT_EQ(module.MapParam("nope"), "");
    EXPECT_EQ(module.param_names.size(), 2u);
    module.DumpParamNames();
    EXPECT_EQ(printed.rfind("PARAM NAME LIST:\n", 0), 0u);
    EXPECT_NE(printed.find(" 'w' -> 'width'\n"), std::string::npos);
    EXPECT_NE(printed.find(" 'nope' -> ''\n"), std::string::npos);
    EXPECT_EQ(printed.size(), std::string("PARAM NAME LIST:\n 'w' -> 'width'\n 'nope' -> ''\n").size());
}

TEST_F(XmlMapTest, SectionRulesFollowTheLineTests)
{
    struct Case {
        const char* what;
        std::string text;
        size_t inputs, outputs, params;
    };
    const Case cases[] = {
        {"missing section lines contribute nothing but the module is stored",
         "<Module VName=\"m\" 1>\n<InpPort a=\"x\" b=\"y\"/>\n<Param a=\"p\" b=\"q\"/>\n</Module>\n", 0, 0, 0},
        {"zero-parameter section stays closed",
         "<Module VName=\"m\" 1>\n<ParameterSection n_Parameters=\"0\">\n<Param a=\"p\" b=\"q\"/>\n</Module>\n", 0, 0, 0},
        {"section flags persist into the next module",
         "<Module VName=\"a\" 1>\n<PortSection>\n<ParameterSection n_Parameters=\"1\">\n</Module>\n"
         "<Module VName=\"m\" 1>\n<InpPort a=\"x\" b=\"y\"/>\n<OutPort a=\"o\" b=\"p\"/>\n<Param a=\"p\" b=\"q\"/>\n"
         "</Module>\n",
         1, 1, 1},
        {"closing lines end the sections",
         "<Module VName=\"m\" 1>\n<PortSection>\n</PortSection>\n<InpPort a=\"x\" b=\"y\"/>\n"
         "<ParameterSection n_Parameters=\"2\">\n</ParameterSection>\n<Param a=\"p\" b=\"q\"/>\n</Module>\n",
         0, 0, 0},
        {"clock ports are inputs",
         "<Module VName=\"m\" 1>\n<PortSection>\n<ClkPort a=\"c\" b=\"clock\"/>\n</Module>\n", 1, 0, 0},
        {"lines outside modules are ignored",
         "<PortSection>\n<InpPort a=\"x\" b=\"y\"/>\n<Module VName=\"m\" 1>\n</Module>\n<InpPort a=\"z\" b=\"y\"/>\n", 0,
         0, 0},
        {"port element needs a trailing blank", "<Module VName=\"m\" 1>\n<PortSection>\n<InpPort/>\n</Module>\n", 0, 0,
         0},
    };
    for (const Case& c : cases) {
        XmlMapSmc map(dir.Write("m.xml", c.text));
        ASSERT_EQ(map.Load(), 1) << c.what;
        const LibModule* module = map.GetModule("m");
        ASSERT_NE(module, nullptr) << c.what;
        EXPECT_EQ(module->inputs.size(), c.inputs) << c.what;
        EXPECT_EQ(module->outputs.size(), c.outputs) << c.what;
        EXPECT_EQ(module->param_names.size(), c.params) << c.what;
    }
}

TEST_F(XmlMapTest, SecondModuleOfTheSameNameReplacesTheFirst)
{
    XmlMapSmc map(dir.Write("m.xml", "<Module VName=\"m\" 1>\n</Module>\n<Module VName=\"m\" 2>\n</Module>\n"));
    ASSERT_EQ(map.Load(), 1);
    EXPECT_EQ(map.ModuleCount(), 1u);
    EXPECT_EQ(map.GetModule("m")->opcode, 2);
}

TEST_F(XmlMapTest, AttributesAreTakenByPositionAndSplitAtBlanks)
{
    XmlMapSmc map(dir.Write("m.xml",
                            "<Module VName=\"m\" 7>\n<PortSection>\n"
                            "<InpPort a=\"in put\" b=\"sim\" c=\"5\" d e=\"9\"/>\n"
                            "\t<OutPort   x=\"o\"\ty=\"s\" z=\"-3\" w v=\"+4\"/>\r\n"
                            "<InpPort a=\"n\"/>\n</Module>\n"));
    ASSERT_EQ(map.Load(), 1);
    const LibModule& module = *map.GetModule("m");
    EXPECT_EQ(module.opcode, 7);
    ASSERT_EQ(module.inputs.size(), 2u);
    // The blank inside "in put" shifts the following fields by one.
    EXPECT_EQ(module.inputs[0].netName, "a=\"in");
    EXPECT_EQ(module.inputs[0].simName, "put\"");
    EXPECT_EQ(module.inputs[0].number1, 0);
    EXPECT_EQ(module.inputs[0].number2, 0);
    EXPECT_EQ(module.outputs[0].netName, "o");
    EXPECT_EQ(module.outputs[0].simName, "s");
    EXPECT_EQ(module.outputs[0].number1, -3);
    EXPECT_EQ(module.outputs[0].number2, 4);
    EXPECT_EQ(module.inputs[1].netName, "n");
    EXPECT_EQ(module.inputs[1].simName, "");
}

TEST_F(XmlMapTest, OverlongLineStopsReadingButKeepsClosedModules)
{
    std::string text = "<Module VName=\"a\" 1>\n</Module>\n" + std::string(5000, 'x') + "\n<Module VName=\"b\" 1>\n</Module>\n";
    XmlMapSmc map(dir.Write("m.xml", text));
    ASSERT_EQ(map.Load(), 1);
    EXPECT_TRUE(map.HasModule("a"));
    EXPECT_FALSE(map.HasModule("b"));

    // 4095 characters is still a line.
    std::string fits = "<Module VName=\"a\" 1>\n" + std::string(4095, 'x') + "\n</Module>\n";
    XmlMapSmc fitting(dir.Write("f.xml", fits));
    EXPECT_EQ(fitting.Load(), 1);
}

TEST_F(XmlMapTest, LoadFailuresReportTheirExactText)
{
    struct Case {
        std::string file;
        std::string content;
        std::string message_head;
    };
    const Case cases[] = {
        {"empty.xml", "", "Incorrect KelvornC XML Mapping file format : "},
        {"unclosed.xml", "<Module VName=\"m\" 1>\n", "Incorrect KelvornC XML Mapping file format : "},
        {"long.xml", std::string(5000, 'y') + "\n<Module VName=\"m\" 1>\n</Module>\n",
         "Incorrect KelvornC XML Mapping file format : "},
    };
    for (const Case& c : cases) {
        clear_messages();
        std::string path = dir.Write(c.file, c.content);
        XmlMapSmc map(path);
        EXPECT_EQ(map.Load(), -1) << c.file;
        ASSERT_EQ(pending_messages().size(), 1u) << c.file;
        EXPECT_EQ(pending_messages()[0].severity, SEV_ERROR);
        EXPECT_EQ(pending_messages()[0].text, c.message_head + path);
    }
    clear_messages();
    XmlMapSmc missing(dir.Path("none.xml"));
    EXPECT_EQ(missing.Load(), -1);
    ASSERT_EQ(pending_messages().size(), 1u);
    EXPECT_EQ(pending_messages()[0].text, "Unable to open " + dir.Path("none.xml"));
}

TEST(ParserUtil, TokensQuotesAndIntegers)
{
    std::string text = "  \tab  cd\n";
    EXPECT_EQ(ParserUtil::NextToken(text, " \t\n"), "ab");
    EXPECT_EQ(text, "cd\n");
    EXPECT_EQ(ParserUtil::NextToken(text, " \t\n"), "cd");
    EXPECT_EQ(text, "");
    EXPECT_EQ(ParserUtil::NextToken(text, " \t\n"), "");

    EXPECT_EQ(ParserUtil::StripQuotes("a=\"xy\"/>"), "xy");
    EXPECT_EQ(ParserUtil::StripQuotes("a=\"x\"y\""), "x\"y");
    EXPECT_EQ(ParserUtil::StripQuotes("\"one"), "\"one");
    EXPECT_EQ(ParserUtil::StripQuotes("\"\""), "");
    EXPECT_EQ(ParserUtil::StripQuotes("plain"), "plain");

    EXPECT_EQ(ParserUtil::ToInteger(" 42x"), 42);
    EXPECT_EQ(ParserUtil::ToInteger("-7"), -7);
    EXPECT_EQ(ParserUtil::ToInteger("+7"), 7);
    EXPECT_EQ(ParserUtil::ToInteger("x1"), 0);
    EXPECT_EQ(ParserUtil::ToInteger(""), 0);
    EXPECT_EQ(ParserUtil::ToInteger("99999999999999999999"), 2147483647);
    EXPECT_EQ(ParserUtil::ToInteger("-99999999999999999999"), -2147483647 - 1);
}
