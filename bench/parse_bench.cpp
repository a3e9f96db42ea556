// Front-end throughput: tokenizing and fully loading (parse, elaborate, wire up) a generated
// netlist. Reports instances per second and the heap allocations the tokenizer makes per token.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>

#include "bench/netlist_generator.h"
#include "frontend/tokenizer.h"
#include "frontend/vo_parser.h"
#include "base/messages.h"
#include "netlistdb/netlist_db.h"

namespace {

std::atomic<long long> allocations{0};

// Writes a generated design of `instances` instances once per size and answers its paths.
struct GeneratedDesign {
    std::string netlist;
    std::string map;
};

GeneratedDesign Generate(int instances)
{
    auto dir = std::filesystem::temp_directory_path() / "blocktide_parse_bench";
    std::filesystem::create_directories(dir);
    GeneratedDesign design{(dir / ("gen" + std::to_string(instances) + ".vo")).string(), (dir / "map.xml").string()};
    NetlistGenerator::WriteFile(design.netlist, NetlistGenerator::NetlistText(instances));
    NetlistGenerator::WriteFile(design.map, NetlistGenerator::MapText());
    return design;
}

void BM_TokenizeNetlist(benchmark::State& state)
{
    const int instances = static_cast<int>(state.range(0));
    GeneratedDesign design = Generate(instances);
    long long tokens = 0;
    long long allocated = 0;
    for (auto _ : state) {
        long long before = allocations.load();
        Parser::Tokenizer tokenizer(design.netlist);
        long long count = 0;
        while (!tokenizer.Advance()) ++count;
        allocated += allocations.load() - before;
        tokens += count;
    }
    state.SetItemsProcessed(tokens);
    state.SetBytesProcessed(static_cast<int64_t>(std::filesystem::file_size(design.netlist)) * state.iterations());
    state.counters["allocs_per_token"] = static_cast<double>(allocated) / static_cast<double>(tokens);
    state.counters["tokens"] = static_cast<double>(tokens) / static_cast<double>(state.iterations());
}

void BM_LoadNetlist(benchmark::State& state)
{
    const int instances = static_cast<int>(state.range(0));
    GeneratedDesign design = Generate(instances);
    for (auto _ : state) {
        KVC::NetlistDB db;
        bool ready = false;
        VoParser loader(design.netlist, design.map, &db, ready);
        if (!ready || loader.Parse() != 1) state.SkipWithError("the generated netlist did not parse");
        benchmark::DoNotOptimize(db.NodeCount());
        clear_messages();
    }
    state.SetItemsProcessed(static_cast<int64_t>(instances) * state.iterations());
    state.counters["instances_per_second"] =
        benchmark::Counter(static_cast<double>(instances) * state.iterations(), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_TokenizeNetlist)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadNetlist)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

// Counts every heap allocation of the process, so the benchmark can report allocations per
// token. GCC cannot see that this new and delete pair up through malloc and free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
