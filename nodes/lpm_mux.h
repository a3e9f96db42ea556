// The multiplexer of the LPM standard (lpm_mux): lpm_size inputs of lpm_width bits side by
// side on "data", one chosen by "sel". Node_MuxConc answers at once; Node_MuxPiped delivers
// the choice lpm_pipeline clock edges later.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/node.h"

namespace Sim {

// Input k of "data" occupies bits k * lpm_width .. k * lpm_width + lpm_width - 1; a "sel"
// of lpm_size or more gives "data" made wholly undefined, cut to lpm_width (outputs below
// 32 bits carry no undefined state, so there it reads as the low bits of "data").
class Node_MuxConc : public Node_Concurrent {
public:
    std::string TypeName() const override;
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;

private:
    Port_Base* data = nullptr;
    Port_Base* sel = nullptr;
    Port_Base* result = nullptr;
    Port_Base* aclr = nullptr;   // created so that netlists connecting it link; never read
    Port_Base* clken = nullptr;  // likewise
    int32_t width = 1;           // lpm_width: bits per input
    int32_t size = 2;            // lpm_size: number of inputs
    MLIB_UINTEGER shifted;       // "data" moved down to the chosen input, reused (wide path)
    MLIB_UINTEGER chosen;        // the chosen input at lpm_width bits, reused (wide path)
};

// The value selected before a clock edge reaches "result" lpm_pipeline edges later. Edges
// with "clken" 0 neither store nor advance; "aclr" empties the pipeline at once. Configured
// without a pipeline (lpm_pipeline 0 or less, reported) it works as Node_MuxConc does and
// its clock edges do nothing; a depth whose entries would exceed the width limit of
// nodes/node_config.h is reported and taken as 1.
class Node_MuxPiped : public Node_Concurrent {
public:
    std::string TypeName() const override;
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    bool ClockHook() override;
    void SaveState(StateWriter& out) override;
    bool RestoreState(StateReader& in) override;

private:
    Port_Base* data = nullptr;
    Port_Base* sel = nullptr;
    Port_Base* aclr = nullptr;
    Port_Base* clken = nullptr;
    Port_Base* result = nullptr;
    int32_t width = 1;                  // lpm_width: bits per input
    int32_t size = 2;                   // lpm_size: number of inputs
    int32_t depth = 0;                  // lpm_pipeline: edges between selection and "result"
    std::vector<MLIB_UINTEGER> pipeline;  // `depth` entries of lpm_width bits; empty without a pipeline
    int position = 0;                   // index of the oldest entry in `pipeline`
    MLIB_UINTEGER staging;              // the value selected at the last evaluation, lpm_width bits
    bool enabled = true;                // "clken" was nonzero at the last evaluation
    MLIB_UINTEGER shifted;              // "data" moved down to the chosen input, reused (wide path)
};

}  // namespace Sim
