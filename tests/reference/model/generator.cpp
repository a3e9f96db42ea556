// The random design generator. Instances are created in order; an input reads signals made
// before it (design inputs, constant wires, earlier instances' outputs), so combinational
// logic never loops. Register data and enables, shift-tap inputs and the data of pipelined
// multiplexers may also read later signals (loops through state). Asynchronous controls, the
// latch and the pipelined comparator, whose results depend on every transient value they
// see, read only design inputs and constants.
#include "model/generator.h"

#include <algorithm>
#include <random>
#include <set>
#include <stdexcept>

#include "model/ref_primitives.h"
#include "model/ref_sim.h"

namespace reference {

const std::vector<std::string>& GeneratedTypes()
{
    static const std::vector<std::string> types = {
        "bt_dffe",   "bt_mux2",     "bt_or_reduce",  "bt_add",    "bt_mult",      "bt_xor_reduce", "bt_and_reduce",
        "bt_addsub", "bt_selector", "bt_compare_le", "bt_tribuf", "bt_bitselect", "bt_div",        "bt_mod",
        "bt_shl",    "bt_shr",      "bt_rol",        "bt_ror",    "bt_opendrain", "bt_decoder",    "bt_busmux2",
        "bt_latch",  "lpm_compare", "bt_shift_taps", "lpm_abs",   "lpm_mux"};
    return types;
}

namespace {

class Builder {
public:
    Builder(uint64_t seed, const Profile& profile) : rng_(seed), p_(profile) {}

    Generated Build()
    {
        for (int i = 0; i < p_.data_inputs; ++i)
            NewInput(Width(), false);
        const int constants = Below(3);
        for (int i = 0; i < constants; ++i) {
            ConstantWire c{"k" + std::to_string(i), Width(), Chance(0.5)};
            d_.constants.push_back(c);
            pool_.push_back({c.name, c.width, true, -1});
        }
        const int count = Between(p_.min_instances, p_.max_instances);
        const std::vector<std::string>& types = p_.types.empty() ? GeneratedTypes() : p_.types;
        for (int i = 0; i < count; ++i)
            AddInstance(types[Below(static_cast<int>(types.size()))]);
        for (const Deferred& f : deferred_)
            d_.instances[f.instance].inputs.push_back({f.port, Expression(f.width, false, 1 << 30)});
        AddOutputs();
        Generated g;
        g.stimulus = MakeStimulus();
        g.design = d_;
        return g;
    }

private:
    struct Source {
        std::string name;
        int width;
        bool stable; // a design input or a constant wire
        int order;   // index of the instance that drives it; -1 for inputs and constants
    };
    struct Deferred {
        int instance;
        std::string port;
        int width;
    };

