// Multiplier, divider and remainder node classes, unsigned and signed. Division by zero
// (and the most negative signed value divided by -1) gives a wholly undefined result, which
// shows on outputs of 32 bits or more and reads as 0 on narrower ones.
#pragma once

#include <string>

#include "engine/node.h"

namespace Sim {

// dataout = dataa * datab (exact product of width_a + width_b bits), cut or zero-extended to
// width_o; wholly undefined when either input's undefined flag is set.
class Node_UnsnMul : public Node_Concurrent {
public:
    std::string TypeName() const override { return "UNSN MUL"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    Port_Base* dataa = nullptr;
    Port_Base* datab = nullptr;
    Port_Base* dataout = nullptr;
    bool word_path = false;  // every width is at most 32: one 64-bit product
    MLIB_UINTEGER result;    // width_o bits
};

// The signed product's two's-complement pattern (width_a + width_b bits), cut to width_o or
// zero-extended when width_o is larger.
class Node_SignMul : public Node_Concurrent {
public:
    std::string TypeName() const override { return "SIGN MUL"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    Port_Base* dataa = nullptr;
    Port_Base* datab = nullptr;
    Port_Base* dataout = nullptr;
    bool word_path = false;  // every width is at most 32: one 64-bit product
    MLIB_UINTEGER result;    // width_o bits
};

// dataout = (dataa resized to width_o) / datab, rounded down.
class Node_UnsnDiv : public Node_Concurrent {
public:
    std::string TypeName() const override { return "UNSN DIV"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    Port_Base* dataa = nullptr;
    Port_Base* datab = nullptr;
    Port_Base* dataout = nullptr;
    MLIB_UINTEGER dividend;  // width_o bits: dataa zero-extended or cut
    MLIB_UINTEGER result;    // width_o bits
};

// dataout = (dataa sign-resized to width_o) / datab, both signed, truncated toward zero.
class Node_SignDiv : public Node_Concurrent {
public:
    std::string TypeName() const override { return "SIGN DIV"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    Port_Base* dataa = nullptr;
    Port_Base* datab = nullptr;
    Port_Base* dataout = nullptr;
    MLIB_SINTEGER dividend;  // width_o bits: dataa sign-extended or cut
    MLIB_SINTEGER result;    // width_o bits
};

// dataout = (dataa resized to width_o) % datab, zero-extended or cut to width_o.
class Node_UnsnMod : public Node_Concurrent {
public:
    std::string TypeName() const override { return "UNSN MOD"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    Port_Base* dataa = nullptr;
    Port_Base* datab = nullptr;
    Port_Base* dataout = nullptr;
    MLIB_UINTEGER dividend;  // width_o bits: dataa zero-extended or cut
    MLIB_UINTEGER result;    // width_o bits
};

// dataout = the signed remainder (sign of the dividend), sign-extended or cut to width_o.
class Node_SignMod : public Node_Concurrent {
public:
    std::string TypeName() const override { return "SIGN MOD"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    Port_Base* dataa = nullptr;
    Port_Base* datab = nullptr;
    Port_Base* dataout = nullptr;
    MLIB_SINTEGER dividend;  // width_o bits: dataa sign-extended or cut
    MLIB_SINTEGER result;    // width_o bits
};

}  // namespace Sim
