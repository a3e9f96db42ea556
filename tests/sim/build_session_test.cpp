// Building simulations from netlist databases (class choice by operator code, perimeter
// nodes, slices linked through downshifters and adapters) and the simulation session
// (path splitting, load, indexed writes and reads, their failure reports).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <typeindex>

#include "base/messages.h"
#include "engine/manager.h"
#include "engine/node_registry.h"
#include "engine/perimeter.h"
#include "models/library_search.h"
#include "netlistdb/netlist_db.h"
#include "nodes/adders.h"
#include "nodes/compare.h"
#include "nodes/logic.h"
#include "nodes/lpm_mux.h"
#include "nodes/mul_div.h"
#include "nodes/registers.h"
#include "nodes/select.h"
#include "nodes/shift_taps.h"
#include "nodes/shifts.h"
#include "sim/build.h"
#include "sim/session.h"

namespace {

class BuildTest : public ::testing::Test {
protected:
    void SetUp() override { clear_messages(); }
    void TearDown() override { clear_messages(); }

    bool has_message(int severity, const std::string& text) const
    {
        for (const Message& m : pending_messages())
            if (m.severity == severity && m.text == text)
                return true;
        return false;
    }

    KVC::Port* input(const std::string& name, int width)
    {
        KVC::Port* port = db.AddDesignInput(name);
        port->width = width;
        return port;
    }
    KVC::Input* output(const std::string& name, int width)
    {
        KVC::Input* port = db.AddDesignOutput(name)->AsInput();
        port->width = width;
        return port;
    }
    KVC::Node* node(const std::string& name, int code, std::map<std::string, int> params = {})
    {
        KVC::Node* n = db.CreateNode(name);
        n->operatorCode = code;
        n->clockDomain = 1;
        for (auto& [key, value] : params)
            n->SetParam(key, ParamValue(value));
        return n;
    }
    KVC::Input* node_input(KVC::Node* n, const std::string& name, int width)
    {
        KVC::Input* in = n->NewPort(name, 0)->AsInput();
        in->width = width;
        return in;
    }
    KVC::Port* node_output(KVC::Node* n, const std::string& name, int width)
    {
        KVC::Port* out = n->NewPort(name, 1);
        out->width = width;
        return out;
    }

    KVC::NetlistDB db;
    Sim::Manager manager{"top_name"};
};

}  // namespace

