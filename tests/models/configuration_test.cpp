// The eleven block configurations: what each hands to its model library (parameter names,
// kinds, defaults, order, netlist aliases) and which ports it declares. The model
// libraries are replaced by copies of the recording library placed in the model-library
// directory under the real libraries' names.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "model_design.h"
#include "models/configurations.h"
#include "models/library_search.h"

namespace {

namespace fs = std::filesystem;
using model_test::Int;
using model_test::Params;
using model_test::TakeMessages;
using model_test::Text;

const char* const kModelLibraries[] = {
    "modlib_mrvsyncram",   "modlib_lpm_mult", "modlib_mrvaccumulate", "modlib_lpm_add_sub",
    "modlib_mrvpar_add",   "modlib_lpm_counter", "modlib_lpm_ram_dp", "modlib_mrvmult_add",
    "modlib_mrvgray_counter", "modlib_mrvfifo_s", "modlib_mrvfifo_d",
};

class ConfigurationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Dl_info info{};
        void* probe = Sim::OpenModelLibrary("modlib_probe.dll");
        ASSERT_TRUE(dladdr(Sim::FindModelExport(probe, "modlib_create_model"), &info));
        const fs::path source = info.dli_fname;
        directory = fs::temp_directory_path() / ("blocktide_configurations_" + std::to_string(getpid()));
        fs::create_directories(directory);
        for (const char* library : kModelLibraries)
            fs::copy_file(source, directory / ("lib" + std::string(library) + ".so"), fs::copy_options::overwrite_existing);
        // A library lacking an export stands in for an unusable multiplier library.
        fs::copy_file(source.parent_path() / "libmodlib_probe_noexport.so", directory / "libmodlib_broken.so",
                      fs::copy_options::overwrite_existing);
        Sim::CloseModelLibrary(probe);
    }
    static void TearDownTestSuite() { fs::remove_all(directory); }

    void SetUp() override
    {
        Sim::SetModelLibraryDirectory(directory.string());
        clear_messages();
    }
    void TearDown() override
    {
        for (void* handle : handles)
            Sim::CloseModelLibrary(handle);
        Sim::SetModelLibraryDirectory("");
        clear_messages();
    }

    // Creates the block and returns the calls its library received while it was created.
    std::vector<std::string> Create(int operator_code, const Params& params, const char* library)
    {
        void* handle = Sim::OpenModelLibrary(std::string(library) + ".dll");
        handles.push_back(handle);
        auto clear = reinterpret_cast<void (*)()>(Sim::FindModelExport(handle, "modlib_probe_clear"));
        auto log = reinterpret_cast<const char* (*)()>(Sim::FindModelExport(handle, "modlib_probe_log"));
        clear();
        node = design_ref().Add(operator_code, "block", params);
        std::vector<std::string> lines;
        std::istringstream text(log());
        for (std::string line; std::getline(text, line);)
            if (line != "create")
                lines.push_back(line);
        return lines;
    }

    // The lines that start with the prefix, in order, with the prefix removed.
    static std::vector<std::string> WithPrefix(const std::vector<std::string>& lines, const std::string& prefix)
    {
        std::vector<std::string> found;
        for (const std::string& line : lines)
            if (line.rfind(prefix, 0) == 0)
                found.push_back(line.substr(prefix.size()));
        return found;
    }

    static fs::path directory;
    std::unique_ptr<model_test::Design> owned = std::make_unique<model_test::Design>();
    model_test::Design& design_ref() { return *owned; }
    // A new empty design, replacing the current one.
    void Fresh() { owned = std::make_unique<model_test::Design>(); }
    Sim::Node_Base* node = nullptr;
    std::vector<void*> handles;  // our own handles on the library copies
};
fs::path ConfigurationTest::directory;

using Lines = std::vector<std::string>;

TEST_F(ConfigurationTest, AdderSubtractorHandsDefaultsInTableOrderAndDeclaresItsPorts)
{
    Lines calls = Create(104, {}, "modlib_lpm_add_sub");
    EXPECT_EQ(calls, (Lines{"text lpm_representation=UNSIGNED", "text lpm_direction=UNUSED", "text lpm_hint=UNUSED",
                            "text lpm_type=lpm_add_sub", "integer lpm_width=1", "integer lpm_pipeline=0",
                            "port clock 1 1", "port cin 0 1", "port dataa 0 1", "port datab 0 1",
                            "port add_sub 0 1", "port clken 0 1", "port aclr 0 1", "port result 1 1",
                            "port cout 1 1", "port overflow 1 1"}));
    EXPECT_EQ(node->TypeName(), "LPM +/- ");
}

