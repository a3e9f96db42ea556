// Gray-code counter model (modlib_mrvgray_counter): a binary count (qbin) and its Gray
// code (q = qbin ^ (qbin >> 1)). At each rising clock while clk_en is high: sclr loads
// pvalue, otherwise the count steps while cnt_en is high, up when updown is high (or not
// connected), down otherwise. aclr loads pvalue at once; pvalue is also the value at start.
#include "model.h"
#include "storage.h"

namespace {

class GrayCounter : public modlib::Model {
public:
    GrayCounter() : Model("mrvgray_counter") {}

private:
    void Configure() override
    {
        width = Width(q);
        modlib::Replace(start, modlib::Fit(modlib::FromU64(static_cast<uint64_t>(Integer("pvalue", 0)), 64), width));
        modlib::Replace(count, start);
    }

    void Compute() override
    {
        if (High(aclr)) {
            count = start;
        } else if (Rose(clock) && HighOr(clk_en, true)) {
            if (High(sclr))
                count = start;
            else if (HighOr(cnt_en, true))
                count = HighOr(updown, true) ? modlib::AddAt(count, MLIB_UINTEGER(1, 1), false, width)
                                             : modlib::SubtractAt(count, MLIB_UINTEGER(1, 1), false, width);
        }
        Out(qbin) = count;
        Out(q) = count ^ (count >> 1);
    }

    Slot clock = DeclareClock("clock");
    Slot cnt_en = DeclareInput("cnt_en");
    Slot clk_en = DeclareInput("clk_en");
    Slot updown = DeclareInput("updown");
    Slot aclr = DeclareInput("aclr");
    Slot sclr = DeclareInput("sclr");
    Slot q = DeclareOutput("q");
    Slot qbin = DeclareOutput("qbin");

    // Checkpoints: what the edges and evaluations carry from one call to the next.
    void SaveState(StateWriter& out) const override
    {
        out.Value(count);
    }
    bool RestoreState(StateReader& in) override { return in.Value(count); }

    int width = 3;        // counter width
    MLIB_UINTEGER start;  // pvalue at the counter's width
    MLIB_UINTEGER count;  // the binary count
};

}  // namespace

MODLIB_DEFINE_EXPORTS(GrayCounter)