TEST_F(BuildTest, OperatorCodesAndParametersChooseTheClass)
{
    using Sim::OperatorCode;
    struct Case {
        OperatorCode code;
        std::map<std::string, int> params;
        std::type_index type;
    } cases[] = {
        {OperatorCode::Register, {}, typeid(Sim::Node_DFFE_Bit)},
        {OperatorCode::Register, {{"array_width", 1}}, typeid(Sim::Node_DFFE_Bit)},
        {OperatorCode::Register, {{"array_width", 8}}, typeid(Sim::Node_DFFE)},
        {OperatorCode::Mux2, {}, typeid(Sim::Node_MuxSimple)},
        {OperatorCode::Mux2, {{"array_width", 32}}, typeid(Sim::Node_MuxSmall)},
        {OperatorCode::Mux2, {{"array_width", 33}}, typeid(Sim::Node_Mux2to1)},
        {OperatorCode::OrReduce, {}, typeid(Sim::Node_CombOr_Sm)},
        {OperatorCode::OrReduce, {{"width_datain", 32}}, typeid(Sim::Node_CombOr_Sm)},
        {OperatorCode::OrReduce, {{"width_datain", 33}}, typeid(Sim::Node_CombOr)},
        {OperatorCode::Add, {{"width_o", 16}}, typeid(Sim::Node_UnsnAdd_Sm)},
        {OperatorCode::Add, {{"width_o", 32}}, typeid(Sim::Node_UnsnAdd)},
        {OperatorCode::Add, {{"width", 40}, {"width_o", 8}}, typeid(Sim::Node_UnsnAdd_Sm)},  // width_o wins
        {OperatorCode::Add, {{"width", 40}}, typeid(Sim::Node_UnsnAdd)},
        {OperatorCode::Add, {{"width_o", 16}, {"signed", 1}}, typeid(Sim::Node_SignAdd)},
        {OperatorCode::Add, {}, typeid(Sim::Node_UnsnAdd_Sm)},  // no output width: the adder's default of 1 bit
        {OperatorCode::Multiply, {}, typeid(Sim::Node_UnsnMul)},
        {OperatorCode::Multiply, {{"signed", 1}}, typeid(Sim::Node_SignMul)},
        {OperatorCode::XorReduce, {}, typeid(Sim::Node_CombXor_Sm)},
        {OperatorCode::XorReduce, {{"width_datain", 33}}, typeid(Sim::Node_CombXor)},
        {OperatorCode::AndReduce, {}, typeid(Sim::Node_CombAnd_Sm)},
        {OperatorCode::AndReduce, {{"width_datain", 33}}, typeid(Sim::Node_CombAnd)},
        {OperatorCode::AddSub, {{"signed", 2}}, typeid(Sim::Node_UnsnAddSub)},  // only 1 means signed
        {OperatorCode::AddSub, {{"signed", 1}}, typeid(Sim::Node_SignAddSub)},
        {OperatorCode::Selector, {}, typeid(Sim::Node_Selector)},  // absent: the wide class
        {OperatorCode::Selector, {{"width_data", 32}}, typeid(Sim::Node_Selector_Sm)},
        {OperatorCode::Selector, {{"width_data", 33}}, typeid(Sim::Node_Selector)},
        {OperatorCode::CompareLessEqual, {}, typeid(Sim::Node_UnsnCmpLE)},
        {OperatorCode::CompareLessEqual, {{"signed", 1}}, typeid(Sim::Node_SignCmpLE)},
        {OperatorCode::TriStateBuffer, {}, typeid(Sim::Node_BufTri)},
        {OperatorCode::BitSelect, {}, typeid(Sim::Node_Mux_Sm)},
        {OperatorCode::BitSelect, {{"width_data", 32}}, typeid(Sim::Node_Mux_Sm)},
        {OperatorCode::BitSelect, {{"width_data", 40}}, typeid(Sim::Node_Mux)},
        {OperatorCode::Divide, {}, typeid(Sim::Node_UnsnDiv)},
        {OperatorCode::Divide, {{"signed", 1}}, typeid(Sim::Node_SignDiv)},
        {OperatorCode::Modulo, {}, typeid(Sim::Node_UnsnMod)},
        {OperatorCode::Modulo, {{"signed", 1}}, typeid(Sim::Node_SignMod)},
        {OperatorCode::ShiftLeft, {}, typeid(Sim::Node_SHL)},
        {OperatorCode::ShiftRight, {}, typeid(Sim::Node_SHR)},
        {OperatorCode::RotateLeft, {}, typeid(Sim::Node_ROL)},
        {OperatorCode::RotateRight, {}, typeid(Sim::Node_ROR)},
        {OperatorCode::OpenDrainBuffer, {}, typeid(Sim::Node_BufDrn)},
        {OperatorCode::Decoder, {}, typeid(Sim::Node_Decoder)},
        {OperatorCode::BusMux2, {}, typeid(Sim::Node_BusMux2)},
        {OperatorCode::Latch, {}, typeid(Sim::Node_Latch)},
        {OperatorCode::LpmCompare, {}, typeid(Sim::Node_LpmCompare)},
        {OperatorCode::LpmCompare, {{"lpm_pipeline", 2}}, typeid(Sim::Node_LpmComparePiped)},
        {OperatorCode::ShiftTaps, {}, typeid(Sim::Node_MrvShiftTaps)},
        {OperatorCode::LpmAbs, {}, typeid(Sim::Node_Abs)},
        {OperatorCode::LpmMux, {}, typeid(Sim::Node_MuxConc)},
        {OperatorCode::LpmMux, {{"lpm_pipeline", 1}}, typeid(Sim::Node_MuxPiped)},
    };
    int index = 0;
    for (const Case& c : cases)
        node(std::to_string(index++), static_cast<int>(c.code), c.params);
    EXPECT_FALSE(Sim::Build(db, manager));
    index = 0;
    for (const Case& c : cases) {
        Sim::Node_Base* created = manager.FindNode(std::to_string(index++));
        ASSERT_NE(created, nullptr) << Sim::NameOfOperatorCode(static_cast<int>(c.code));
        EXPECT_EQ(std::type_index(typeid(*created)), c.type) << "case " << index - 1;
    }
    EXPECT_TRUE(has_message(SEV_TRACE, "(top_name build begins)"));
    EXPECT_TRUE(has_message(SEV_TRACE, "(top_name build ends)"));
}

