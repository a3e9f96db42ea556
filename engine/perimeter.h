// Perimeter nodes: one Node_Perimeter_In per design input (the caller writes values into
// it) and one Node_Perimeter_Out per design output (the caller reads values from it, with
// reports of undefined values, at most 100 per output).
#pragma once

#include <cstdint>

#include "engine/node.h"

namespace Sim {

class Manager;

// The width a perimeter node or a downshifter asks for: the query's answer to the empty
// name, 32 when it answers nothing.
int PerimeterWidth(const ParamQuery& query);

class Node_Perimeter_In : public Node_Concurrent {
public:
    Node_Perimeter_In() : stored(0, 32) {}

    // Asks the query without a name for the width (32 when it answers nothing).
    void CreatePorts(const ParamQuery& query) override;
    // Settled while the port already shows the stored value.
    bool IsSettled() override { return shown; }
    bool Evaluate() override;
    std::string TypeName() const override { return "PERIM IO"; }
    // The value cut or zero-extended to the input's width, flags copied.
    virtual void SetInput(const MLIB_UINTEGER& value);
    // high * 2^32 + low, cut to the input's width; the result is defined.
    virtual void SetInput(uint32_t low, uint32_t high);
    void SaveState(StateWriter& out) override;
    bool RestoreState(StateReader& in) override;

    Port_Base* PerimeterPort() const { return port; }

protected:
    MLIB_UINTEGER stored;       // the value written by the caller, the port's width
    Port_Base* port = nullptr;  // the output "(perimeter io)"

private:
    // Compares the port with the stored value. Only writes of the caller and evaluations
    // change either, so the answer is kept for IsSettled, which every settle asks: an input
    // written once and left alone then costs nothing per cycle.
    void CompareWithPort() { shown = port == nullptr || stored == port->Value(); }

    bool shown = true;  // the port shows the stored value
};

class Node_Perimeter_Out : public Node_Concurrent {
public:
    void CreatePorts(const ParamQuery& query) override;
    bool IsSettled() override { return true; }
    bool Evaluate() override;
    std::string TypeName() const override { return "PERIM IO"; }
    void SetManager(Manager* owner_manager) override { manager = owner_manager; }
    Manager* GetManager() override { return manager; }

    // Copies the captured value out; an undefined value is reported.
    void ReadValue(MLIB_UINTEGER& out);
    // The captured value as it stands, undefined bits and flags included; reports nothing.
    const MLIB_UINTEGER& CapturedValue() const { return captured; }
    // The low 64 bits of the captured value; 0, reported, when it is undefined.
    uint64_t ReadUInt64();
    void SaveState(StateWriter& out) override;
    bool RestoreState(StateReader& in) override;

    Port_Base* PerimeterPort() const { return input; }

private:
    // Reports the start and the end of runs of undefined reads, at most 100 times.
    void ReportUndefined();
    int CurrentCycle() const;

    Port_Base* input = nullptr;     // the input "(perimeter io)"
    MLIB_UINTEGER captured;         // the last value seen on `input`, its width
    int reports = 0;                // undefined reports given so far (stops at 100)
    int run_start = -1;             // cycle at which the open undefined run began, -1 if none
    int run_end = -1;               // cycle at which the last undefined run ended
    bool in_undefined_run = false;  // reads have been undefined since `run_start`
    Manager* manager = nullptr;     // the manager holding this node (not owned)
};

}  // namespace Sim
