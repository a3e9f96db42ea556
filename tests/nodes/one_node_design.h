// A design of one node under test ("dut") on the shared harness of node_harness.h: ports
// are named by the node's own port names, integer parameters are given as a table. Also
// helpers for building wide values and inspecting reports.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "node_harness.h"

namespace node_tests {

using Params = std::map<std::string, int32_t>;

// A value of `width` bits from its 32-bit words, lowest first.
inline MLIB_UINTEGER Wide(int width, std::initializer_list<uint32_t> words)
{
    MLIB_UINTEGER value(0, width);
    int i = 0;
    for (uint32_t word : words) {
        if (i < value.words())
            value.set_word(i, i == value.words() - 1 ? word & MLIB_UINTEGER::top_mask(width) : word);
        ++i;
    }
    return value;
}

// A value of `width` bits from a 64-bit number.
inline MLIB_UINTEGER Wide64(int width, uint64_t v) { return node_test::value_of(v, width); }

inline int CountReports(int severity)
{
    int count = 0;
    for (const Message& message : pending_messages())
        count += message.severity == severity;
    return count;
}

inline bool WasReported(int severity, const std::string& text)
{
    return node_test::count_messages(severity, text) > 0;
}

class OneNodeDesign {
public:
    // Creates "dut" of class T with a linked perimeter node for each named port (inputs not
    // named keep their default source).
  template <class T>
  T* Create(const Params& params, const std::vector<std::string>& inputs,
            const std::vector<std::string>& outputs)
  {
      T* node = design.Add<T>("dut", ToParamValues(params));
      dut = node;
      design.Connect("dut", inputs, outputs);
      return node;
    }

    // The same with every input of the node, and every one of `outputs` that it has, linked.
    template <class T>
    T* CreateAllLinked(const Params& params, const std::vector<std::string>& outputs)
    {
        T* node = design.Add<T>("dut", ToParamValues(params));
        dut = node;
        std::vector<std::string> inputs, present;
        for (Sim::Port_Base* input : node->Inputs())
            inputs.push_back(input->Name());
        for (const std::string& port : outputs)
            if (node->LookupPort(port))
                present.push_back(port);
        design.Connect("dut", inputs, present);
        return node;
    }

    void Set(const std::string& port, uint64_t v) { design.Set("dut." + port, v); }
    void Set(const std::string& port, const MLIB_UINTEGER& v) { design.SetValue("dut." + port, v); }
    // Settles without a clock edge (cycles 0) or runs whole cycles.
    void Run(int cycles = 0) { design.Run(cycles); }
    // The value that reached the perimeter output of `port`, at the port's width.
    MLIB_UINTEGER Read(const std::string& port) { return design.GetValue("dut." + port); }
    // Its low 64 bits, undefined bits read as their stored values.
    uint64_t ReadU64(const std::string& port) { return Low64(Read(port)); }
    int Width(const std::string& port) const { return dut->LookupPort(port)->Width(); }

    Sim::Node_Base* dut = nullptr;

private:
    static node_test::Params ToParamValues(const Params& params)
    {
        node_test::Params values;
        for (const auto& [name, integer] : params)
            values[name] = ParamValue(integer);
        return values;
    }
    static uint64_t Low64(const MLIB_UINTEGER& v)
    {
        return v.word(0) | (static_cast<uint64_t>(v.word(1)) << 32);
    }

    node_test::TestDesign design;
};

}  // namespace node_tests
