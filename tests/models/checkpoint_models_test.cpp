// Checkpoints of every model-library block: a design run for some cycles on random inputs is
// saved and restored into a fresh design, and both then run on the same inputs with every
// output compared after every cycle (RAM and FIFO contents, counts, pipelines and clock-edge
// state all show there).
#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "base/bits.h"
#include "base/state_stream.h"
#include "model_design.h"

namespace {

using model_test::Design;
using model_test::Int;
using model_test::Text;

constexpr uint64_t kSeed = 24;
constexpr int kCyclesBefore = 40;
constexpr int kCyclesAfter = 40;

struct Block {
    const char* name;
    int code;
    model_test::Params params;
};

model_test::Params MultAddRegistered()
{
    model_test::Params params = {
        {"number_of_multipliers", Int(2)}, {"width_a", Int(8)},          {"width_b", Int(8)},
        {"width_result", Int(20)},         {"accumulator", Text("YES")}, {"extra_latency", Int(2)}};
    for (const char* stage : {"input_register_a0", "input_register_a1", "input_register_b0", "input_register_b1",
                              "multiplier_register0", "multiplier_register1", "output_register"})
        params[stage] = Text("CLOCK0");
    return params;
}

const std::vector<Block>& Blocks()
{
    static const std::vector<Block> blocks = {
        {"syncram",
         100,
         {{"operation_mode", Text("DUAL_PORT")},
          {"width_a", Int(8)},
          {"widthad_a", Int(4)},
          {"numwords_a", Int(16)},
          {"width_b", Int(8)},
          {"widthad_b", Int(4)},
          {"numwords_b", Int(16)},
          {"outdata_reg_b", Text("CLOCK0")}}},
        {"lpm_mult",
         101,
         {{"lpm_widtha", Int(8)}, {"lpm_widthb", Int(8)}, {"lpm_widthp", Int(16)}, {"lpm_pipeline", Int(2)}}},
        {"accumulator", 102, {{"width_in", Int(8)}, {"width_out", Int(16)}, {"extra_latency", Int(1)}}},
        {"lpm_add_sub", 104, {{"lpm_width", Int(8)}, {"lpm_pipeline", Int(2)}}},
        {"parallel_add", 106, {{"width_in", Int(8)}, {"size", Int(3)}, {"width_out", Int(10)}, {"pipeline", Int(2)}}},
        {"lpm_counter", 107, {{"width", Int(6)}, {"modulus", Int(50)}}},
        {"lpm_ram_dp", 108, {{"width", Int(8)}, {"addr_wid", Int(4)}, {"ram_size", Int(16)}}},
        {"mult_add", 109, MultAddRegistered()},
        {"gray_counter", 110, {{"width", Int(5)}}},
        {"fifo", 113, {{"lpm_width", Int(8)}, {"lpm_widthu", Int(3)}, {"lpm_numwords", Int(8)}}},
        {"dual_clock_fifo", 114, {{"lpm_width", Int(16)}, {"lpm_widthu", Int(3)}, {"lpm_numwords", Int(8)}}},
    };
    return blocks;
}

// Controls that clear or load: rarely active, so the state has time to build up.
bool IsRareControl(const std::string& port)
{
    for (const char* word : {"clr", "set", "load", "stall"})
        if (port.find(word) != std::string::npos)
            return true;
    return false;
}

// One cycle's input values, a value per driven port.
std::vector<uint64_t> RandomInputs(std::mt19937_64& random, const std::vector<Sim::Port_Base*>& ports)
{
    std::vector<uint64_t> values;
    for (const Sim::Port_Base* port : ports) {
        if (port->Width() == 1)
            values.push_back(random() % 100 < (IsRareControl(port->Name()) ? 3u : 50u));
        else
            values.push_back(random() & LowBitsMask64(port->Width()));
    }
    return values;
}

class BlockDesign {
public:
    explicit BlockDesign(const Block& block)
    {
        node = design.Add(block.code, "b", block.params);
        for (Sim::Port_Base* port : node->Inputs()) {
            design.Drive("b", port->Name());
            ports.push_back(port);
        }
    }
    void Cycle(const std::vector<uint64_t>& values)
    {
        for (size_t i = 0; i < ports.size(); ++i)
            design.Set("b", ports[i]->Name(), values[i]);
        design.Clock();
    }
    // Every output, undefined bits and flags included.
    std::vector<MLIB_UINTEGER> Outputs()
    {
        std::vector<MLIB_UINTEGER> values;
        for (Sim::Port_Base* port : node->Outputs())
            values.push_back(port->Value());
        return values;
    }

    Design design;
    Sim::Node_Base* node = nullptr;
    std::vector<Sim::Port_Base*> ports; // the driven inputs
};

// Runs the block, saves, restores into a fresh design and compares the two runs from there.
void ExpectRestoredBlockFollows(const Block& block)
{
    SCOPED_TRACE(block.name);
    clear_messages();
    std::mt19937_64 random(kSeed);
    BlockDesign original(block);
    ASSERT_NE(original.node, nullptr);
    ASSERT_FALSE(original.ports.empty());
    for (int c = 0; c < kCyclesBefore; ++c)
        original.Cycle(RandomInputs(random, original.ports));
    StateWriter saved;
    std::string error;
    ASSERT_TRUE(original.design.manager.SaveState(saved, error)) << error;

    BlockDesign restored(block);
    StateReader reader(saved.Data());
    ASSERT_TRUE(restored.design.manager.RestoreState(reader, error)) << error;
    EXPECT_EQ(restored.Outputs(), original.Outputs());
    for (int c = 0; c < kCyclesAfter; ++c) {
        const std::vector<uint64_t> values = RandomInputs(random, original.ports);
        original.Cycle(values);
        restored.Cycle(values);
        ASSERT_EQ(restored.Outputs(), original.Outputs()) << "cycle " << kCyclesBefore + c + 1;
    }
}

TEST(CheckpointModels, EveryBlockContinuesAsTheUninterruptedRun)
{
    std::cout << "seed " << kSeed << "\n";
    for (const Block& block : Blocks())
        ExpectRestoredBlockFollows(block);
}

// Guards the comparison above: without the restore, every block's outputs part from the run
// they would have followed (so the blocks' state does reach their outputs).
TEST(CheckpointModels, AFreshBlockDoesNotFollowTheRun)
{
    for (const Block& block : Blocks()) {
        SCOPED_TRACE(block.name);
        std::mt19937_64 random(kSeed);
        BlockDesign original(block), fresh(block);
        for (int c = 0; c < kCyclesBefore; ++c)
            original.Cycle(RandomInputs(random, original.ports));
        bool parted = false;
        for (int c = 0; c < kCyclesAfter && !parted; ++c) {
            const std::vector<uint64_t> values = RandomInputs(random, original.ports);
            original.Cycle(values);
            fresh.Cycle(values);
            parted = fresh.Outputs() != original.Outputs();
        }
        EXPECT_TRUE(parted);
    }
    clear_messages();
}

} // namespace
