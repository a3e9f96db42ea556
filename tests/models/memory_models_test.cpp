// The dual-port RAM and synchronous RAM/ROM models driven through the bridge: write,
// clock, read; register options; byte enables; mixed widths; initialisation files and
// their reports.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "model_design.h"

namespace {

namespace fs = std::filesystem;
using model_test::Design;
using model_test::Int;
using model_test::TakeMessages;
using model_test::Text;

// A file in the temporary directory, removed at the end of the test.
class TempFile {
public:
    TempFile(const std::string& name, const std::string& contents)
        : path(fs::temp_directory_path() / (std::to_string(getpid()) + "_" + name))
    {
        std::ofstream(path) << contents;
    }
    ~TempFile() { fs::remove(path); }
    std::string Path() const { return path.string(); }

private:
    fs::path path;
};

void Write(Design& d, const std::string& ram, uint64_t address, uint64_t data, const char* address_port = "wraddress",
           const char* data_port = "data", const char* enable_port = "wren")
{
    d.Set(ram, address_port, address);
    d.Set(ram, data_port, data);
    d.Set(ram, enable_port, 1);
    d.Clock();
    d.Set(ram, enable_port, 0);
}

Design& RamDP(Design& d, const model_test::Params& extra)
{
    model_test::Params params = {{"width", Int(8)}, {"addr_wid", Int(4)}, {"ram_size", Int(16)}};
    for (const auto& [name, value] : extra)
        params[name] = value;
    d.Add(108, "ram", params);
    d.DriveAll("ram", {"data", "wraddress", "wren", "rdaddress"});
    clear_messages();
    return d;
}

TEST(DualPortRamModel, RegisteredAddressAndOutputReadTwoClocksLater)
{
    Design d;
    RamDP(d, {});
    Write(d, "ram", 3, 0x11);
    Write(d, "ram", 5, 0x22);
    d.Set("ram", "rdaddress", 3);
    d.Clock();
    EXPECT_EQ(d.Get("ram", "q"), 0u);  // the address register took 3; the output not yet
    d.Clock();
    EXPECT_EQ(d.Get("ram", "q"), 0x11u);
    d.Set("ram", "rdaddress", 5);
    d.Clock(2);
    EXPECT_EQ(d.Get("ram", "q"), 0x22u);
}

TEST(DualPortRamModel, UnregisteredReadFollowsTheAddressAndSeesWritesAtOnce)
{
    Design d;
    RamDP(d, {{"r_ctrl", Text("UNREGISTERED")}, {"output", Text("UNREGISTERED")}});
    Write(d, "ram", 7, 0x5A);
    d.Set("ram", "rdaddress", 7);
    d.Settle();
    EXPECT_EQ(d.Get("ram", "q"), 0x5Au);
    d.Set("ram", "rdaddress", 6);
    d.Settle();
    EXPECT_EQ(d.Get("ram", "q"), 0u);
}

TEST(DualPortRamModel, ReadEnableHoldsTheOutput)
{
    Design d;
    RamDP(d, {{"r_ctrl", Text("UNREGISTERED")}});
    d.Drive("ram", "rden");
    d.Set("ram", "rden", 1);
    Write(d, "ram", 1, 0x33);
    Write(d, "ram", 2, 0x44);
    d.Set("ram", "rdaddress", 1);
    d.Clock();
    EXPECT_EQ(d.Get("ram", "q"), 0x33u);
    d.Set("ram", "rden", 0);
    d.Set("ram", "rdaddress", 2);
    d.Clock(2);
    EXPECT_EQ(d.Get("ram", "q"), 0x33u);
}

TEST(DualPortRamModel, IntelHexFileFillsTheMemory)
{
    // Words 0x12 at 2 and 0x34, 0x56 at 3 and 4; then the end record.
    TempFile file("dp.hex", ":0100020012EB\n:02000300345671\n:00000001FF\n");
    Design d;
    RamDP(d, {{"file", Text(file.Path().c_str())}, {"r_ctrl", Text("UNREGISTERED")}, {"output", Text("UNREGISTERED")}});
    const uint64_t expected[] = {0, 0, 0x12, 0x34, 0x56, 0};
    for (uint64_t address = 0; address < 6; ++address) {
        d.Set("ram", "rdaddress", address);
        d.Settle();
        EXPECT_EQ(d.Get("ram", "q"), expected[address]) << address;
    }
    EXPECT_TRUE(TakeMessages(SEV_WARNING).empty());
}

TEST(DualPortRamModel, WithoutASizeTheAddressRangeIsFull)
{
    Design d;
    d.Add(108, "ram", {{"width", Int(8)}, {"addr_wid", Int(4)}, {"r_ctrl", Text("UNREGISTERED")},
                       {"output", Text("UNREGISTERED")}});
    d.DriveAll("ram", {"data", "wraddress", "wren", "rdaddress"});
    Write(d, "ram", 15, 0x77);
    d.Set("ram", "rdaddress", 15);
    d.Settle();
    EXPECT_EQ(d.Get("ram", "q"), 0x77u);
}

TEST(DualPortRamModel, TwoInstancesKeepSeparateContents)
{
    Design d;
    for (const char* name : {"left", "right"}) {
        d.Add(108, name, {{"width", Int(8)}, {"addr_wid", Int(2)}, {"ram_size", Int(4)}, {"r_ctrl", Text("UNREGISTERED")},
                          {"output", Text("UNREGISTERED")}});
        d.DriveAll(name, {"data", "wraddress", "wren", "rdaddress"});
    }
    Write(d, "left", 0, 0xAA);
    Write(d, "right", 0, 0xBB);
    EXPECT_EQ(d.Get("left", "q"), 0xAAu);
    EXPECT_EQ(d.Get("right", "q"), 0xBBu);
}

Design& SyncRam(Design& d, const model_test::Params& extra, const std::vector<std::string>& driven)
{
    model_test::Params params = {{"width_a", Int(8)}, {"widthad_a", Int(4)}, {"numwords_a", Int(16)}};
    for (const auto& [name, value] : extra)
        params[name] = value;
    d.Add(100, "ram", params);
    d.DriveAll("ram", driven);
    return d;
}

TEST(SyncRamModel, SinglePortWriteShowsNewDataAndReadsTakeOneClock)
{
    Design d;
    SyncRam(d, {}, {"address_a", "data_a", "wren_a"});
    Write(d, "ram", 4, 0x44, "address_a", "data_a", "wren_a");
    EXPECT_EQ(d.Get("ram", "q_a"), 0x44u);  // read during write: new data
    Write(d, "ram", 5, 0x55, "address_a", "data_a", "wren_a");
    d.Set("ram", "address_a", 4);
    d.Settle();
    EXPECT_EQ(d.Get("ram", "q_a"), 0x55u);  // the address is a register
    d.Clock();
    EXPECT_EQ(d.Get("ram", "q_a"), 0x44u);
}

TEST(SyncRamModel, OldDataModeShowsTheWordBeforeTheWrite)
{
    Design d;
    SyncRam(d, {{"read_during_write_mode_port_a", Text("OLD_DATA")}}, {"address_a", "data_a", "wren_a"});
    Write(d, "ram", 2, 0x21, "address_a", "data_a", "wren_a");
    Write(d, "ram", 2, 0x22, "address_a", "data_a", "wren_a");
    EXPECT_EQ(d.Get("ram", "q_a"), 0x21u);
}

TEST(SyncRamModel, OutputRegisterAddsAClockAndItsClearActsAtOnce)
{
    Design d;
    SyncRam(d, {{"outdata_reg_a", Text("CLOCK0")}, {"outdata_aclr_a", Text("CLEAR1")}},
            {"address_a", "data_a", "wren_a", "aclr1"});
    Write(d, "ram", 1, 0x99, "address_a", "data_a", "wren_a");
    EXPECT_EQ(d.Get("ram", "q_a"), 0u);
    d.Clock();
    EXPECT_EQ(d.Get("ram", "q_a"), 0x99u);
    d.Set("ram", "aclr1", 1);
    d.Settle();
    EXPECT_EQ(d.Get("ram", "q_a"), 0u);
}

TEST(SyncRamModel, DualPortWritesOnAAndReadsOnBWithMixedWidths)
{
    Design d;
    SyncRam(d,
            {{"operation_mode", Text("DUAL_PORT")}, {"width_a", Int(8)}, {"widthad_a", Int(2)}, {"numwords_a", Int(4)},
             {"width_b", Int(16)}, {"widthad_b", Int(1)}, {"numwords_b", Int(2)}},
            {"address_a", "data_a", "wren_a", "address_b"});
    for (uint64_t address = 0; address < 4; ++address)
        Write(d, "ram", address, 0x10 + address, "address_a", "data_a", "wren_a");
    d.Set("ram", "address_b", 1);
    d.Clock();
    EXPECT_EQ(d.Get("ram", "q_b"), 0x1312u);
    EXPECT_EQ(d.Get("ram", "q_a"), 0u);  // port A only writes in this mode
}

TEST(SyncRamModel, ByteEnablesWriteOnlyTheEnabledBytes)
{
    Design d;
    SyncRam(d, {{"width_a", Int(16)}, {"width_byteena_a", Int(2)}}, {"address_a", "data_a", "wren_a", "byteena_a"});
    d.Set("ram", "byteena_a", 3);
    Write(d, "ram", 0, 0x1111, "address_a", "data_a", "wren_a");
    d.Set("ram", "byteena_a", 2);
    Write(d, "ram", 0, 0xABCD, "address_a", "data_a", "wren_a");
    EXPECT_EQ(d.Get("ram", "q_a"), 0xAB11u);
}

TEST(SyncRamModel, TrueDualPortWritesOnBothPorts)
{
    Design d;
    SyncRam(d, {{"operation_mode", Text("BIDIR_DUAL_PORT")}, {"width_b", Int(8)}, {"widthad_b", Int(4)},
                {"numwords_b", Int(16)}, {"address_reg_b", Text("CLOCK0")}},
            {"address_a", "data_a", "wren_a", "address_b", "data_b", "wren_b"});
    Write(d, "ram", 9, 0x90, "address_b", "data_b", "wren_b");
    d.Set("ram", "address_a", 9);
    d.Clock();
    EXPECT_EQ(d.Get("ram", "q_a"), 0x90u);
}

TEST(SyncRamModel, RomReadsItsMifFile)
{
    TempFile file("rom.mif",
                  "-- a small table\nWIDTH=8;\nDEPTH=16;\nADDRESS_RADIX=HEX;\nDATA_RADIX=DEC;\nCONTENT BEGIN\n"
                  "  0 : 10;\n  1 : 20 30;  % two words %\n  [4..6] : 7;\n  8 : -1;\nEND;\n");
    Design d;
    SyncRam(d, {{"operation_mode", Text("ROM")}, {"init_file", Text(file.Path().c_str())}}, {"address_a", "wren_a"});
    EXPECT_TRUE(TakeMessages(SEV_FATAL).empty());
    const uint64_t expected[] = {10, 20, 30, 0, 7, 7, 7, 0, 0xFF};
    for (uint64_t address = 0; address < 9; ++address) {
        d.Set("ram", "address_a", address);
        d.Set("ram", "wren_a", 1);  // a ROM ignores writes
        d.Clock();
        EXPECT_EQ(d.Get("ram", "q_a"), expected[address]) << address;
    }
    EXPECT_TRUE(TakeMessages(SEV_WARNING).empty());
}

TEST(SyncRamModel, FileProblemsAreReportedAndTheMemoryStaysUsable)
{
    struct Case {
        const char* name;
        const char* contents;
        const char* expected_words;  // a part of the warning
        uint64_t word0;              // what address 0 holds afterwards
    };
    const Case cases[] = {
        {"bad_checksum.hex", ":0100000011EE\n:0100010022FF\n", "line 2: checksum mismatch", 0x11},
        {"not_hex.hex", ":01000000\n", "line 1:", 0},
        {"too_big.hex", ":0100000042BD\n:01002000AA35\n", "beyond the memory's 16 words (first at address 32)", 0x42},
        {"bad.mif", "WIDTH=8;\nCONTENT BEGIN\n0 : 5;\n1 : zz;\nEND;\n", "line 4: expected a value", 5},
        {"range.mif", "CONTENT BEGIN\n[0..40] : 3;\nEND;\n", "49 word(s) beyond", 3},
        {"wide.mif", "CONTENT BEGIN\n0 : 1FF;\nEND;\n", "wider than the memory's 8 bits", 0xFF},
        {"far.hex", ":020000040001F9\n:0100000011EE\n", "beyond the memory's 16 words (first at address 65536)", 0},
        {"bad_type.hex", ":0100000711E7\n", "line 1: unknown record type 7", 0},
        {"no_content.mif", "WIDTH=8;\nDEPTH=16;\n", "expected CONTENT BEGIN", 0},
        // Addresses at the top of the 64-bit range are counted, never added to.
        {"top.mif", "CONTENT BEGIN\n7FFFFFFFFFFFFFFF : 1 2 3;\n0 : 4;\nEND;\n",
         "3 word(s) beyond the memory's 16 words (first at address 9223372036854775807)", 4},
        {"top_range.mif", "CONTENT BEGIN\n0 : 6;\n[1..7FFFFFFFFFFFFFFF] : 1;\nEND;\n",
         "9223372036854775792 word(s) beyond", 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFile file(c.name, c.contents);
        Design d;
        SyncRam(d, {{"init_file", Text(file.Path().c_str())}}, {"address_a"});
        clear_messages();
        d.Clock();
        std::vector<std::string> warnings = TakeMessages(SEV_WARNING);
        ASSERT_EQ(warnings.size(), 1u) << (warnings.empty() ? "" : warnings[0]);
        EXPECT_NE(warnings[0].find(c.expected_words), std::string::npos) << warnings[0];
        EXPECT_NE(warnings[0].find(file.Path()), std::string::npos);
        EXPECT_EQ(d.Get("ram", "q_a"), c.word0);
    }
}

TEST(SyncRamModel, LongNumbersAreReadInLinearTime)
{
    // Hexadecimal digits above the width only mark the value as too wide; a decimal number
    // far longer than the width needs is refused. Either would take minutes if read naively.
    const std::string zeros(3000000, '0');
    struct Case {
        const char* name;
        std::string contents;
        const char* expected_words;
        uint64_t word0;
    };
    const Case cases[] = {
        {"long_hex.mif", "CONTENT BEGIN\n0 : 1" + zeros + "A5;\nEND;\n", "wider than the memory's 8 bits", 0xA5},
        {"padded.mif", "DATA_RADIX=DEC;\nCONTENT BEGIN\n0 : " + zeros + "165;\n1 : 9" + zeros + ";\nEND;\n",
         "line 4: a number of 3000001 digits is far wider than its 8 bits", 165},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFile file(c.name, c.contents.c_str());
        Design d;
        SyncRam(d, {{"init_file", Text(file.Path().c_str())}}, {"address_a"});
        clear_messages();
        d.Clock();
        std::vector<std::string> warnings = TakeMessages(SEV_WARNING);
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_NE(warnings[0].find(c.expected_words), std::string::npos) << warnings[0].substr(0, 300);
        EXPECT_EQ(d.Get("ram", "q_a"), c.word0);
    }
}

TEST(SyncRamModel, OversizedFileIsNotRead)
{
    TempFile file("huge.hex", "");
    fs::resize_file(file.Path(), 65 << 20);  // sparse: costs no disk
    Design d;
    SyncRam(d, {{"init_file", Text(file.Path().c_str())}}, {"address_a"});
    d.Clock();
    std::vector<std::string> warnings = TakeMessages(SEV_WARNING);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("too large to be a memory image"), std::string::npos);
}

TEST(SyncRamModel, MissingFileIsReportedByTheLookupAndTheModel)
{
    Design d;
    SyncRam(d, {{"init_file", Text("no_such_file.mif")}}, {"address_a"});
    EXPECT_EQ(TakeMessages(SEV_WARNING),
              std::vector<std::string>{"Could not find RAM initialization file 'no_such_file.mif'."});
    d.Clock();
    std::vector<std::string> model_warnings = TakeMessages(SEV_WARNING);
    ASSERT_EQ(model_warnings.size(), 1u);
    EXPECT_NE(model_warnings[0].find("cannot be opened"), std::string::npos);
}

TEST(SyncRamModel, FileThatIsNoRegularFileIsReportedWithoutBlocking)
{
    // A FIFO with no writer would block an ordinary open for ever; a directory cannot be read.
    // Should the open block again, the alarm ends the test instead of hanging the suite.
    ::alarm(60);
    const fs::path fifo = fs::temp_directory_path() / (std::to_string(getpid()) + "_init.mif");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo.string(), fs::temp_directory_path().string()}) {
        SCOPED_TRACE(path);
        Design d;
        SyncRam(d, {{"init_file", Text(path.c_str())}}, {"address_a"});
        clear_messages();
        d.Clock();
        std::vector<std::string> warnings = TakeMessages(SEV_WARNING);
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_NE(warnings[0].find("is not a regular file"), std::string::npos) << warnings[0];
    }
    ::alarm(0);
    fs::remove(fifo);
}

TEST(SyncRamModel, WideWordsKeepEveryBit)
{
    Design d;
    SyncRam(d, {{"width_a", Int(72)}}, {"address_a", "data_a", "wren_a"});
    Write(d, "ram", 3, 0xFEDCBA9876543210ull, "address_a", "data_a", "wren_a");
    EXPECT_EQ(d.Get("ram", "q_a"), 0xFEDCBA9876543210ull);
}

}  // namespace
