// Tests of the SimDB file: the exact bytes of the writer, round trips, deterministic output,
// the reader's messages, and damaged files (truncated, hostile counts and indexes).
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <unistd.h>

#include "base/messages.h"
#include "netlistdb/netlist_db.h"
#include "netlistdb/simdb_io.h"

namespace {

using Bytes = std::vector<unsigned char>;

// prefix followed by n in decimal.
std::string Numbered(std::string prefix, int n)
{
    return prefix.append(std::to_string(n));
}

std::string TempPath(const std::string& name)
{
    // Named after the process and test, so parallel test runs never share a file.
    return ::testing::TempDir() + "/simdb_test_" + std::to_string(getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" + name;
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes SaveToBytes(const KVC::NetlistDB& db, const std::string& name = "saved.simdb")
{
    const std::string path = TempPath(name);
    db.Save(path);
    Bytes bytes = ReadFile(path);
    std::remove(path.c_str());
    return bytes;
}

std::vector<int32_t> Words(const Bytes& bytes)
{
    std::vector<int32_t> words;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4)
        words.push_back(static_cast<int32_t>(bytes[i] | bytes[i + 1] << 8 | bytes[i + 2] << 16 |
                                             uint32_t{bytes[i + 3]} << 24));
    return words;
}

// A canonical text of everything a database holds, independent of any map's order.
std::string Describe(const KVC::NetlistDB& db)
{
    std::ostringstream out;
    out << "clocks " << db.ClockCount() << ":";
    db.ForEachClock([&](const std::string& name, int number) { out << " " << name << "=" << number; });
    out << "\n";
    auto describe_node = [&](const KVC::Node& node) {
        out << "node " << node.name << " op " << node.operatorCode << " domain " << node.clockDomain << "\n";
        node.ForEachPort([&](KVC::Port& port) {
            out << "  port " << port.name << " dir " << port.Direction() << " width " << port.width
                << " fanout " << port.fanout;
            if (const KVC::Input* input = port.AsInput()) {
                out << " reserved " << input->reserved;
                for (const auto& slice : input->slices)
                    out << "\n    [" << slice->dstLow << "+" << slice->width << "] <- "
                        << slice->source->owner->name << "." << slice->source->name << "[" << slice->srcLow
                        << "]" << (slice->inverted ? " inverted" : "");
            }
            out << "\n";
        });
        node.ForEachParam([&](const KVC::Param& param) {
            out << "  param " << param.name << " = " << param.value.integer() << " '" << param.value.text()
                << "'\n";
        });
    };
    describe_node(*db.Top());
    for (const KVC::Node* node : db.NodesByName())
        describe_node(*node);
    return out.str();
}

// A small design touching every kind of record: constants, wide ones, inversions, a design
// output fed straight from a design input, parameters of both kinds, two clocks.
void BuildSample(KVC::NetlistDB& db, bool reversed_creation = false)
{
    KVC::Port* a = db.AddDesignInput("a");
    a->width = 8;
    KVC::Port* y = db.AddDesignOutput("y");
    y->width = 8;
    db.AddDesignOutput("bypass")->AsInput()->NewSlice(0, 1, a, 7);
    db.AddClock("clk");
    db.AddClock("clk_b");
    const char* names[] = {"add1", "reg1", "const40"};
    if (reversed_creation)
        std::swap(names[0], names[2]);
    for (const char* name : names) {
        KVC::Node* node = db.CreateNode(name);
        node->operatorCode = static_cast<int>(std::string(name).size());
        node->clockDomain = 1;
    }
    KVC::Node* add = db.FindNode("add1");
    KVC::Node* reg = db.FindNode("reg1");
    KVC::Node* wide = db.FindNode("const40");
    KVC::Input* dataa = add->NewPort("dataa", 0)->AsInput();
    dataa->width = 8;
    dataa->reserved = 5;
    dataa->NewSlice(0, 4, a, 0);
    dataa->NewSlice(4, 4, a, 4)->inverted = true;
    KVC::Input* datab = add->NewPort("datab", 0)->AsInput();
    datab->width = 8;
    datab->NewSlice(0, 1, db.OnePort(), 0);
    datab->NewSlice(1, 7, db.ZeroPort(), 0);
    KVC::Port* sum = add->NewPort("result", 1);
    sum->width = 8;
    add->SetParam("lpm_width", ParamValue(8));
    add->SetParam("lpm_direction", ParamValue(std::string("ADD")));
    add->SetParam("offset", ParamValue(-12));
    add->SetParam("mixed", ParamValue(7, "abc"));  // a text value that keeps an integer part
    KVC::Input* d = reg->NewPort("d", 0)->AsInput();
    d->width = 8;
    d->NewSlice(0, 8, sum, 0);
    KVC::Port* q = reg->NewPort("q", 1);
    q->width = 8;
    y->AsInput()->NewSlice(0, 8, q, 0);
    KVC::Input* ones = wide->NewPort("data", 0)->AsInput();
    ones->width = 40;
    ones->NewSlice(0, 40, db.OnePort(), 0);
    // A node named like a port: links name it by the index of the port's later entry.
    KVC::Input* named_like_port = db.CreateNode("q")->NewPort("d", 0)->AsInput();
    named_like_port->width = 8;
    named_like_port->NewSlice(0, 8, q, 0);
    db.SetTopParam("top_level_name", "sample");
}

class SimDBTest : public ::testing::Test {
protected:
    void SetUp() override { clear_messages(); }
    void TearDown() override { clear_messages(); }

    // Loads bytes into a fresh database and answers the messages it gave.
    std::vector<Message> Load(const Bytes& bytes, KVC::NetlistDB& db, bool block_kind = false,
                              bool suppress = false)
    {
        clear_messages();
        db.LoadSimDBBytes(bytes.data(), bytes.size(), block_kind, suppress);
        std::vector<Message> messages = pending_messages();
        clear_messages();
        return messages;
    }
};

std::vector<std::string> Texts(const std::vector<Message>& messages)
{
    std::vector<std::string> texts;
    for (const Message& message : messages)
        texts.push_back(message.text);
    return texts;
}

const std::string kDamaged =
    "SimDB Load Error: the file ends early or is damaged. The netlist was loaded only in part.";
const std::string kOutdatedImport =
    " The simulation model could not be found or is outdated. Please ensure all HDL "
    "Import blocks are up-to-date and all HDL Import dialogue boxes are closed.";

// Writes the start of a file: header and an empty top node record, an empty clock section.
void WriteEmptyTopAndClocks(KVC::SimDBWriter& writer, int clock_count = 0)
{
    for (int32_t word : {KVC::SIMDB_MAGIC, KVC::SIMDB_VERSION, 1, clock_count, 0})
        writer.WriteInt(word);
    writer.WriteTableName("(top)");
    for (int32_t word : {-1, 0, KVC::SIMDB_END_OF_PORTS, 1, 0})
        writer.WriteInt(word);
}

TEST_F(SimDBTest, EmptyDatabaseIsWrittenAsHeaderTopRecordAndEmptySections)
{
    KVC::NetlistDB db;
    const uint32_t key = KVC::SIMDB_STRING_KEY;
    // "(top)" is 5 bytes: length word then two keyed words "(top" and ")\0\0\0".
    const std::vector<int32_t> expected = {
        0x1234ABCD,
        0x10000,
        1,
        0,
        0,
        5,
        static_cast<int32_t>(0x706F7428u ^ key),
        static_cast<int32_t>(0x00000029u ^ key),
        -1,
        0,
        55,
        1,  // clock domain, operator code, end of ports, end of parameters
        0,  // no clocks
        0,  // no nodes
        0,  // no links
    };
    const Bytes bytes = SaveToBytes(db);
    EXPECT_EQ(bytes.size(), expected.size() * 4);
    EXPECT_EQ(Words(bytes), expected);
}

TEST_F(SimDBTest, StringsTakeTheirLengthWordAndFloorLengthOver4PlusOneWords)
{
    struct Case {
        std::string text;
        size_t words;
    } cases[] = {{"", 2}, {"a", 2}, {"abc", 2}, {"abcd", 3}, {"abcdefgh", 4}, {"abcdefghi", 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        KVC::SimDBWriter writer;
        writer.WriteString(c.text);
        const Bytes& bytes = writer.Bytes();
        ASSERT_EQ(bytes.size(), c.words * 4);
        EXPECT_EQ(Words(bytes)[0], static_cast<int32_t>(c.text.size()));
        // The last word always holds at least the terminating zero byte, under the key.
        EXPECT_EQ(
            static_cast<uint32_t>(Words(bytes).back()) ^ KVC::SIMDB_STRING_KEY,
            c.text.size() % 4 == 0 ? 0u : static_cast<uint32_t>(Words(bytes).back()) ^ KVC::SIMDB_STRING_KEY);
        KVC::SimDBReader reader(bytes.data(), bytes.size());
        EXPECT_EQ(reader.ReadString(), c.text);
        EXPECT_FALSE(reader.Ended());
        EXPECT_EQ(reader.BytesLeft(), 0u);
    }
}

TEST_F(SimDBTest, StringReadStopsAtTheFirstZeroByteAndSkipsItsOtherWords)
{
    KVC::SimDBWriter writer;
    writer.WriteString(std::string("ab\0cdefgh", 9));
    writer.WriteInt(42);
    KVC::SimDBReader reader(writer.Bytes().data(), writer.Bytes().size());
    EXPECT_EQ(reader.ReadString(), "ab");
    EXPECT_EQ(reader.ReadInt(), 42);
    EXPECT_FALSE(reader.Ended());
}

TEST_F(SimDBTest, StringWithoutAnyZeroByteKeepsAllItsBytes)
{
    KVC::SimDBWriter writer;
    writer.WriteInt(0);  // claims the empty string, but its one word holds no zero byte
    writer.WriteInt(static_cast<int32_t>(0x44434241u ^ KVC::SIMDB_STRING_KEY));
    writer.WriteInt(7);
    KVC::SimDBReader reader(writer.Bytes().data(), writer.Bytes().size());
    EXPECT_EQ(reader.ReadString(), "ABCD");
    EXPECT_EQ(reader.ReadInt(), 7);
}

TEST_F(SimDBTest, ReadsPastTheEndYieldZeroFalseAndEmpty)
{
    const unsigned char three_bytes[] = {1, 2, 3};
    KVC::SimDBReader reader(three_bytes, sizeof three_bytes);
    EXPECT_EQ(reader.ReadInt(), 0);
    EXPECT_TRUE(reader.Ended());
    EXPECT_FALSE(reader.ReadBool());
    EXPECT_EQ(reader.ReadString(), "");
}

TEST_F(SimDBTest, RoundTripKeepsEverythingTheDatabaseHolds)
{
    KVC::NetlistDB original;
    BuildSample(original);
    clear_messages();
    const std::string path = TempPath("round_trip.simdb");
    original.Save(path);
    KVC::NetlistDB loaded;
    loaded.LoadSimDB(path, false, false);
    EXPECT_TRUE(pending_messages().empty()) << Texts(pending_messages()).front();
    EXPECT_EQ(Describe(loaded), Describe(original));
    EXPECT_EQ(loaded.NodeCount(), 4);
    EXPECT_EQ(loaded.GetTopParamText("top_level_name"), "sample");
    const KVC::Param* mixed = loaded.FindNode("add1")->GetParam("mixed");
    ASSERT_NE(mixed, nullptr);
    EXPECT_EQ(mixed->value.integer(), 7);
    EXPECT_EQ(mixed->value.text(), "abc");
    // Saving the loaded database gives the same bytes again.
    EXPECT_EQ(SaveToBytes(loaded, "again.simdb"), ReadFile(path));
    std::remove(path.c_str());
}

TEST_F(SimDBTest, SameDesignGivesSameBytesWhateverTheCreationOrder)
{
    KVC::NetlistDB forward;
    KVC::NetlistDB reversed;
    BuildSample(forward, false);
    BuildSample(reversed, true);
    for (KVC::NetlistDB* db : {&forward, &reversed})
        for (int i = 0; i < 50; i++) {  // enough nodes for the hash order to differ from name order
            const int n = db == &forward ? i : 49 - i;
            KVC::Node* node = db->CreateNode(Numbered("extra", n));
            for (int p = 0; p < 3; p++)
                node->SetParam(Numbered("p", (n + p * (db == &forward ? 1 : 2)) % 3), ParamValue(n));
        }
    EXPECT_EQ(SaveToBytes(forward, "forward.simdb"), SaveToBytes(reversed, "reversed.simdb"));
}

TEST_F(SimDBTest, ConstantPortsAreNeverWrittenAndLinkByTheirFixedIndexes)
{
    KVC::NetlistDB db;
    KVC::Input* in = db.CreateNode("u")->NewPort("in", 0)->AsInput();
    in->width = 2;
    in->NewSlice(0, 1, db.OnePort(), 0);
    in->NewSlice(1, 1, db.ZeroPort(), 0);
    const std::vector<int32_t> words = Words(SaveToBytes(db));
    // Table: 4 "(top)", 5 "u", 6 "in". The last 16 words are the two link records.
    const std::vector<int32_t> links(words.end() - 16, words.end());
    EXPECT_EQ(links, (std::vector<int32_t>{4, 2, 5, 6, 0, 0, 1, 0, 4, 3, 5, 6, 0, 1, 1, 0}));
    EXPECT_EQ(words[words.size() - 17], 2);  // the link count
    KVC::NetlistDB loaded;
    EXPECT_TRUE(Load(SaveToBytes(db), loaded).empty());
    EXPECT_EQ(loaded.FindNode("u")->FindInput("in")->slices[0]->source, loaded.OnePort());
    EXPECT_EQ(loaded.FindNode("u")->FindInput("in")->slices[1]->source, loaded.ZeroPort());
    EXPECT_EQ(loaded.OnePort()->fanout, 1);
}

TEST_F(SimDBTest, LinkRecordKeepsItsOwnInversion)
{
    KVC::NetlistDB db;
    KVC::Input* in = db.CreateNode("u")->NewPort("in", 0)->AsInput();
    in->width = 40;
    in->NewSlice(0, 40, db.OnePort(), 0)->inverted = false;  // the record, not NewSlice, decides
    KVC::NetlistDB loaded;
    EXPECT_TRUE(Load(SaveToBytes(db), loaded).empty());
    const KVC::Slice& slice = *loaded.FindNode("u")->FindInput("in")->slices[0];
    EXPECT_EQ(slice.source, loaded.ZeroPort());
    EXPECT_FALSE(slice.inverted);
}

TEST_F(SimDBTest, MissingFileGivesBothMessagesInTheChosenWording)
{
    struct Case {
        bool block_kind, suppress;
        std::vector<std::string> expected;
    } cases[] = {
        {false,
         false,
         {"The simulation model is missing. Please open the HDL Import block and recompile the simulation "
          "model.",
          kOutdatedImport}},
        {true,
         false,
         {"The simulation model is missing. The Blockvane block needs to be updated or refreshed.",
          " The simulation model is missing or outdated. The Blockvane block needs to be updated or "
          "refreshed."}},
        {true,
         true,
         {"The simulation model is missing. The Blockvane block needs to be updated or refreshed."}},
    };
    for (const Case& c : cases) {
        KVC::NetlistDB db;
        clear_messages();
        db.LoadSimDB(TempPath("does_not_exist.simdb"), c.block_kind, c.suppress);
        EXPECT_EQ(Texts(pending_messages()), c.expected);
        for (const Message& message : pending_messages())
            EXPECT_EQ(message.severity, SEV_FATAL);
        EXPECT_EQ(db.Top()->PortCount(), 2u);
    }
}

TEST_F(SimDBTest, WrongMagicOrVersionLoadsNothingAndGivesOnlyTheSecondMessage)
{
    KVC::NetlistDB sample;
    BuildSample(sample);
    const Bytes good = SaveToBytes(sample);
    for (size_t word : {0, 1}) {
        Bytes bad = good;
        bad[word * 4] ^= 1;
        KVC::NetlistDB db;
        EXPECT_EQ(Texts(Load(bad, db)), std::vector<std::string>{kOutdatedImport});
        EXPECT_EQ(db.NodeCount(), 0);
        EXPECT_EQ(db.Top()->PortCount(), 2u);
        KVC::NetlistDB quiet;
        EXPECT_TRUE(Load(bad, quiet, false, true).empty());
    }
}

TEST_F(SimDBTest, SaveToAnUnwritablePathReportsAndWritesNothing)
{
    KVC::NetlistDB db;
    db.Save(TempPath("no_such_dir/x.simdb"));
    ASSERT_EQ(pending_messages().size(), 1u);
    EXPECT_EQ(pending_messages()[0].severity, SEV_FATAL);
    EXPECT_EQ(pending_messages()[0].text, "SimDB Save Error: Unable to open/write netlist DB file.");
}

// A SimDB file up to the ports of its one node "u" (operator code 1, clock domain 3): the
// header, the top node with the 4-bit design input "a" when asked, and no clocks.
void BeginFileUpToNodeU(KVC::SimDBWriter& writer, bool with_input_a)
{
    for (int32_t word : {KVC::SIMDB_MAGIC, KVC::SIMDB_VERSION, 1, 0, 1})
        writer.WriteInt(word);
    writer.WriteTableName("(top)");
    writer.WriteInt(-1);
    writer.WriteInt(0);
    if (with_input_a) {
        writer.WriteInt(KVC::SIMDB_OUTPUT_MARKER);
        writer.WriteTableName("a");
        writer.WriteInt(4);
    }
    writer.WriteInt(KVC::SIMDB_END_OF_PORTS);
    writer.WriteBool(true);
    writer.WriteInt(0);  // no clocks
    writer.WriteBool(true);
    writer.WriteTableName("u");
    writer.WriteInt(1);
    writer.WriteInt(3);
}

// A file with a design input "a" of 4 bits and a node "u" with the outputs "o", "q" and
// "ghost" and the 4-bit input "d", then the given link records. Name table: 4 "(top)", 5 "a",
// 6 "u", 7 "o", 8 "q", 9 "d", 10 "ghost".
Bytes FileWithLinks(const std::vector<std::array<int32_t, 8>>& links)
{
    KVC::SimDBWriter writer;
    BeginFileUpToNodeU(writer, true);
    for (const char* output : {"o", "q"}) {
        writer.WriteInt(KVC::SIMDB_OUTPUT_MARKER);
        writer.WriteTableName(output);
        writer.WriteInt(1);
    }
    writer.WriteInt(KVC::SIMDB_INPUT_MARKER);
    writer.WriteTableName("d");
    writer.WriteInt(4);
    writer.WriteInt(0);
    writer.WriteInt(KVC::SIMDB_OUTPUT_MARKER);
    writer.WriteTableName("ghost");
    writer.WriteInt(1);
    writer.WriteInt(KVC::SIMDB_END_OF_PORTS);
    writer.WriteBool(true);
    writer.WriteBool(false);  // no more nodes
    writer.WriteInt(static_cast<int32_t>(links.size()));
    for (const auto& link : links)
        for (int32_t word : link)
            writer.WriteInt(word);
    return writer.Bytes();
}

TEST_F(SimDBTest, BadLinkRecordsAreReportedAndTheOthersStillLinked)
{
    struct Case {
        const char* what;
        int32_t source_node, source_port, owner_node, owner_port, srcLow, dstLow, width;
        std::string message;
    } cases[] = {
        {"undeclared input", 4, 5, 6, 5, 0, 0, 1,
         "SimDB Load Error: Unable to find port 'a'. Could not link netlist."},
        {"owner port is an output", 4, 5, 6, 7, 0, 0, 1,
         "SimDB Load Error: Unable to find port 'o'. Could not link netlist."},
        {"missing source port", 4, 8, 6, 9, 0, 0, 1,
         "SimDB Load Error: Unable to find port 'q'. Could not link netlist."},
        {"missing owner node", 4, 5, 10, 9, 0, 0, 1,
         "SimDB Load Error: Unable to find node 'ghost'. Could not link netlist."},
        {"missing source node", 10, 5, 6, 9, 0, 0, 1,
         "SimDB Load Error: Unable to find node 'ghost'. Could not link netlist."},
        {"index outside the table", 4, 5, 6, 11, 0, 0, 1,
         "SimDB Load Error: name index 11 lies outside the name table. Could not link netlist."},
        {"negative index", -1, 5, 6, 9, 0, 0, 1,
         "SimDB Load Error: name index -1 lies outside the name table. Could not link netlist."},
        {"zero width", 4, 5, 6, 9, 0, 0, 0,
         "SimDB Load Error: bit range out of bounds for port 'd'. Could not link netlist."},
        {"huge width", 4, 5, 6, 9, 0, 0, 0x7FFFFFFF,
         "SimDB Load Error: bit range out of bounds for port 'd'. Could not link netlist."},
        {"huge offset", 4, 5, 6, 9, 0x7FFFFFFF, 0, 2,
         "SimDB Load Error: bit range out of bounds for port 'd'. Could not link netlist."},
        {"negative destination", 4, 5, 6, 9, 0, -4, 2,
         "SimDB Load Error: bit range out of bounds for port 'd'. Could not link netlist."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KVC::NetlistDB db;
        const std::vector<Message> messages =
            Load(FileWithLinks({{c.source_node, c.source_port, c.owner_node, c.owner_port, c.srcLow, c.dstLow,
                                 c.width, 0},
                                {4, 5, 6, 9, 1, 0, 3, 1}}),
                 db);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].severity, SEV_INTERNAL);
        EXPECT_EQ(messages[0].text, c.message);
        const KVC::Input* d = db.FindNode("u")->FindInput("d");
        ASSERT_EQ(d->SliceCount(), 1u);
        EXPECT_EQ(d->slices[0]->source, db.FindDesignPort("a"));
        EXPECT_EQ(d->slices[0]->srcLow, 1);
        EXPECT_EQ(d->slices[0]->width, 3);
        EXPECT_TRUE(d->slices[0]->inverted);
    }
}

TEST_F(SimDBTest, ManyPortsInReverseOrderLoadAndListInNameOrder)
{
    // 200,000 ports, each sorting before the last: a sorted list would move them all each time.
    const int count = 200000;
    KVC::SimDBWriter writer;
    BeginFileUpToNodeU(writer, false);
    for (int i = count - 1; i >= 0; --i) {
        char name[16];
        std::snprintf(name, sizeof name, "p%06d", i);
        writer.WriteInt(KVC::SIMDB_OUTPUT_MARKER);
        writer.WriteTableName(name);
        writer.WriteInt(1 + i % 7);
    }
    writer.WriteInt(KVC::SIMDB_END_OF_PORTS);
    writer.WriteBool(true);
    writer.WriteBool(false);  // no more nodes
    writer.WriteInt(0);       // no links
    KVC::NetlistDB db;
    EXPECT_TRUE(Load(writer.Bytes(), db).empty());
    const KVC::Node* node = db.FindNode("u");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->PortCount(), static_cast<size_t>(count));
    int next = 0;
    bool ordered = true;
    node->ForEachPort([&](KVC::Port& port) {
        char name[16];
        std::snprintf(name, sizeof name, "p%06d", next);
        ordered = ordered && port.name == name && port.width == 1 + next % 7;
        ++next;
    });
    EXPECT_TRUE(ordered);
    ASSERT_NE(node->FindPort("p123456"), nullptr);
    EXPECT_EQ(node->FindPort("p123456")->width, 1 + 123456 % 7);
}

TEST_F(SimDBTest, LinksBeyondTheirPortsAreLinkedAndReportedOnce)
{
    KVC::NetlistDB db;
    const std::vector<Message> messages =
        Load(FileWithLinks({{4, 5, 6, 9, 3, 0, 2, 0}, {4, 5, 6, 9, 0, 2, 4, 0}}), db);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].severity, SEV_WARNING);
    EXPECT_EQ(messages[0].text, "2 bit slice(s) reach beyond the width of their ports, the first bits 0 to 1 of u.d "
                                "(4 bits) from bits 3 to 4 of (top).a (4 bits); bits beyond a port read 0.");
    EXPECT_EQ(db.FindNode("u")->FindInput("d")->SliceCount(), 2u);
}

}  // namespace

