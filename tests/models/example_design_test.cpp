// The RAM-and-FIFO example of examples/ram_fifo, built by hand as its netlist describes it
// and driven by its stimulus file, with the outputs checked after every line.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/import.h"
#include "sim/session.h"
#include "frontend/vo_parser.h"
#include "model_design.h"

namespace {

using model_test::Int;
using model_test::Text;

namespace fs = std::filesystem;

const std::string kExample = std::string(BLOCKTIDE_TEST_DATA) + "/../../examples/ram_fifo";

// The design of ram_fifo.vo: the RAM's q_a feeds the FIFO's data.
struct RamFifo {
    explicit RamFifo(model_test::Design& d)
    {
        d.manager.SetDesignDirectory(kExample);
        d.Add(100, "table_ram", {{"operation_mode", Text("SINGLE_PORT")}, {"width_a", Int(8)}, {"widthad_a", Int(4)},
                                 {"numwords_a", Int(16)}, {"init_file", Text("ram_fifo.mif")}});
        d.Add(113, "queue", {{"lpm_width", Int(8)}, {"lpm_widthu", Int(3)}, {"lpm_numwords", Int(8)},
                             {"lpm_showahead", Text("OFF")}});
        d.DriveAll("table_ram", {"address_a", "data_a", "wren_a"});
        d.DriveAll("queue", {"wrreq", "rdreq"});
        Sim::Link(d.manager, "table_ram", "q_a", "queue", "data", false);
    }
};

std::vector<std::vector<uint64_t>> ReadStimulus()
{
    std::ifstream file(kExample + "/ram_fifo_stimulus.csv");
    std::vector<std::vector<uint64_t>> rows;
    std::string line;
    std::getline(file, line);  // the header
    while (std::getline(file, line)) {
        std::vector<uint64_t> row;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');)
            row.push_back(std::stoull(field));
        rows.push_back(row);
    }
    return rows;
}

// What the outputs ram_q, fifo_q, usedw and empty show after each stimulus line.
struct Expected {
    uint64_t ram_q, fifo_q, usedw, empty;
};
const Expected kExpected[] = {
    {0, 0, 0, 1}, {9, 0, 0, 1}, {200, 0, 0, 1}, {25, 0, 0, 1}, {200, 0, 1, 0},
    {225, 0, 2, 0}, {0, 0, 3, 0}, {0, 25, 2, 0}, {0, 200, 1, 0}, {0, 225, 0, 1},
};

TEST(ExampleDesign, RamFifoStimulusGivesTheDocumentedOutputs)
{
    clear_messages();
    model_test::Design d;
    RamFifo design(d);
    EXPECT_TRUE(pending_messages().empty());
    const auto rows = ReadStimulus();
    ASSERT_EQ(rows.size(), 10u);
    const Expected* expected = kExpected;
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("line " + std::to_string(i + 1));
        const auto& row = rows[i];
        d.Set("table_ram", "address_a", row[0]);
        d.Set("table_ram", "data_a", row[1]);
        d.Set("table_ram", "wren_a", row[2]);
        d.Set("queue", "wrreq", row[3]);
        d.Set("queue", "rdreq", row[4]);
        d.manager.Run(static_cast<int>(row[5]));
        EXPECT_EQ(d.Get("table_ram", "q_a"), expected[i].ram_q);
        EXPECT_EQ(d.Get("queue", "q"), expected[i].fifo_q);
        EXPECT_EQ(d.Get("queue", "usedw"), expected[i].usedw);
        EXPECT_EQ(d.Get("queue", "empty"), expected[i].empty);
    }
    EXPECT_TRUE(pending_messages().empty());
}

// The example as the host runs it: the netlist and its map imported into a simulation
// database, loaded by a session (which builds the model-library nodes by operator code and
// finds the libraries by itself) and driven line by line.
TEST(ExampleDesign, ImportedNetlistRunsTheStimulusThroughASession)
{
    const fs::path directory = fs::temp_directory_path() / ("blocktide_example_" + std::to_string(getpid()));
    fs::remove_all(directory);
    fs::copy(kExample, directory);
    const std::string netlist = (directory / "ram_fifo.vo").string();
    ASSERT_TRUE(Sim::ImportDesign(netlist, (directory / "ram_fifo.xml").string()).success);
    SimSession session;
    const std::vector<std::string> inputs = {"address", "data", "wren", "push", "pop"};
    session.input_names = inputs;
    session.output_names = {"ram_q", "fifo_q", "usedw", "empty"};
    ASSERT_FALSE(session.Load(netlist, "", false, inputs));
    session.MapDesignPorts();
    const auto rows = ReadStimulus();
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("line " + std::to_string(i + 1));
        for (int input = 0; input < 5; ++input)
            EXPECT_FALSE(session.WriteInput(input, static_cast<double>(rows[i][static_cast<size_t>(input)])));
        EXPECT_FALSE(session.Run(static_cast<int>(rows[i][5])));
        EXPECT_EQ(session.ReadOutput(0), kExpected[i].ram_q);
        EXPECT_EQ(session.ReadOutput(1), kExpected[i].fifo_q);
        EXPECT_EQ(session.ReadOutput(2), kExpected[i].usedw);
        EXPECT_EQ(session.ReadOutput(3), kExpected[i].empty);
    }
    EXPECT_FALSE(session.error_seen);
    fs::remove_all(directory);
}

}  // namespace
