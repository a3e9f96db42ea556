// The model library bridge: library loading and its failure reports, the calling order
// across the library boundary (announcements, change-only pushes, the clock pulse, init,
// delete), trace text and the library search. A recording model library stands in for a
// real one.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/state_stream.h"
#include "model_design.h"
#include "models/library_search.h"
#include "models/modlib_interface.h"
#include "models/node_mmdl.h"

namespace {

using model_test::TakeMessages;

// A block that loads the given library and declares a small fixed set of ports.
template <const char* Library>
class Node_Probe : public Sim::Node_MMDL {
public:
    std::string TypeName() const override { return "PROBE   "; }
    void CreatePorts(const ParamQuery&) override
    {
        LoadModel(Library);
        if (!HasModel())
            return;
        AddStringParameter("mode", "fast");
        AddIntegerParameter("depth", 8);
        AddModelClock("clk");
        AddModelInput("a", 8, Sim::KIND_ZERO);
        AddModelInput("en", 1, Sim::KIND_ONE);
        AddModelOutput("y", 8);
    }
};

constexpr char kProbe[] = "modlib_probe.dll";
constexpr char kNoExport[] = "modlib_probe_noexport.dll";
constexpr char kNoModel[] = "modlib_probe_nomodel.dll";
constexpr char kMissing[] = "modlib_nowhere.dll";

// The recording library's log, read through its own exports.
class ProbeLog {
public:
    ProbeLog() : handle(Sim::OpenModelLibrary(kProbe))
    {
        log = reinterpret_cast<const char* (*)()>(Sim::FindModelExport(handle, "modlib_probe_log"));
        clear = reinterpret_cast<void (*)()>(Sim::FindModelExport(handle, "modlib_probe_clear"));
        clear();
    }
    ~ProbeLog() { Sim::CloseModelLibrary(handle); }
    // The calls since the last Take, one per line.
    std::string Take()
    {
        std::string text = log();
        clear();
        return text;
    }

private:
    void* handle;
    const char* (*log)() = nullptr;
    void (*clear)() = nullptr;
};

class BridgeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear_messages();
        Sim::SetModelLibraryDirectory("");
    }
    void TearDown() override { clear_messages(); }
};

TEST_F(BridgeTest, LoadAnnouncesParametersClocksInputsAndOutputsInOrder)
{
    ProbeLog log;
    Sim::Manager manager("bridge");
    auto* node = manager.NewNode<Node_Probe<kProbe>>("p");
    ASSERT_TRUE(node->HasModel());
    EXPECT_EQ(log.Take(), "create\ntext mode=fast\ninteger depth=8\nport clk 1 1\nport a 0 8\nport en 0 1\nport y 1 8\n");
    EXPECT_NE(node->LookupPort("a"), nullptr);
    EXPECT_NE(node->LookupPort("y"), nullptr);
    EXPECT_EQ(node->LookupPort("clk"), nullptr);  // model clocks have no simulation port
    EXPECT_TRUE(node->IsSequential());
    EXPECT_FALSE(node->IsSettled());
    EXPECT_TRUE(TakeMessages(SEV_FATAL).empty());
}

TEST_F(BridgeTest, ABlockWhoseLibraryCannotSaveRefusesACheckpointByNameWritingNothing)
{
    ProbeLog log;
    Sim::Manager manager("bridge");
    manager.NewNode<Node_Probe<kProbe>>("p");
    manager.Run(1);
    StateWriter out;
    std::string error;
    EXPECT_FALSE(manager.SaveState(out, error));
    EXPECT_TRUE(out.Data().empty());
    EXPECT_NE(error.find("'p'"), std::string::npos) << error;
    EXPECT_NE(error.find(kProbe), std::string::npos) << error;
}

TEST_F(BridgeTest, LinkingReannouncesTheInputAsConnected)
{
    ProbeLog log;
    model_test::Design design;
    design.manager.NewNode<Node_Probe<kProbe>>("p");
    log.Take();
    design.Drive("p", "a");
    EXPECT_EQ(log.Take(), "port a 1 8\n");
}

