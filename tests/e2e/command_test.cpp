// The blocktide command's contract: the ten results of an import, reuse of the SimDB file,
// exit codes, output selection, waveform and dump files, and bad input, which must give a
// clear message, a non-zero exit and no output file.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "command_runner.h"

namespace {

using e2e::CommandResult;
using e2e::Workspace;

// A workspace holding one example, imported with the default map.
struct Imported {
    explicit Imported(const std::string& example) : name(example)
    {
        ws.CopyExample(example);
        CommandResult result = ws.Run({"import", ws.Path(vo()), e2e::DefaultMap()});
        EXPECT_EQ(result.exit_code, 0) << result.err;
    }
    std::string vo() const { return name + ".vo"; }
    std::string stimulus() const { return name + "_stimulus.csv"; }
    CommandResult Sim(std::vector<std::string> extra) const
    {
        std::vector<std::string> args = {"sim", ws.Path(vo())};
        args.insert(args.end(), extra.begin(), extra.end());
        return ws.Run(args);
    }

    Workspace ws;
    std::string name;
};

TEST(Import, PrintsTheTenResultsWithTheirTrailingBlanksAndWritesOnlyTheSimDb)
{
    struct Case {
        const char* example;
        const char* results;
    };
    const Case cases[] = {
        {"mac40",
         "ninput: 4\nnoutput: 3\nnclock: 1\n"
         "input_port_names: a b load en \n" // header order, the clock left out
         "output_port_names: acc product carry \n"
         "clock_names: clk \n"
         "top_level_name: mac40\n"
         "top_clockname: clk\n"
         "inptbwl: 40 40 1 1 \n"
         "outptbwl: 40 40 1 \n"},
        {"shuffle", // no clock at all
         "ninput: 3\nnoutput: 6\nnclock: 0\n"
         "input_port_names: x y sel \n"
         "output_port_names: mixed bytesum same nibble packed parity \n"
         "clock_names: \n"
         "top_level_name: shuffle\n"
         "top_clockname: \n"
         "inptbwl: 16 4 1 \n"
         "outptbwl: 16 8 16 4 12 1 \n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.example);
        Workspace ws;
        ws.CopyExample(c.example);
        std::vector<std::string> before = ws.Files();
        CommandResult result = ws.Run({"import", ws.Path(std::string(c.example) + ".vo"), e2e::DefaultMap()});
        EXPECT_EQ(result.exit_code, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.out, c.results);
        // The working copies of the import are gone; the SimDB file is new.
        before.push_back(std::string(c.example) + ".vo.simdb");
        std::sort(before.begin(), before.end());
        EXPECT_EQ(ws.Files(), before);
    }
}

TEST(Import, FailsWithExitOneAndNoSimDbWhenTheDesignCannotBeRead)
{
    struct Case {
        const char* what;
        const char* netlist; // null: no netlist file
        bool map;            // the default map exists
        const char* message;
    };
    const Case cases[] = {
        {"grammar error", "module m (a, y);\ninput a;\noutput y;\nwire w\nendmodule\n", true,
         "Blocktide Fatal Error: d: Expected a semicolon / end of statement\n"},
        {"unmapped module type",
         "module m (a, y);\ninput a;\noutput y;\nwire w;\nno_such_cell u (.x(a), .q(w));\nendmodule\n", true,
         "unsupported type 'no_such_cell'"},
        {"missing netlist", nullptr, true, "blocktide: cannot read the netlist"},
        {"missing map", "module m (a, y);\ninput a;\noutput y;\nassign y = a;\nendmodule\n", false,
         "blocktide: cannot read the map file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Workspace ws;
        if (c.netlist)
            ws.Write("d.vo", c.netlist);
        CommandResult result =
            ws.Run({"import", ws.Path("d.vo"), c.map ? e2e::DefaultMap() : ws.Path("missing_map.xml")});
        EXPECT_EQ(result.exit_code, 1);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_FALSE(ws.Exists("d.vo.simdb"));
        EXPECT_FALSE(ws.Exists("d.vodctr.vo"));
        EXPECT_FALSE(ws.Exists("d.vokvc.vo"));
    }
}

TEST(Command, UsageErrorsExitTwo)
{
    Workspace ws;
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"import", "only_the_netlist.vo"},
        {"sim"},
        {"sim", "d.vo", "--cycles", "-1"},
        {"sim", "d.vo", "--cycles", "many"},
        {"sim", "d.vo", "--no-such-option"},
        {"dump", "d.vo"},
    };
    for (const auto& args : cases) {
        CommandResult result = ws.Run(args);
        EXPECT_EQ(result.exit_code, 2) << (args.empty() ? "(no arguments)" : args[0]) << result.err;
        EXPECT_NE(result.err, "");
    }
    EXPECT_NE(ws.Run({"sim", "d.vo", "--cycles", "-1"}).err.find("a cycle count is 0 or more"), std::string::npos);
}

TEST(Sim, ReusesTheSimDbWithoutReadingTheNetlistAgain)
{
    Imported mac("mac40");
    const std::string expected = mac.Sim({"--stimulus", mac.ws.Path(mac.stimulus())}).out;
    ASSERT_NE(expected.find("9,000000002A"), std::string::npos) << expected;

    mac.ws.Remove(mac.vo());
    CommandResult without = mac.Sim({"--stimulus", mac.ws.Path(mac.stimulus())});
    EXPECT_EQ(without.exit_code, 0) << without.err;
    EXPECT_EQ(without.out, expected);

    // A netlist newer than the SimDB file: the file is stale and never used silently.
    std::filesystem::last_write_time(mac.ws.Path(mac.vo() + ".simdb"),
                                     std::filesystem::file_time_type::clock::now() - std::chrono::seconds(10));
    mac.ws.Write(mac.vo(), "this is not a netlist");
    CommandResult stale = mac.Sim({"--stimulus", mac.ws.Path(mac.stimulus())});
    EXPECT_EQ(stale.exit_code, 1);
    EXPECT_EQ(stale.out, "");
    EXPECT_NE(stale.err.find("is older than its netlist; import the design again (blocktide import, or --map)"),
              std::string::npos)
        << stale.err;
}

TEST(Sim, MapOptionImportsTheChangedNetlistFirst)
{
    Imported counter("counter");
    // Without carry in the adder feeds q + 0 back: the count stays 0.
    std::string netlist = counter.ws.Read(counter.vo());
    size_t cin = netlist.find(".cin(1'b1)");
    ASSERT_NE(cin, std::string::npos);
    netlist.replace(cin, 10, ".cin(1'b0)");
    counter.ws.Write(counter.vo(), netlist);
    counter.ws.Write("s.csv", "en,clr\n1,0\n1,0\n1,0\n");
    std::filesystem::last_write_time(counter.ws.Path(counter.vo() + ".simdb"),
                                     std::filesystem::file_time_type::clock::now() - std::chrono::seconds(10));

    CommandResult stale = counter.Sim({"--stimulus", counter.ws.Path("s.csv")});  // refused: the netlist is newer
    EXPECT_EQ(stale.exit_code, 1);
    EXPECT_NE(stale.err.find("is older than its netlist"), std::string::npos) << stale.err;
    CommandResult fresh = counter.Sim({"--stimulus", counter.ws.Path("s.csv"), "--map", e2e::DefaultMap()});
    EXPECT_EQ(fresh.exit_code, 0) << fresh.err;
    EXPECT_EQ(fresh.out, "cycle,count,wrap\n1,00,0\n2,00,0\n3,00,0\n");
}

TEST(Sim, BadInputGivesAMessageExitOneAndNoOutputFiles)
{
    struct Case {
        const char* what;
        const char* stimulus; // written to s.csv unless null
        std::vector<std::string> extra;
        const char* message;
        void (*spoil)(const Workspace&) = nullptr; // changes the imported files
    };
    auto garbage_simdb = [](const Workspace& ws) { ws.Write("counter.vo.simdb", "not a database"); };
    auto other_version = [](const Workspace& ws) {
        std::string db = ws.Read("counter.vo.simdb");
        db[6] = 2; // version word 0x10000 becomes 0x20000
        ws.Write("counter.vo.simdb", db);
    };
    auto truncated = [](const Workspace& ws) {
        ws.Write("counter.vo.simdb", ws.Read("counter.vo.simdb").substr(0, 60));
    };
    auto no_simdb = [](const Workspace& ws) { ws.Remove("counter.vo.simdb"); };
    const Case cases[] = {
        {"no SimDB file", "en\n1\n", {}, "blocktide: no simulation database", no_simdb},
        {"SimDB file of garbage", "en\n1\n", {}, "could not be found or is outdated", garbage_simdb},
        {"SimDB file of another version", "en\n1\n", {}, "could not be found or is outdated", other_version},
        {"truncated SimDB file", "en\n1\n", {}, "could not be set up", truncated},
        {"missing stimulus file", nullptr, {}, "blocktide: cannot read the stimulus file"},
        {"empty stimulus file", "", {}, "the stimulus file is empty"},
        {"stimulus with a header only", "en,clr\n", {}, "the stimulus file has no steps"},
        {"name that is no design input", "en,bogus\n1,0\n", {}, "'bogus' is not a design input"},
        {"design output named as an input", "count\n1\n", {}, "'count' is not a design input"},
        {"the constant node named as an input", "(top)\n1\n", {}, "'(top)' is not a design input"},
        {"malformed value", "en,clr\n1,0\n1,zz\n", {}, "line 3, column 2 (clr): malformed value 'zz'"},
        {"malformed hexadecimal value", "en,clr\n0x1g,0\n", {}, "line 2, column 1 (en): malformed value '0x1g'"},
        {"missing field", "en,clr\n1,0\n1\n", {}, "line 3: 1 fields where the header names 2"},
        {"negative cycle count", "en,cycles\n1,-1\n", {}, "line 2, column 2 (cycles): a cycle count must be"},
        {"unknown output", "en\n1\n", {"--outputs", "count,nope"}, "'nope' is neither a design output nor a signal"},
        {"netlist that no longer imports", "en\n1\n", {"--map", "/nonexistent/map.xml"}, "could not be imported"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Imported counter("counter");
        if (c.spoil)
            c.spoil(counter.ws);
        if (c.stimulus)
            counter.ws.Write("s.csv", c.stimulus);
        std::vector<std::string> args = {"--stimulus", counter.ws.Path("s.csv"), "--out", counter.ws.Path("o.csv"),
                                         "--vcd",      counter.ws.Path("w.vcd")};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        CommandResult result = counter.Sim(args);
        EXPECT_EQ(result.exit_code, 1);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_FALSE(counter.ws.Exists("o.csv"));
        EXPECT_FALSE(counter.ws.Exists("o.csv.partial"));
        EXPECT_FALSE(counter.ws.Exists("w.vcd"));
    }
}

TEST(Sim, OutputFileThatCannotBeWrittenIsReported)
{
    Imported counter("counter");
    CommandResult result = counter.Sim(
        {"--stimulus", counter.ws.Path(counter.stimulus()), "--out", counter.ws.Path("no_such_directory/o.csv")});
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_NE(result.err.find("blocktide: cannot write"), std::string::npos) << result.err;
}

TEST(Sim, ValuesWiderThanTheirInputAreCutWithOneWarningPerInput)
{
    Imported shuffle("shuffle");
    // x is 16 bits, y 4 bits: 0x11234 and 0x21234 lose bit 16 and 17; -9 does not fit in 4
    // bits and becomes 0111 (7); -8 fits (1000).
    shuffle.ws.Write("s.csv", "x,y,sel\n0x11234,5,0\n0x21234,-9,1\n0x1234,-8,1\n0x31234,0x25,1\n");
    CommandResult result = shuffle.Sim({"--stimulus", shuffle.ws.Path("s.csv"), "--outputs", "mixed,packed"});
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.out,
              "cycle,mixed,packed\n"
              "1,3412,F50\n" // bytes of 0x1234 swapped
              "2,7DCB,F70\n" // {7, ~0x234}
              "3,8DCB,F80\n"
              "4,5DCB,F50\n"); // 0x25 cut to 5
    EXPECT_EQ(result.err,
              "Blocktide Warning: shuffle: Stimulus value for input x at line 2 has bits above its 16-bit width; "
              "values are cut to the width\n"
              "Blocktide Warning: shuffle: Stimulus value for input y at line 3 has bits above its 4-bit width; "
              "values are cut to the width\n");
}

TEST(Sim, OutputsOptionChoosesAndOrdersTheColumns)
{
    Imported counter("counter");
    CommandResult result = counter.Sim({"--stimulus", counter.ws.Path(counter.stimulus()), "--outputs", "wrap,count"});
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.out, // the example's own results, columns as asked
              "cycle,wrap,count\n1,0,00\n2,0,01\n3,0,02\n4,0,03\n6,0,03\n7,0,03\n257,0,FD\n259,1,FF\n260,0,00\n"
              "263,0,03\n264,0,00\n265,0,00\n266,0,00\n267,0,01\n");
}

