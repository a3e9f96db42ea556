// VoParser's files: the working copy beside the netlist and its removal, a directory that
// cannot be written, a missing netlist, and two designs loaded side by side in one directory.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "load_design.h"

namespace {

const std::string SMALL = "module small (a, y);\ninput a;\noutput y;\nassign y = a;\nendmodule";
const std::string OTHER = "module other (b, z);\ninput [3:0] b;\noutput [3:0] z;\nassign z = b[3:0];\nendmodule";

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

}  // namespace

TEST(VoParser, WorkingCopyLivesBesideTheNetlistUntilTheLoaderIsDestroyed)
{
    ScratchDir dir;
    std::string netlist = dir.Write("d.vo", SMALL);
    KVC::NetlistDB db;
    bool ready = false;
    clear_messages();
    auto loader = std::make_unique<VoParser>(netlist, DataPath("basic_map.xml"), &db, ready);
    EXPECT_TRUE(ready);
    EXPECT_EQ(loader->ErrorText(), "0");
    EXPECT_EQ(loader->WorkingCopyPath(), dir.Path("d.vodctr.vo"));
    EXPECT_EQ(loader->SecondTemporaryPath(), dir.Path("d.vokvc.vo"));
    // The working copy is the netlist followed by one line break.
    EXPECT_EQ(ReadFile(dir.Path("d.vodctr.vo")), SMALL + "\n");
    ASSERT_EQ(loader->Parse(), 1);
    EXPECT_EQ(loader->ModuleName(), "small");

    // Only the working copy goes: a file under the second name was not made here and stays.
    std::ofstream(dir.Path("d.vokvc.vo")) << "x";
    loader.reset();
    EXPECT_FALSE(Exists(dir.Path("d.vodctr.vo")));
    EXPECT_TRUE(Exists(dir.Path("d.vokvc.vo")));
    EXPECT_TRUE(Exists(netlist));
    EXPECT_TRUE(pending_messages().empty());
}

TEST(VoParser, MissingNetlistParsesAsAnEmptyDesign)
{
    ScratchDir dir;
    KVC::NetlistDB db;
    bool ready = false;
    clear_messages();
    VoParser loader(dir.Path("absent.vo"), DataPath("basic_map.xml"), &db, ready);
    ASSERT_TRUE(ready);
    EXPECT_EQ(ReadFile(dir.Path("absent.vodctr.vo")), "");
    EXPECT_EQ(loader.Parse(), 0);
    EXPECT_EQ(loader.ErrorText(), "No 'module' keyword found in design");
    ASSERT_EQ(pending_messages().size(), 1u);
    EXPECT_EQ(pending_messages()[0].severity, SEV_FATAL);
}

// A name taken by a directory, a file or a planted link is never written through nor removed:
// the working copy goes under a free name beside it.
TEST(VoParser, TakenWorkingCopyNameIsLeftAloneAndAnotherUsed)
{
    ScratchDir dir;
    std::string netlist = dir.Write("d.vo", SMALL);
    std::string victim = dir.Write("victim.txt", "precious");
    std::filesystem::create_symlink(victim, dir.Path("d.vodctr.vo"));
    std::filesystem::create_directory(dir.Path("d.vodctr.1.vo"));
    {
        KVC::NetlistDB db;
        bool ready = false;
        clear_messages();
        VoParser loader(netlist, DataPath("basic_map.xml"), &db, ready);
        ASSERT_TRUE(ready);
        EXPECT_EQ(loader.WorkingCopyPath(), dir.Path("d.vodctr.2.vo"));
        EXPECT_EQ(loader.Parse(), 1) << loader.ErrorText();
    }
    EXPECT_EQ(ReadFile(victim), "precious");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("d.vodctr.vo")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path("d.vodctr.1.vo")));
    EXPECT_FALSE(Exists(dir.Path("d.vodctr.2.vo")));
}

// A netlist that is a FIFO is not waited on: it reads as an empty design.
TEST(VoParser, NetlistThatIsNoRegularFileReadsAsEmpty)
{
    ScratchDir dir;
    ASSERT_EQ(mkfifo(dir.Path("fifo.vo").c_str(), 0600), 0);
    KVC::NetlistDB db;
    bool ready = false;
    clear_messages();
    VoParser loader(dir.Path("fifo.vo"), DataPath("basic_map.xml"), &db, ready);
    ASSERT_TRUE(ready);
    EXPECT_EQ(loader.Parse(), 0);
    EXPECT_EQ(loader.ErrorText(), "No 'module' keyword found in design");
}

TEST(VoParser, UnwritableWorkingCopyIsReportedInsteadOfParsingNothing)
{
    const std::string cases[] = {"/nonexistent-blocktide-dir/d.vo"};
    for (const std::string& path : cases) {
        KVC::NetlistDB db;
        bool ready = false;
        clear_messages();
        VoParser loader(path, DataPath("basic_map.xml"), &db, ready);
        EXPECT_FALSE(ready) << path;
        const std::string expected =
            "Unable to write the working copy " + path + "dctr.vo of the netlist; check that its directory can be written";
        EXPECT_EQ(loader.ErrorText(), expected);
        ASSERT_EQ(pending_messages().size(), 1u);
        EXPECT_EQ(pending_messages()[0].severity, SEV_FATAL);
        EXPECT_EQ(pending_messages()[0].text, expected);
    }
}

TEST(VoParser, TwoDesignsInOneDirectoryDoNotInterfere)
{
    ScratchDir dir;
    std::string first_path = dir.Write("first.vo", SMALL);
    std::string second_path = dir.Write("second.vo", OTHER);
    KVC::NetlistDB first_db, second_db;
    bool first_ready = false, second_ready = false;
    clear_messages();
    auto first = std::make_unique<VoParser>(first_path, DataPath("basic_map.xml"), &first_db, first_ready);
    auto second = std::make_unique<VoParser>(second_path, DataPath("basic_map.xml"), &second_db, second_ready);
    ASSERT_TRUE(first_ready && second_ready);
    ASSERT_EQ(first->Parse(), 1);
    first.reset();  // removes only its own temporary files
    EXPECT_TRUE(Exists(dir.Path("second.vodctr.vo")));
    ASSERT_EQ(second->Parse(), 1) << second->ErrorText();
    EXPECT_EQ(second->ModuleName(), "other");
    EXPECT_EQ(second->InputWidth(0), 4);
    EXPECT_EQ(second_db.FindDesignPort("a"), nullptr);
    EXPECT_NE(first_db.FindDesignPort("a"), nullptr);
}

TEST(VoParser, FailedParseKeepsTheTextAndReportsNothingElse)
{
    auto design = LoadText("module m (a, y);\ninput a;\noutput y;\nwire w\nassign y = nosuch;\nendmodule\n");
    EXPECT_EQ(design->parsed, 0);
    EXPECT_EQ(design->loader->ErrorText(), "Expected a semicolon / end of statement");
    ASSERT_EQ(pending_messages().size(), 1u);
    EXPECT_EQ(pending_messages()[0].severity, SEV_FATAL);
    EXPECT_EQ(pending_messages()[0].text, "Expected a semicolon / end of statement");
}
