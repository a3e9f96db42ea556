// Runs one Verilog design twice on the same random stimulus, cycle by cycle: imported by
// Blocktide (yosys onto the primitives) and simulated through the public interface, and
// simulated from the same RTL by Icarus Verilog under a generated testbench. Each cycle is a
// rising clock edge, then the inputs of the cycle, then the outputs as they settle. A bit
// Icarus leaves undefined ('x') matches anything.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace verilog_test {

// How an input is driven: random values by default; a reset is active for the first two
// cycles and then one cycle in 40; "rare" inputs are 1 one cycle in 8.
enum class Drive { Random, Reset, ActiveLowReset, Rare, Often };

struct Comparison {
    std::string design; // file under tests/verilog/data
    std::string top;
    int cycles = 200;
    std::map<std::string, Drive> drive; // inputs not named are random
};

struct Outcome {
    bool imported = false;
    std::string import_messages;         // what the import reported, for a failing test
    long long compared_bits = 0;         // defined reference bits compared
    std::vector<std::string> mismatches; // "cycle 12 output q: blocktide 0101 icarus 0111"
    std::string icarus_failure;          // empty when Icarus ran
};

// Imports and simulates in a scratch folder of its own; seed picks the stimulus.
Outcome Compare(const Comparison& comparison, uint32_t seed);

// The stimulus's seed: BLOCKTIDE_TEST_SEED when set, otherwise a fixed one.
uint32_t TestSeed();

} // namespace verilog_test