TEST(Sim, CyclesWithoutStimulusRunsOneCycleStepsAndPrintsARowEach)
{
    Imported shuffle("shuffle");
    CommandResult printed = shuffle.Sim({"--cycles", "3", "--outputs", "packed"});
    EXPECT_EQ(printed.exit_code, 0);
    EXPECT_EQ(printed.out, "cycle,packed\n1,F00\n2,F00\n3,F00\n");
    CommandResult one = shuffle.Sim({"--outputs", "packed"});  // one cycle by default
    EXPECT_EQ(one.out, "cycle,packed\n1,F00\n");
    shuffle.ws.Write("s.csv", "y\n1\n");
    CommandResult both = shuffle.Sim({"--cycles", "3", "--stimulus", shuffle.ws.Path("s.csv")});
    EXPECT_EQ(both.exit_code, 2);  // --cycles is for runs without a stimulus
    EXPECT_NE(both.err.find("excludes"), std::string::npos) << both.err;

    CommandResult written = shuffle.Sim({"--cycles", "3", "--out", shuffle.ws.Path("o.csv"), "--outputs", "packed"});
    EXPECT_EQ(written.exit_code, 0);
    EXPECT_EQ(written.out, "");
    // packed = {4'b1, y, 4'b0} with y never written: its bits read 0 on a narrow port.
    EXPECT_EQ(shuffle.ws.Read("o.csv"), "cycle,packed\n1,F00\n2,F00\n3,F00\n");
}

