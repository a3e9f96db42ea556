// The registers and the latch: Node_DFFE (a bus of bits with per-bit enable and
// asynchronous preset, clear and load), Node_DFFE_Bit (the same for one bit on plain words)
// and Node_Latch (level-sensitive, transparent while enabled).
#pragma once

#include <cstdint>
#include <string>

#include "engine/input_value.h"
#include "engine/input_word.h"
#include "engine/manager.h"
#include "engine/output_word.h"
#include "engine/node.h"

namespace Sim {

// Asks the manager for clock edges for the register, or stops asking, when that differs from
// its last request (`marked`). Inline: a register changing in every cycle comes here on each
// evaluation.
inline void MarkRegisterClockWork(Node_Base& node, Manager* manager, bool& marked, bool work)
{
    if (work == marked)
        return;
    marked = work;
    if (manager)
        manager->SetClockWork(&node, work);
}

// The registers split their work: Evaluate reacts at once to the asynchronous controls and
// remembers the data and enable to be taken at the next edge; ClockHook takes them at the
// edge. A register asks the scheduler for clock edges only while the edge could change it
// (the pending flag), so idle registers cost nothing per cycle.
//
// Node_Register holds what both classes share: their ports, the scheduler's answers, the
// asynchronous controls and the evaluation of registers below 32 bits, whose ports carry no
// undefined state and whose contents live in plain words (always so for Node_DFFE_Bit).
class Node_Register : public Node_Concurrent {
public:
    Node_Register() { mark_cleared_at_edge = true; }
    void SetManager(Manager* owner) override { manager = owner; }
    Manager* GetManager() override { return manager; }
    bool IsSequential() override { return true; }
    bool IsSettled() override { return !pending; }
    bool ForwardsInputs() override { return true; }
    bool ForwardsFrom(Node_Base* driver) override;
    void InitHook() override { narrow_stored = 0; }
    void PrepareRun() override;
    void FollowPorts() override;
    void SaveState(StateWriter& out) override;
    bool RestoreState(StateReader& in) override;

protected:
    // Creates the ports, every one `width` bits wide: each bit of a control acts on the
    // register bit of its position. "sclr" and "sload" are linked but never read, so no
    // field keeps them.
    void CreateRegisterPorts(int width);
    void MarkClockWork(bool work) { MarkRegisterClockWork(*this, manager, marked, work); }
    // Sets the pending flag and asks the scheduler for clock edges only while an edge can
    // change the stored word (some differing bit enabled). Inline, as the evaluations of most
    // registers end here.
    void SetPendingWord(bool now_pending)
    {
        pending = now_pending;
        MarkClockWork((narrow_enable_seen & (narrow_data_seen ^ narrow_stored)) != 0);
    }
    // Evaluate on the narrow_ words: preset, then clear, then load, each tested on the whole
    // control value, act at once; otherwise the data and enable are kept for the edge.
    [[gnu::always_inline]] inline bool EvaluateWord();

    // Fields in order of use: every evaluation and edge of a narrow register reads only the
    // first ones, which fill the object's first two cache lines; the asynchronous controls
    // are read only when connected. "dataout" comes last but for the wide path's ports, so
    // that it shares a cache line with the wide values Node_DFFE places right after it.
    bool pending = true;         // stored differs from data_seen, so an edge may change it
    bool marked = true;          // the scheduler was last asked to give this node clock edges
    bool narrow = false;         // below 32 bits: the contents live in the narrow_ words
    bool controls_idle = false;  // preset, clear and aload read constant zeros (see PrepareRun)
    uint32_t narrow_stored = 0;       // the register contents
    uint32_t narrow_data_seen = 0;    // "datain" at the last evaluation
    uint32_t narrow_enable_seen = 0;  // "ena" at the last evaluation
    Manager* manager = nullptr;  // the manager holding this node (not owned)
    OutputWord out_word;         // the write path of "dataout"
    InputWord data_word;         // the read path of "datain"
    InputWord enable_word;       // the read path of "ena"
    Port_Base* adata = nullptr;
    Port_Base* preset = nullptr;
    Port_Base* clear = nullptr;
    Port_Base* aload = nullptr;
    Port_Base* dataout = nullptr;
    Port_Base* datain = nullptr;
    Port_Base* ena = nullptr;
};

// A bus of bits with per-bit enable and asynchronous preset, clear and load. Registers below
// 32 bits work on the narrow_ words; the others on values, undefined bits included.
class Node_DFFE : public Node_Register {
public:
    std::string TypeName() const override { return "DFFE REG"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;
    bool ClockHook() override;
    void InitHook() override;
    void FollowPorts() override;
    void SaveState(StateWriter& out) override;
    bool RestoreState(StateReader& in) override;

private:
    // The value the next edge stores: enabled bits from the data seen, the others kept.
    MLIB_UINTEGER NextValue() const;
    // enable_seen, data_seen and stored as one word each, when all three are plain values
    // (up to 64 bits, no undefined bit, no flag): the usual case of the wide path.
    bool PlainWords(uint64_t& enable, uint64_t& data, uint64_t& value) const
    {
        return enable_seen.plain_low_64(enable) && data_seen.plain_low_64(data) && stored.plain_low_64(value);
    }
    // Sets the pending flag and asks the scheduler for clock edges only while an edge can
    // change the stored value (pending, and some differing bit enabled).
    void SetPending(bool now_pending);
    // The word versions are inlined into Evaluate and ClockHook and the wide versions are
    // not, so that the calls for narrow registers, the most common, do not pay for the
    // registers that the wide versions save and restore.
    [[gnu::always_inline]] inline bool ClockHookWord();
    [[gnu::noinline]] bool EvaluateWide();
    [[gnu::noinline]] bool ClockHookWide();

    // The wide path's fields, the values first: an edge reads them and "dataout" only, which
    // then lie in two cache lines. Traces of narrow registers copy the words into the values.
    MLIB_UINTEGER stored;        // the register contents, w bits; 0 after InitHook
    // "datain" at the last evaluation (the stored value after an asynchronous change)
    MLIB_UINTEGER data_seen;
    MLIB_UINTEGER enable_seen;   // "ena" at the last evaluation
    InputValue data_value;       // the read paths of "datain" and "ena"
    InputValue enable_value;
};

// Node_DFFE for one bit: the same evaluation, and an edge that does nothing while disabled.
class Node_DFFE_Bit : public Node_Register {
public:
    std::string TypeName() const override { return "DFFE BIT"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;
    bool ClockHook() override;
};

// Priority: clear, then preset, then enable; while nothing is active the output holds.
class Node_Latch : public Node_Concurrent {
public:
    std::string TypeName() const override { return "LATCH CC"; }
    void CreatePorts(const ParamQuery& query) override;
    bool Evaluate() override;
    std::string TraceText() override;

private:
    Port_Base* datain = nullptr;
    Port_Base* latch_enable = nullptr;
    Port_Base* aclr = nullptr;
    Port_Base* apre = nullptr;
    Port_Base* dataout = nullptr;  // holds the latched value
};

}  // namespace Sim