// Every listed code has exactly one class maker (the model-library blocks included) and no
// other code has any.
TEST(NodeRegistryTest, ServesExactlyTheListedCodes)
{
    EXPECT_EQ(Sim::RegistrationFaults(), 0);
    std::set<int> listed;
    for (const Sim::OperatorCodeName& entry : Sim::kOperatorCodes)
        listed.insert(static_cast<int>(entry.code));
    EXPECT_EQ(listed.size(), 37u);
    for (int code = -1; code < 300; ++code)
        EXPECT_EQ(Sim::FindNodeMaker(code) != nullptr, listed.count(code) == 1) << code;
    EXPECT_EQ(Sim::NameOfOperatorCode(20), "");
    EXPECT_EQ(Sim::NameOfOperatorCode(4), "adder");
}

TEST_F(BuildTest, UnknownOperatorCodeSkipsPerimeterAndLinks)
{
    input("a", 8);
    output("y", 8);
    node("bad", 20);
    node("also_bad", 115);
    EXPECT_TRUE(Sim::Build(db, manager));
    EXPECT_TRUE(has_message(SEV_FATAL, "Unrecognized operator code (20) for DB nodebad"));
    EXPECT_TRUE(has_message(SEV_FATAL, "Unrecognized operator code (115) for DB nodealso_bad"));
    EXPECT_EQ(manager.FindNode("a"), nullptr);
    EXPECT_EQ(manager.FindNode("y"), nullptr);
}

TEST_F(BuildTest, DesignRunsThroughDownshiftersAndAdapters)
{
    // y[7:0] = { a[7:4] (from a downshifter), "(zero)" x2, ~b[1:0] } ; z[3:0] = a[7:4] again.
    KVC::Port* a = input("a", 8);
    KVC::Port* b = input("b", 2);
    input("(zero)", 1);  // a constant name on the top node makes no perimeter node
    KVC::Input* y = output("y", 8);
    KVC::Input* z = output("z", 4);
    KVC::Node* buffer = node("buf", 22, {{"width", 8}});  // bus mux: select 0 passes dataa
    KVC::Input* data = node_input(buffer, "dataa", 8);
    data->NewSlice(0, 8, a, 0);
    KVC::Port* q = node_output(buffer, "dataout", 8);
    y->NewSlice(4, 4, q, 4);
    y->NewSlice(2, 2, db.ZeroPort(), 0);
    y->NewSlice(0, 2, b, 0)->inverted = true;
    z->NewSlice(0, 4, q, 4);
    KVC::Input* w = output("w", 4);
    w->NewSlice(0, 4, q, 4);

    ASSERT_FALSE(Sim::Build(db, manager));
    EXPECT_NE(manager.FindNode("Downshift(buf:dataout:4)"), nullptr);
    EXPECT_NE(manager.FindNode("Adapter((top):y)"), nullptr);
    EXPECT_EQ(manager.FindNode("(zero)"), nullptr);  // a constant name makes no perimeter node

    auto* in_a = dynamic_cast<Sim::Node_Perimeter_In*>(manager.FindNode("a"));
    auto* in_b = dynamic_cast<Sim::Node_Perimeter_In*>(manager.FindNode("b"));
    ASSERT_TRUE(in_a && in_b);
    in_a->SetInput(0xA5, 0);
    in_b->SetInput(0x1, 0);
    manager.Run(1);
    auto* out_y = dynamic_cast<Sim::Node_Perimeter_Out*>(manager.FindNode("y"));
    auto* out_z = dynamic_cast<Sim::Node_Perimeter_Out*>(manager.FindNode("z"));
    auto* out_w = dynamic_cast<Sim::Node_Perimeter_Out*>(manager.FindNode("w"));
    EXPECT_EQ(out_y->ReadUInt64(), 0xA2u);  // 1010 00 10
    EXPECT_EQ(out_z->ReadUInt64(), 0xAu);
    EXPECT_EQ(out_w->ReadUInt64(), 0xAu);  // the same downshifter serves both
}