TEST(Sim, VcdHoldsTheClockAndEveryDesignInputAndOutputPerCycle)
{
    Imported counter("counter");
    counter.ws.Write("s.csv", "en,clr\n1,0\n1,0\n0,1\n");
    CommandResult result = counter.Sim({"--stimulus", counter.ws.Path("s.csv"), "--vcd", counter.ws.Path("w.vcd")});
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(result.out, "cycle,count,wrap\n1,00,0\n2,01,0\n3,00,0\n");
    const std::string vcd = counter.ws.Read("w.vcd");
    EXPECT_NE(vcd.find("$scope module counter $end"), std::string::npos) << vcd;
    // The clock first, then inputs and outputs in byte order of name; the constant node is no
    // design input.
    const char* const signals[] = {"$var wire 1 ! clk $end", "$var wire 1 \" clr $end", "$var wire 8 # count $end",
                                   "$var wire 1 $ en $end", "$var wire 1 % wrap $end"};
    for (const char* signal : signals)
        EXPECT_NE(vcd.find(signal), std::string::npos) << signal << "\n" << vcd;
    EXPECT_EQ(vcd.find("(top)"), std::string::npos) << vcd;
    // Every cycle: the clock rises at 10n, what changed shows at 10n + 1, the clock falls at
    // 10n + 5. en is written for cycle 1 and shows with it; count follows the CSV: 1 at cycle
    // 2, cleared at cycle 3, when clr rises.
    EXPECT_NE(vcd.find("#10\n1!\n#11\n1$\n#15\n0!\n"), std::string::npos) << vcd;
    EXPECT_NE(vcd.find("#20\n1!\n#21\nb00000001 #\n#25\n0!\n"), std::string::npos) << vcd;
    const size_t third = vcd.find("#31\n");
    ASSERT_NE(third, std::string::npos) << vcd;
    const std::string changes = vcd.substr(third, vcd.find("#35\n") - third);  // in no particular order
    for (const char* change : {"\n1\"\n", "\nb00000000 #\n", "\n0$\n"})
        EXPECT_NE(changes.find(change), std::string::npos) << change << "\n" << changes;
}

