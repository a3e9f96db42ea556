// Multiplier, divider and remainder node classes, unsigned and signed. Division by zero
// (and the most negative signed value divided by -1) gives a wholly undefined result, which
// shows on outputs of 32 bits or more and reads as 0 on narrower ones.
#pragma once

#include <string>

#include "engine/node.h"
#include "nodes/node_config.h"

namespace Sim {

// What every class here shares: the two operands and the result, created in that order from
// the widths read by read_three_widths, and the trace line "a op b  -->  out".
class Node_MulDiv : public Node_Concurrent {
public:
    std::string TraceText() override;

protected:
    // `symbol` stands between the operands in the trace line.
    explicit Node_MulDiv(const char* symbol) : symbol(symbol) {}
    // Reads the widths (`preset` where no parameter gives one) and creates the three ports.
    OperandWidths CreateOperandPorts(const ParamQuery& query, int32_t preset);

    Port_Base* dataa = nullptr;
    Port_Base* datab = nullptr;
    Port_Base* dataout = nullptr;

private:
    const char* symbol;
};

// dataout = dataa * datab (exact product of width_a + width_b bits), cut or zero-extended to
// width_o; wholly undefined when either input's undefined flag is set.
class Node_UnsnMul : public Node_MulDiv {
public:
    Node_UnsnMul() : Node_MulDiv("*") {}
    std::string TypeName() const override { return "UNSN MUL"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;

private:
    bool word_path = false;  // every width is at most 32: one 64-bit product
    MLIB_UINTEGER result;    // width_o bits
};

// The signed product's two's-complement pattern (width_a + width_b bits), cut to width_o or
// zero-extended when width_o is larger.
class Node_SignMul : public Node_MulDiv {
public:
    Node_SignMul() : Node_MulDiv("*") {}
    std::string TypeName() const override { return "SIGN MUL"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;

private:
    bool word_path = false;  // every width is at most 32: one 64-bit product
    MLIB_UINTEGER result;    // width_o bits
};

// dataout = (dataa resized to width_o) / datab, rounded down.
class Node_UnsnDiv : public Node_MulDiv {
public:
    Node_UnsnDiv() : Node_MulDiv("/") {}
    std::string TypeName() const override { return "UNSN DIV"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;

private:
    MLIB_UINTEGER dividend;  // width_o bits: dataa zero-extended or cut
    MLIB_UINTEGER result;    // width_o bits
};

// dataout = (dataa sign-resized to width_o) / datab, both signed, truncated toward zero.
class Node_SignDiv : public Node_MulDiv {
public:
    Node_SignDiv() : Node_MulDiv("/") {}
    std::string TypeName() const override { return "SIGN DIV"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;

private:
    MLIB_SINTEGER dividend;  // width_o bits: dataa sign-extended or cut
    MLIB_SINTEGER result;    // width_o bits
};

// dataout = (dataa resized to width_o) % datab, zero-extended or cut to width_o.
class Node_UnsnMod : public Node_MulDiv {
public:
    Node_UnsnMod() : Node_MulDiv("%") {}
    std::string TypeName() const override { return "UNSN MOD"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;

private:
    MLIB_UINTEGER dividend;  // width_o bits: dataa zero-extended or cut
    MLIB_UINTEGER result;    // width_o bits
};

// dataout = the signed remainder (sign of the dividend), sign-extended or cut to width_o.
class Node_SignMod : public Node_MulDiv {
public:
    Node_SignMod() : Node_MulDiv("%") {}
    std::string TypeName() const override { return "SIGN MOD"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;

private:
    MLIB_SINTEGER dividend;  // width_o bits: dataa sign-extended or cut
    MLIB_SINTEGER result;    // width_o bits
};

}  // namespace Sim
