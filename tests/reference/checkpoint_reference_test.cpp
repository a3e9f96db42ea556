// Checkpoints of random designs over every built-in primitive class: a simulation saved part
// way through its stimulus and restored into another simulation of the design continues
// exactly as the uninterrupted run, every signal (internal ones included) and every message
// compared after every cycle.
#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "checkpoint_design.h"

namespace {

using checkpoint_tests::FirstDifference;
using checkpoint_tests::WriteLine;

// Seeds 1..400 of "designs" reach every built-in class (DesignReference guards that); the
// other profiles add registers with every control, deep logic and selection.
struct ProfileSeeds {
    const char* profile;
    uint64_t seeds;
};
constexpr ProfileSeeds kProfiles[] = {{"designs", 400}, {"registers", 150}, {"networks", 150}, {"selection", 150}};

// Runs the generated stimulus, saving at its middle and restoring into another simulation;
// the first difference from then on, or empty.
std::string RunSplit(uint64_t seed, const reference::Profile& profile)
{
    const reference::Generated generated = reference::Generate(seed, profile);
    checkpoint_tests::ScratchDirectory scratch;
    const std::string netlist = checkpoint_tests::ImportGenerated(generated.design, scratch);
    blocktide::Simulation original(netlist, checkpoint_tests::Quiet());
    const size_t split = generated.stimulus.size() / 2;
    for (size_t l = 0; l < split; ++l) {
        WriteLine(original, generated.stimulus[l]);
        original.Run(generated.stimulus[l].cycles);
    }
    // Written but not yet run: pending inputs are part of the state.
    if (split < generated.stimulus.size())
        WriteLine(original, generated.stimulus[split]);
    original.TakeMessages();
    const std::string bytes = original.SaveStateBytes();
    blocktide::Simulation restored(netlist, checkpoint_tests::Quiet());
    // Odd seeds restore into a simulation that has run already, whose state is all replaced.
    for (size_t l = 0; seed % 2 == 1 && l < std::min<size_t>(split, 3); ++l) {
        WriteLine(restored, generated.stimulus[generated.stimulus.size() - 1 - l]);
        restored.Run(generated.stimulus[l].cycles);
    }
    restored.TakeMessages(); // the load's and the run's own messages, which the original gave before
    restored.RestoreStateBytes(bytes);
    const std::vector<std::string> signals = original.Signals();
    if (std::string difference = FirstDifference(original, restored, signals); !difference.empty())
        return "just after the restore: " + difference;
    for (size_t l = split; l < generated.stimulus.size(); ++l) {
        const reference::StimulusLine& line = generated.stimulus[l];
        if (l > split) {
            WriteLine(original, line);
            WriteLine(restored, line);
        }
        for (int c = 0; c < std::max(line.cycles, 1); ++c) {
            original.Run(line.cycles == 0 ? 0 : 1);
            restored.Run(line.cycles == 0 ? 0 : 1);
            if (std::string difference = FirstDifference(original, restored, signals); !difference.empty())
                return "line " + std::to_string(l + 1) + ", cycle " + std::to_string(original.Cycle()) + ": " +
                       difference;
        }
    }
    return std::string();
}

TEST(CheckpointReference, RestoredRunContinuesAsTheUninterruptedRun)
{
    for (const auto& [name, seeds] : kProfiles) {
        std::cout << "profile " << name << ", seeds 1.." << seeds << "\n";
        const reference::Profile profile = reference::NamedProfile(name);
        int failures = 0;
        for (uint64_t seed = 1; seed <= seeds && failures < 3; ++seed) {
            std::string difference;
            try {
                difference = RunSplit(seed, profile);
            } catch (const blocktide::Error& error) {
                difference = std::string("an error: ") + error.what();
            }
            if (!difference.empty()) {
                ++failures;
                ADD_FAILURE() << "profile " << name << ", seed " << seed << ": " << difference;
            }
        }
    }
}

} // namespace
