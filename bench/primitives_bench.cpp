// Costs of the built-in primitives, two ways:
// - pipeline: a chain of stages, each an adder (or multiplier) feeding a register, so every
//   cycle clocks every register and re-evaluates every stage; narrow (16-bit, integer ports)
//   and wide (48-bit) variants; node evaluations per second and clock cycles per second.
// - per evaluation: one logic, shift or selection node linked to perimeter inputs, Evaluate
//   called with steady inputs (the evaluation alone) and with inputs that change before
//   every evaluation (timed with it); the small variants against their general twins at
//   the same width, narrow and wide. The counter allocs/eval shows heap allocations per
//   evaluation (operator new is counted in this program).
#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <map>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "engine/link.h"
#include "engine/manager.h"
#include "engine/perimeter.h"
#include "nodes/adders.h"
#include "nodes/logic.h"
#include "nodes/lpm_mux.h"
#include "nodes/mul_div.h"
#include "nodes/registers.h"
#include "nodes/select.h"
#include "nodes/shifts.h"

// GCC pairs the replaced operators' malloc and free across inlining and warns wrongly.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {
bool counting = false;  // count allocations now
long allocations = 0;   // allocations counted
}  // namespace

void* operator new(std::size_t size)
{
    if (counting)
        ++allocations;
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

namespace pipeline {

using namespace Sim;

constexpr int kStages = 2000;

ParamQuery Params(int width)
{
    return [width](const std::string& name, ParamValue& value) {
        if (name.empty() || name == "width") {
            value.set_integer(width);
            return true;
        }
        return false;
    };
}

// stage i: op_i = reg_{i-1} (+ or *) b; reg_i := op_i. reg_0 takes the design input a.
template <class Operator>
void BuildPipeline(Manager& manager, int width)
{
    auto* a = manager.NewNode<Node_Perimeter_In>("a", Params(width));
    auto* b = manager.NewNode<Node_Perimeter_In>("b", Params(width));
    auto* ones = manager.NewNode<Node_Perimeter_In>("ones", Params(width));
    a->SetInput(0, 0);
    b->SetInput(3, 0);
    ones->SetInput(0xFFFFFFFF, 0xFFFFFFFF);
    std::string previous = "a";
    for (int i = 0; i < kStages; ++i) {
        const std::string op = "op" + std::to_string(i), reg = "reg" + std::to_string(i);
        manager.NewNode<Operator>(op, Params(width));
        manager.NewNode<Node_DFFE>(reg, Params(width));
        Link(manager, previous, previous == "a" ? "(perimeter io)" : "dataout", op, "dataa", false);
        Link(manager, "b", "(perimeter io)", op, "datab", false);
        Link(manager, op, "dataout", reg, "datain", false);
        Link(manager, "ones", "(perimeter io)", reg, "ena", false);
        previous = reg;
    }
    manager.NewNode<Node_Perimeter_Out>("y", Params(width));
    Link(manager, previous, "dataout", "y", "(perimeter io)", false);
}

template <class Operator>
void BM_Pipeline(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    Manager manager("bench");
    BuildPipeline<Operator>(manager, width);
    auto* a = dynamic_cast<Node_Perimeter_In*>(manager.FindNode("a"));
    manager.Run(0);
    int64_t evaluations = 0, cycles = 0;
    uint32_t stimulus = 1;
    for (auto _ : state) {
        a->SetInput(stimulus++, 0);
        evaluations += manager.Run(1);
        ++cycles;
    }
    state.counters["evals/s"] =
        benchmark::Counter(static_cast<double>(evaluations), benchmark::Counter::kIsRate);
    state.counters["ns/eval"] = benchmark::Counter(static_cast<double>(evaluations),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["evals/cycle"] =
        static_cast<double>(evaluations) / static_cast<double>(cycles ? cycles : 1);
}

}  // namespace pipeline


namespace per_evaluation {

using Params = std::map<std::string, int32_t>;
// Inputs that pick a position get these two values instead of random ones.
using Fixed = std::map<std::string, std::array<uint32_t, 2>>;

ParamQuery QueryOf(const Params& params)
{
    return [params](const std::string& name, ParamValue& value) {
        auto found = params.find(name);
        if (found == params.end())
            return false;
        value.set_integer(found->second);
        return true;
    };
}

ParamQuery WidthQuery(int width)
{
    return [width](const std::string&, ParamValue& value) {
        value.set_integer(width);
        return true;
    };
}

MLIB_UINTEGER RandomValue(std::mt19937& random, int width)
{
    MLIB_UINTEGER v(0, width);
    for (int i = 0; i < v.words(); ++i)
        v.set_word(i, random() & (i == v.words() - 1 ? MLIB_UINTEGER::top_mask(width) : ~0u));
    return v;
}

struct Drive {
    Sim::Port_Base* port;                 // the perimeter input's output port
    std::array<MLIB_UINTEGER, 2> values;  // alternated every evaluation
};

template <class T>
void BM_Evaluate(benchmark::State& state, Params params, Fixed fixed, bool changing)
{
    std::mt19937 random(1);
    Sim::Manager manager("bench");
    T* node = manager.NewNode<T>("dut", QueryOf(params));
    std::vector<Drive> drives;
    for (Sim::Port_Base* input : node->Inputs()) {
        int width = input->Width();
        auto* in = manager.NewNode<Sim::Node_Perimeter_In>("in." + input->Name(), WidthQuery(width));
        Sim::Link(manager, in->Name(), "(perimeter io)", "dut", input->Name(), false);
        Drive drive{in->PerimeterPort(), {RandomValue(random, width), RandomValue(random, width)}};
        if (auto found = fixed.find(input->Name()); found != fixed.end())
            for (int k = 0; k < 2; ++k)
                drive.values[k] = MLIB_UINTEGER(found->second[k], width);
        drive.port->Set(drive.values[0]);
        drives.push_back(std::move(drive));
    }
    manager.Run(0);
    int phase = 0;
    allocations = 0;
    counting = true;
    if (changing) {
        for (auto _ : state) {
            for (Drive& drive : drives)
                drive.port->Set(drive.values[phase]);
            benchmark::DoNotOptimize(node->Evaluate());
            phase ^= 1;
        }
    } else {
        for (auto _ : state)
            benchmark::DoNotOptimize(node->Evaluate());
    }
    counting = false;
    state.counters["allocs/eval"] =
        benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(state.iterations()));
}

template <class T>
void Add(const std::string& name, Params params, Fixed fixed)
{
    for (bool changing : {false, true})
        benchmark::RegisterBenchmark((name + (changing ? "/changing" : "/steady")).c_str(),
                                     [=](benchmark::State& state) { BM_Evaluate<T>(state, params, fixed, changing); });
}

}  // namespace per_evaluation

using namespace Sim;
using pipeline::BM_Pipeline;

BENCHMARK(BM_Pipeline<Node_UnsnAdd_Sm>)->Arg(16);
BENCHMARK(BM_Pipeline<Node_UnsnAdd>)->Arg(16)->Arg(32)->Arg(48);
BENCHMARK(BM_Pipeline<Node_SignAdd>)->Arg(16)->Arg(32)->Arg(48);
BENCHMARK(BM_Pipeline<Node_UnsnAddSub>)->Arg(16)->Arg(48);
BENCHMARK(BM_Pipeline<Node_UnsnMul>)->Arg(16)->Arg(48);

using per_evaluation::Add;
using per_evaluation::Fixed;
using per_evaluation::Params;

int main(int argc, char** argv)
{
    // Reduction gates: small against general at 16 and 32 bits, general at 64 and 256.
    Add<Node_CombOr_Sm>("Node_CombOr_Sm/w16", Params{{"width", 16}}, Fixed{});
    Add<Node_CombOr>("Node_CombOr/w16", Params{{"width", 16}}, Fixed{});
    Add<Node_CombOr_Sm>("Node_CombOr_Sm/w32", Params{{"width", 32}}, Fixed{});
    Add<Node_CombOr>("Node_CombOr/w32", Params{{"width", 32}}, Fixed{});
    Add<Node_CombOr>("Node_CombOr/w256", Params{{"width", 256}}, Fixed{});
    Add<Node_CombAnd_Sm>("Node_CombAnd_Sm/w16", Params{{"width_datain", 16}}, Fixed{});
    Add<Node_CombAnd>("Node_CombAnd/w16", Params{{"width", 16}}, Fixed{});
    Add<Node_CombAnd_Sm>("Node_CombAnd_Sm/w32", Params{{"width_datain", 32}}, Fixed{});
    Add<Node_CombAnd>("Node_CombAnd/w32", Params{{"width", 32}}, Fixed{});
    Add<Node_CombAnd>("Node_CombAnd/w256", Params{{"width", 256}}, Fixed{});
    Add<Node_CombXor_Sm>("Node_CombXor_Sm/w16", Params{{"width", 16}}, Fixed{});
    Add<Node_CombXor>("Node_CombXor/w16", Params{{"width", 16}}, Fixed{});
    Add<Node_CombXor_Sm>("Node_CombXor_Sm/w32", Params{{"width", 32}}, Fixed{});
    Add<Node_CombXor>("Node_CombXor/w32", Params{{"width", 32}}, Fixed{});
    Add<Node_CombXor>("Node_CombXor/w256", Params{{"width", 256}}, Fixed{});

    // Two-input multiplexers.
    Add<Node_MuxSmall>("Node_MuxSmall/w16", Params{{"width", 16}}, Fixed{});
    Add<Node_Mux2to1>("Node_Mux2to1/w16", Params{{"width", 16}}, Fixed{});
    Add<Node_MuxSmall>("Node_MuxSmall/w32", Params{{"width", 32}}, Fixed{});
    Add<Node_Mux2to1>("Node_Mux2to1/w32", Params{{"width", 32}}, Fixed{});
    Add<Node_Mux2to1>("Node_Mux2to1/w64", Params{{"width", 64}}, Fixed{});
    Add<Node_Mux2to1>("Node_Mux2to1/w256", Params{{"width", 256}}, Fixed{});
    Add<Node_MuxSimple>("Node_MuxSimple/w16", Params{{"width", 16}}, Fixed{});
    Add<Node_BusMux2>("Node_BusMux2/w16", Params{{"width", 16}}, Fixed{});
    Add<Node_MuxSimple>("Node_MuxSimple/w32", Params{{"width", 32}}, Fixed{});
    Add<Node_BusMux2>("Node_BusMux2/w32", Params{{"width", 32}}, Fixed{});
    Add<Node_BusMux2>("Node_BusMux2/w256", Params{{"width", 256}}, Fixed{});

    // Bit selectors and masked-OR selectors.
    Add<Node_Mux_Sm>("Node_Mux_Sm/w16", Params{{"width_data", 16}, {"width_select", 4}},
                     Fixed{{"select", {3, 12}}});
    Add<Node_Mux>("Node_Mux/w16", Params{{"width_data", 16}, {"width_select", 4}},
                  Fixed{{"select", {3, 12}}});
    Add<Node_Mux_Sm>("Node_Mux_Sm/w32", Params{{"width_data", 32}, {"width_select", 5}},
                     Fixed{{"select", {3, 30}}});
    Add<Node_Mux>("Node_Mux/w32", Params{{"width_data", 32}, {"width_select", 5}},
                  Fixed{{"select", {3, 30}}});
    Add<Node_Mux>("Node_Mux/w256", Params{{"width_data", 256}, {"width_select", 8}},
                  Fixed{{"select", {3, 200}}});
    Add<Node_Selector_Sm>("Node_Selector_Sm/w16", Params{{"width_sel", 16}}, Fixed{});
    Add<Node_Selector>("Node_Selector/w16", Params{{"width_sel", 16}}, Fixed{});
    Add<Node_Selector_Sm>("Node_Selector_Sm/w32", Params{{"width_sel", 32}}, Fixed{});
    Add<Node_Selector>("Node_Selector/w32", Params{{"width_sel", 32}}, Fixed{});
    Add<Node_Selector>("Node_Selector/w256", Params{{"width_sel", 256}}, Fixed{});

    // LPM multiplexer, shifters, rotators, buffers and decoder.
    Add<Node_MuxConc>("Node_MuxConc/w8x4", Params{{"lpm_width", 8}, {"lpm_size", 4}, {"lpm_widths", 2}},
                      Fixed{{"sel", {1, 3}}});
    Add<Node_MuxConc>("Node_MuxConc/w64x4", Params{{"lpm_width", 64}, {"lpm_size", 4}, {"lpm_widths", 2}},
                      Fixed{{"sel", {1, 3}}});
    Add<Node_SHL>("Node_SHL/w16", Params{{"width", 16}, {"width_amount", 4}}, Fixed{{"amount", {3, 9}}});
    Add<Node_SHL>("Node_SHL/w64", Params{{"width", 64}, {"width_amount", 6}}, Fixed{{"amount", {3, 41}}});
    Add<Node_SHR>("Node_SHR/w16", Params{{"width", 16}, {"width_amount", 4}, {"fill", 1}},
                  Fixed{{"amount", {3, 9}}});
    Add<Node_SHR>("Node_SHR/w64", Params{{"width", 64}, {"width_amount", 6}, {"fill", 1}},
                  Fixed{{"amount", {3, 41}}});
    Add<Node_ROL>("Node_ROL/w16", Params{{"width", 16}, {"width_amount", 4}}, Fixed{{"amount", {3, 9}}});
    Add<Node_ROL>("Node_ROL/w64", Params{{"width", 64}, {"width_amount", 6}}, Fixed{{"amount", {3, 41}}});
    Add<Node_BufTri>("Node_BufTri/w16", Params{{"width", 16}}, Fixed{{"enable", {1, 1}}});
    Add<Node_BufTri>("Node_BufTri/w64", Params{{"width", 64}}, Fixed{{"enable", {1, 1}}});
    Add<Node_BufDrn>("Node_BufDrn/w64", Params{{"width", 64}}, Fixed{{"datain", {0, 5}}});
    Add<Node_Decoder>("Node_Decoder/w4to16", Params{{"width_i", 4}, {"width_o", 16}},
                      Fixed{{"datain", {3, 12}}});
    Add<Node_Decoder>("Node_Decoder/w7to100", Params{{"width_i", 7}, {"width_o", 100}},
                      Fixed{{"datain", {3, 90}}});

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
