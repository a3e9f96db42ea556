// The initialisation-file lookup of synchronous RAM and ROM blocks: where it looks, which
// path it hands on, and its reports.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "engine/manager.h"
#include "base/messages.h"
#include "model_design.h"
#include "models/init_file.h"

namespace {

namespace fs = std::filesystem;
using model_test::TakeMessages;

const std::string kUninitialised =
    "Design contains an uninitialized ROM. Initialization files must be provided for all ROMs for the design to "
    "simulate correctly";

class InitFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear_messages();
        import = fs::temp_directory_path() / ("blocktide_import_" + std::to_string(getpid()));
        fs::create_directories(import);
        local = "init_lookup_" + std::to_string(getpid()) + ".hex";  // in the working directory
    }
    void TearDown() override
    {
        fs::remove_all(import);
        fs::remove(local);
        clear_messages();
    }
    static void Touch(const fs::path& path) { std::ofstream(path) << ":00000001FF\n"; }

    fs::path import;
    std::string local;
    Sim::Manager manager{"lookup"};
};

TEST_F(InitFileTest, RomWithoutFileIsFatalWhateverTheCase)
{
    for (const char* mode : {"ROM", "rom"}) {
        EXPECT_EQ(Sim::LookUpInitFile(mode, "UNUSED", &manager), "");
        EXPECT_EQ(TakeMessages(SEV_FATAL), std::vector<std::string>{kUninitialised});
    }
}

TEST_F(InitFileTest, RamWithoutFileSaysNothingAndHandsNothing)
{
    for (const char* file : {"UNUSED", "unused"}) {
        EXPECT_EQ(Sim::LookUpInitFile("DUAL_PORT", file, &manager), "");
        EXPECT_TRUE(pending_messages().empty());
    }
}

TEST_F(InitFileTest, ImportDirectoryIsTheHexDirectoryElseTheDesignDirectory)
{
    Touch(import / "a.hex");
    manager.SetDesignDirectory(import.string());
    EXPECT_EQ(Sim::LookUpInitFile("ROM", "a.hex", &manager), (import / "a.hex").string());
    manager.SetHexDirectory((import / "elsewhere").string());
    EXPECT_EQ(Sim::LookUpInitFile("SINGLE_PORT", "a.hex", &manager), "a.hex");  // not found: the name as written
    EXPECT_EQ(TakeMessages(SEV_WARNING), std::vector<std::string>{"Could not find RAM initialization file 'a.hex'."});
}

TEST_F(InitFileTest, FileInBothPlacesWarnsOfTheDuplicateAndUsesTheImportDirectory)
{
    Touch(import / local);
    Touch(local);
    manager.SetHexDirectory(import.string());
    EXPECT_EQ(Sim::LookUpInitFile("SINGLE_PORT", local, &manager), (import / local).string());
    EXPECT_EQ(TakeMessages(SEV_WARNING),
              std::vector<std::string>{"Using ROM initialization file '" + local +
                                       "', located in the import directory - but detected a duplicate in the model "
                                       "(base) directory, which will be ignored. "});
}

TEST_F(InitFileTest, FileOnlyInTheWorkingDirectoryIsHandedAsWrittenWithoutReport)
{
    Touch(local);
    manager.SetHexDirectory(import.string());
    EXPECT_EQ(Sim::LookUpInitFile("ROM", local, &manager), local);
    // Without any import directory the working directory is not taken for one.
    Sim::Manager bare("bare");
    EXPECT_EQ(Sim::LookUpInitFile("ROM", local, &bare), local);
    EXPECT_EQ(Sim::LookUpInitFile("ROM", local, nullptr), local);
    EXPECT_TRUE(pending_messages().empty());
}

TEST_F(InitFileTest, MissingFileIsFatalForRomsAndAWarningForRams)
{
    manager.SetHexDirectory(import.string());
    EXPECT_EQ(Sim::LookUpInitFile("ROM", "gone.mif", &manager), "gone.mif");
    EXPECT_EQ(TakeMessages(SEV_FATAL),
              std::vector<std::string>{"Could not find ROM initialization file 'gone.mif'. Initialization files "
                                       "should be in the design import directory for the design to simulate "
                                       "correctly."});
    EXPECT_EQ(Sim::LookUpInitFile("BIDIR_DUAL_PORT", "gone.mif", &manager), "gone.mif");
    EXPECT_EQ(TakeMessages(SEV_WARNING),
              std::vector<std::string>{"Could not find RAM initialization file 'gone.mif'."});
}

}  // namespace
