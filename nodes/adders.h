// The adder node classes: unsigned and signed adders with carry in and carry out (with the
// small unsigned variant on one 32-bit word), and the adders that add or subtract under
// control of their "flag" input.
#pragma once

#include <string>

#include "engine/input_value.h"
#include "engine/input_word.h"
#include "engine/output_word.h"
#include "engine/node.h"

namespace Sim {

// dataout = (dataa + datab + cin) mod 2^width_o, cout = the carry out of bit width_o - 1.
// Undefined input bits count as their stored value bits; the result is always defined.
class Node_UnsnAdd : public Node_Concurrent {
public:
    std::string TypeName() const override { return "UNSN ADD"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;
    void FollowPorts() override;

private:
    InputValue a, b;  // the read paths of dataa and datab (wide paths)
    InputWord carry_in;     // the read path of cin
    OutputWord carry_word;  // the write path of cout
    Port_Base* dataa = nullptr;
    Port_Base* datab = nullptr;
    Port_Base* cin = nullptr;
    Port_Base* dataout = nullptr;
    Port_Base* cout = nullptr;
    bool word_path = false;     // width_o and the inputs fit one word: a 64-bit sum holds the accumulator
    bool two_word_path = false;  // otherwise width_o is below 64: a 64-bit sum still holds it
    MLIB_UINTEGER accumulator;  // width_o + 1 bits, kept so that wide adders do not allocate
    MLIB_UINTEGER sum;          // width_o bits: the accumulator cut for "dataout"
};

// The same function on one 32-bit word; correct for width_o up to 31.
class Node_UnsnAdd_Sm : public Node_Concurrent {
public:
    std::string TypeName() const override { return "UNSN-ADD"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;
    void FollowPorts() override;

private:
    // The fields every evaluation reads come first: they fit the object's first two cache lines.
    InputWord a, b, carry_in;  // the read paths of dataa, datab and cin
    OutputWord sum_word, carry_word;  // the write paths of dataout and cout
    int carry_bit = 0;  // width_o mod 32: the bit of the word sum that "cout" shows
    Port_Base* dataout = nullptr;
    Port_Base* cout = nullptr;
    Port_Base* dataa = nullptr;
    Port_Base* datab = nullptr;
    Port_Base* cin = nullptr;
};

// Exact signed sum of dataa and datab plus the unsigned cin; its two's-complement pattern,
// cut to (or zero-extended into) width_o + 1 bits, gives dataout (low bits) and cout (top bit).
class Node_SignAdd : public Node_Concurrent {
public:
    std::string TypeName() const override { return "SIGN ADD"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    bool EvaluateWord();
    bool EvaluateWide();

    Port_Base* dataa = nullptr;
    Port_Base* datab = nullptr;
    Port_Base* cin = nullptr;
    Port_Base* dataout = nullptr;
    Port_Base* cout = nullptr;
    bool word_path = false;     // operands and output fit a word and width_o <= max(width_a, width_b)
    MLIB_UINTEGER accumulator;  // width_o + 1 bits
    MLIB_UINTEGER result;       // width_o bits
};

// dataout = dataa (resized to width_o) + datab when bit 0 of "flag" is 1, - datab when it is 0,
// modulo 2^width_o.
class Node_UnsnAddSub : public Node_Concurrent {
public:
    std::string TypeName() const override { return "UNSN +/-"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    Port_Base* dataa = nullptr;
    Port_Base* datab = nullptr;
    Port_Base* flag = nullptr;
    Port_Base* dataout = nullptr;
    bool word_path = false;  // width_o and width_b are at most 32
    MLIB_UINTEGER operand;   // width_o bits: dataa resized
    MLIB_UINTEGER result;    // width_o bits
};

// The signed form: dataa sign-resized to width_o, datab read as signed, exact sum or
// difference cut to width_o.
class Node_SignAddSub : public Node_Concurrent {
public:
    std::string TypeName() const override { return "SIGN +/-"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    Port_Base* dataa = nullptr;
    Port_Base* datab = nullptr;
    Port_Base* flag = nullptr;
    Port_Base* dataout = nullptr;
    bool word_path = false;  // width_o and width_b are at most 32
    MLIB_SINTEGER operand;   // width_o bits: dataa sign-resized
    MLIB_UINTEGER result;    // width_o bits
};

}  // namespace Sim
