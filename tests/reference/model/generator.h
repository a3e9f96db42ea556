// Random designs and stimulus for the reference tests: every built-in primitive class the
// default map reaches, widths from 1 to 130, slices, concatenations, inversions, constant
// wires, aliases, registers with their controls, inputs left undefined or written with X
// bits. Each seed gives one design and one stimulus.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/ref_design.h"

namespace reference {

struct Profile {
    std::vector<std::string> types; // module types to draw from; empty: every type the model covers
    int min_instances = 4;
    int max_instances = 18;
    int data_inputs = 4; // design inputs created up front (more appear for controls)
    int max_outputs = 6;
    int lines = 24; // stimulus lines
    int max_width = 130;
    double undefined_input = 0.12; // chance that an input is never written
    double x_value = 0.08;         // chance that a written wide value carries X bits
    double control_active = 0.25;  // chance that a control input is written nonzero
    bool feedback = true;          // register data may read any signal, later ones included
    bool settle_lines = true;      // some lines only settle (no clock edge)
    double recent_bias = 0.15;     // chance that a term reads one of the latest signals
};

struct Generated {
    Design design;
    Stimulus stimulus;
};

Generated Generate(uint64_t seed, const Profile& profile);

// The profiles of the reference tests: "designs" (everything), "registers" (registers and
// latches with every control), "networks" (deep combinational logic), "selection"
// (multiplexers and selectors). Throws std::invalid_argument for another name.
Profile NamedProfile(const std::string& name);

// Every module type the generator can draw.
const std::vector<std::string>& GeneratedTypes();

} // namespace reference
