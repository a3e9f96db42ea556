// Settle throughput of the engine on hand-built designs: a chain of inverters and a tree
// of adders of a few thousand nodes each, narrow (integer ports) and wide (48-bit values).
// Reports node evaluations per second and nanoseconds per evaluation.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/link.h"
#include "engine/manager.h"
#include "engine/perimeter.h"

namespace {

using namespace Sim;

ParamQuery Width(int width)
{
    return [width](const std::string&, ParamValue& value) {
        value.set_integer(width);
        return true;
    };
}

// y = ~a: the integer path for narrow ports, the wide-value path otherwise.
class Node_BenchNot : public Node_Concurrent {
public:
    bool IsSettled() override { return true; }
    void CreatePorts(const ParamQuery& query) override
    {
        ParamValue width(16);
        query("width", width);
        a = AddPort(CreateInputPort("a", width.integer(), 0));
        y = AddPort(CreateOutputPort("y", width.integer()));
        narrow = width.integer() < 32;
    }
    bool Evaluate() override
    {
        if (narrow)
            return y->SetInt(~a->ValueInt() & LowBitsMask(y->Width()));
        return y->Set(~a->Value());
    }

private:
    Port_Base* a = nullptr;
    Port_Base* y = nullptr;
    bool narrow = true;
};

// y = a + b, cut to the port width.
class Node_BenchAdd : public Node_Concurrent {
public:
    bool IsSettled() override { return true; }
    void CreatePorts(const ParamQuery& query) override
    {
        ParamValue width(16);
        query("width", width);
        a = AddPort(CreateInputPort("a", width.integer(), 0));
        b = AddPort(CreateInputPort("b", width.integer(), 0));
        y = AddPort(CreateOutputPort("y", width.integer()));
        narrow = width.integer() < 32;
    }
    bool Evaluate() override
    {
        if (narrow)
            return y->SetInt((a->ValueInt() + b->ValueInt()) & LowBitsMask(y->Width()));
        return y->Set(a->Value() + b->Value());
    }

private:
    Port_Base* a = nullptr;
    Port_Base* b = nullptr;
    Port_Base* y = nullptr;
    bool narrow = true;
};

std::string Numbered(const char* prefix, int number)
{
    std::string text = prefix;
    text += std::to_string(number);
    return text;
}

void ReportRates(benchmark::State& state, double evaluations)
{
    state.counters["evals/s"] = benchmark::Counter(evaluations, benchmark::Counter::kIsRate);
    // Inverted rate: seconds per evaluation, shown with an SI prefix (e.g. "12.3ns").
    state.counters["time/eval"] =
        benchmark::Counter(evaluations, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["evals/settle"] = evaluations / static_cast<double>(state.iterations());
}

// A chain of inverters fed by one design input; every step changes the input, so each
// node of the chain is evaluated once per cycle.
void BM_InverterChain(benchmark::State& state)
{
    const int length = static_cast<int>(state.range(0));
    const int width = static_cast<int>(state.range(1));
    Manager manager("chain");
    auto* input = manager.NewNode<Node_Perimeter_In>("in", Width(width));
    for (int i = 0; i < length; ++i)
        manager.NewNode<Node_BenchNot>(Numbered("n", i), Width(width));
    manager.NewNode<Node_Perimeter_Out>("out", Width(width));
    Link(manager, "in", "(perimeter io)", "n0", "a", false);
    for (int i = 1; i < length; ++i)
        Link(manager, Numbered("n", i - 1), "y", Numbered("n", i), "a", false);
    Link(manager, Numbered("n", length - 1), "y", "out", "(perimeter io)", false);
    input->SetInput(0, 0);
    manager.Run(1);

    double evaluations = 0;
    uint32_t value = 0;
    for (auto _ : state) {
        input->SetInput(++value, 0);
        evaluations += manager.Run(1);
    }
    ReportRates(state, evaluations);
}
BENCHMARK(BM_InverterChain)->Args({500, 16})->Args({4000, 16})->Args({4000, 48});

// A balanced tree of adders over `leaves` design inputs; every step changes every
// input, so the whole tree settles again.
void BM_AdderTree(benchmark::State& state)
{
    const int leaves = static_cast<int>(state.range(0));
    const int width = static_cast<int>(state.range(1));
    Manager manager("tree");
    std::vector<Node_Perimeter_In*> inputs;
    std::vector<std::string> level;
    for (int i = 0; i < leaves; ++i) {
        std::string name = Numbered("in", i);
        inputs.push_back(manager.NewNode<Node_Perimeter_In>(name, Width(width)));
        level.push_back(name);
    }
    int created = 0;
    while (level.size() > 1) {
        std::vector<std::string> next;
        for (size_t i = 0; i + 1 < level.size(); i += 2) {
            std::string node = Numbered("add", created++);
            manager.NewNode<Node_BenchAdd>(node, Width(width));
            const char* port_a = level[i].rfind("in", 0) == 0 ? "(perimeter io)" : "y";
            const char* port_b = level[i + 1].rfind("in", 0) == 0 ? "(perimeter io)" : "y";
            Link(manager, level[i], port_a, node, "a", false);
            Link(manager, level[i + 1], port_b, node, "b", false);
            next.push_back(node);
        }
        level = next;
    }
    manager.NewNode<Node_Perimeter_Out>("out", Width(width));
    Link(manager, level[0], "y", "out", "(perimeter io)", false);
    manager.Run(1);

    double evaluations = 0;
    uint32_t value = 0;
    for (auto _ : state) {
        ++value;
        for (size_t i = 0; i < inputs.size(); ++i)
            inputs[i]->SetInput(value * 31 + static_cast<uint32_t>(i), 0);
        evaluations += manager.Run(1);
    }
    ReportRates(state, evaluations);
}
BENCHMARK(BM_AdderTree)->Args({2048, 16})->Args({2048, 48});

}  // namespace

BENCHMARK_MAIN();
