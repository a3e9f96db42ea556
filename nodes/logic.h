// Bit-level logic nodes: the reduction gates (OR, AND, XOR; general and 32-bit variants),
// the tri-state and open-drain buffers, and the decoder from a number to a one-hot bus.
// All are combinational; only the decoder asks for a (no-op) clock edge every cycle.
#pragma once

#include <cstdint>
#include <string>

#include "engine/input_value.h"
#include "engine/input_word.h"
#include "engine/output_word.h"
#include "engine/node.h"

namespace Sim {

// Reduction gates fold "datain" into the one bit "dataout". The general forms look at
// every value bit of any width (an undefined bit counts as its stored value bit); the
// small forms read only the low 32 bits and never touch the wide-integer type.

class Node_CombOr : public Node_Concurrent {
public:
    std::string TypeName() const override;
    bool IsSettled() override { return true; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    Port_Base* datain = nullptr;
    Port_Base* dataout = nullptr;
};

class Node_CombOr_Sm : public Node_Concurrent {
public:
    std::string TypeName() const override;
    bool IsSettled() override { return true; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override { return dataout->SetInt(datain->ValueInt() != 0); }
    std::string TraceText() override;

private:
    Port_Base* datain = nullptr;
    Port_Base* dataout = nullptr;
};

class Node_CombAnd : public Node_Concurrent {
public:
    std::string TypeName() const override;
    bool IsSettled() override { return true; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    Port_Base* datain = nullptr;
    Port_Base* dataout = nullptr;
};

class Node_CombAnd_Sm : public Node_Concurrent {
public:
    std::string TypeName() const override;
    bool IsSettled() override { return true; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override { return dataout->SetInt(datain->ValueInt() == ones); }
    std::string TraceText() override;

private:
    Port_Base* datain = nullptr;
    Port_Base* dataout = nullptr;
    uint32_t ones = 3;  // the low min(width, 32) bits set: the input that gives 1
};

class Node_CombXor : public Node_Concurrent {
public:
    std::string TypeName() const override;
    bool IsSettled() override { return true; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;
    void FollowPorts() override { data_value.Follow(datain); }

private:
    InputValue data_value;  // the read path of "datain" (beyond one word)
    Port_Base* datain = nullptr;
    Port_Base* dataout = nullptr;
};

class Node_CombXor_Sm : public Node_Concurrent {
public:
    std::string TypeName() const override;
    bool IsSettled() override { return true; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;
    void FollowPorts() override;

private:
    InputWord data_word;  // the read path of "datain"
    OutputWord out_word;  // the write path of "dataout"
    Port_Base* dataout = nullptr;
    uint32_t mask = 3;  // the low min(width, 32) bits set
    Port_Base* datain = nullptr;
};

// Passes "datain" while "enable" is nonzero; a disabled buffer drives an ordinary 0.
class Node_BufTri : public Node_Concurrent {
public:
    std::string TypeName() const override;
    bool IsSettled() override { return true; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    Port_Base* datain = nullptr;
    Port_Base* enable = nullptr;
    Port_Base* dataout = nullptr;
};

// Open drain: drives a zero input through and releases the line (a zero with the Z flag)
// otherwise. Outputs below 32 bits carry no flags, so there a released line reads 0.
class Node_BufDrn : public Node_Concurrent {
public:
    std::string TypeName() const override;
    bool IsSettled() override { return true; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    Port_Base* datain = nullptr;
    Port_Base* dataout = nullptr;
    MLIB_UINTEGER released;  // 0 with the Z flag, the output's width; built once
};

// Bit k of "dataout" is 1 exactly when "datain" equals k; all 0 for k beyond the output.
class Node_Decoder : public Node_Concurrent {
public:
    std::string TypeName() const override;
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    Port_Base* datain = nullptr;
    Port_Base* dataout = nullptr;
    MLIB_UINTEGER one_hot;  // the wide output's value, reused; unused below 32 bits
    uint32_t hot_bit = 0;   // the bit set in `one_hot`, when `hot_set`
    bool hot_set = false;   // `one_hot` holds a 1 at `hot_bit`
};

}  // namespace Sim