namespace {

TEST_F(SimDBTest, InvalidMarkerIsReportedAndParametersReadFromTheSamePosition)
{
    KVC::SimDBWriter writer;
    WriteEmptyTopAndClocks(writer);
    writer.WriteBool(true);
    writer.WriteTableName("u");
    writer.WriteInt(1);
    writer.WriteInt(9);
    writer.WriteInt(99);  // not a marker: the ports end here
    writer.WriteBool(false);
    writer.WriteString("width");
    writer.WriteInt(5);
    writer.WriteString("");
    writer.WriteBool(true);
    writer.WriteBool(false);
    writer.WriteInt(0);
    KVC::NetlistDB db;
    const std::vector<Message> messages = Load(writer.Bytes(), db);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].severity, SEV_INTERNAL);
    EXPECT_EQ(messages[0].text,
              "SimDB Load Error: invalid marker in file. File format invalid? Unable to load netlist.");
    ParamValue width;
    ASSERT_TRUE(db.FindNode("u")->GetParam("width", width));
    EXPECT_EQ(width.integer(), 5);
    EXPECT_EQ(db.FindNode("u")->operatorCode, 9);
}

TEST_F(SimDBTest, DuplicateNamesInAFileAreHandledLikeCreation)
{
    KVC::SimDBWriter writer;
    WriteEmptyTopAndClocks(writer);
    for (int copy = 0; copy < 2; copy++) {
        writer.WriteBool(true);
        writer.WriteTableName("u");
        writer.WriteInt(1);
        writer.WriteInt(copy + 1);
        // The same name with the other marker: the record's own fields are still read.
        writer.WriteInt(copy == 0 ? KVC::SIMDB_INPUT_MARKER : KVC::SIMDB_OUTPUT_MARKER);
        writer.WriteTableName("p");
        writer.WriteInt(copy + 4);
        if (copy == 0)
            writer.WriteInt(0);
        writer.WriteInt(KVC::SIMDB_END_OF_PORTS);
        writer.WriteBool(true);
    }
    writer.WriteBool(false);
    writer.WriteInt(0);
    KVC::NetlistDB db;
    EXPECT_EQ(Texts(Load(writer.Bytes(), db)),
              (std::vector<std::string>{
                  "Namespace collision when creating node. Name:u",
                  "Encountered duplicate port name 'p' on node 'u'. Ports require unique names."}));
    EXPECT_EQ(db.NodeCount(), 1);
    EXPECT_EQ(db.FindNode("u")->operatorCode, 2);
    EXPECT_EQ(db.FindNode("u")->FindInput("p")->width, 5);
}