TEST_F(ConfigurationTest, EveryBlockDeclaresItsPortsWithDefaultWidths)
{
    struct Case {
        int code;
        const char* library;
        const char* type_name;
        Lines ports;  // "name flag width" in creation order
    };
    const Case cases[] = {
        {101, "modlib_lpm_mult", "LPM MULT",
         {"clock 1 1", "dataa 0 1", "datab 0 1", "sum 0 1", "aclr 0 1", "clken 0 1", "result 1 1"}},
        {102, "modlib_mrvaccumulate", "MRVACCUM",
         {"clock 1 1", "cin 0 1", "data 0 4", "add_sub 0 1", "sload 0 1", "clken 0 1", "sign_data 0 1", "aclr 0 1",
          "result 1 8", "cout 1 1", "overflow 1 1"}},
        {106, "modlib_mrvpar_add", "PARALADD", {"clock 1 1", "data 0 8", "aclr 0 1", "clken 0 1", "result 1 4"}},
        {107, "modlib_lpm_counter", "COUNTER ",
         {"clock 1 1", "data 0 1", "clk_en 0 1", "cnt_en 0 1", "updown 0 1", "aclr 0 1", "aset 0 1", "aload 0 1",
          "sclr 0 1", "sset 0 1", "sload 0 1", "cin 0 1", "q 1 1", "cout 1 1", "eq 1 16"}},
        {108, "modlib_lpm_ram_dp", "DUAL RAM",
         {"rdclock 1 1", "wrclock 1 1", "data 0 1", "rdaddress 0 1", "wraddress 0 1", "rdclken 0 1", "wrclken 0 1",
          "rden 0 1", "wren 0 1", "q 1 1"}},
        {110, "modlib_mrvgray_counter", "GRAY CNT",
         {"clock 1 1", "cnt_en 0 1", "clk_en 0 1", "updown 0 1", "aclr 0 1", "sclr 0 1", "q 1 3", "qbin 1 3"}},
        {113, "modlib_mrvfifo_s", "SC FIFO ",
         {"clock 1 1", "data 0 1", "wrreq 0 1", "rdreq 0 1", "aclr 0 1", "sclr 0 1", "q 1 1", "usedw 1 1", "full 1 1",
          "empty 1 1", "almost_full 1 1", "almost_empty 1 1"}},
        {114, "modlib_mrvfifo_d", "DC FIFO ",
         {"rdclk 1 1", "wrclk 1 1", "data 0 1", "aclr 0 1", "rdreq 0 1", "wrreq 0 1", "rdfull 1 1", "wrfull 1 1",
          "rdempty 1 1", "wrempty 1 1", "rdusedw 1 1", "wrusedw 1 1", "q 1 1"}},
        {100, "modlib_mrvsyncram", "SYNC RAM",
         {"clock0 1 1", "clock1 1 1", "data_a 0 8", "data_b 0 8", "address_a 0 2", "address_b 0 4", "wren_a 0 1",
          "rden_a 0 1", "wren_b 0 1", "rden_b 0 1", "clocken0 0 1", "clocken1 0 1", "clocken2 0 1", "clocken3 0 1",
          "aclr0 0 1", "aclr1 0 1", "addressstall_a 0 1", "addressstall_b 0 1", "byteena_a 0 1", "byteena_b 0 1",
          "q_a 1 8", "q_b 1 8", "eccstatus 1 2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.library);
        Fresh();
        Lines calls = Create(c.code, {}, c.library);
        EXPECT_EQ(WithPrefix(calls, "port "), c.ports);
        EXPECT_EQ(node->TypeName(), c.type_name);
    }
}

TEST_F(ConfigurationTest, InputDefaultKindsDecideWhatUnlinkedInputsRead)
{
    Create(113, {{"lpm_width", Int(40)}}, "modlib_mrvfifo_s");
    EXPECT_TRUE(node->LookupPort("data")->IsZero());        // zero
    EXPECT_EQ(node->LookupPort("rdreq")->ValueInt(), 1u);   // one
    Create(107, {}, "modlib_lpm_counter");
    EXPECT_EQ(design_ref().manager.FindNode("block"), node);
}

TEST_F(ConfigurationTest, NetlistAliasesAndNumbersForTextParameters)
{
    Lines calls = Create(107, {{"width", Int(8)}, {"direction", Text("DOWN")}, {"pvalue", Int(5)}}, "modlib_lpm_counter");
    EXPECT_EQ(WithPrefix(calls, "integer "), (Lines{"lpm_width=8", "lpm_modulus=0"}));
    EXPECT_EQ(WithPrefix(calls, "text ").at(0), "lpm_direction=DOWN");
    EXPECT_EQ(WithPrefix(calls, "text ").at(3), "lpm_pvalue=5");  // a number given for a text hands its digits
    EXPECT_EQ(node->LookupPort("q")->Width(), 8);
    EXPECT_EQ(node->LookupPort("eq")->Width(), 16);  // always sixteen
}

TEST_F(ConfigurationTest, ParallelAdderDataIsWidthTimesSize)
{
    Lines calls = Create(106, {{"width_in", Int(8)}, {"size", Int(3)}, {"width_out", Int(10)}, {"msw", Text("YES")}},
                         "modlib_mrvpar_add");
    EXPECT_EQ(calls.at(0), "integer width=8");
    EXPECT_EQ(calls.at(2), "integer widthr=10");
    EXPECT_EQ(calls.at(6), "text msw_subtract=YES");
    EXPECT_EQ(node->LookupPort("data")->Width(), 24);
}

TEST_F(ConfigurationTest, DualPortRamHandsItsFileAsWritten)
{
    Lines calls = Create(108, {{"file", Text("contents.hex")}, {"ram_size", Int(16)}}, "modlib_lpm_ram_dp");
    EXPECT_EQ(calls.at(2), "integer lpm_numwords=16");
    EXPECT_EQ(calls.at(7), "text lpm_file=contents.hex");
}

TEST_F(ConfigurationTest, MultAddHandsEverythingInByteOrderAndFamilyDecidesTheRest)
{
    Lines older = Create(109, {{"number_of_multipliers", Int(2)}, {"width_a", Int(8)}}, "modlib_mrvmult_add");
    Lines parameters;
    for (const std::string& line : older)
        if (line.rfind("port ", 0) != 0)
            parameters.push_back(line.substr(line.find(' ') + 1));
    ASSERT_EQ(parameters.size(), 158u);
    EXPECT_TRUE(std::is_sorted(parameters.begin(), parameters.end()));
    EXPECT_NE(std::find(parameters.begin(), parameters.end(), "port_addnsub1=PORT_CONNECTIVITY"), parameters.end());
    EXPECT_NE(std::find(parameters.begin(), parameters.end(), "addnsub_multiplier_register1=CLOCK0"), parameters.end());
    EXPECT_NE(std::find(parameters.begin(), parameters.end(), "intended_device_family=Pellan"), parameters.end());
    EXPECT_EQ(node->LookupPort("dataa")->Width(), 16);
    EXPECT_EQ(node->LookupPort("overflow"), nullptr);
    EXPECT_EQ(node->LookupPort("chainin"), nullptr);
    EXPECT_EQ(WithPrefix(older, "port addnsub1 ").at(0), "0 1");

    Fresh();
    Lines newer = Create(109, {{"intended_device_family", Text("PELLAN III")}, {"port_addnsub3", Text("PORT_USED")}},
                         "modlib_mrvmult_add");
    Lines newer_parameters;
    for (const std::string& line : newer)
        if (line.rfind("port ", 0) != 0)
            newer_parameters.push_back(line.substr(line.find(' ') + 1));
    EXPECT_EQ(newer_parameters.size(), 154u);
    for (const char* expected : {"port_addnsub1=UNUSED", "port_addnsub3=PORT_USED",
                                 "addnsub_multiplier_register1=UNREGISTERED", "addnsub_multiplier_aclr3=NONE",
                                 "addnsub_multiplier_pipeline_aclr1=NONE", "intended_device_family=PELLAN III"})
        EXPECT_NE(std::find(newer_parameters.begin(), newer_parameters.end(), expected), newer_parameters.end())
            << expected;
    for (const std::string& line : newer_parameters)
        EXPECT_EQ(line.find("_is_saturated"), std::string::npos) << line;
    EXPECT_NE(node->LookupPort("overflow"), nullptr);
    EXPECT_EQ(node->LookupPort("chainin")->Width(), 1);
    EXPECT_EQ(WithPrefix(newer, "port addnsub1 ").at(0), "0 1");
    EXPECT_TRUE(Sim::IsNewerMultAddFamily("orrin"));
    EXPECT_TRUE(Sim::IsNewerMultAddFamily("piii"));
    EXPECT_FALSE(Sim::IsNewerMultAddFamily("Pellan"));
    EXPECT_FALSE(Sim::IsNewerMultAddFamily("PellanIIII"));
}

TEST_F(ConfigurationTest, SyncRamHandsFortySixParametersWithTheLookedUpFile)
{
    const fs::path import = directory / "import";
    fs::create_directories(import);
    std::ofstream(import / "table.mif") << "CONTENT BEGIN END;";
    design_ref().manager.SetHexDirectory(import.string());
    Lines calls = Create(100, {{"init_file", Text("table.mif")}, {"hint", Text("fast")}}, "modlib_mrvsyncram");
    Lines parameters;
    for (const std::string& line : calls)
        if (line.rfind("port ", 0) != 0)
            parameters.push_back(line);
    ASSERT_EQ(parameters.size(), 46u);
    EXPECT_EQ(parameters.at(0), "text operation_mode=SINGLE_PORT");
    EXPECT_EQ(parameters.at(31), "text init_file=" + (import / "table.mif").string());
    EXPECT_EQ(parameters.at(34), "text lpm_hint=fast");
    EXPECT_EQ(parameters.at(35), "integer maximum_depth=0");
    EXPECT_EQ(parameters.at(45), "integer numwords_a=4");
    EXPECT_TRUE(TakeMessages(SEV_WARNING).empty());
}

// A block whose library cannot be used: a copy lacking an export under the multiplier's name.
class UnusableLibraryTest : public ConfigurationTest {
protected:
    void SetUp() override
    {
        ConfigurationTest::SetUp();
        for (const char* library : {"modlib_lpm_mult", "modlib_mrvsyncram"}) {
            const fs::path target = directory / ("lib" + std::string(library) + ".so");
            fs::rename(target, directory / ("saved_" + std::string(library)));
            fs::copy_file(directory / "libmodlib_broken.so", target);
        }
    }
    void TearDown() override
    {
        for (const char* library : {"modlib_lpm_mult", "modlib_mrvsyncram"})
            fs::rename(directory / ("saved_" + std::string(library)), directory / ("lib" + std::string(library) + ".so"));
        ConfigurationTest::TearDown();
    }
};

TEST_F(UnusableLibraryTest, BlockWithoutModelAsksNothingAndHasNoPorts)
{
    int questions = 0;
    auto* block = Sim::FindNodeMaker(101)(design_ref().manager, "mult", [&](const std::string&, ParamValue&) {
        ++questions;
        return false;
    });
    EXPECT_EQ(questions, 0);
    EXPECT_EQ(block->LookupPort("result"), nullptr);
    EXPECT_EQ(TakeMessages(SEV_FATAL).size(), 2u);
}

TEST_F(UnusableLibraryTest, SyncRamStillReadsItsParametersAndReportsItsFile)
{
    int questions = 0;
    Sim::FindNodeMaker(100)(design_ref().manager, "rom", [&](const std::string& name, ParamValue& value) {
        ++questions;
        if (name == "operation_mode") {
            value.set_text("ROM");
            return true;
        }
        return false;
    });
    EXPECT_EQ(questions, 46);
    EXPECT_EQ(TakeMessages(SEV_FATAL),
              (std::vector<std::string>{"Design contains an uninitialized ROM. Initialization files must be provided "
                                        "for all ROMs for the design to simulate correctly",
                                        "Unable to link to DLL model: modlib_mrvsyncram.dll",
                                        "DLL failed to create a model: modlib_mrvsyncram.dll"}));
}

}  // namespace
