// Cycle throughput of designs built around model-library blocks: the RAM-and-FIFO example
// (sync RAM feeding a single-clock FIFO) with inputs that change every cycle, the same design
// with steady inputs (only the clock pulse crosses into the libraries), and a lone counter.
// Reports simulated cycles per second.
#include <benchmark/benchmark.h>

#include "tests/models/model_design.h"

namespace {

using model_test::Int;
using model_test::Text;

void BuildRamFifo(model_test::Design& d)
{
    d.Add(100, "ram", {{"width_a", Int(8)}, {"widthad_a", Int(4)}, {"numwords_a", Int(16)}});
    d.Add(113, "fifo", {{"lpm_width", Int(8)}, {"lpm_widthu", Int(3)}, {"lpm_numwords", Int(8)}});
    d.DriveAll("ram", {"address_a", "data_a", "wren_a"});
    d.DriveAll("fifo", {"wrreq", "rdreq"});
    Sim::Link(d.manager, "ram", "q_a", "fifo", "data", false);
    d.manager.Run(1);
}

void BM_RamFifoChangingInputs(benchmark::State& state)
{
    model_test::Design d;
    BuildRamFifo(d);
    uint64_t cycle = 0;
    for (auto _ : state) {
        d.Set("ram", "address_a", cycle & 15);
        d.Set("ram", "data_a", cycle & 255);
        d.Set("ram", "wren_a", (cycle >> 4) & 1);
        d.Set("fifo", "wrreq", cycle & 1);
        d.Set("fifo", "rdreq", (cycle >> 1) & 1);
        d.manager.Run(1);
        ++cycle;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["cycles_per_second"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                             benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RamFifoChangingInputs);

void BM_RamFifoSteadyInputs(benchmark::State& state)
{
    model_test::Design d;
    BuildRamFifo(d);
    for (auto _ : state)
        d.manager.Run(1);
    state.SetItemsProcessed(state.iterations());
    state.counters["cycles_per_second"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                             benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RamFifoSteadyInputs);

void BM_Counter(benchmark::State& state)
{
    model_test::Design d;
    d.Add(107, "c", {{"width", Int(16)}});
    d.manager.Run(1);
    for (auto _ : state)
        d.manager.Run(1);
    state.SetItemsProcessed(state.iterations());
    state.counters["cycles_per_second"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                             benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Counter);

}  // namespace

BENCHMARK_MAIN();
