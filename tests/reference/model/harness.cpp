// The real system and the model side by side. Each run works in a scratch directory of its
// own: the netlist is written there with the default map beside it, imported (which writes
// its SimDB file), loaded by a session and driven line by line; after every cycle each
// output is read and compared with the model's value, undefined mask and flags included.
#include "model/harness.h"

#include <unistd.h>

#include <atomic>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#include "base/messages.h"
#include "model/ref_sim.h"
#include "sim/import.h"
#include "sim/session.h"

namespace reference {
namespace {

MLIB_UINTEGER ToEngine(const Value& v)
{
    MLIB_UINTEGER m(0, v.width);
    if (v.undefined)
        m.set_undefined();
    for (int i = 0; i < m.words(); ++i) {
        m.set_word(i, static_cast<uint32_t>(v.bits[i / 2] >> (32 * (i % 2))));
        m.set_undef_word(i, static_cast<uint32_t>(v.xmask[i / 2] >> (32 * (i % 2))));
    }
    if (v.high_z)
        m.set_high_z();
    return m;
}

Value FromEngine(const MLIB_UINTEGER& m)
{
    Value v = Value::Zero(m.width());
    for (int i = 0; i < m.words(); ++i) {
        v.bits[i / 2] |= static_cast<uint64_t>(m.word(i)) << (32 * (i % 2));
        v.xmask[i / 2] |= static_cast<uint64_t>(m.undef_word(i)) << (32 * (i % 2));
    }
    v.undefined = m.is_undefined();
    v.high_z = m.is_high_z();
    return v;
}

// Equal values; when the model knows only the mask and flags, the value bits are not compared.
bool Same(const Value& model, const Value& engine)
{
    return model.width == engine.width && (model.unknown || model.bits == engine.bits) && model.xmask == engine.xmask &&
           model.undefined == engine.undefined && model.high_z == engine.high_z;
}

// A scratch directory, removed with everything in it at the end of its scope.
class Scratch {
public:
    Scratch()
    {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("blocktide_reference_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~Scratch()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Collects what the message flushes print while it lives.
class Console {
public:
    Console()
    {
        clear_messages();
        set_console_sink([this](const std::string& text) { text_ += text; });
    }
    ~Console()
    {
        set_console_sink({});
        clear_messages();
    }
    const std::string& Text() const { return text_; }
    bool SawError() const { return text_.find("Error") != std::string::npos; }

private:
    std::string text_;
};

std::string SeriousMessages()
{
    std::string text;
    for (const Message& m : pending_messages())
        if (m.severity >= SEV_ERROR)
            text += "  severity " + std::to_string(m.severity) + ": " + m.text + "\n";
    return text;
}

Outcome Failure(Outcome::Kind kind, const std::string& detail)
{
    Outcome o;
    o.kind = kind;
    o.detail = detail;
    return o;
}

} // namespace

const char* KindName(Outcome::Kind kind)
{
    switch (kind) {
    case Outcome::kAgree:
        return "agree";
    case Outcome::kMismatch:
        return "mismatch";
    case Outcome::kEngineFailure:
        return "engine failure";
    case Outcome::kModelGap:
        return "outside the model";
    }
    return "?";
}

Outcome RunBoth(const Design& design, const Stimulus& stimulus)
{
    std::unique_ptr<Simulation> model;
    try {
        model = std::make_unique<Simulation>(design);
    } catch (const Unsupported& e) {
        return Failure(Outcome::kModelGap, e.what());
    }

    Scratch scratch;
    Console console;
    const std::string netlist = scratch.File(design.module + ".vo");
    std::ofstream(netlist) << NetlistText(design);
    const Sim::ImportResult imported = Sim::ImportDesign(netlist, BLOCKTIDE_REFERENCE_MAP);
    if (!imported.success || imported.error_seen || console.SawError())
        return Failure(Outcome::kEngineFailure, "the import failed:\n" + console.Text());

    std::vector<std::string> inputs, outputs;
    for (const Signal& s : design.inputs)
        inputs.push_back(s.name);
    for (const Signal& s : design.outputs)
        outputs.push_back(s.name);
    SimSession session;
    if (session.Load(netlist, "", false, inputs) || console.SawError())
        return Failure(Outcome::kEngineFailure, "the load failed:\n" + console.Text());
    session.input_names = inputs;
    session.output_names = outputs;
    session.MapDesignPorts();
    if (!SeriousMessages().empty())
        return Failure(Outcome::kEngineFailure, "mapping the ports reported:\n" + SeriousMessages());

    Outcome outcome;
    auto compare = [&](int line, int cycle) -> bool {
        for (size_t o = 0; o < design.outputs.size(); ++o) {
            const Value expected = model->Read(static_cast<int>(o));
            if (expected.unknown && !expected.mask_known) {
                ++outcome.open;
                continue;
            }
            ++outcome.compared;
            const Value actual = FromEngine(session.ReadWideOutput(static_cast<int>(o)));
            if (!Same(expected, actual)) {
                std::ostringstream text;
                text << "line " << line + 1 << ", cycle " << cycle << " of the line: output " << design.outputs[o].name
                     << "\n  engine " << actual.Text() << "\n  model  " << expected.Text();
                outcome.kind = Outcome::kMismatch;
                outcome.detail = text.str();
                return false;
            }
        }
        return true;
    };
    try {
        for (size_t l = 0; l < stimulus.size(); ++l) {
            const StimulusLine& line = stimulus[l];
            for (const Write& w : line.writes) {
                model->Write(w.input, w.value);
                session.WriteWideInput(w.input, ToEngine(w.value));
            }
            const int steps = std::max(line.cycles, 1);
            for (int c = 0; c < steps; ++c) {
                model->Run(line.cycles == 0 ? 0 : 1);
                session.Run(line.cycles == 0 ? 0 : 1);
                const std::string serious = SeriousMessages();
                if (!serious.empty())
                    return Failure(Outcome::kEngineFailure,
                                   "line " + std::to_string(l + 1) + ": the run reported:\n" + serious);
                if (!compare(static_cast<int>(l), c + 1))
                    return outcome;
            }
            clear_messages();
        }
    } catch (const Unsupported& e) {
        return Failure(Outcome::kModelGap, e.what());
    } catch (const std::exception& e) {
        return Failure(Outcome::kEngineFailure, std::string("an exception: ") + e.what());
    }
    return outcome;
}

namespace {

// Greedy delta debugging: removes ever smaller runs of items while `still_fails` holds.
std::vector<bool> Minimize(size_t n, const std::function<bool(const std::vector<bool>&)>& still_fails, int& budget)
{
    std::vector<bool> keep(n, true);
    for (size_t chunk = std::max<size_t>(1, n / 2); chunk >= 1 && budget > 0; chunk /= 2) {
        for (bool progress = true; progress && budget > 0;) {
            progress = false;
            for (size_t start = 0; start < n && budget > 0; start += chunk) {
                std::vector<bool> trial = keep;
                bool any = false;
                for (size_t i = start; i < std::min(n, start + chunk); ++i)
                    if (trial[i]) {
                        trial[i] = false;
                        any = true;
                    }
                if (!any)
                    continue;
                --budget;
                if (still_fails(trial)) {
                    keep = trial;
                    progress = true;
                }
            }
        }
        if (chunk == 1)
            break;
    }
    return keep;
}

void ReplaceDead(Expression& e, const std::set<std::string>& dead)
{
    for (Term& t : e)
        if (t.kind == Term::kNamed && dead.count(t.name)) {
            const int width = t.Width();
            t = Term{};
            t.kind = Term::kZeros;
            t.msb = width - 1;
        }
}

Design WithoutInstances(const Design& d, const std::vector<bool>& keep)
{
    std::set<std::string> dead;
    Design r = d;
    r.instances.clear();
    for (size_t i = 0; i < d.instances.size(); ++i) {
        if (keep[i])
            r.instances.push_back(d.instances[i]);
        else
            for (const auto& [port, wire] : d.instances[i].outputs)
                dead.insert(wire);
    }
    r.aliases.clear();
    for (const Alias& a : d.aliases) {
        if (dead.count(a.target))
            dead.insert(a.name);
        else
            r.aliases.push_back(a);
    }
    r.wires.clear();
    for (const Signal& w : d.wires)
        if (!dead.count(w.name))
            r.wires.push_back(w);
    r.has_clock = false;
    for (Instance& inst : r.instances) {
        r.has_clock = r.has_clock || inst.clocked;
        for (auto& [port, e] : inst.inputs)
            ReplaceDead(e, dead);
    }
    for (Expression& e : r.output_exprs)
        ReplaceDead(e, dead);
    return r;
}

// Inputs, constant wires and aliases that no expression reads are dropped, with their writes.
void DropUnreadSignals(Design& d, Stimulus& s)
{
    std::set<std::string> read;
    auto note = [&](const Expression& e) {
        for (const Term& t : e)
            if (t.kind == Term::kNamed)
                read.insert(t.name);
    };
    for (const Instance& inst : d.instances)
        for (const auto& [port, e] : inst.inputs)
            note(e);
    for (const Expression& e : d.output_exprs)
        note(e);
    std::vector<int> index(d.inputs.size(), -1);
    std::vector<Signal> kept;
    for (size_t i = 0; i < d.inputs.size(); ++i)
        if (read.count(d.inputs[i].name)) {
            index[i] = static_cast<int>(kept.size());
            kept.push_back(d.inputs[i]);
        }
    d.inputs = kept;
    std::vector<ConstantWire> constants;
    for (const ConstantWire& k : d.constants)
        if (read.count(k.name))
            constants.push_back(k);
    d.constants = constants;
    std::vector<Alias> aliases;
    for (const Alias& a : d.aliases)
        if (read.count(a.name))
            aliases.push_back(a);
    d.aliases = aliases;
    for (StimulusLine& line : s) {
        std::vector<Write> writes;
        for (Write& w : line.writes)
            if (index[w.input] >= 0) {
                w.input = index[w.input];
                writes.push_back(w);
            }
        line.writes = writes;
    }
}

} // namespace

void Reduce(Design& design, Stimulus& stimulus, Outcome::Kind kind)
{
    int budget = 600;
    auto fails = [&](const Design& d, const Stimulus& s) { return RunBoth(d, s).kind == kind; };

    const std::vector<bool> lines = Minimize(
        stimulus.size(),
        [&](const std::vector<bool>& keep) {
            Stimulus s;
            for (size_t i = 0; i < keep.size(); ++i)
                if (keep[i])
                    s.push_back(stimulus[i]);
            return fails(design, s);
        },
        budget);
    Stimulus shorter;
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i])
            shorter.push_back(stimulus[i]);
    stimulus = shorter;