TEST_F(SimDBTest, TruncatedFilesKeepWhatWasReadAndReportTheDamageOnce)
{
    KVC::NetlistDB sample;
    BuildSample(sample);
    const Bytes whole = SaveToBytes(sample);
    int previous_nodes = 0;
    size_t previous_slices = 0;
    for (size_t length = 0; length < whole.size(); length++) {
        SCOPED_TRACE(length);
        KVC::NetlistDB db;
        const std::vector<std::string> texts = Texts(Load(Bytes(whole.begin(), whole.begin() + length), db));
        // Without the first two words the file is not recognised at all.
        EXPECT_EQ(texts, std::vector<std::string>{length < 8 ? kOutdatedImport : kDamaged});
        size_t slices = 0;
        db.ForEachNode([&](KVC::Node& node) {
            node.ForEachPort(
                [&](KVC::Port& port) { slices += port.AsInput() ? port.AsInput()->SliceCount() : 0; });
        });
        EXPECT_GE(db.NodeCount(), previous_nodes);
        EXPECT_GE(slices, previous_slices);
        previous_nodes = db.NodeCount();
        previous_slices = slices;
    }
    EXPECT_EQ(previous_nodes, 4);
}

TEST_F(SimDBTest, HostileCountsLengthsAndWidthsEndTheLoadCleanly)
{
    struct Case {
        const char* what;
        std::function<Bytes()> file;
        int expected_nodes;
    } cases[] = {
        {"string length larger than the file",
         [] {
             KVC::SimDBWriter writer;
             WriteEmptyTopAndClocks(writer);
             writer.WriteBool(true);
             writer.WriteInt(0x7FFFFFF0);
             writer.WriteInt(0x41414141);
             return writer.Bytes();
         },
         0},
        {"string length of all ones",
         [] {
             KVC::SimDBWriter writer;
             WriteEmptyTopAndClocks(writer);
             writer.WriteBool(true);
             writer.WriteInt(-1);
             return writer.Bytes();
         },
         0},
        {"huge link count",
         [] {
             Bytes bytes = FileWithLinks({});
             bytes[bytes.size() - 4] = 0xFF;
             bytes[bytes.size() - 3] = 0xFF;
             bytes[bytes.size() - 2] = 0xFF;
             bytes[bytes.size() - 1] = 0x7F;
             return bytes;
         },
         1},
        {"negative clock count",
         [] {
             KVC::SimDBWriter writer;
             WriteEmptyTopAndClocks(writer, -5);
             return writer.Bytes();
         },
         0},
        {"port width beyond any bus",
         [] {
             KVC::SimDBWriter writer;
             WriteEmptyTopAndClocks(writer);
             writer.WriteBool(true);
             writer.WriteTableName("u");
             writer.WriteInt(1);
             writer.WriteInt(1);
             writer.WriteInt(KVC::SIMDB_OUTPUT_MARKER);
             writer.WriteTableName("q");
             writer.WriteInt(1 << 30);
             writer.WriteInt(KVC::SIMDB_END_OF_PORTS);
             writer.WriteBool(true);
             writer.WriteBool(false);
             writer.WriteInt(0);
             return writer.Bytes();
         },
         1},
        {"parameters without end",
         [] {
             KVC::SimDBWriter writer;
             WriteEmptyTopAndClocks(writer);
             writer.WriteBool(true);
             writer.WriteTableName("u");
             writer.WriteInt(1);
             writer.WriteInt(1);
             writer.WriteInt(KVC::SIMDB_END_OF_PORTS);
             for (int i = 0; i < 3; i++) {
                 writer.WriteBool(false);
                 writer.WriteString(Numbered("p", i));
                 writer.WriteInt(i);
                 writer.WriteString("");
             }
             return writer.Bytes();
         },
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KVC::NetlistDB db;
        EXPECT_EQ(Texts(Load(c.file(), db)), std::vector<std::string>{kDamaged});
        EXPECT_EQ(db.NodeCount(), c.expected_nodes);
    }
}

}  // namespace
