// Runs a generated design through the real system (netlist import, SimDB file, session load,
// writes, runs and reads) and through the reference model, output by output after every
// cycle; and shrinks a failing case to a small netlist and stimulus.
#pragma once

#include <cstdint>
#include <string>

#include "model/ref_design.h"

namespace reference {

struct Outcome {
    enum Kind { kAgree, kMismatch, kEngineFailure, kModelGap };
    Kind kind = kAgree;
    std::string detail; // the first disagreement, or what failed
    int compared = 0;   // output values compared
    int open = 0;       // output values the model left open (not compared)
};

const char* KindName(Outcome::Kind kind);

Outcome RunBoth(const Design& design, const Stimulus& stimulus);

// Drops instances (their readers read zeros instead), stimulus lines, writes, outputs and
// unread inputs while the outcome keeps its kind.
void Reduce(Design& design, Stimulus& stimulus, Outcome::Kind kind);

// What a failing seed prints: the seed, the reduced netlist and stimulus, the disagreement.
std::string FailureReport(uint64_t seed, const Design& design, const Stimulus& stimulus, const Outcome& outcome);

} // namespace reference
