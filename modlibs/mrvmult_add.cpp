// Multiply-add model (modlib_mrvmult_add): up to four multipliers whose products are summed,
// result = (p0 ± p1) + (p2 ± p3), with optional input, multiplier and output registers
// and an accumulator.
//
// Operands: multiplier i takes bits i*width_a of dataa and i*width_b of datab. An operand
// is signed when its sign input (signa/signb) is high, where port_sign* is "PORT_USED" or
// "PORT_CONNECTIVITY" with the input connected; otherwise when representation_* is
// "SIGNED". multiplier1_direction / multiplier3_direction ("ADD"/"SUB") choose the sign of
// p1 / p3; "UNUSED" takes the addnsub1 / addnsub3 input in the same way (1 adds; an unused
// input adds). Registers: input_register_[ab]i, multiplier_registeri and output_register
// name a clock ("CLOCKn": loaded at its rising edge while enan is high or not connected)
// or "UNREGISTERED"; input_aclr_*, multiplier_aclr* and output_aclr name the aclr that
// clears them ("ACLRn") or "NONE". The sign inputs are taken with input register a0 / b0.
// With accumulator "YES" the output register adds each new sum to its value (accum_sload
// high loads the sum instead; accum_direction "SUB" subtracts). extra_latency delays the
// result. scanouta/scanoutb show the last multiplier's operands after its input registers;
// saturation, rounding, chaining, shifting and rotation are not modelled (a setting that
// enables them draws a warning) and their flag outputs stay 0.
#include <algorithm>
#include <array>

#include "model.h"
#include "storage.h"
#include "text.h"

namespace {

class MultAdd : public modlib::Model {
public:
    MultAdd() : Model("mrvmult_add") {}

private:
    // A register stage: its clock and enable slots (clock -1: unregistered) and its clear.
    struct Stage {
        Slot clock = -1;
        Slot enable = -1;
        Slot clear = -1;
        MLIB_UINTEGER value;  // the register's content
    };

    void SetUpStage(Stage& stage, const std::string& register_parameter, const std::string& clear_parameter,
                    const char* register_default, const char* clear_default, int width)
    {
        const std::string clock_text = Text(register_parameter.c_str(), register_default);
        stage.clock = -1;
        for (int n = 0; n < 4; ++n)
            if (modlib::SameText(clock_text, "CLOCK" + std::to_string(n))) {
                stage.clock = clocks[n];
                stage.enable = enables[n];
            }
        const std::string clear_text = Text(clear_parameter.c_str(), clear_default);
        stage.clear = -1;
        for (int n = 0; n < 4; ++n)
            if (modlib::SameText(clear_text, "ACLR" + std::to_string(n)))
                stage.clear = clears[n];
        modlib::Replace(stage.value, MLIB_UINTEGER(0, width));
    }

    bool Fires(const Stage& stage) const
    {
        return stage.clock >= 0 && Rose(stage.clock) && HighOr(stage.enable, true) && !Cleared(stage);
    }
    bool Cleared(const Stage& stage) const { return stage.clear >= 0 && High(stage.clear); }
    const MLIB_UINTEGER& Through(const Stage& stage, const MLIB_UINTEGER& input) const
    {
        return stage.clock >= 0 ? stage.value : input;
    }

    bool PortSelected(const char* port_parameter, Slot port) const
    {
        const std::string use = Text(port_parameter, "PORT_CONNECTIVITY");
        return modlib::SameText(use, "PORT_USED") || (modlib::SameText(use, "PORT_CONNECTIVITY") && Connected(port));
    }

