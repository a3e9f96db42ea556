// Output files: a regular file is replaced whole or not at all, links, FIFOs and devices are
// written through, failures name the path, and the temporary files an interrupt would leave
// are removed by the registry.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "base/output_file.h"

namespace {

namespace fs = std::filesystem;

class OutputFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        directory = fs::temp_directory_path() / ("blocktide_output_" + std::to_string(getpid()));
        fs::remove_all(directory);
        fs::create_directories(directory);
    }
    void TearDown() override { fs::remove_all(directory); }
    std::string Path(const std::string& name) const { return (directory / name).string(); }
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    size_t Entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(directory), {})); }

    fs::path directory;
};

}  // namespace

TEST_F(OutputFileTest, RegularFileIsReplacedOnlyByACommit)
{
    const std::string target = Path("out.csv");
    std::ofstream(target) << "old";
    std::string error;
    {
        OutputFile file;
        ASSERT_TRUE(file.Open(target, error)) << error;
        EXPECT_NE(file.WritePath(), target);
        std::fputs("half", file.Stream());
        EXPECT_EQ(Read(target), "old");  // not committed: the old content stays, the temporary goes
    }
    EXPECT_EQ(Read(target), "old");
    EXPECT_EQ(Entries(), 1u);
    OutputFile file;
    ASSERT_TRUE(file.Open(target, error));
    std::fputs("new", file.Stream());
    ASSERT_TRUE(file.Commit(error)) << error;
    EXPECT_EQ(Read(target), "new");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(OutputFileTest, LinksAndFifosAreWrittenThrough)
{
    const std::string real = Path("real.txt"), link = Path("link.txt");
    std::ofstream(real) << "before";
    fs::create_symlink(real, link);
    std::string error;
    OutputFile through_link;
    ASSERT_TRUE(through_link.Open(link, error)) << error;
    EXPECT_EQ(through_link.WritePath(), link);
    std::fputs("after", through_link.Stream());
    ASSERT_TRUE(through_link.Commit(error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Read(real), "after");

    const std::string fifo = Path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = Read(fifo); });
    OutputFile into_fifo;
    ASSERT_TRUE(into_fifo.Open(fifo, error)) << error;
    std::fputs("streamed", into_fifo.Stream());
    ASSERT_TRUE(into_fifo.Commit(error)) << error;
    reader.join();
    EXPECT_EQ(received, "streamed");
}

TEST_F(OutputFileTest, FailuresNameThePath)
{
    std::string error;
    OutputFile full;
    ASSERT_TRUE(full.Open("/dev/full", error)) << error;
    std::fputs("nowhere", full.Stream());
    EXPECT_FALSE(full.Commit(error));
    EXPECT_EQ(error.rfind("cannot write /dev/full: ", 0), 0u) << error;
    OutputFile missing;
    EXPECT_FALSE(missing.Open(Path("no/such/dir.csv"), error));
    EXPECT_NE(error.find("no/such/dir.csv"), std::string::npos) << error;
}

TEST_F(OutputFileTest, RegisteredTemporaryFilesAreRemovedForAnInterrupt)
{
    std::string error;
    OutputFile file;
    ASSERT_TRUE(file.Open(Path("out.vcd"), error));
    const std::string temporary = file.WritePath();
    const std::string other = Path("work.vodctr.vo");
    close(CreateExclusive(other));
    RegisterTemporaryFile(other);
    EXPECT_EQ(CreateExclusive(other), -1);  // a taken name is never opened again
    // A registered folder goes too, once the registered files in it are gone, whatever the
    // order of registration.
    const std::string folder = Path("scratch");
    fs::create_directory(folder);
    RegisterTemporaryFile(folder);
    const std::string inside = folder + "/netlist.json";
    close(CreateExclusive(inside));
    RegisterTemporaryFile(inside);
    RemoveTemporaryFiles();
    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_FALSE(fs::exists(other));
    EXPECT_FALSE(fs::exists(folder));
    for (const std::string& path : {other, inside, folder})
        ForgetTemporaryFile(path);
}
