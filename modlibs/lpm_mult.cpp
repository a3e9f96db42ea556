// Multiplier model (modlib_lpm_mult): result = dataa * datab (+ sum when "sum" is
// connected), unsigned or two's complement (lpm_representation "SIGNED"), following the
// public LPM multiplier semantics: when lpm_widthp is narrower than the full product
// (the wider of widtha + widthb and widths) the result holds its most significant
// lpm_widthp bits; a wider result is zero- or sign-extended. lpm_pipeline adds that many
// clocked stages, advanced while clken is high and cleared by aclr.
#include <algorithm>

#include "model.h"
#include "storage.h"

namespace {

class Multiplier : public modlib::Model {
public:
    Multiplier() : Model("lpm_mult") {}

private:
    void Configure() override
    {
        CheckSupported("lpm_representation", "UNSIGNED", {"UNSIGNED", "SIGNED"});
        is_signed = Is("lpm_representation", "SIGNED", "UNSIGNED");
        pipeline.Configure(PipelineDepth("lpm_pipeline", Width(result)), Width(result));
    }

    MLIB_UINTEGER Product() const
    {
        const int wa = Width(dataa), wb = Width(datab);
        MLIB_UINTEGER product = is_signed ? MLIB_UINTEGER(MLIB_SINTEGER(In(dataa)) * MLIB_SINTEGER(In(datab)))
                                          : In(dataa) * In(datab);
        int full = wa + wb;
        if (Connected(sum)) {
            full = std::max(full, Width(sum));
            const MLIB_UINTEGER addend = is_signed ? modlib::SignFit(In(sum), full) : modlib::Fit(In(sum), full);
            const MLIB_UINTEGER widened = is_signed ? modlib::SignFit(product, full) : modlib::Fit(product, full);
            modlib::Replace(product, modlib::AddAt(widened, addend, false, full));
        }
        const int wp = Width(result);
        if (wp < full)
            return modlib::Fit(product >> (full - wp), wp);
        return is_signed ? modlib::SignFit(product, wp) : modlib::Fit(product, wp);
    }

    void Compute() override
    {
        const MLIB_UINTEGER now = Product();
        if (High(aclr))
            pipeline.Clear();
        else if (Rose(clock) && HighOr(clken, true))
            pipeline.Clock(now);  // inputs are not sent during a clock pulse: `now` is pre-edge
        Out(result) = pipeline.Output(now);
    }

    Slot clock = DeclareClock("clock");
    Slot dataa = DeclareInput("dataa");
    Slot datab = DeclareInput("datab");
    Slot sum = DeclareInput("sum");
    Slot aclr = DeclareInput("aclr");
    Slot clken = DeclareInput("clken");
    Slot result = DeclareOutput("result");

    // Checkpoints: what the edges and evaluations carry from one call to the next.
    void SaveState(StateWriter& out) const override
    {
        pipeline.SaveState(out);
    }
    bool RestoreState(StateReader& in) override { return pipeline.RestoreState(in); }

    bool is_signed = false;        // two's-complement operands and result
    modlib::Pipeline pipeline;     // lpm_pipeline stages
};

}  // namespace

MODLIB_DEFINE_EXPORTS(Multiplier)
