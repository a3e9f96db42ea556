// The long soak: many seeds of random designs run through the real system and the reference
// model. Each disagreement is shrunk and printed with its seed; the summary counts them.
//   reference_soak [--first N] [--seeds COUNT] [--profile designs|registers|networks|selection]
//                  [--stop] [--print]   (stop at the first failure; print every case)
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <string>

#include "model/generator.h"
#include "model/harness.h"

int main(int argc, char** argv)
{
    uint64_t first = 1;
    int seeds = 1000;
    std::string profile_name = "designs";
    bool stop = false;
    bool print = false; // print every design and its stimulus
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--first" && i + 1 < argc)
            first = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--seeds" && i + 1 < argc)
            seeds = std::atoi(argv[++i]);
        else if (arg == "--profile" && i + 1 < argc)
            profile_name = argv[++i];
        else if (arg == "--stop")
            stop = true;
        else if (arg == "--print")
            print = true;
        else {
            std::cerr << "usage: reference_soak [--first N] [--seeds COUNT] [--profile NAME] [--stop] [--print]\n";
            return 2;
        }
    }
    const reference::Profile profile = reference::NamedProfile(profile_name);
    std::map<reference::Outcome::Kind, int> kinds;
    long compared = 0, open = 0;
    int failures = 0;
    for (uint64_t seed = first; seed < first + static_cast<uint64_t>(seeds); ++seed) {
        reference::Generated g = reference::Generate(seed, profile);
        const reference::Outcome outcome = reference::RunBoth(g.design, g.stimulus);
        if (print)
            std::cout << reference::FailureReport(seed, g.design, g.stimulus, outcome) << "\n";
        ++kinds[outcome.kind];
        compared += outcome.compared;
        open += outcome.open;
        if (outcome.kind == reference::Outcome::kMismatch || outcome.kind == reference::Outcome::kEngineFailure) {
            ++failures;
            reference::Reduce(g.design, g.stimulus, outcome.kind);
            std::cout << reference::FailureReport(seed, g.design, g.stimulus, reference::RunBoth(g.design, g.stimulus))
                      << "\n";
            if (stop)
                break;
        } else if (outcome.kind == reference::Outcome::kModelGap) {
            std::cout << "seed " << seed << ": outside the model: " << outcome.detail << "\n";
        }
    }
    std::cout << "profile " << profile_name << ", seeds " << first << ".." << first + seeds - 1 << ": "
              << kinds[reference::Outcome::kAgree] << " agree, " << kinds[reference::Outcome::kMismatch]
              << " mismatch, " << kinds[reference::Outcome::kEngineFailure] << " engine failure, "
              << kinds[reference::Outcome::kModelGap] << " outside the model; " << compared
              << " output values compared, " << open << " left open by the model\n";
    return failures ? 1 : 0;
}
