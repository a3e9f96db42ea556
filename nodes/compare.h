// Comparison node classes: the two-input less-than / less-or-equal comparator, the
// six-output comparator of the LPM standard in a combinational and a pipelined form, and
// the LPM absolute-value unit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/input_word.h"
#include "engine/output_word.h"
#include "engine/node.h"

namespace Sim {

// out = dataa < datab when "equ_ok" is zero, dataa <= datab otherwise (unsigned).
class Node_UnsnCmpLE : public Node_Concurrent {
public:
    std::string TypeName() const override { return "UNSN <= "; }
    bool IsSettled() override { return true; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;
    void FollowPorts() override;

private:
    bool one_word = false;  // both operands fit one word: compared as plain integers
    InputWord a, b, or_equal;  // one-word read paths of dataa, datab and equ_ok
    OutputWord out_word;       // the write path of out
    Port_Base* out = nullptr;
    Port_Base* dataa = nullptr;
    Port_Base* datab = nullptr;
    Port_Base* equ_ok = nullptr;
};

// The signed form: a negative value is below every non-negative one.
class Node_SignCmpLE : public Node_Concurrent {
public:
    std::string TypeName() const override { return "SIGN <= "; }
    bool IsSettled() override { return true; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    Port_Base* dataa = nullptr;
    Port_Base* datab = nullptr;
    Port_Base* equ_ok = nullptr;
    Port_Base* out = nullptr;
};

// The six comparison outputs of lpm_compare, in port order.
struct CompareOutputs {
    Port_Base* port[6] = {};  // "alb", "aeb", "agb", "aleb", "aneb", "ageb"
};

// alb, aeb, agb, aleb, aneb, ageb of dataa against datab; all 0 while "aclr" is set.
// Signed exactly when "lpm_representation" is "SIGNED".
class Node_LpmCompare : public Node_Concurrent {
public:
    std::string TypeName() const override { return "LPM COMP"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    Port_Base* dataa = nullptr;
    Port_Base* datab = nullptr;
    Port_Base* aclr = nullptr;
    Port_Base* clken = nullptr;  // created for linking; not used
    CompareOutputs outputs;
    bool is_signed = false;      // fixed at configuration
};

// The pipelined form: each evaluation with "clken" set pushes the current results into a
// pipeline of lpm_pipeline stages and shows the results pushed lpm_pipeline such evaluations
// earlier. The pipeline advances per evaluation, not per clock: the node has no clock work.
class Node_LpmComparePiped : public Node_Concurrent {
public:
    std::string TypeName() const override { return "LPM COMP"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    Port_Base* dataa = nullptr;
    Port_Base* datab = nullptr;
    Port_Base* aclr = nullptr;
    Port_Base* clken = nullptr;
    CompareOutputs outputs;
    bool is_signed = false;  // fixed at configuration
    // depth + 1 packed result bytes (bit 0 alb .. bit 5 ageb); stages[0] is shown, new
    // results enter at the back. One byte when the depth was invalid: the node then shows
    // the results of the last enabled evaluation, without delay.
    std::vector<uint8_t> stages;
    uint8_t shown = 0;

public:
    void SaveState(StateWriter& out) override;
    bool RestoreState(StateReader& in) override;  // the packed results on the outputs; held while "clken" is 0
};

// result = |data| (two's complement of lpm_width bits); overflow = 1 for the most negative
// value, which is passed through unchanged.
class Node_Abs : public Node_Concurrent {
public:
    std::string TypeName() const override { return "ABSOLUTE"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;

private:
    Port_Base* data = nullptr;
    Port_Base* result = nullptr;
    Port_Base* overflow = nullptr;
    MLIB_UINTEGER magnitude;  // lpm_width bits
};

}  // namespace Sim
