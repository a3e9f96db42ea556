// Counter model (modlib_lpm_counter): an up/down binary counter with modulus, asynchronous
// and synchronous clear, set and load, clock and count enables, carry in and carry out,
// following the public LPM counter semantics.
//
// Asynchronous controls act at once, in the order aclr, aset, aload. At a rising clock with
// clk_en: sclr, then sset, then sload, then counting when cnt_en and cin allow it. The
// direction is lpm_direction ("UP"/"DOWN") when given, otherwise the updown input (up while
// it is not connected). An unconnected cin counts. aset and sset load lpm_avalue and
// lpm_svalue (all ones when "UNUSED"). lpm_pvalue sets the value after a (re)start. "eq"
// has sixteen bits: bit k is set while the count equals k.
#include "model.h"
#include "storage.h"
#include "text.h"

namespace {

class Counter : public modlib::Model {
public:
    Counter() : Model("lpm_counter") {}

private:
    void Configure() override
    {
        width = Width(q);
        const int64_t modulus_parameter = Integer("lpm_modulus", 0);
        modlib::Replace(modulus, modulus_parameter > 0
                                     ? modlib::FromU64(static_cast<uint64_t>(modulus_parameter), width + 1)
                                     : MLIB_UINTEGER(0, width + 1));
        // The highest count: modulus - 1, or all ones without a modulus (or one beyond the width).
        modlib::Replace(top, ~MLIB_UINTEGER(0, width));
        if (modulus_parameter > 0 && !(modulus > modlib::Fit(top, width + 1)))
            modlib::Replace(top, modlib::SubtractAt(modulus, MLIB_UINTEGER(1, 1), false, width));
        CheckSupported("lpm_direction", "UNUSED", {"UNUSED", "UP", "DOWN", "DEFAULT"});
        CheckSupported("lpm_port_updown", "PORT_CONNECTIVITY", {"PORT_CONNECTIVITY", "PORT_USED", "PORT_UNUSED"});
        fixed_direction = Is("lpm_direction", "DOWN", "UNUSED") ? -1 : Is("lpm_direction", "UP", "UNUSED") ? 1 : 0;
        updown_used = !Is("lpm_port_updown", "PORT_UNUSED", "PORT_CONNECTIVITY");
        modlib::Replace(aset_value, ValueOf("lpm_avalue"));
        modlib::Replace(sset_value, ValueOf("lpm_svalue"));
        modlib::Replace(count, MLIB_UINTEGER(0, width));
        std::string power_up = Text("lpm_pvalue", "UNUSED");
        if (!modlib::SameText(power_up, "UNUSED"))
            count = ValueOf("lpm_pvalue");
    }

    // A set value given as a decimal text, or all ones when "UNUSED".
    MLIB_UINTEGER ValueOf(const char* parameter)
    {
        std::string text = Text(parameter, "UNUSED");
        MLIB_UINTEGER value(0, width);
        if (modlib::SameText(text, "UNUSED")) {
            value = ~value;
            return value;
        }
        int64_t number = 0;
        if (!modlib::ParseInteger(text, number)) {
            Warn("parameter " + std::string(parameter) + " = \"" + text + "\" is not a decimal number; 0 is used");
            return value;
        }
        return modlib::Fit(modlib::FromU64(static_cast<uint64_t>(number), 64), width);
    }

    bool CountsUp() const
    {
        if (fixed_direction != 0)
            return fixed_direction > 0;
        return updown_used ? HighOr(updown, true) : true;
    }

    void Step(bool up)
    {
        if (up)
            count = (count == top) ? MLIB_UINTEGER(0, width) : modlib::AddAt(count, MLIB_UINTEGER(1, 1), false, width);
        else
            count = count.is_zero() ? top : modlib::SubtractAt(count, MLIB_UINTEGER(1, 1), false, width);
    }

    void Compute() override
    {
        const bool carry_in = HighOr(cin, true);
        if (High(aclr)) {
            count = 0u;
        } else if (High(aset)) {
            count = aset_value;
        } else if (High(aload)) {
            count = modlib::Fit(In(data), width);
        } else if (Rose(clock) && High(clk_en)) {
            if (High(sclr))
                count = 0u;
            else if (High(sset))
                count = sset_value;
            else if (High(sload))
                count = modlib::Fit(In(data), width);
            else if (High(cnt_en) && carry_in)
                Step(CountsUp());
        }
        Out(q) = count;
        const bool up = CountsUp();
        Out(cout) = (carry_in && (up ? count == top : count.is_zero())) ? 1u : 0u;
        Out(eq) = count < sixteen ? (1u << count.to_uint()) : 0u;
    }

    Slot clock = DeclareClock("clock");
    Slot data = DeclareInput("data");
    Slot clk_en = DeclareInput("clk_en");
    Slot cnt_en = DeclareInput("cnt_en");
    Slot updown = DeclareInput("updown");
    Slot aclr = DeclareInput("aclr");
    Slot aset = DeclareInput("aset");
    Slot aload = DeclareInput("aload");
    Slot sclr = DeclareInput("sclr");
    Slot sset = DeclareInput("sset");
    Slot sload = DeclareInput("sload");
    Slot cin = DeclareInput("cin");
    Slot q = DeclareOutput("q");
    Slot cout = DeclareOutput("cout");
    Slot eq = DeclareOutput("eq");

    // Checkpoints: what the edges and evaluations carry from one call to the next.
    void SaveState(StateWriter& out) const override
    {
        out.Value(count);
    }
    bool RestoreState(StateReader& in) override { return in.Value(count); }

    int width = 1;                 // the counter's width (the "q" port's)
    int fixed_direction = 0;       // 1 up, -1 down, 0 by the updown input
    bool updown_used = true;       // lpm_port_updown allows the updown input
    MLIB_UINTEGER modulus;         // lpm_modulus, width + 1 bits (0: none)
    MLIB_UINTEGER top;             // the highest count
    MLIB_UINTEGER aset_value;      // loaded by aset
    MLIB_UINTEGER sset_value;      // loaded by sset
    MLIB_UINTEGER count;           // the state
    const MLIB_UINTEGER sixteen{16, 5};  // counts below it have an "eq" bit
};

}  // namespace

MODLIB_DEFINE_EXPORTS(Counter)