    void Configure() override
    {
        const int64_t requested = Integer("number_of_multipliers", 1);
        multipliers = static_cast<int>(std::clamp<int64_t>(requested, 1, 4));
        if (requested != multipliers)
            Warn("parameter number_of_multipliers = " + std::to_string(requested) + " is not supported; " +
                 std::to_string(multipliers) + " multipliers are modelled");
        width_a = static_cast<int>(BoundedInteger("width_a", 1, 1, kMaxOperandBits));
        width_b = static_cast<int>(BoundedInteger("width_b", 1, 1, kMaxOperandBits));
        width_result = Width(result);
        working = std::max(width_result, width_a + width_b + 4) + 1;
        for (const char* feature : {"chainout_adder", "chainout_rounding", "chainout_saturation", "output_rounding",
                                    "output_saturation", "multiplier01_rounding", "multiplier01_saturation",
                                    "multiplier23_rounding", "multiplier23_saturation", "adder1_rounding",
                                    "adder3_rounding", "shift_mode"})
            CheckSupported(feature, "NO", {"NO", "UNUSED"});
        for (int i = 0; i < 4; ++i) {
            CheckSupported(("input_source_a" + std::to_string(i)).c_str(), "DATAA", {"DATAA", "UNUSED"});
            CheckSupported(("input_source_b" + std::to_string(i)).c_str(), "DATAB", {"DATAB", "UNUSED"});
        }
        CheckSupported("accumulator", "NO", {"NO", "YES"});
        accumulate = Is("accumulator", "YES", "NO");
        accumulate_subtracts = Is("accum_direction", "SUB", "UNUSED");

        for (int i = 0; i < 4; ++i) {
            const std::string n = std::to_string(i);
            SetUpStage(input_a[i], "input_register_a" + n, "input_aclr_a" + n, "CLOCK0", "ACLR3", width_a);
            SetUpStage(input_b[i], "input_register_b" + n, "input_aclr_b" + n, "CLOCK0", "ACLR3", width_b);
            SetUpStage(product[i], "multiplier_register" + n, "multiplier_aclr" + n, "CLOCK0", "ACLR3", working);
        }
        SetUpStage(output, "output_register", "output_aclr", "CLOCK0", "ACLR0", working);
        if (accumulate && output.clock < 0) {
            Warn("an accumulator needs an output register; CLOCK0 is used");
            output.clock = clocks[0];
            output.enable = enables[0];
        }
        SetUpStage(sign_a, "signed_register_a", "signed_aclr_a", "CLOCK0", "ACLR3", 1);
        SetUpStage(sign_b, "signed_register_b", "signed_aclr_b", "CLOCK0", "ACLR3", 1);
        sign_a.clock = input_a[0].clock;  // signs travel with the first operands
        sign_b.clock = input_b[0].clock;
        sign_a.enable = input_a[0].enable;
        sign_b.enable = input_b[0].enable;
        latency.Configure(PipelineDepth("extra_latency", width_result), width_result);
        sign_a_source = SignSource(signa, "port_signa", "representation_a");
        sign_b_source = SignSource(signb, "port_signb", "representation_b");
        direction1 = DirectionSource("multiplier1_direction", "port_addnsub1", addnsub1);
        direction3 = DirectionSource("multiplier3_direction", "port_addnsub3", addnsub3);
    }

    MLIB_UINTEGER Operand(Slot data, int index, int width) const
    {
        MLIB_UINTEGER operand(0, width);
        if (index * width < Width(data))
            operand = In(data) >> (index * width);
        return operand;
    }

    // Where an operand's sign or a product's direction comes from, decided at each start.
    struct Control {
        Slot port = -1;      // the input that decides, or -1 for the fixed answer
        bool fixed = false;  // the answer without the input
    };

    Control SignSource(Slot port, const char* port_parameter, const char* representation) const
    {
        return {PortSelected(port_parameter, port) ? port : -1, Is(representation, "SIGNED", "UNUSED")};
    }

    Control DirectionSource(const char* direction_parameter, const char* port_parameter, Slot port) const
    {
        const std::string direction = Text(direction_parameter, "UNUSED");
        if (modlib::SameText(direction, "ADD") || modlib::SameText(direction, "SUB"))
            return {-1, modlib::SameText(direction, "ADD")};
        return {PortSelected(port_parameter, port) ? port : -1, true};
    }