TEST(Sim, InternalSignalsGoToTheCsvAndTheWaveformByName)
{
    Imported counter("counter");
    counter.ws.Write("s.csv", "en,clr\n1,0\n1,0\n1,0\n");
    CommandResult listing = counter.ws.Run({"signals", counter.ws.Path("counter.vo"), "--map", e2e::DefaultMap()});
    EXPECT_EQ(listing.exit_code, 0) << listing.err;
    EXPECT_NE(listing.out.find("cnt.q\n"), std::string::npos) << listing.out;
    EXPECT_NE(listing.out.find("next\n"), std::string::npos) << listing.out;  // a wire

    CommandResult result = counter.Sim({"--stimulus", counter.ws.Path("s.csv"), "--map", e2e::DefaultMap(),
                                        "--outputs", "count,next,cnt.q", "--vcd", counter.ws.Path("w.vcd"),
                                        "--signals", "cnt.*,inc.cout"});
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(result.out, "cycle,count,next,cnt.q\n1,00,01,00\n2,01,02,01\n3,02,03,02\n");
    const std::string vcd = counter.ws.Read("w.vcd");
    EXPECT_NE(vcd.find("$scope module cnt $end\n$var wire 8"), std::string::npos) << vcd;
    EXPECT_NE(vcd.find(" q $end"), std::string::npos) << vcd;
    EXPECT_NE(vcd.find(" cout $end"), std::string::npos) << vcd;
    EXPECT_EQ(vcd.find(" next $end"), std::string::npos) << vcd;  // not asked for

    CommandResult without_vcd = counter.Sim({"--stimulus", counter.ws.Path("s.csv"), "--signals", "*"});
    EXPECT_EQ(without_vcd.exit_code, 2);  // --signals needs --vcd
}

