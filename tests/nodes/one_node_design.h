// A hand-built design around one node under test: a perimeter input for each named input
// port, a perimeter output for each named output port, linked, run and read through the
// engine exactly as a built design is. Also small helpers for building wide values.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "engine/link.h"
#include "engine/manager.h"
#include "engine/perimeter.h"
#include "host/messages.h"

namespace node_tests {

using Params = std::map<std::string, int32_t>;

inline ParamQuery QueryOf(const Params& params)
{
    return [params](const std::string& name, ParamValue& value) {
        auto found = params.find(name);
        if (found == params.end())
            return false;
        value.set_integer(found->second);
        return true;
    };
}

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
inline MLIB_UINTEGER Wide64(int width, uint64_t v)
{
    return Wide(width, {static_cast<uint32_t>(v), static_cast<uint32_t>(v >> 32)});
}

// Severities of the messages reported since the last clear.
inline int CountReports(int severity)
{
    int count = 0;
    for (const Message& message : pending_messages())
        count += message.severity == severity;
    return count;
}

inline bool WasReported(int severity, const std::string& text)
{
    for (const Message& message : pending_messages())
        if (message.severity == severity && message.text == text)
            return true;
    return false;
}

class OneNodeDesign {
public:
    OneNodeDesign() : manager("one_node") { clear_messages(); }
    ~OneNodeDesign() { clear_messages(); }

    // Creates the node "dut" of class T and a linked perimeter node for each named port
    // (inputs not named keep their default source).
    template <class T>
    T* Create(const Params& params, std::vector<std::string> inputs, std::vector<std::string> outputs)
    {
        T* node = manager.NewNode<T>("dut", QueryOf(params));
        dut = node;
        LinkPorts(inputs, outputs);
        return node;
    }

    // The same with every input of the node and every one of `outputs` that it has linked.
    template <class T>
    T* CreateAllLinked(const Params& params, std::vector<std::string> outputs)
    {
        T* node = manager.NewNode<T>("dut", QueryOf(params));
        dut = node;
        std::vector<std::string> inputs, present;
        for (Sim::Port_Base* input : node->Inputs())
            inputs.push_back(input->Name());
        for (const std::string& port : outputs)
            if (node->LookupPort(port))
                present.push_back(port);
        LinkPorts(inputs, present);
        return node;
    }

    void LinkPorts(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs)
    {
        Sim::Node_Base* node = dut;
        for (const std::string& port : inputs) {
            int width = node->LookupPort(port)->Width();
            auto* in = manager.NewNode<Sim::Node_Perimeter_In>("in." + port, WidthQuery(width));
            EXPECT_TRUE(Sim::Link(manager, in->Name(), "(perimeter io)", "dut", port, false)) << port;
            perimeter_inputs[port] = in;
        }
        for (const std::string& port : outputs) {
            int width = node->LookupPort(port)->Width();
            auto* out = manager.NewNode<Sim::Node_Perimeter_Out>("out." + port, WidthQuery(width));
            EXPECT_TRUE(Sim::Link(manager, "dut", port, out->Name(), "(perimeter io)", false)) << port;
            perimeter_outputs[port] = out;
        }
    }

    void Set(const std::string& port, uint64_t v)
    {
        perimeter_inputs.at(port)->SetInput(static_cast<uint32_t>(v), static_cast<uint32_t>(v >> 32));
    }
    void Set(const std::string& port, const MLIB_UINTEGER& v) { perimeter_inputs.at(port)->SetInput(v); }

    // Settles without a clock edge (cycles 0) or runs whole cycles.
    void Run(int cycles = 0) { manager.Run(cycles); }

    // The value that reached the perimeter output of `port`, at the port's width.
    MLIB_UINTEGER Read(const std::string& port)
    {
        Sim::Node_Perimeter_Out* out = perimeter_outputs.at(port);
        MLIB_UINTEGER value(0, out->PerimeterPort()->Width());
        out->ReadValue(value);
        return value;
    }
    uint64_t ReadU64(const std::string& port)
    {
        MLIB_UINTEGER value = Read(port);
        return value.word(0) | (static_cast<uint64_t>(value.word(1)) << 32);
    }

    int Width(const std::string& port) const { return dut->LookupPort(port)->Width(); }

    Sim::Manager manager;
    Sim::Node_Base* dut = nullptr;

private:
    static ParamQuery WidthQuery(int width)
    {
        return [width](const std::string&, ParamValue& value) {
            value.set_integer(width);
            return true;
        };
    }

    std::map<std::string, Sim::Node_Perimeter_In*> perimeter_inputs;
    std::map<std::string, Sim::Node_Perimeter_Out*> perimeter_outputs;
};

}  // namespace node_tests
