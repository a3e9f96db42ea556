// Micro-benchmarks of the wide integer operations at 8, 32, 40 and 200 bits.
#include <benchmark/benchmark.h>

#include "base/mlib_integer.h"

namespace {

MLIB_UINTEGER operand(int width, uint32_t seed)
{
    MLIB_UINTEGER v(0, width);
    for (int i = 0; i < v.words(); ++i)
        v.set_word(i, seed * 2654435761u + static_cast<uint32_t>(i) * 40503u);
    v.resize(width);
    return v;
}

template <typename Operation>
void run(benchmark::State& state, Operation operation)
{
    int width = static_cast<int>(state.range(0));
    MLIB_UINTEGER a = operand(width, 1), b = operand(width, 2);
    for (auto _ : state) {
        auto r = operation(a, b);
        benchmark::DoNotOptimize(r);
    }
}

void BM_Add(benchmark::State& s) { run(s, [](const auto& a, const auto& b) { return a + b; }); }
void BM_AddAssign(benchmark::State& s)
{
    run(s, [](const auto& a, const auto& b) {
        MLIB_UINTEGER r(a);
        r += b;
        return r;
    });
}
void BM_And(benchmark::State& s) { run(s, [](const auto& a, const auto& b) { return a & b; }); }
void BM_Or(benchmark::State& s) { run(s, [](const auto& a, const auto& b) { return a | b; }); }
void BM_Xor(benchmark::State& s) { run(s, [](const auto& a, const auto& b) { return a ^ b; }); }
void BM_ShiftLeftWithin(benchmark::State& s)
{
    run(s, [](const auto& a, const auto&) {
        MLIB_UINTEGER r(a);
        r <<= 5;
        return r;
    });
}
void BM_ShiftRight(benchmark::State& s) { run(s, [](const auto& a, const auto&) { return a >> 3; }); }
void BM_Less(benchmark::State& s) { run(s, [](const auto& a, const auto& b) { return a < b; }); }
void BM_Equal(benchmark::State& s) { run(s, [](const auto& a, const auto& b) { return a == b; }); }
// Assignment into a value of the same width, as a wide output port stores each new value.
void BM_Assign(benchmark::State& state)
{
    int width = static_cast<int>(state.range(0));
    MLIB_UINTEGER a = operand(width, 1), b = operand(width, 2), target(0, width);
    bool odd = false;
    for (auto _ : state) {
        target = odd ? a : b;
        odd = !odd;
        benchmark::DoNotOptimize(target);
    }
}

}  // namespace

#define WIDTHS Arg(8)->Arg(32)->Arg(40)->Arg(200)
BENCHMARK(BM_Add)->WIDTHS;
BENCHMARK(BM_AddAssign)->WIDTHS;
BENCHMARK(BM_And)->WIDTHS;
BENCHMARK(BM_Or)->WIDTHS;
BENCHMARK(BM_Xor)->WIDTHS;
BENCHMARK(BM_ShiftLeftWithin)->WIDTHS;
BENCHMARK(BM_ShiftRight)->WIDTHS;
BENCHMARK(BM_Less)->WIDTHS;
BENCHMARK(BM_Equal)->WIDTHS;
BENCHMARK(BM_Assign)->WIDTHS;
BENCHMARK_MAIN();