    bool Answer(const Control& control) const { return control.port >= 0 ? High(control.port) : control.fixed; }

    MLIB_UINTEGER Multiply(const MLIB_UINTEGER& a, bool a_signed, const MLIB_UINTEGER& b, bool b_signed) const
    {
        // One extra bit keeps unsigned operands positive in the signed product.
        const MLIB_SINTEGER sa(a_signed ? modlib::SignFit(a, a.width() + 1) : modlib::Fit(a, a.width() + 1));
        const MLIB_SINTEGER sb(b_signed ? modlib::SignFit(b, b.width() + 1) : modlib::Fit(b, b.width() + 1));
        return modlib::SignFit(MLIB_UINTEGER(sa * sb), working);
    }

    // What every register stage would take at an edge, from the current registers and inputs.
    struct StageInputs {
        std::array<MLIB_UINTEGER, 4> a, b, product;
        MLIB_UINTEGER sign_a, sign_b, output, shown;
    };

    void ComputeStageInputs(StageInputs& in) const
    {
        in.sign_a = Answer(sign_a_source) ? 1u : 0u;  // 1-bit values
        in.sign_b = Answer(sign_b_source) ? 1u : 0u;
        const bool a_signed = !Through(sign_a, in.sign_a).is_zero();
        const bool b_signed = !Through(sign_b, in.sign_b).is_zero();
        MLIB_UINTEGER sum(0, working);
        for (int i = 0; i < multipliers; ++i) {
            modlib::Replace(in.a[i], Operand(dataa, i, width_a));
            modlib::Replace(in.b[i], Operand(datab, i, width_b));
            modlib::Replace(in.product[i], Multiply(Through(input_a[i], in.a[i]), a_signed, Through(input_b[i], in.b[i]), b_signed));
            const MLIB_UINTEGER& p = Through(product[i], in.product[i]);
            const bool adds = i == 1 ? Answer(direction1) : i == 3 ? Answer(direction3) : true;
            sum = adds ? modlib::AddAt(sum, p, false, working) : modlib::SubtractAt(sum, p, false, working);
        }
        modlib::Replace(in.output, sum);
        if (accumulate && !High(accum_sload))
            in.output = accumulate_subtracts ? modlib::SubtractAt(output.value, sum, false, working)
                                             : modlib::AddAt(output.value, sum, false, working);
        modlib::Replace(in.shown, modlib::Fit(Through(output, in.output), width_result));
    }

    void ApplyClears()
    {
        for (Stage* stage : {&input_a[0], &input_a[1], &input_a[2], &input_a[3], &input_b[0], &input_b[1],
                             &input_b[2], &input_b[3], &product[0], &product[1], &product[2], &product[3], &output,
                             &sign_a, &sign_b})
            if (Cleared(*stage))
                stage->value = 0u;
    }

    void Compute() override
    {
        ApplyClears();
        StageInputs in;
        ComputeStageInputs(in);
        if (AnyClockRose()) {
            // Every register takes what the values before the edge give it, all at once.
            latency.Clock(in.shown);
            for (int i = 0; i < multipliers; ++i) {
                if (Fires(input_a[i]))
                    input_a[i].value = in.a[i];
                if (Fires(input_b[i]))
                    input_b[i].value = in.b[i];
                if (Fires(product[i]))
                    product[i].value = in.product[i];
            }
            if (Fires(sign_a))
                sign_a.value = in.sign_a;
            if (Fires(sign_b))
                sign_b.value = in.sign_b;
            if (Fires(output))
                output.value = in.output;
            ComputeStageInputs(in);
        }
        const int last = multipliers - 1;
        Out(result) = latency.Output(in.shown);
        Out(scanouta) = Through(input_a[last], in.a[last]);
        Out(scanoutb) = Through(input_b[last], in.b[last]);
        for (Slot flag : {mult0_is_saturated, mult1_is_saturated, mult2_is_saturated, mult3_is_saturated,
                          overflow, chainout_sat_overflow})
            Out(flag) = 0u;
    }

