// Shift and rotate nodes: SHL and SHR with optional one-fill or sign handling, ROL and ROR.
// Each works on plain words when every data port is below 32 bits and on wide values
// otherwise; amounts of any size are taken as given, never as a C++ shift of 32 or more.
#pragma once

#include <cstdint>
#include <string>

#include "engine/input_value.h"
#include "engine/input_word.h"
#include "engine/output_word.h"
#include "engine/node.h"

namespace Sim {

// The shifters' "fill" parameter and "fill" input mean different things: the parameter
// picks the signed (1) or unsigned (0) form, the input fills vacated bits with ones.
class Node_SHL : public Node_Concurrent {
public:
    std::string TypeName() const override;
    bool IsSettled() override { return true; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;
    void FollowPorts() override;

private:
    int working = 6;         // max(width_in, width_out): the width the shift happens in
    int data_width = 1;      // width of "datain"
    bool signed_form = false;  // "fill" parameter 1: "datain" is sign-extended to `working`
    bool amount_one_word = false;  // "amount" has at most 32 bits: read through amount_word
    InputWord data_word, amount_word, fill_word;  // the read paths of datain, amount and fill
    OutputWord out_word;                          // the write path of dataout
    Port_Base* dataout = nullptr;
    Port_Base* datain = nullptr;
    Port_Base* amount = nullptr;
    Port_Base* fill = nullptr;
    InputValue data_value;   // the read path of datain (wide path)
    MLIB_UINTEGER work;      // the shifted value at `working` bits, reused (wide path only)
};

// Logical when the "fill" parameter is 0 (the "fill" input then shifts in ones), arithmetic
// for every other value (vacated bits copy the sign; the "fill" input is ignored).
class Node_SHR : public Node_Concurrent {
public:
    std::string TypeName() const override;
    bool IsSettled() override { return true; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    Port_Base* datain = nullptr;
    Port_Base* amount = nullptr;
    Port_Base* fill = nullptr;
    Port_Base* dataout = nullptr;
    int working = 6;           // max(width_in, width_out): the width the shift happens in
    bool arithmetic = false;   // "fill" parameter other than 0
    MLIB_UINTEGER work;        // the shifted value at `working` bits, reused (wide path only)
};

// Rotators move bit i of "datain" to (i + a) mod n (ROL) or (i - a) mod n (ROR), n the
// input width and a the whole "amount" value: an amount of n or more rotates by its remainder.
// Node_Rotate holds what both directions share: the ports, their creation and the rotation.
class Node_Rotate : public Node_Concurrent {
public:
    bool IsSettled() override { return true; }
    void CreatePorts(const ParamQuery& query) override;

protected:
    // Writes "datain" rotated left by a (0 <= a < n, n the input width) into "dataout".
    bool RotateLeft(uint32_t a);

    Port_Base* datain = nullptr;
    Port_Base* amount = nullptr;
    Port_Base* dataout = nullptr;
    MLIB_UINTEGER low_part, high_part, rotated;  // wide-path scratch at the input's width
};

class Node_ROL : public Node_Rotate {
public:
    std::string TypeName() const override;
    bool Evaluate() override;
    std::string TraceText() override;
};

class Node_ROR : public Node_Rotate {
public:
    std::string TypeName() const override;
    bool Evaluate() override;
    std::string TraceText() override;
};

}  // namespace Sim
