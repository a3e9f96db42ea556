// Checkpoints that do not fit are refused as a whole: a damaged, truncated or newer file, one
// of another design or library version, and content altered behind a valid checksum. After a
// refusal the simulation runs on exactly as a twin that was never asked to restore.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "base/state_stream.h"
#include "checkpoint_design.h"

namespace {

using checkpoint_tests::FirstDifference;
using checkpoint_tests::Quiet;
using checkpoint_tests::WriteLine;

constexpr uint64_t kSeed = 11; // a "designs" seed holding registers, LPM comparators and multiplexers

// Where the parts of a checkpoint lie: magic (8), version (4), design hash (8), the writer's
// name (count and text), cycle (8), content size (8), checksum (8), content.
struct Layout {
    size_t version = 8;
    size_t writer_text = 28;
    size_t checksum = 0;
    size_t content = 0;
};

Layout LayoutOf(const std::string& bytes)
{
    Layout layout;
    uint64_t text_size = 0;
    std::memcpy(&text_size, bytes.data() + 20, 8);
    layout.checksum = layout.writer_text + text_size + 16;
    layout.content = layout.checksum + 8;
    return layout;
}

// The checksum (over the header after the magic, then the content) made to fit again.
void Reseal(std::string& bytes)
{
    const Layout layout = LayoutOf(bytes);
    const uint64_t checksum = Fnv1a64(bytes.data() + layout.content, bytes.size() - layout.content,
                                      Fnv1a64(bytes.data() + 8, layout.checksum - 8));
    std::memcpy(bytes.data() + layout.checksum, &checksum, 8);
}

// The content cut by `count` bytes, its size and checksum made to fit.
void CutContent(std::string& bytes, size_t count)
{
    bytes.resize(bytes.size() - count);
    const uint64_t size = bytes.size() - LayoutOf(bytes).content;
    std::memcpy(bytes.data() + LayoutOf(bytes).checksum - 8, &size, 8);
    Reseal(bytes);
}

class CheckpointRefusal : public ::testing::Test {
protected:
    void SetUp() override
    {
        generated = reference::Generate(kSeed, reference::NamedProfile("designs"));
        netlist = checkpoint_tests::ImportGenerated(generated.design, scratch);
        blocktide::Simulation source(netlist, Quiet());
        Run(source, 0, generated.stimulus.size() / 2);
        checkpoint = source.SaveStateBytes();
    }

    // Runs stimulus lines [first, last).
    void Run(blocktide::Simulation& sim, size_t first, size_t last)
    {
        for (size_t l = first; l < last && l < generated.stimulus.size(); ++l) {
            WriteLine(sim, generated.stimulus[l]);
            sim.Run(generated.stimulus[l].cycles);
        }
    }

    // Offers `bytes` to a simulation some lines in, then runs it on beside a twin never asked:
    // the first difference, or empty. `refused` tells whether the restore threw.
    std::string OfferAndCompare(const std::string& bytes, bool& refused)
    {
        blocktide::Simulation offered(netlist, Quiet()), twin(netlist, Quiet());
        Run(offered, 0, 3);
        Run(twin, 0, 3);
        refused = false;
        try {
            offered.RestoreStateBytes(bytes);
        } catch (const blocktide::Error&) {
            refused = true;
        }
        offered.TakeMessages();
        twin.TakeMessages();
        if (!refused)
            return std::string();
        const std::vector<std::string> signals = twin.Signals();
        if (std::string difference = FirstDifference(twin, offered, signals); !difference.empty())
            return difference;
        Run(offered, 3, generated.stimulus.size());
        Run(twin, 3, generated.stimulus.size());
        return FirstDifference(twin, offered, signals);
    }

