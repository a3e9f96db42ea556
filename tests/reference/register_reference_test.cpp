// Every combination of the register controls (preset, clear, aload each off, on in some bits
// or on in every bit; the enable off, partial or full), from random contents and data, at
// widths on both sides of the 32- and 64-bit boundaries and for the one-bit class, against
// the reference model. A second register behind the first checks that both take their edge
// from the values settled before it. Random designs of registers and latches follow.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <random>

#include "model/harness.h"
#include "seed_runner.h"

namespace {

using reference::Design;
using reference::Expression;
using reference::Stimulus;
using reference::StimulusLine;
using reference::Term;
using reference::Value;

constexpr uint64_t kSeed = 0x2E6157E2;

enum Level { kOff, kSome, kAll };

Term Whole(const std::string& name, int width)
{
    Term t;
    t.name = name;
    t.msb = width - 1;
    t.ranged = width > 1;
    return t;
}

// A register "r" with every input on a design input of its own (the enable and the
// asynchronous controls may stay unconnected and keep their default sources), and a second
// register "s" that takes r's output under the same enable.
Design RegisterDesign(int width, bool width_parameter, bool connect_enable, bool connect_async)
{
    Design d;
    d.has_clock = true;
    reference::Instance r{"bt_dffe", "r", {}, {}, {{"q", "r_q"}}, true};
    reference::Instance s{"bt_dffe", "s", {}, {}, {{"q", "s_q"}}, true};
    if (width_parameter) {
        r.params.push_back({"width", width, ""});
        s.params.push_back({"width", width, ""});
    }
    for (const char* port : {"d", "adata", "preset", "clear", "aload", "ena", "sclr", "sload"}) {
        const std::string name = port;
        const bool async = name == "adata" || name == "preset" || name == "clear" || name == "aload";
        if ((name == "ena" && !connect_enable) || (async && !connect_async))
            continue;
        d.inputs.push_back({"i_" + name, width});
        r.inputs.push_back({name, Expression{Whole("i_" + name, width)}});
    }
    s.inputs.push_back({"d", Expression{Whole("r_q", width)}});
    if (connect_enable)
        s.inputs.push_back({"ena", Expression{Whole("i_ena", width)}});
    d.wires = {{"r_q", width}, {"s_q", width}};
    d.instances = {r, s};
    d.outputs = {{"y_r", width}, {"y_s", width}};
    d.output_exprs = {Expression{Whole("r_q", width)}, Expression{Whole("s_q", width)}};
    return d;
}

class Values {
public:
    explicit Values(uint64_t seed) : rng_(seed) {}
    bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
    int Below(int n) { return static_cast<int>(rng_() % static_cast<uint64_t>(n)); }

    Value Random(int width)
    {
        Value v = Value::Zero(width);
        for (int i = 0; i < width; ++i)
            v.PutBit(i, Below(2));
        return WithX(v);
    }
    Value At(Level level, int width)
    {
        if (level == kOff)
            return Value::Zero(width);
        if (level == kAll || width == 1)
            return Value::Ones(width);
        Value v = Value::Zero(width); // some bits, never none and never all
        v.PutBit(Below(width), 1);
        for (int i = 0; i < width; ++i)
            if (Chance(0.3))
                v.PutBit(i, 1);
        v.PutBit(Below(width), 0);
        if (v.IsZero())
            v.PutBit(0, 1);
        return WithX(v);
    }

private:
    // Wide values now and then carry undefined bits, with or without the undefined flag.
    Value WithX(Value v)
    {
        if (v.width >= 32 && Chance(0.06)) {
            for (int i = 0; i < v.width; ++i)
                if (Chance(0.2))
                    v.PutXBit(i, 1);
            v.undefined = Chance(0.5);
        }
        return v;
    }
    std::mt19937_64 rng_;
};

// For each control combination, in random order: a line that loads random contents, a line
// with the combination, and a line that releases the preset.
Stimulus RegisterStimulus(const Design& d, uint64_t seed)
{
    Values values(seed);
    const int width = d.inputs[0].width;
    auto index = [&](const std::string& name) {
        for (size_t i = 0; i < d.inputs.size(); ++i)
            if (d.inputs[i].name == "i_" + name)
                return static_cast<int>(i);
        return -1;
    };
    std::vector<int> combinations(81);
    for (int i = 0; i < 81; ++i)
        combinations[i] = i;
    std::shuffle(combinations.begin(), combinations.end(), std::mt19937_64(seed));
    Stimulus stimulus;
    auto write = [&](StimulusLine& line, const std::string& name, const Value& v) {
        if (index(name) >= 0)
            line.writes.push_back({index(name), v});
    };
    for (int combination : combinations) {
        const Level preset = Level(combination % 3), clear = Level(combination / 3 % 3),
                    aload = Level(combination / 9 % 3), enable = Level(combination / 27 % 3);
        StimulusLine load;
        for (const char* control : {"preset", "clear", "aload", "sclr", "sload"})
            write(load, control, Value::Zero(width));
        write(load, "ena", Value::Ones(width));
        write(load, "d", values.Random(width));
        stimulus.push_back(load);

        StimulusLine act;
        act.cycles = values.Below(3);
        write(act, "preset", values.At(preset, width));
        write(act, "clear", values.At(clear, width));
        write(act, "aload", values.At(aload, width));
        write(act, "ena", values.At(enable, width));
        write(act, "d", values.Random(width));
        write(act, "adata", values.Random(width));
        write(act, "sclr", values.At(Level(values.Below(3)), width));
        write(act, "sload", values.At(Level(values.Below(3)), width));
        stimulus.push_back(act);

        StimulusLine release;
        write(release, "preset", Value::Zero(width));
        stimulus.push_back(release);
    }
    return stimulus;
}

TEST(RegisterReference, EveryControlCombinationAgreesWithTheModel)
{
    struct Variant {
        int width;
        bool width_parameter, connect_enable, connect_async;
    };
    std::vector<Variant> variants = {{1, false, true, true}, {1, true, true, true}, {1, false, false, true}};
    for (int width : {2, 5, 16, 31, 32, 33, 40, 63, 64, 65, 96, 130})
        for (int form = 0; form < 3; ++form)
            variants.push_back({width, true, form != 1, form != 2});
    std::cout << "seeds " << kSeed << ".." << kSeed + variants.size() - 1 << "\n";
    int reports = 0;
    for (size_t v = 0; v < variants.size() && reports < 3; ++v) {
        const Variant& variant = variants[v];
        const uint64_t seed = kSeed + v;
        Design design =
            RegisterDesign(variant.width, variant.width_parameter, variant.connect_enable, variant.connect_async);
        Stimulus stimulus = RegisterStimulus(design, seed);
        const reference::Outcome outcome = reference::RunBoth(design, stimulus);
        if (outcome.kind == reference::Outcome::kAgree)
            continue;
        ++reports;
        reference::Reduce(design, stimulus, outcome.kind);
        ADD_FAILURE() << reference::FailureReport(seed, design, stimulus, reference::RunBoth(design, stimulus));
    }
}

// Registers and latches in random designs: data and enables from logic that reads the
// registers themselves, controls from inputs that are mostly zero.
TEST(RegisterReference, RandomRegisterDesignsAgreeWithTheModel)
{
    reference_tests::ExpectSeedsAgree("registers", 1, 300);
}

} // namespace
