// Save and LoadSimDB on a generated database of 100,000 nodes, each with two inputs, one
// output and two parameters; every input is driven by another node's output. Reports the
// time per file and the file size processed per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "base/messages.h"
#include "netlistdb/netlist_db.h"

namespace {

constexpr int kNodes = 100000;

std::string BenchPath()
{
    return "simdb_bench.simdb";
}

std::unique_ptr<KVC::NetlistDB> GenerateDatabase()
{
    auto db = std::make_unique<KVC::NetlistDB>();
    db->AddClock("clk");
    KVC::Port* din = db->AddDesignInput("din");
    din->width = 16;
    std::vector<KVC::Port*> outputs;
    outputs.reserve(kNodes);
    for (int i = 0; i < kNodes; i++) {
        std::string name = "u";
        name += std::to_string(i);
        KVC::Node* node = db->CreateNode(name);
        node->operatorCode = 1 + i % 40;
        node->clockDomain = 1;
        KVC::Port* result = node->NewPort("result", 1);
        result->width = 16;
        outputs.push_back(result);
        node->SetParam("lpm_width", ParamValue(16));
        node->SetParam("lpm_type", ParamValue(std::string("LPM_ADD_SUB")));
    }
    // Inputs after all outputs exist, so a node may be driven by any other node.
    for (int i = 0; i < kNodes; i++) {
        KVC::Node* node = outputs[i]->owner;
        KVC::Input* dataa = node->NewPort("dataa", 0)->AsInput();
        KVC::Input* datab = node->NewPort("datab", 0)->AsInput();
        dataa->width = 16;
        datab->width = 16;
        dataa->NewSlice(0, 16, i == 0 ? din : outputs[i - 1], 0);
        datab->NewSlice(0, 8, outputs[static_cast<size_t>(int64_t{i} * 7919 % kNodes)], 0);
        datab->NewSlice(8, 8, outputs[static_cast<size_t>(int64_t{i} * 104729 % kNodes)], 8);
    }
    return db;
}

long FileSize(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return 0;
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fclose(file);
    return size;
}

void BM_Save(benchmark::State& state)
{
    const auto db = GenerateDatabase();
    for (auto _ : state)
        db->Save(BenchPath());
    const long size = FileSize(BenchPath());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
    state.counters["file_MB"] = static_cast<double>(size) / 1e6;
    clear_messages();
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_LoadSimDB(benchmark::State& state)
{
    GenerateDatabase()->Save(BenchPath());
    const long size = FileSize(BenchPath());
    for (auto _ : state) {
        auto db = std::make_unique<KVC::NetlistDB>();
        db->LoadSimDB(BenchPath(), false, false);
        benchmark::DoNotOptimize(db->NodeCount());
        state.PauseTiming();  // destroying the database is not part of loading
        db.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
    state.counters["file_MB"] = static_cast<double>(size) / 1e6;
    if (!pending_messages().empty())
        state.SkipWithError(pending_messages().front().text.c_str());
    clear_messages();
    std::remove(BenchPath().c_str());
}
BENCHMARK(BM_LoadSimDB)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