// A database node named like a design input is replaced by the perimeter node: links to
// and from the replaced node must find what the manager holds now, never the deleted node.
TEST_F(BuildTest, NodeReplacedByAPerimeterNodeIsLinkedByName)
{
    KVC::Port* a = input("a", 8);
    KVC::Node* clash = node("a", 22, {{"width", 8}});
    node_input(clash, "dataa", 8)->NewSlice(0, 8, a, 0);
    KVC::Port* clash_out = node_output(clash, "dataout", 8);
    KVC::Node* reader = node("reader", 22, {{"width", 8}});
    node_input(reader, "dataa", 8)->NewSlice(0, 8, clash_out, 0);
    output("y", 8)->NewSlice(0, 8, node_output(reader, "dataout", 8), 0);

    Sim::Build(db, manager);
    EXPECT_TRUE(
        has_message(SEV_FATAL, "Node name 'a' was not unique. This is an unrecoverable design violation."));
    EXPECT_NE(dynamic_cast<Sim::Node_Perimeter_In*>(manager.FindNode("a")), nullptr);
    manager.Run(1);  // the reader's input went to whatever "a" now offers; nothing dangles
}

TEST_F(BuildTest, FloatingInputReadsUndefined)
{
    input("a", 40);
    KVC::Input* y = output("y", 40);
    KVC::Node* passthrough = node("p", 22, {{"width", 40}});
    KVC::Input* data = node_input(passthrough, "dataa", 40);
    data->NewSlice(4, 8, db.FindDesignPort("a"), 0);  // nothing covers bit 0
    y->NewSlice(0, 40, node_output(passthrough, "dataout", 40), 0);
    ASSERT_FALSE(Sim::Build(db, manager));
    EXPECT_TRUE(has_message(SEV_WARNING, "Found a floating input port    (unconnected: p.dataa)"));
    manager.Run(1);
    MLIB_UINTEGER value(0, 40);
    dynamic_cast<Sim::Node_Perimeter_Out*>(manager.FindNode("y"))->ReadValue(value);
    EXPECT_TRUE(value.is_undefined());
}

TEST(SessionPaths, SplitDesignPathCutsTheExtensionAndTheDirectory)
{
    struct Case {
        const char* path;
        const char* name;
        const char* directory;
    } cases[] = {
        {"c:\\proj\\top.vo", "top", "c:\\proj"},
        {"/work/designs/mac.vo", "mac", "/work/designs"},
        {"top.vo", "top", "(unchanged)"},
        {"c:\\w\\dir/sub\\x.vo", "x", "c:\\w\\dir/sub"},
    };
    for (const Case& c : cases) {
        SimSession session;
        session.design_directory = "(unchanged)";
        session.SplitDesignPath(c.path);
        EXPECT_EQ(session.top_level_name, c.name) << c.path;
        EXPECT_EQ(session.design_directory, c.directory) << c.path;
    }
}

namespace {

// A saved design: y[7:0] = a[7:0] (through a bus mux), wide[63:0] = big[63:0].
std::string save_pass_through_design(const std::string& directory)
{
    KVC::NetlistDB db;
    KVC::Port* a = db.AddDesignInput("a");
    a->width = 8;
    KVC::Port* big = db.AddDesignInput("big");
    big->width = 64;
    KVC::Input* y = db.AddDesignOutput("y")->AsInput();
    y->width = 8;
    KVC::Input* wide = db.AddDesignOutput("wide")->AsInput();
    wide->width = 64;
    y->NewSlice(0, 8, a, 0);
    wide->NewSlice(0, 64, big, 0);
    std::string path = directory + "/pass.vo";
    db.Save(path + ".simdb");
    return path;
}

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear_messages();
        set_console_sink([this](const std::string& text) { printed += text; });
        // One directory per test: CTest runs the tests of this file in parallel processes.
        directory = testing::TempDir() + "blocktide_session_" +
                    testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(directory);
        design = save_pass_through_design(directory);
    }
    void TearDown() override
    {
        set_console_sink(nullptr);
        std::filesystem::remove_all(directory);
    }
    std::string printed, directory, design;
};

}  // namespace

