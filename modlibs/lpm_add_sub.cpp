// Adder/subtractor model (modlib_lpm_add_sub), following the public LPM semantics:
// result = dataa + datab + cin, or dataa - datab - (1 - cin). The direction is
// lpm_direction ("ADD"/"SUB") when given, else the add_sub input (1 adds). An unconnected
// cin is 0 when adding and 1 (no borrow) when subtracting. cout is the carry out (for a
// subtraction: 1 when no borrow). overflow is the two's-complement overflow for "SIGNED",
// and the carry (adding) or the borrow (subtracting) for "UNSIGNED". lpm_pipeline adds
// clocked stages, advanced while clken is high and cleared by aclr.
#include <algorithm>

#include "model.h"
#include "storage.h"

namespace {

class AddSub : public modlib::Model {
public:
    AddSub() : Model("lpm_add_sub") {}

private:
    void Configure() override
    {
        CheckSupported("lpm_representation", "UNSIGNED", {"UNSIGNED", "SIGNED"});
        CheckSupported("lpm_direction", "UNUSED", {"UNUSED", "ADD", "SUB", "DEFAULT"});
        is_signed = Is("lpm_representation", "SIGNED", "UNSIGNED");
        fixed = Is("lpm_direction", "ADD", "UNUSED") ? 1 : Is("lpm_direction", "SUB", "UNUSED") ? -1 : 0;
        width = Width(result);
        pipeline.Configure(PipelineDepth("lpm_pipeline", width + 2), width + 2);
        modlib::Replace(packed, MLIB_UINTEGER(0, width + 2));
    }

    // result, cout and overflow of the current inputs, packed as result | cout << w | overflow << w+1.
    void Calculate()
    {
        const bool adding = fixed != 0 ? fixed > 0 : HighOr(add_sub, true);
        const bool carry = HighOr(cin, !adding);
        const MLIB_UINTEGER a = modlib::Fit(In(dataa), width);
        const MLIB_UINTEGER b = modlib::Fit(In(datab), width);
        const MLIB_UINTEGER operand = adding ? b : ~b;
        const MLIB_UINTEGER sum = modlib::AddAt(a, operand, carry, width + 1);
        const bool carry_out = sum.bit(width) != 0;
        bool overflow;
        if (is_signed) {
            const bool sa = modlib::TopBit(a), sb = modlib::TopBit(operand), sr = sum.bit(width - 1) != 0;
            overflow = sa == sb && sr != sa;
        } else {
            overflow = adding ? carry_out : !carry_out;
        }
        packed = sum;  // keeps width + 2 bits: bit w is the carry
        if (overflow)
            packed.set_bit(width + 1, 1);
    }

    void Compute() override
    {
        Calculate();
        if (High(aclr))
            pipeline.Clear();
        else if (Rose(clock) && HighOr(clken, true))
            pipeline.Clock(packed);
        const MLIB_UINTEGER& shown = pipeline.Output(packed);
        Out(result) = shown;
        Out(cout) = static_cast<uint32_t>(shown.bit(width));
        Out(overflow) = static_cast<uint32_t>(shown.bit(width + 1));
    }

    Slot clock = DeclareClock("clock");
    Slot cin = DeclareInput("cin");
    Slot dataa = DeclareInput("dataa");
    Slot datab = DeclareInput("datab");
    Slot add_sub = DeclareInput("add_sub");
    Slot clken = DeclareInput("clken");
    Slot aclr = DeclareInput("aclr");
    Slot result = DeclareOutput("result");
    Slot cout = DeclareOutput("cout");
    Slot overflow = DeclareOutput("overflow");

    // Checkpoints: what the edges and evaluations carry from one call to the next.
    void SaveState(StateWriter& out) const override
    {
        pipeline.SaveState(out);
        out.Value(packed);
    }
    bool RestoreState(StateReader& in) override { return pipeline.RestoreState(in) && in.Value(packed); }

    bool is_signed = false;     // two's-complement overflow
    int fixed = 0;              // 1 always adds, -1 always subtracts, 0 follows add_sub
    int width = 1;              // operand and result width
    modlib::Pipeline pipeline;  // lpm_pipeline stages of packed results
    MLIB_UINTEGER packed;       // the current inputs' outcome, width + 2 bits
};

}  // namespace

MODLIB_DEFINE_EXPORTS(AddSub)