TEST_F(BridgeTest, FirstRunInitialisesPulsesTheClockThenSendsOnlyNonZeroInputs)
{
    ProbeLog log;
    model_test::Design design;
    design.manager.NewNode<Node_Probe<kProbe>>("p");
    design.Drive("p", "a");
    log.Take();
    design.manager.Run(1);
    // The clock phase comes before the first settle. Then "a" reads 0 and is never sent;
    // "en" is unlinked with kind one, reads 1 and is sent once, before an evaluation.
    const std::string pulse = "set clk=1\nevaluate\nset clk=0\nevaluate\n";
    std::string first = log.Take();
    EXPECT_EQ(first.substr(0, 5 + pulse.size()), "init\n" + pulse);
    EXPECT_EQ(first.substr(5 + pulse.size(), 18), "set en=1\nevaluate\n");
    EXPECT_EQ(first.find("set a"), std::string::npos);
    EXPECT_EQ(first.find("set en", 5 + pulse.size() + 1), std::string::npos);
    design.manager.Run(1);
    std::string second = log.Take();
    EXPECT_EQ(second.substr(0, pulse.size()), pulse);
    EXPECT_EQ(second.find("set ", pulse.size()), std::string::npos);  // nothing changed, nothing sent
}

TEST_F(BridgeTest, OnlyChangedInputsArePushedAndEveryOutputIsPulled)
{
    ProbeLog log;
    model_test::Design design;
    design.manager.NewNode<Node_Probe<kProbe>>("p");
    design.Drive("p", "a");
    design.Settle();
    log.Take();
    design.Set("p", "a", 0x5A);
    design.Settle();
    EXPECT_EQ(log.Take(), "set a=5A\nevaluate\n");
    EXPECT_EQ(design.Get("p", "y"), 0x5Au);  // pulled after the evaluation
    design.Set("p", "a", 0x5A);              // the same value again: nothing to send
    design.Settle();
    EXPECT_EQ(log.Take().find("set a"), std::string::npos);
}

TEST_F(BridgeTest, DestructionDeletesTheModelOnce)
{
    ProbeLog log;
    {
        Sim::Manager manager("bridge");
        manager.NewNode<Node_Probe<kProbe>>("p");
        log.Take();
    }
    EXPECT_EQ(log.Take(), "delete\n");
}

TEST_F(BridgeTest, TraceTextListsLastSentInputsAndModelOutputs)
{
    ProbeLog log;
    model_test::Design design;
    auto* node = design.manager.NewNode<Node_Probe<kProbe>>("p");
    design.Drive("p", "a");
    design.Set("p", "a", 0x3C);
    design.Settle();
    EXPECT_EQ(node->TraceText(), "MMDL |In  a = 3C en = 1 |Out  y = 3C");
}

TEST_F(BridgeTest, MissingLibraryGivesTheThreeReportsInOrderAndNoPorts)
{
    Sim::Manager manager("bridge");
    auto* node = manager.NewNode<Node_Probe<kMissing>>("p");
    EXPECT_FALSE(node->HasModel());
    EXPECT_EQ(TakeMessages(SEV_FATAL), (std::vector<std::string>{
                                           "Unable to load DLL: modlib_nowhere.dll (Function Model)",
                                           "Unable to link to DLL model: modlib_nowhere.dll",
                                           "DLL failed to create a model: modlib_nowhere.dll",
                                       }));
    EXPECT_EQ(node->LookupPort("a"), nullptr);
    EXPECT_FALSE(node->Evaluate());
    EXPECT_FALSE(node->ClockHook());
    manager.Run(2);  // a node without a model is clocked and evaluated harmlessly
}

TEST_F(BridgeTest, MissingExportGivesTheLinkAndCreateReports)
{
    Sim::Manager manager("bridge");
    auto* node = manager.NewNode<Node_Probe<kNoExport>>("p");
    EXPECT_FALSE(node->HasModel());
    EXPECT_EQ(TakeMessages(SEV_FATAL), (std::vector<std::string>{
                                           "Unable to link to DLL model: modlib_probe_noexport.dll",
                                           "DLL failed to create a model: modlib_probe_noexport.dll",
                                       }));
}

