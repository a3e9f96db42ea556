// Runs a range of generated seeds through the real system and the reference model and
// reports every failing seed, shrunk to a small netlist and stimulus.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <string>

#include "model/generator.h"
#include "model/harness.h"

namespace reference_tests {

// A failure report is long; a broken rule fails many seeds, so a few reports are enough.
constexpr int kMaxReports = 3;

inline void ExpectSeedsAgree(const std::string& profile_name, uint64_t first, int count)
{
    std::cout << "profile " << profile_name << ", seeds " << first << ".." << first + count - 1 << "\n";
    const reference::Profile profile = reference::NamedProfile(profile_name);
    int reports = 0;
    long compared = 0;
    for (uint64_t seed = first; seed < first + static_cast<uint64_t>(count) && reports < kMaxReports; ++seed) {
        reference::Generated g = reference::Generate(seed, profile);
        const reference::Outcome outcome = reference::RunBoth(g.design, g.stimulus);
        compared += outcome.compared;
        if (outcome.kind == reference::Outcome::kAgree)
            continue;
        ++reports;
        reference::Reduce(g.design, g.stimulus, outcome.kind);
        ADD_FAILURE() << reference::FailureReport(seed, g.design, g.stimulus, reference::RunBoth(g.design, g.stimulus));
    }
    std::cout << compared << " output values compared\n";
}

} // namespace reference_tests
