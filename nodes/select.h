// Selection nodes: two-input multiplexers (one select bit per data bit, or one for the
// whole word), the bit selector that picks one bit of a bus by number, and the masked-OR
// selector; each with the 32-bit variant the builder uses for narrow operators.
#pragma once

#include <cstdint>
#include <string>

#include "engine/input_word.h"
#include "engine/output_word.h"
#include "engine/node.h"

namespace Sim {

// The bitwise two-input multiplexers: "dataa", "datab", "outputselect" and "dataout", all
// of "array_width" bits.
class Node_BitwiseMux : public Node_Concurrent {
public:
    bool IsSettled() override { return true; }
    void CreatePorts(const ParamQuery& query) override;

protected:
    Port_Base* dataa = nullptr;
    Port_Base* datab = nullptr;
    Port_Base* outputselect = nullptr;
    Port_Base* dataout = nullptr;
};

// Bit i of "dataout" is bit i of "datab" where bit i of "outputselect" is 1, else bit i of
// "dataa". Any width; undefined bits count as their stored value and the result is defined.
class Node_Mux2to1 : public Node_BitwiseMux {
public:
    std::string TypeName() const override;
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    MLIB_UINTEGER result;  // the output's value at its width, reused; always defined
};

// Node_Mux2to1 on the low 32 bits.
class Node_MuxSmall : public Node_BitwiseMux {
public:
    std::string TypeName() const override;
    bool Evaluate() override;
    std::string TraceText() override;
};

// Whole-word select on the low 32 bits: "datab" when "outputselect" is nonzero.
class Node_MuxSimple : public Node_Concurrent {
public:
    std::string TypeName() const override;
    bool IsSettled() override { return true; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;
    void FollowPorts() override;

private:
    InputWord a, b, select;  // the read paths of dataa, datab and outputselect (one bit)
    OutputWord out_word;     // the write path of dataout
    Port_Base* dataout = nullptr;
    Port_Base* dataa = nullptr;
    Port_Base* datab = nullptr;
    Port_Base* outputselect = nullptr;
};

// Whole-word select of any width: undefined bits and flags pass through, and the output
// cuts or zero-extends the chosen input to its own width.
class Node_BusMux2 : public Node_Concurrent {
public:
    std::string TypeName() const override;
    bool IsSettled() override { return true; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    Port_Base* dataa = nullptr;
    Port_Base* datab = nullptr;
    Port_Base* select = nullptr;
    Port_Base* dataout = nullptr;
};

// The bit selectors: "datain" of "width_data" bits, "select" of "width_select" bits (both
// preset by "width", else 6) and the one bit "dataout". The trace line is shared.
class Node_BitSelect : public Node_Concurrent {
public:
    bool IsSettled() override { return true; }
    std::string TraceText() override;

protected:
    // Reads the widths and creates the ports; a class limited to 32 data bits passes the
    // report given when the data is wider.
    void CreateSelectPorts(const ParamQuery& query, const char* too_wide_report);

    Port_Base* datain = nullptr;
    Port_Base* select = nullptr;
    Port_Base* dataout = nullptr;
};

// "dataout" is bit "select" of "datain"; a select beyond the input's bits gives 0.
class Node_Mux : public Node_BitSelect {
public:
    std::string TypeName() const override;
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
};

// Node_Mux on the low 32 bits of "datain" and of "select"; a select of 32 or more gives 0.
class Node_Mux_Sm : public Node_BitSelect {
public:
    std::string TypeName() const override;
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
};

// The masked-OR selectors: "data" of "width_data" bits, "mask" of "width_sel" bits (6
// unless given; the data width presets to the mask's) and the one bit "out". The trace
// line is shared.
class Node_MaskSelect : public Node_Concurrent {
public:
    bool IsSettled() override { return true; }
    std::string TraceText() override;

protected:
    // Reads the widths and creates the ports; a class limited to 32 data bits passes the
    // report given when the data is wider.
    void CreateSelectPorts(const ParamQuery& query, const char* too_wide_report);

    Port_Base* data = nullptr;
    Port_Base* mask = nullptr;
    Port_Base* out = nullptr;
};

// "out" is 1 when some bit is known 1 in both "data" and "mask".
class Node_Selector : public Node_MaskSelect {
public:
    std::string TypeName() const override;
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
};

// Node_Selector on the low 32 bits.
class Node_Selector_Sm : public Node_MaskSelect {
public:
    std::string TypeName() const override;
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override { return out->SetInt((data->ValueInt() & mask->ValueInt()) != 0); }
};

}  // namespace Sim
