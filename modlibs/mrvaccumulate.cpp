// Accumulator model (modlib_mrvaccumulate): at each rising clock while clken is high the
// accumulator loads data (sload high) or adds data + cin / subtracts data (add_sub 0;
// an unconnected add_sub adds; an unconnected cin adds nothing and borrows nothing).
// data is extended to width_out as two's complement when lpm_representation is "SIGNED"
// or sign_data is high, else with zeros. cout is the carry out of the operation (for a
// subtraction: 1 when no borrow); overflow is the two's-complement overflow when signed,
// else the carry (adding) or borrow (subtracting). aclr clears everything at once.
// extra_latency delays the three outputs by that many clocks.
#include <algorithm>

#include "model.h"
#include "storage.h"

namespace {

class Accumulator : public modlib::Model {
public:
    Accumulator() : Model("mrvaccumulate") {}

private:
    void Configure() override
    {
        CheckSupported("lpm_representation", "UNSIGNED", {"UNSIGNED", "SIGNED"});
        representation_signed = Is("lpm_representation", "SIGNED", "UNSIGNED");
        width = Width(result);
        modlib::Replace(state, MLIB_UINTEGER(0, width + 2));
        latency.Configure(PipelineDepth("extra_latency", width + 2), width + 2);
    }

    void Accumulate()
    {
        const bool is_signed = representation_signed || High(sign_data);
        const MLIB_UINTEGER data_in = is_signed ? modlib::SignFit(In(data), width) : modlib::Fit(In(data), width);
        if (High(sload)) {
            state = data_in;  // carry and overflow bits cleared
            return;
        }
        const bool adding = HighOr(add_sub, true);
        const bool carry = HighOr(cin, !adding);
        const MLIB_UINTEGER accumulated = modlib::Fit(state, width);
        const MLIB_UINTEGER operand = adding ? data_in : ~data_in;
        const MLIB_UINTEGER sum = modlib::AddAt(accumulated, operand, carry, width + 1);
        const bool carry_out = sum.bit(width) != 0;
        bool overflow;
        if (is_signed) {
            const bool sa = modlib::TopBit(accumulated), sb = modlib::TopBit(operand), sr = sum.bit(width - 1) != 0;
            overflow = sa == sb && sr != sa;
        } else {
            overflow = adding ? carry_out : !carry_out;
        }
        state = sum;
        if (overflow)
            state.set_bit(width + 1, 1);
    }

    void Compute() override
    {
        if (High(aclr)) {
            state = 0u;
            latency.Clear();
        } else if (Rose(clock) && HighOr(clken, true)) {
            latency.Clock(state);
            Accumulate();
        }
        const MLIB_UINTEGER& shown = latency.Output(state);
        Out(result) = shown;
        Out(cout) = static_cast<uint32_t>(shown.bit(width));
        Out(overflow) = static_cast<uint32_t>(shown.bit(width + 1));
    }

    Slot clock = DeclareClock("clock");
    Slot cin = DeclareInput("cin");
    Slot data = DeclareInput("data");
    Slot add_sub = DeclareInput("add_sub");
    Slot sload = DeclareInput("sload");
    Slot clken = DeclareInput("clken");
    Slot sign_data = DeclareInput("sign_data");
    Slot aclr = DeclareInput("aclr");
    Slot result = DeclareOutput("result");
    Slot cout = DeclareOutput("cout");
    Slot overflow = DeclareOutput("overflow");

    // Checkpoints: what the edges and evaluations carry from one call to the next.
    void SaveState(StateWriter& out) const override
    {
        out.Value(state);
        latency.SaveState(out);
    }
    bool RestoreState(StateReader& in) override { return in.Value(state) && latency.RestoreState(in); }

    bool representation_signed = false;  // lpm_representation is "SIGNED"
    int width = 1;                       // width_out
    MLIB_UINTEGER state;                 // accumulator | carry << width | overflow << width+1
    modlib::Pipeline latency;            // extra_latency stages
};

}  // namespace

MODLIB_DEFINE_EXPORTS(Accumulator)