    checkpoint_tests::ScratchDirectory scratch;
    reference::Generated generated;
    std::string netlist;
    std::string checkpoint;
};

TEST_F(CheckpointRefusal, UnfitFilesAreRefusedAndChangeNothing)
{
    struct Case {
        const char* name;
        std::function<void(std::string&)> damage;
    };
    const std::vector<Case> cases = {
        {"a content byte flipped", [](std::string& b) { b[LayoutOf(b).content + 20] ^= 0x10; }},
        {"the last byte flipped", [](std::string& b) { b.back() ^= 1; }},
        {"truncated by a byte", [](std::string& b) { b.pop_back(); }},
        {"truncated to half", [](std::string& b) { b.resize(b.size() / 2); }},
        {"truncated within the header", [](std::string& b) { b.resize(14); }},
        {"empty", [](std::string& b) { b.clear(); }},
        {"a byte appended", [](std::string& b) { b.push_back(0); }},
        {"another magic", [](std::string& b) { b[0] = 'X'; }},
        {"a future version", [](std::string& b) { b[LayoutOf(b).version] += 1; }},
        {"the library version altered", [](std::string& b) { b[LayoutOf(b).writer_text] ^= 0x20; }},
        {"the design hash altered", [](std::string& b) { b[12] ^= 1; }},
        {"resealed: the node count",
         [](std::string& b) {
             b[LayoutOf(b).content] ^= 1;
             Reseal(b);
         }},
        {"resealed: content cut short", [](std::string& b) { CutContent(b, 9); }},
        {"another cycle count", [](std::string& b) { b[LayoutOf(b).checksum - 16] ^= 1; }},
        {"resealed: the cycle count below zero",
         [](std::string& b) {
             b[LayoutOf(b).checksum - 9] = '\x80';
             Reseal(b);
         }},
        {"resealed: another design's hash",
         [](std::string& b) {
             b[12] ^= 1;
             Reseal(b);
         }},
        {"resealed: another library version",
         [](std::string& b) {
             b[LayoutOf(b).writer_text] ^= 0x20;
             Reseal(b);
         }},
    };
    for (const Case& c : cases) {
        std::string bytes = checkpoint;
        c.damage(bytes);
        bool refused = false;
        const std::string difference = OfferAndCompare(bytes, refused);
        EXPECT_TRUE(refused) << c.name;
        EXPECT_EQ(difference, "") << c.name;
    }
}

TEST_F(CheckpointRefusal, ContentAlteredBehindAValidChecksumIsRefusedWholeOrTaken)
{
    // The content altered (a bit flipped, a byte overwritten, inserted or removed), its size
    // and checksum made to fit: a change that no longer fits the design is refused with the
    // simulation untouched; one that still fits (a value bit) may be taken. Neither may crash.
    std::mt19937_64 random(kSeed);
    const size_t content = LayoutOf(checkpoint).content;
    std::cout << "seed " << kSeed << "\n";
    int refusals = 0;
    for (int trial = 0; trial < 400; ++trial) {
        std::string bytes = checkpoint;
        const size_t at = content + random() % (bytes.size() - content);
        switch (trial % 4) {
        case 0:
            bytes[at] = static_cast<char>(bytes[at] ^ (1 << (random() % 8)));
            break;
        case 1:
            bytes[at] = static_cast<char>(random());
            break;
        case 2:
            bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), static_cast<char>(random()));
            break;
        default:
            bytes.erase(at, 1);
            break;
        }
        const uint64_t size = bytes.size() - content;
        std::memcpy(bytes.data() + LayoutOf(bytes).checksum - 8, &size, 8);
        Reseal(bytes);
        bool refused = false;
        const std::string difference = OfferAndCompare(bytes, refused);
        refusals += refused;
        EXPECT_EQ(difference, "") << "trial " << trial << ", byte " << at;
    }
    EXPECT_GT(refusals, 0);
}

TEST_F(CheckpointRefusal, CheckpointOfAnotherDesignIsRefused)
{
    const reference::Generated other = reference::Generate(kSeed + 1, reference::NamedProfile("designs"));
    const std::string other_netlist = checkpoint_tests::ImportGenerated(other.design, scratch, "other");
    blocktide::Simulation sim(other_netlist, Quiet());
    try {
        sim.RestoreStateBytes(checkpoint);
        ADD_FAILURE() << "a checkpoint of another design was taken";
    } catch (const blocktide::Error& error) {
        EXPECT_NE(std::string(error.what()).find("another design"), std::string::npos) << error.what();
    }
}

TEST_F(CheckpointRefusal, FilesAreWrittenWholeAndReadBack)
{
    blocktide::Simulation sim(netlist, Quiet());
    sim.RestoreStateBytes(checkpoint);
    const std::string path = scratch.File("state.btck");
    sim.SaveState(path);
    std::ifstream file(path, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, checkpoint);
    blocktide::Simulation again(netlist, Quiet());
    again.RestoreState(path);
    EXPECT_EQ(again.Cycle(), sim.Cycle());

    EXPECT_THROW(again.RestoreState(scratch.File("missing.btck")), blocktide::Error);
    EXPECT_THROW(again.RestoreState(scratch.File("")), blocktide::Error); // the directory
    EXPECT_THROW(sim.SaveState(scratch.File("no/such/directory/state.btck")), blocktide::Error);
}

} // namespace