TEST(Sim, HexdirOptionFindsMemoryInitialisationFilesOutsideTheDesignDirectory)
{
    Imported ram("ram_fifo");
    std::filesystem::create_directory(ram.ws.Path("hex"));
    std::filesystem::rename(ram.ws.Path("ram_fifo.mif"), ram.ws.Path("hex/ram_fifo.mif"));
    const std::string stimulus = ram.ws.Path(ram.stimulus());

    // Without the file the RAM starts cleared: only the 200 written into word 3 shows.
    CommandResult cleared = ram.Sim({"--stimulus", stimulus, "--outputs", "ram_q"});
    EXPECT_EQ(cleared.exit_code, 0);
    EXPECT_EQ(cleared.out, "cycle,ram_q\n1,00\n2,00\n3,C8\n4,00\n5,C8\n6,00\n7,00\n8,00\n9,00\n10,00\n");
    EXPECT_NE(cleared.err.find("Could not find RAM initialization file 'ram_fifo.mif'"), std::string::npos)
        << cleared.err;

    // From the directory given, the words are the squares: 9, 25 and 225 are read.
    CommandResult found = ram.Sim({"--stimulus", stimulus, "--outputs", "ram_q", "--hexdir", ram.ws.Path("hex")});
    EXPECT_EQ(found.exit_code, 0);
    EXPECT_EQ(found.out, "cycle,ram_q\n1,00\n2,09\n3,C8\n4,19\n5,C8\n6,E1\n7,00\n8,00\n9,00\n10,00\n");
    EXPECT_EQ(found.err, "");
}

TEST(Dump, WritesTheDatabaseDumpOrFailsWithoutAGoodSimDb)
{
    Imported counter("counter");
    CommandResult result = counter.ws.Run({"dump", counter.ws.Path(counter.vo()), counter.ws.Path("dump.txt")});
    EXPECT_EQ(result.exit_code, 0) << result.err;
    const std::string dump = counter.ws.Read("dump.txt");
    EXPECT_EQ(dump.rfind("DUMP OF DESIGN NETLIST DB", 0), 0u) << dump;
    EXPECT_NE(dump.find("NODE 'cnt'"), std::string::npos) << dump;
    EXPECT_NE(dump.find("NODE 'inc'"), std::string::npos) << dump;
    EXPECT_NE(dump.find("Clocks:\n\n"), std::string::npos) << dump;  // the database holds none

    // With the map, the netlist is read again for the clocks the import found.
    result = counter.ws.Run({"dump", counter.ws.Path(counter.vo()), counter.ws.Path("clocks.txt"), "--map",
                             e2e::DefaultMap()});
    EXPECT_EQ(result.exit_code, 0) << result.err;
    const std::string with_clocks = counter.ws.Read("clocks.txt");
    EXPECT_NE(with_clocks.find("Clocks:\n\tclock #1: 'clk'"), std::string::npos) << with_clocks;

    result = counter.ws.Run({"dump", counter.ws.Path(counter.vo()), counter.ws.Path("no_such_dir/dump.txt")});
    EXPECT_EQ(result.exit_code, 1);  // the log facility's failure line, then ours
    EXPECT_NE(result.err.find("cannot write"), std::string::npos) << result.err;

    counter.ws.Remove("counter.vo.simdb");
    counter.ws.Remove("dump.txt");
    result = counter.ws.Run({"dump", counter.ws.Path(counter.vo()), counter.ws.Path("dump.txt")});
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_NE(result.err.find("no simulation database"), std::string::npos) << result.err;
    EXPECT_FALSE(counter.ws.Exists("dump.txt"));

    counter.ws.Write("counter.vo.simdb", "not a database");
    result = counter.ws.Run({"dump", counter.ws.Path(counter.vo()), counter.ws.Path("dump.txt")});
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_NE(result.err.find("could not be read"), std::string::npos) << result.err;
    EXPECT_FALSE(counter.ws.Exists("dump.txt"));
}

} // namespace