TEST_F(SessionTest, WritesRunsAndReadsByIndex)
{
    SimSession session;
    ASSERT_FALSE(session.Load(design, "", false, {"a", "big"}));
    EXPECT_EQ(session.top_level_name, "pass");
    session.input_names = {"a", "missing", "big"};
    session.output_names = {"y", "wide"};
    session.MapDesignPorts();
    EXPECT_TRUE(session.flush_messages(0));
    EXPECT_NE(printed.find("Blocktide Fatal Error: pass: Unable to locate design input #1 named missing\n"),
              std::string::npos);

    EXPECT_FALSE(session.WriteInput(0, -1.0));  // -1 cut to 8 bits
    EXPECT_FALSE(session.WriteInput(1, -2.9));  // index 1 is now "big"; truncation toward zero
    EXPECT_FALSE(session.Run(1));
    EXPECT_EQ(session.ReadOutput(0), 255.0);
    EXPECT_EQ(session.ReadOutput(1), -2.0);  // 0xFFFFFFFFFFFFFFFE read as signed
    EXPECT_FALSE(session.WriteInput(0, 2.9));
    session.Run(1);
    EXPECT_EQ(session.ReadOutput(0), 2.0);

    MLIB_UINTEGER wide_value(0, 64);
    wide_value.set_word(1, 0x80000000u);
    EXPECT_FALSE(session.WriteWideInput(1, wide_value));
    session.Run(1);
    EXPECT_LT(session.ReadOutput(1), 0.0);
    MLIB_UINTEGER read = session.ReadWideOutput(1);
    EXPECT_EQ(read.width(), 64);
    EXPECT_EQ(read.word(1), 0x80000000u);
}

TEST_F(SessionTest, NonFiniteDoublesAreDefined)
{
    SimSession session;
    ASSERT_FALSE(session.Load(design, "", false, {}));
    session.input_names = {"big"};
    session.output_names = {"wide"};
    session.MapDesignPorts();
    struct Case {
        double in;
        double out;
    } cases[] = {{std::nan(""), 0.0}, {1e300, 9223372036854775807.0}, {-1e300, -9223372036854775808.0},
                 {-INFINITY, -9223372036854775808.0}};
    for (const Case& c : cases) {
        clear_messages();
        EXPECT_FALSE(session.WriteInput(0, c.in));
        EXPECT_EQ(pending_messages().size(), 1u) << c.in;  // the conversion is reported
        session.Run(1);
        EXPECT_EQ(session.ReadOutput(0), c.out) << c.in;
    }
}

TEST_F(SessionTest, MisuseIsReportedWithDefinedResults)
{
    SimSession session;
    EXPECT_TRUE(session.Run(5));
    EXPECT_TRUE(session.WriteInput(0, 1.0));
    EXPECT_EQ(session.ReadOutput(0), 0.0);
    EXPECT_EQ(session.ReadWideOutput(0).width(), 32);
    EXPECT_FALSE(session.flush_messages(0));  // internal errors do not set error_seen
    size_t sentences = 0;
    for (size_t at = printed.find("Internal Error"); at != std::string::npos; at = printed.find("Internal Error", at + 1))
        ++sentences;
    EXPECT_EQ(sentences, 4u);  // one fixed sentence per report

    ASSERT_FALSE(session.Load(design, "", false, {}));
    session.MapDesignPorts();
    EXPECT_TRUE(session.WriteInput(-1, 1.0));
    EXPECT_EQ(session.ReadOutput(3), 0.0);
    printed.clear();
    EXPECT_TRUE(session.flush_messages(0));
    EXPECT_EQ(printed, "Blocktide Fatal Error: pass: Passed an input index (-1) that was out of bounds\n"
                       "Blocktide Fatal Error: pass: Passed an output index (3) that was out of bounds\n");
}

TEST_F(SessionTest, MissingDatabaseFailsTheLoad)
{
    SimSession session;
    EXPECT_TRUE(session.Load(directory + "/absent.vo", "", false, {}));
    EXPECT_TRUE(session.error_seen);
    ASSERT_NE(session.GetManager(), nullptr);  // a manager exists, built from the empty database
    EXPECT_FALSE(session.Run(1));
}

TEST_F(SessionTest, LoadHandsTheModelLibraryPathToTheBuild)
{
    SimSession session;
    ASSERT_FALSE(session.Load(design, directory, false, {}));
    EXPECT_EQ(Sim::ModelLibraryDirectory(), directory);
    // No path means no directory (the text form of an empty text parameter would be "0").
    ASSERT_FALSE(session.Load(design, "", false, {}));
    EXPECT_EQ(Sim::ModelLibraryDirectory(), "");
}