    std::array<Slot, 4> clocks{DeclareClock("clock0"), DeclareClock("clock1"), DeclareClock("clock2"),
                               DeclareClock("clock3")};
    Slot dataa = DeclareInput("dataa");
    Slot datab = DeclareInput("datab");
    Slot scanina = DeclareInput("scanina");
    Slot scaninb = DeclareInput("scaninb");
    std::array<Slot, 4> clears{DeclareInput("aclr0"), DeclareInput("aclr1"), DeclareInput("aclr2"),
                               DeclareInput("aclr3")};
    std::array<Slot, 4> enables{DeclareInput("ena0"), DeclareInput("ena1"), DeclareInput("ena2"),
                                DeclareInput("ena3")};
    Slot signa = DeclareInput("signa");
    Slot signb = DeclareInput("signb");
    Slot addnsub1 = DeclareInput("addnsub1");
    Slot addnsub3 = DeclareInput("addnsub3");
    Slot accum_sload = DeclareInput("accum_sload");
    Slot result = DeclareOutput("result");
    Slot scanouta = DeclareOutput("scanouta");
    Slot scanoutb = DeclareOutput("scanoutb");
    Slot mult0_is_saturated = DeclareOutput("mult0_is_saturated");
    Slot mult1_is_saturated = DeclareOutput("mult1_is_saturated");
    Slot mult2_is_saturated = DeclareOutput("mult2_is_saturated");
    Slot mult3_is_saturated = DeclareOutput("mult3_is_saturated");
    Slot overflow = DeclareOutput("overflow");
    Slot chainout_sat_overflow = DeclareOutput("chainout_sat_overflow");

    // Checkpoints: every register stage and the latency chain.
    void SaveState(StateWriter& out) const override
    {
        for (const std::array<Stage, 4>* stages : {&input_a, &input_b, &product})
            for (const Stage& stage : *stages)
                out.Value(stage.value);
        for (const Stage* stage : {&output, &sign_a, &sign_b})
            out.Value(stage->value);
        latency.SaveState(out);
    }
    bool RestoreState(StateReader& in) override
    {
        for (std::array<Stage, 4>* stages : {&input_a, &input_b, &product})
            for (Stage& stage : *stages)
                if (!in.Value(stage.value))
                    return false;
        for (Stage* stage : {&output, &sign_a, &sign_b})
            if (!in.Value(stage->value))
                return false;
        return latency.RestoreState(in);
    }

    int multipliers = 1;                // number_of_multipliers, 1 to 4
    int width_a = 1;                    // bits per dataa operand
    int width_b = 1;                    // bits per datab operand
    // Products take time quadratic in the operand width: 64 Kibit operands keep an evaluation
    // within milliseconds, far beyond any multiplier block.
    static constexpr int64_t kMaxOperandBits = int64_t(1) << 16;
    int width_result = 1;               // the result port's width
    int working = 8;                    // width of products and sums inside the model
    bool accumulate = false;            // the output register accumulates
    bool accumulate_subtracts = false;  // accum_direction is "SUB"
    std::array<Stage, 4> input_a;       // input registers of the dataa operands
    std::array<Stage, 4> input_b;       // input registers of the datab operands
    std::array<Stage, 4> product;       // multiplier registers
    Stage output;                       // output register (the accumulator when accumulating)
    Stage sign_a;                       // the registered signa
    Stage sign_b;                       // the registered signb
    modlib::Pipeline latency;           // extra_latency stages of the result
    Control sign_a_source;              // what makes the dataa operands signed
    Control sign_b_source;              // what makes the datab operands signed
    Control direction1;                 // whether product 1 is added
    Control direction3;                 // whether product 3 is added
};

}  // namespace

MODLIB_DEFINE_EXPORTS(MultAdd)
