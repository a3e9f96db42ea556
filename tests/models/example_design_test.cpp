// The RAM-and-FIFO example of examples/ram_fifo, built by hand as its netlist describes it
// and driven by its stimulus file, with the outputs checked after every line.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "model_design.h"

namespace {

using model_test::Int;
using model_test::Text;

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

TEST(ExampleDesign, RamFifoStimulusGivesTheDocumentedOutputs)
{
    clear_messages();
    model_test::Design d;
    RamFifo design(d);
    EXPECT_TRUE(pending_messages().empty());
    const auto rows = ReadStimulus();
    ASSERT_EQ(rows.size(), 10u);
    struct Expected {
        uint64_t ram_q, fifo_q, usedw, empty;
    };
    const Expected expected[] = {
        {0, 0, 0, 1}, {9, 0, 0, 1}, {200, 0, 0, 1}, {25, 0, 0, 1}, {200, 0, 1, 0},
        {225, 0, 2, 0}, {0, 0, 3, 0}, {0, 25, 2, 0}, {0, 200, 1, 0}, {0, 225, 0, 1},
    };
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

}  // namespace
