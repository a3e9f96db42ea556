// The public interface on the accumulator example (examples/octave): 100,000 cycles stepped
// in one call, the same cycles written, run and read one by one, and one run of them all.
// bench/python/api_compare.py times the Python module's step against the first of these.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>

#include "host/blocktide.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kCycles = 100000;

// The example imported into a scratch directory, once per process.
const std::string& Accumulator()
{
    static const std::string netlist = [] {
        const fs::path directory = fs::temp_directory_path() / ("blocktide_api_bench_" + std::to_string(getpid()));
        fs::create_directories(directory);
        const fs::path example = fs::path(BLOCKTIDE_SOURCE_DIR) / "examples" / "octave";
        fs::copy_file(example / "accumulator.vo", directory / "accumulator.vo", fs::copy_options::overwrite_existing);
        const std::string path = (directory / "accumulator.vo").string();
        blocktide::ImportDesign(path, (example / "accumulator_map.xml").string(), false);
        return path;
    }();
    return netlist;
}

blocktide::Simulation Open()
{
    blocktide::SimulationOptions options;
    options.print_messages = false;
    return blocktide::Simulation(Accumulator(), options);
}

void BM_Step100k(benchmark::State& state)
{
    blocktide::Simulation sim = Open();
    blocktide::Samples steps{"step", 8, std::vector<uint64_t>(kCycles), {}, {}};
    for (size_t i = 0; i < kCycles; ++i)
        steps.bits[i] = i % 7;
    for (auto _ : state)
        benchmark::DoNotOptimize(sim.Step({steps}, {"level"}));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kCycles));
}
BENCHMARK(BM_Step100k)->Unit(benchmark::kMillisecond);

void BM_WriteRunRead100k(benchmark::State& state)
{
    blocktide::Simulation sim = Open();
    const int step = sim.InputHandle("step"), level = sim.OutputHandle("level");
    for (auto _ : state) {
        for (size_t i = 0; i < kCycles; ++i) {
            sim.Write(step, uint64_t{i % 7});
            sim.Run(1);
            benchmark::DoNotOptimize(sim.Read(level));
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kCycles));
}
BENCHMARK(BM_WriteRunRead100k)->Unit(benchmark::kMillisecond);

void BM_Run100k(benchmark::State& state)
{
    blocktide::Simulation sim = Open();
    sim.Write("step", uint64_t{3});
    for (auto _ : state)
        sim.Run(static_cast<int>(kCycles));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kCycles));
}
BENCHMARK(BM_Run100k)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