    const std::vector<bool> instances = Minimize(
        design.instances.size(),
        [&](const std::vector<bool>& keep) { return fails(WithoutInstances(design, keep), stimulus); }, budget);
    design = WithoutInstances(design, instances);

    for (size_t o = 0; design.outputs.size() > 1 && o < design.outputs.size() && budget > 0; --budget) {
        Design d = design;
        d.outputs.erase(d.outputs.begin() + static_cast<long>(o));
        d.output_exprs.erase(d.output_exprs.begin() + static_cast<long>(o));
        if (fails(d, stimulus))
            design = d;
        else
            ++o;
    }
    {
        Design d = design;
        Stimulus s = stimulus;
        DropUnreadSignals(d, s);
        if (fails(d, s)) {
            design = d;
            stimulus = s;
        }
    }
    for (size_t l = 0; l < stimulus.size(); ++l)
        for (size_t w = 0; w < stimulus[l].writes.size() && budget > 0; --budget) {
            Stimulus s = stimulus;
            s[l].writes.erase(s[l].writes.begin() + static_cast<long>(w));
            if (fails(design, s))
                stimulus = s;
            else
                ++w;
        }
}

std::string FailureReport(uint64_t seed, const Design& design, const Stimulus& stimulus, const Outcome& outcome)
{
    std::ostringstream text;
    text << "seed " << seed << ": " << KindName(outcome.kind) << "\n"
         << outcome.detail << "\n--- netlist ---\n"
         << NetlistText(design)
         << "--- stimulus (each line: writes, then its cycles; outputs compared after each cycle) ---\n"
         << StimulusText(design, stimulus);
    return text.str();
}

} // namespace reference