TEST_F(BridgeTest, ModelThatReturnsNoInstanceGivesTheCreateReport)
{
    Sim::Manager manager("bridge");
    auto* node = manager.NewNode<Node_Probe<kNoModel>>("p");
    EXPECT_FALSE(node->HasModel());
    EXPECT_EQ(TakeMessages(SEV_FATAL),
              (std::vector<std::string>{"DLL failed to create a model: modlib_probe_nomodel.dll"}));
}

TEST(LoadFailureName, NamesTheRequiredLibraryTestedLast)
{
    struct Case {
        std::vector<int> missing;  // indices into stl, util, xml_parser, info, int, base
        bool model_loaded;
        const char* expected;
    };
    const Case cases[] = {
        {{}, true, ""},
        {{}, false, "m.dll (Function Model)"},
        {{1}, true, ""},  // util is not required
        {{4}, true, ""},  // nor is int
        {{1, 4}, false, "m.dll (Function Model)"},
        {{2}, false, "modlib_xml_parser.dll (MMDL req)"},
        {{2, 3}, true, "modlib_info.dll (MMDL req)"},
        {{3, 5}, true, "modlib_base.dll (MMDL req)"},
        {{0, 5}, true, "modlib_stl.dll (MMDL req)"},
        {{0, 2, 3, 5}, false, "modlib_stl.dll (MMDL req)"},
    };
    for (const Case& c : cases) {
        bool loaded[6] = {true, true, true, true, true, true};
        for (int index : c.missing)
            loaded[index] = false;
        EXPECT_EQ(Sim::LoadFailureName(loaded, c.model_loaded, "m.dll"), c.expected);
    }
}

TEST(LibrarySearch, MapsDllNamesToSharedLibraryNames)
{
    EXPECT_EQ(Sim::SharedLibraryFileName("modlib_lpm_counter.dll"), "libmodlib_lpm_counter.so");
    EXPECT_EQ(Sim::SharedLibraryFileName("MODLIB_STL.DLL"), "libMODLIB_STL.so");
    EXPECT_EQ(Sim::SharedLibraryFileName("libmodlib_x.so"), "libmodlib_x.so");
    EXPECT_EQ(Sim::SharedLibraryFileName("modlib_y"), "libmodlib_y.so");
}

// The file a handle's code was loaded from.
std::string LoadedFrom(void* handle)
{
    Dl_info info{};
    void* symbol = Sim::FindModelExport(handle, "modlib_create_model");
    return (symbol && dladdr(symbol, &info) && info.dli_fname) ? info.dli_fname : "";
}

TEST(LibrarySearch, ModelDirectoryComesFirstThenTheSimulatorsOwnDirectory)
{
    namespace fs = std::filesystem;
    const std::string own = LoadedFrom(Sim::OpenModelLibrary(kProbe));
    ASSERT_FALSE(own.empty());
    const fs::path directory = fs::temp_directory_path() / ("blocktide_modlib_search_" + std::to_string(getpid()));
    fs::create_directories(directory);
    fs::copy_file(own, directory / "libmodlib_probe.so", fs::copy_options::overwrite_existing);

    Sim::SetModelLibraryDirectory(directory.string());
    void* preferred = Sim::OpenModelLibrary(kProbe);
    EXPECT_EQ(LoadedFrom(preferred), (directory / "libmodlib_probe.so").string());
    Sim::SetModelLibraryDirectory((directory / "absent").string());
    void* fallback = Sim::OpenModelLibrary(kProbe);
    EXPECT_EQ(LoadedFrom(fallback), own);
    Sim::SetModelLibraryDirectory("");
    Sim::CloseModelLibrary(preferred);
    Sim::CloseModelLibrary(fallback);
    fs::remove_all(directory);
}

}  // namespace

TEST(ModelReports, ReachTheStoreAtTheNearestKnownSeverity)
{
    clear_messages();
    blocktide_model_report(SEV_WARNING, "as given");
    blocktide_model_report(-1, "below");
    blocktide_model_report(9, "above");
    blocktide_model_report(SEV_INFO, nullptr);
    const std::vector<Message> messages = pending_messages();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].severity, SEV_WARNING);
    EXPECT_EQ(messages[1].severity, SEV_INFO);
    EXPECT_EQ(messages[2].severity, SEV_INTERNAL);
    EXPECT_EQ(messages[3].text, "");
    clear_messages();
}
