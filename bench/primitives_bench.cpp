// Throughput of the built-in primitives in a pipelined datapath: a chain of stages, each an
// adder (or multiplier) feeding a register, so every cycle clocks every register and
// re-evaluates every stage. Narrow (16-bit, integer ports) and wide (48-bit) variants.
// Reports node evaluations per second and clock cycles per second.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/link.h"
#include "engine/manager.h"
#include "engine/perimeter.h"
#include "nodes/adders.h"
#include "nodes/mul_div.h"
#include "nodes/registers.h"

namespace {

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
    state.counters["evals/s"] = benchmark::Counter(static_cast<double>(evaluations), benchmark::Counter::kIsRate);
    state.counters["ns/eval"] = benchmark::Counter(static_cast<double>(evaluations),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["evals/cycle"] = static_cast<double>(evaluations) / static_cast<double>(cycles ? cycles : 1);
}

}  // namespace

BENCHMARK(BM_Pipeline<Node_UnsnAdd_Sm>)->Arg(16);
BENCHMARK(BM_Pipeline<Node_UnsnAdd>)->Arg(16)->Arg(32)->Arg(48);
BENCHMARK(BM_Pipeline<Node_SignAdd>)->Arg(16)->Arg(32)->Arg(48);
BENCHMARK(BM_Pipeline<Node_UnsnAddSub>)->Arg(16)->Arg(48);
BENCHMARK(BM_Pipeline<Node_UnsnMul>)->Arg(16)->Arg(48);

BENCHMARK_MAIN();
