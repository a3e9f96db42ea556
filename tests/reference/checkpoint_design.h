// Generated designs opened through the public interface for the checkpoint tests: the
// netlist is written to a scratch directory and imported with the default map; writes of the
// generated stimulus go through blocktide::Value.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/blocktide.h"
#include "model/generator.h"

namespace checkpoint_tests {

inline const std::string kMap = std::string(BLOCKTIDE_TEST_DATA) + "/../../maps/blocktide_map.xml";

// A directory of its own, removed with everything in it.
class ScratchDirectory {
public:
    ScratchDirectory()
    {
        static std::atomic<int> counter{0};
        path = std::filesystem::temp_directory_path() /
               ("blocktide_checkpoint_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string File(const std::string& name) const { return (path / name).string(); }

private:
    std::filesystem::path path;
};

// Writes and imports the design; its netlist path, which Simulation opens.
inline std::string ImportGenerated(const reference::Design& design, const ScratchDirectory& scratch,
                                   const std::string& name = "design")
{
    const std::string netlist = scratch.File(name + ".vo");
    std::ofstream(netlist) << reference::NetlistText(design);
    blocktide::ImportDesign(netlist, kMap, false);
    return netlist;
}

inline blocktide::SimulationOptions Quiet()
{
    blocktide::SimulationOptions options;
    options.print_messages = false;
    return options;
}

inline blocktide::Value PublicValue(const reference::Value& value)
{
    if (value.undefined)
        return blocktide::Value::undefined(value.width);
    return blocktide::Value::from_words(value.width, value.bits, value.xmask, value.high_z);
}

// Writes a stimulus line's values; the caller runs its cycles.
inline void WriteLine(blocktide::Simulation& sim, const reference::StimulusLine& line)
{
    for (const reference::Write& write : line.writes)
        sim.Write(write.input, PublicValue(write.value));
}

// The first difference between the two simulations' signals, or empty.
inline std::string FirstDifference(blocktide::Simulation& original, blocktide::Simulation& restored,
                                   const std::vector<std::string>& signals)
{
    if (original.Cycle() != restored.Cycle())
        return "cycle " + std::to_string(original.Cycle()) + " against " + std::to_string(restored.Cycle());
    for (const std::string& signal : signals) {
        const blocktide::Value expected = original.Peek(signal);
        const blocktide::Value actual = restored.Peek(signal);
        if (expected != actual)
            return signal + ": " + actual.to_hex() + " where the uninterrupted run has " + expected.to_hex();
    }
    for (size_t o = 0; o < original.Outputs().size(); ++o)
        if (original.Read(static_cast<int>(o)) != restored.Read(static_cast<int>(o)))
            return "output " + original.Outputs()[o].name;
    std::vector<blocktide::Message> expected = original.TakeMessages(), actual = restored.TakeMessages();
    for (size_t i = 0; i < std::max(expected.size(), actual.size()); ++i) {
        const std::string want = i < expected.size() ? expected[i].text : "(none)";
        const std::string got = i < actual.size() ? actual[i].text : "(none)";
        if (want != got)
            return "message \"" + got + "\" where the uninterrupted run reports \"" + want + "\"";
    }
    return std::string();
}

} // namespace checkpoint_tests