    // ---- random numbers (our own draws, so that a seed means the same everywhere) ----
    uint64_t Next() { return rng_(); }
    int Below(int n) { return n <= 1 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
    bool Chance(double p) { return static_cast<double>(Next() >> 11) * 0x1.0p-53 < p; }

    // Widths spread over the places where the engine changes representation: 1, narrow words,
    // 31/32/33, the 64-bit boundary and several words.
    int Width(int max = 0)
    {
        if (max <= 0)
            max = p_.max_width;
        if (last_width_ > 0 && last_width_ <= max && Chance(0.25))
            return last_width_; // equal operand widths are where several paths meet
        static const int kEdges[] = {1, 2, 7, 8, 16, 31, 32, 32, 32, 33, 40, 63, 64, 64, 65, 96, 127, 128, 129, 130};
        int w;
        switch (Below(4)) {
        case 0:
            w = kEdges[Below(sizeof kEdges / sizeof kEdges[0])];
            break;
        case 1:
            w = Between(1, 12);
            break;
        case 2:
            w = Between(1, 40);
            break;
        default:
            w = Between(1, 130);
            break;
        }
        last_width_ = std::min(w, max);
        return last_width_;
    }

    int NewInput(int width, bool control)
    {
        const std::string name = (control ? "c" : "a") + std::to_string(d_.inputs.size());
        d_.inputs.push_back({name, width});
        control_.push_back(control);
        pool_.push_back({name, width, true, -1});
        return static_cast<int>(d_.inputs.size()) - 1;
    }

    static Term Literal(int width, bool ones)
    {
        Term t;
        t.kind = ones ? Term::kOnes : Term::kZeros;
        t.msb = width - 1;
        return t;
    }

    Term Slice(const Source& s, int width)
    {
        Term t;
        t.name = s.name;
        t.lsb = Chance(0.35) ? 0 : Below(s.width - width + 1); // most slices of a netlist start at bit 0
        t.msb = t.lsb + width - 1;
        t.ranged = !(s.width == 1 && Chance(0.6));
        t.inverted = Chance(0.15);
        t.parenthesized = Chance(0.05);
        return t;
    }

    // A source, the most recent ones preferred as the profile asks (deeper logic).
    const Source& Pick(const std::vector<const Source*>& candidates)
    {
        const int n = static_cast<int>(candidates.size());
        if (Chance(p_.recent_bias))
            return *candidates[n - 1 - Below(std::min(n, 3))];
        return *candidates[Below(n)];
    }

    // Terms totalling `width` bits from sources made before instance `before`.
    ::reference::Expression Expression(int width, bool stable_only, int before)
    {
        std::vector<const Source*> candidates;
        for (const Source& s : pool_)
            if ((!stable_only || s.stable) && s.order < before)
                candidates.push_back(&s);
        ::reference::Expression terms;
        if (candidates.empty() || Chance(0.04)) {
            terms.push_back(Literal(width, Chance(0.5)));
            return terms;
        }
        if (Chance(0.45)) { // one term, if some source is wide enough
            std::vector<const Source*> wide;
            for (const Source* s : candidates)
                if (s->width >= width)
                    wide.push_back(s);
            if (!wide.empty()) {
                terms.push_back(Slice(Pick(wide), width));
                return terms;
            }
        }
        int left = width;
        while (left > 0) {
            int bits = Chance(0.35) ? left : Between(1, left);
            if (Chance(0.1)) {
                terms.push_back(Literal(bits, Chance(0.5)));
            } else {
                const Source& s = Pick(candidates);
                bits = std::min(bits, s.width);
                const Term t = Slice(s, bits);
                // A slice repeated (written as a replication) now and then.
                for (int repeat = Chance(0.05) ? Between(2, 3) : 1; repeat > 0 && left >= bits; --repeat) {
                    terms.push_back(t);
                    left -= bits;
                }
                continue;
            }
            left -= bits;
        }
        return terms;
    }

    // A source for an asynchronous control or another input that must not see transients:
    // mostly an input of its own (written zero most of the time), else a stable expression.
    ::reference::Expression ControlExpression(int width)
    {
        if (Chance(0.15))
            return {Literal(width, Chance(0.3))};
        if (Chance(0.7)) {
            std::vector<int> fitting;
            for (size_t i = 0; i < d_.inputs.size(); ++i)
                if (control_[i] && d_.inputs[i].width >= width)
                    fitting.push_back(static_cast<int>(i));
            int input;
            if (fitting.empty() || (Chance(0.3) && d_.inputs.size() < 14))
                input = NewInput(std::max(width, Chance(0.3) ? Width() : width), true);
            else
                input = fitting[Below(static_cast<int>(fitting.size()))];
            const Source s{d_.inputs[input].name, d_.inputs[input].width, true, -1};
            ::reference::Expression e{Slice(s, width)};
            e[0].inverted = false;
            return e;
        }
        return Expression(width, true, -1);
    }

    void Param(Instance& inst, const std::string& name, int value) { inst.params.push_back({name, value, ""}); }
    void Text(Instance& inst, const std::string& name, const std::string& text)
    {
        inst.params.push_back({name, 0, text});
    }

    // Widths of a three-width arithmetic block: sometimes "width", then specific overrides.
    void ThreeWidths(Instance& inst, bool output_required)
    {
        if (Chance(0.3)) { // equal operands at a word boundary, where the word paths end
            static const int kBoundaries[] = {31, 32, 32, 33, 63, 64, 64, 65};
            const int w = kBoundaries[Below(sizeof kBoundaries / sizeof kBoundaries[0])];
            Param(inst, "width", w);
            if (output_required || Chance(0.5))
                Param(inst, "width_o", Chance(0.5) ? w : Width());
            return;
        }
        if (Chance(0.5))
            Param(inst, "width", Width());
        if (Chance(0.6))
            Param(inst, "width_a", Width());
        if (Chance(0.6))
            Param(inst, "width_b", Width());
        if (output_required || Chance(0.6))
            Param(inst, "width_o", Width());
    }

    void ChooseParams(Instance& inst)
    {
        const std::string& t = inst.type;
        if (t == "bt_dffe") {
            const int r = Below(10);
            if (r == 2)
                Param(inst, "width", 1);
            else if (r > 2)
                Param(inst, "width", Width());
        } else if (t == "bt_mux2") {
            const int r = Below(3);
            if (r == 0) {
                if (Chance(0.5))
                    Param(inst, "width", 1);
                if (Chance(0.8))
                    Param(inst, "data_width", Width());
            } else {
                Param(inst, "width", r == 1 ? Between(2, 32) : Between(33, 130));
            }
        } else if (t == "bt_or_reduce" || t == "bt_xor_reduce" || t == "bt_and_reduce") {
            if (Chance(0.9))
                Param(inst, "width", Width());
        } else if (t == "bt_add" || t == "bt_mult" || t == "bt_addsub" || t == "bt_compare_le") {
            const bool is_signed = Chance(0.35);
            if (is_signed || Chance(0.2))
                Param(inst, "signed", is_signed ? 1 : (Chance(0.5) ? 0 : 2)); // only 1 means signed
            if (t == "bt_compare_le") {
                if (Chance(0.5))
                    Param(inst, "width", Width());
                if (Chance(0.6))
                    Param(inst, "width_a", Width());
                if (Chance(0.6))
                    Param(inst, "width_b", Width());
            } else {
                ThreeWidths(inst, t == "bt_add" && !is_signed);
            }
        } else if (t == "bt_selector") {
            const int sel = Chance(0.9) ? Width() : 6;
            if (sel != 6 || Chance(0.5))
                Param(inst, "width_sel", sel);
            if (Chance(0.7)) {
                const int words = (sel + 31) / 32;
                Param(inst, "width_data", Between(32 * (words - 1) + 1, std::min(32 * words, p_.max_width)));
            }
        } else if (t == "bt_tribuf" || t == "bt_opendrain") {
            if (Chance(0.9))
                Param(inst, "width", Width());
        } else if (t == "bt_bitselect") {
            const int data = Width();
            int log = 0;
            while ((2 << log) <= data)
                ++log;
            const int select = data <= 32 ? Between(1, 5) : Between(1, std::max(1, log));
            if (Chance(0.3))
                Param(inst, "width", select);
            Param(inst, "width_data", data);
            Param(inst, "width_select", select);
        } else if (t == "bt_div" || t == "bt_mod") {
            if (Chance(0.4))
                Param(inst, "signed", Chance(0.7) ? 1 : 0);
            if (Chance(0.3))
                Param(inst, "width", Between(1, 32));
            Param(inst, "width_a", Width());
            Param(inst, "width_b", Between(1, 32));
            Param(inst, "width_o", Chance(0.35) ? 32 : Between(1, 32)); // 32 bits show an undefined result
        } else if (t == "bt_shl" || t == "bt_shr" || t == "bt_rol" || t == "bt_ror") {
            static const int kBoundaries[] = {16, 31, 32, 33, 40, 63, 64, 65, 96};
            const bool boundary = Chance(0.3); // widening across the word paths' limits
            const int in = boundary ? kBoundaries[Below(5)] : Width();
            Param(inst, "width_in", in);
            Param(inst, "width_amount", Between(1, 8));
            Param(inst, "width_out", boundary ? kBoundaries[Between(2, 8)] : Chance(0.5) ? in : Width());
            if ((t == "bt_shl" || t == "bt_shr") && Chance(0.7))
                Param(inst, "fill", Below(3));
        } else if (t == "bt_decoder") {
            Param(inst, "width_i", Between(1, 8));
            Param(inst, "width_o", Width());
        } else if (t == "bt_busmux2") {
            ThreeWidths(inst, false);
        } else if (t == "lpm_compare") {
            Param(inst, "lpm_width", Width());
            const int r = Below(5);
            if (r >= 2)
                Param(inst, "lpm_pipeline", r == 2 ? 0 : Between(1, 3));
            const int rep = Below(4);
            if (rep)
                Text(inst, "lpm_representation", rep == 1 ? "SIGNED" : rep == 2 ? "UNSIGNED" : "signed");
        } else if (t == "bt_shift_taps") {
            if (Chance(0.9)) {
                Param(inst, "number_of_taps", Between(1, 4));
                Param(inst, "tap_distance", Between(1, 4));
                Param(inst, "width", Width(40));
            }
            if (Chance(0.2))
                Text(inst, "power_up_state", "UNCLEARED");
        } else if (t == "lpm_abs") {
            Param(inst, "lpm_width", Width());
        } else if (t == "lpm_mux") {
            Param(inst, "lpm_width", Width(64));
            Param(inst, "lpm_size", Between(1, 5));
            Param(inst, "lpm_widths", Between(1, 3));
            const int r = Below(4);
            if (r >= 1)
                Param(inst, "lpm_pipeline", r == 1 ? 0 : Between(1, 3));
        }
    }

    bool Piped(const Instance& inst) const
    {
        for (const Parameter& p : inst.params)
            if (p.name == "lpm_pipeline")
                return p.integer != 0;
        return false;
    }

    // Inputs whose every transient value matters read only design inputs and constants.
    bool NeedsStableSource(const Instance& inst, const std::string& port) const
    {
        if (inst.type == "bt_dffe")
            return port == "adata" || port == "preset" || port == "clear" || port == "aload";
        if (inst.type == "bt_latch")
            return true;
        if (inst.type == "lpm_compare")
            return Piped(inst);
        if (inst.type == "lpm_mux")
            return Piped(inst) && port == "aclr";
        return false;
    }

    bool MayReadLater(const Instance& inst, const std::string& port) const
    {
        if (!p_.feedback)
            return false;
        if (inst.type == "bt_dffe")
            return port == "d" || port == "ena" || port == "sclr" || port == "sload";
        if (inst.type == "bt_shift_taps")
            return true;
        if (inst.type == "lpm_mux")
            return Piped(inst) && port != "aclr";
        return false;
    }

    double ConnectChance(const Instance& inst, const std::string& port) const
    {
        if (port == "sclr" || port == "sload")
            return 0.3;
        if (port == "clken" || port == "aclr" || port == "apre")
            return 0.55;
        if (inst.type == "bt_dffe" && port != "d")
            return port == "ena" ? 0.7 : 0.5;
        return 0.93;
    }

    void AddInstance(const std::string& type_name)
    {
        const ModuleType* type = FindModuleType(type_name);
        const int index = static_cast<int>(d_.instances.size());
        Instance inst;
        inst.type = type_name;
        inst.name = "u" + std::to_string(index);
        ChooseParams(inst);
        std::unique_ptr<Node> node = MakeInstanceNode(inst);
        inst.clocked = !type->clock.empty() && Chance(0.85);
        d_.has_clock = d_.has_clock || inst.clocked;
        for (const MapPort& port : type->inputs) {
            if (!Chance(ConnectChance(inst, port.netlist)))
                continue;
            int width = node->In(port.sim)->width;
            if (Chance(0.04)) // a connection narrower or wider than the port
                width = std::max(1, width + Between(-3, 3));
            if (MayReadLater(inst, port.netlist))
                deferred_.push_back({index, port.netlist, width});
            else if (NeedsStableSource(inst, port.netlist))
                inst.inputs.push_back({port.netlist, ControlExpression(width)});
            else
                inst.inputs.push_back({port.netlist, Expression(width, false, index)});
        }
        for (const MapPort& port : type->outputs) {
            if (!Chance(0.92) && port.netlist != type->outputs[0].netlist)
                continue;
            const std::string wire = inst.name + "_" + port.netlist;
            const int width = node->Out(port.sim)->width;
            d_.wires.push_back({wire, width});
            inst.outputs.push_back({port.netlist, wire});
            pool_.push_back({wire, width, false, index});
            if (Chance(0.06)) {
                const std::string alias = "al" + std::to_string(d_.aliases.size());
                d_.aliases.push_back({alias, wire});
                pool_.push_back({alias, width, false, index});
            }
        }
        d_.instances.push_back(inst);
    }

    // Outputs that between them show every instance output nobody reads, and a few more.
    void AddOutputs()
    {
        std::set<std::string> read;
        auto note = [&](const ::reference::Expression& e) {
            for (const Term& t : e)
                if (t.kind == Term::kNamed)
                    read.insert(t.name);
        };
        for (const Instance& inst : d_.instances)
            for (const auto& [port, e] : inst.inputs)
                note(e);
        for (const Alias& a : d_.aliases)
            if (read.count(a.name))
                read.insert(a.target);
        std::vector<Source> unread;
        for (const Source& s : pool_)
            if (s.order >= 0 && !read.count(s.name))
                unread.push_back(s);
        size_t next = 0;
        while (next < unread.size() && static_cast<int>(d_.outputs.size()) < p_.max_outputs) {
            ::reference::Expression e;
            int width = 0;
            while (next < unread.size() && width < 100) {
                const Source& s = unread[next++];
                const int bits = std::min(s.width, 130 - width);
                Term t = Slice(s, bits);
                e.insert(e.begin(), t); // the first wire at the low bits
                width += bits;
            }
            AddOutput(e, width);
        }
        const int extra = d_.outputs.empty() ? Between(1, 3) : Below(3);
        for (int i = 0; i < extra; ++i) {
            const int width = Width();
            AddOutput(Expression(width, false, 1 << 30), Chance(0.05) ? std::max(1, width + Between(-2, 2)) : width);
        }
    }

    void AddOutput(const ::reference::Expression& e, int width)
    {
        d_.outputs.push_back({"y" + std::to_string(d_.outputs.size()), width});
        d_.output_exprs.push_back(e);
    }

    Value RandomValue(int width, bool control)
    {
        Value v = Value::Zero(width);
        auto random_bits = [&](double density) {
            for (int i = 0; i < width; ++i)
                if (Chance(density))
                    v.PutBit(i, 1);
        };
        if (control) {
            if (Chance(p_.control_active)) {
                const int r = Below(3);
                if (r == 0)
                    v = Value::Ones(width);
                else if (r == 1)
                    v.PutBit(Below(width), 1);
                else
                    random_bits(0.3);
            }
        } else {
            const int r = Below(20);
            if (r < 11)
                random_bits(0.5);
            else if (r == 11)
                v = Value::Ones(width);
            else if (r == 12)
                v.PutBit(0, 1);
            else if (r == 13)
                v = Value::Of(width, static_cast<uint64_t>(Below(16)));
            else if (r == 14)
                v.PutBit(width - 1, 1);
            else if (r == 15) {
                v = Value::Ones(width);
                v.PutBit(width - 1, 0);
            } else if (r == 16)
                random_bits(0.1);
            else if (r == 17)
                random_bits(0.9);
            // else zero
        }
        if (Chance(width >= 32 ? p_.x_value : p_.x_value / 4)) {
            if (Chance(0.3)) {
                v.SetUndefined();
            } else {
                // Value bits under an undefined bit are random: operations that respect the
                // mask must not see them.
                const double density = Chance(0.5) ? 0.3 : 0.08;
                for (int i = 0; i < width; ++i)
                    if (Chance(density)) {
                        v.PutXBit(i, 1);
                        v.PutBit(i, Below(2));
                    }
                v.undefined = Chance(0.5);
            }
        }
        if (Chance(0.02))
            v.high_z = true;
        if (Chance(0.03))
            v = Resized(v, std::max(1, width + Between(-4, 4)));
        return v;
    }

    Stimulus MakeStimulus()
    {
        std::vector<bool> never;
        for (size_t i = 0; i < d_.inputs.size(); ++i)
            never.push_back(Chance(p_.undefined_input));
        Stimulus s;
        for (int l = 0; l < p_.lines; ++l) {
            StimulusLine line;
            const int r = Below(25);
            line.cycles = (p_.settle_lines && r < 2) ? 0 : r < 4 ? 2 : r == 4 ? 3 : 1;
            for (size_t i = 0; i < d_.inputs.size(); ++i)
                if (!never[i] && (l == 0 || Chance(0.5)))
                    line.writes.push_back({static_cast<int>(i), RandomValue(d_.inputs[i].width, control_[i])});
            s.push_back(line);
        }
        return s;
    }

    std::mt19937_64 rng_;
    Profile p_;
    Design d_;
    std::vector<Source> pool_;
    std::vector<bool> control_; // per design input: written zero most of the time
    std::vector<Deferred> deferred_;
    int last_width_ = 0; // the width drawn last
};

} // namespace

Generated Generate(uint64_t seed, const Profile& profile)
{
    return Builder(seed, profile).Build();
}

Profile NamedProfile(const std::string& name)
{
    Profile p;
    if (name == "designs")
        return p;
    if (name == "registers") {
        p.types = {"bt_dffe", "bt_dffe", "bt_dffe", "bt_latch", "bt_add", "bt_xor_reduce"};
        p.min_instances = 2;
        p.max_instances = 8;
        p.lines = 40;
        p.control_active = 0.35;
        return p;
    }
    if (name == "networks") {
        p.types = {"bt_add",        "bt_addsub",  "bt_mult",    "bt_compare_le", "bt_or_reduce", "bt_and_reduce",
                   "bt_xor_reduce", "bt_shl",     "bt_shr",     "bt_rol",        "bt_ror",       "bt_tribuf",
                   "bt_opendrain",  "bt_decoder", "bt_busmux2", "bt_mux2",       "bt_selector",  "bt_bitselect",
                   "bt_div",        "bt_mod",     "lpm_abs",    "lpm_compare",   "lpm_mux"};
        p.min_instances = 20;
        p.max_instances = 45;
        p.lines = 12;
        p.feedback = false;
        p.recent_bias = 0.6;
        return p;
    }
    if (name == "selection") {
        p.types = {"bt_mux2", "bt_busmux2", "bt_bitselect", "bt_selector", "lpm_mux", "bt_decoder", "bt_tribuf"};
        p.min_instances = 3;
        p.max_instances = 10;
        p.lines = 24;
        p.x_value = 0.25;
        return p;
    }
    throw std::invalid_argument("no profile named " + name);
}

} // namespace reference
