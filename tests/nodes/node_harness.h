// A hand-built design around the node under test: one perimeter input per driven input
// port, one perimeter output per observed output port, connected with Link. Tests write
// inputs, Run the manager and read outputs exactly as the session does.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/link.h"
#include "engine/manager.h"
#include "engine/perimeter.h"
#include "base/messages.h"

namespace node_test {

using Params = std::map<std::string, ParamValue>;

inline ParamQuery query_of(Params params)
{
    return [params](const std::string& name, ParamValue& value) {
        auto found = params.find(name);
        if (found == params.end())
            return false;
        value = found->second;
        return true;
    };
}

inline ParamValue text(const char* value) { return ParamValue(std::string(value)); }

// A value of `width` bits from a 64-bit number (bits above 64 are 0).
inline MLIB_UINTEGER value_of(uint64_t v, int width)
{
    MLIB_UINTEGER r(static_cast<uint32_t>(v), width);
    if (width > 32)
        r.set_word(1, static_cast<uint32_t>(v >> 32) &
                          (width >= 64 ? 0xFFFFFFFFu : MLIB_UINTEGER::top_mask(width)));
    return r;
}

class TestDesign {
public:
    TestDesign() : manager("test") { clear_messages(); }
    ~TestDesign() { clear_messages(); }

    template <class T>
    T* Add(const std::string& name, const Params& params = {})
    {
        return manager.NewNode<T>(name, query_of(params));
    }

    // Perimeter inputs named "<node>.<port>" drive the given inputs, perimeter outputs of the
    // same naming observe the given outputs; widths are those of the node's ports.
    void Connect(const std::string& node, const std::vector<std::string>& inputs,
                 const std::vector<std::string>& outputs)
    {
        Sim::Node_Base* target = manager.FindNode(node);
        ASSERT_NE(target, nullptr);
        for (const std::string& port : inputs) {
            Sim::Port_Base* in = target->LookupPort(port);
            ASSERT_NE(in, nullptr) << port;
            const std::string pin = node + "." + port;
            manager.NewNode<Sim::Node_Perimeter_In>(pin, width_query(in->Width()));
            ASSERT_TRUE(Sim::Link(manager, pin, "(perimeter io)", node, port, false));
        }
        for (const std::string& port : outputs) {
            Sim::Port_Base* out = target->LookupPort(port);
            ASSERT_NE(out, nullptr) << port;
            const std::string pin = node + "." + port;
            manager.NewNode<Sim::Node_Perimeter_Out>(pin, width_query(out->Width()));
            ASSERT_TRUE(Sim::Link(manager, node, port, pin, "(perimeter io)", false));
        }
    }

    void Set(const std::string& pin, uint64_t v)
    {
        In(pin)->SetInput(static_cast<uint32_t>(v), static_cast<uint32_t>(v >> 32));
    }
    void SetValue(const std::string& pin, const MLIB_UINTEGER& v) { In(pin)->SetInput(v); }

    int Run(int cycles = 0) { return manager.Run(cycles); }

    // The low 64 bits; 0 (with a report) when the value is undefined.
    uint64_t Get(const std::string& pin) { return Out(pin)->ReadUInt64(); }
    MLIB_UINTEGER GetValue(const std::string& pin)
    {
        MLIB_UINTEGER v(0, Out(pin)->PerimeterPort()->Width());
        Out(pin)->ReadValue(v);
        return v;
    }

    Sim::Manager manager;

private:
    static ParamQuery width_query(int width)
    {
        return [width](const std::string& name, ParamValue& value) {
            if (!name.empty())
                return false;
            value = ParamValue(width);
            return true;
        };
    }
    Sim::Node_Perimeter_In* In(const std::string& pin)
    {
        auto* node = dynamic_cast<Sim::Node_Perimeter_In*>(manager.FindNode(pin));
        EXPECT_NE(node, nullptr) << pin;
        return node;
    }
    Sim::Node_Perimeter_Out* Out(const std::string& pin)
    {
        auto* node = dynamic_cast<Sim::Node_Perimeter_Out*>(manager.FindNode(pin));
        EXPECT_NE(node, nullptr) << pin;
        return node;
    }
};

// Texts of the messages not yet flushed, oldest first.
inline std::vector<std::string> pending_texts()
{
    std::vector<std::string> texts;
    for (const Message& m : pending_messages())
        texts.push_back(m.text);
    return texts;
}

inline int count_messages(int severity, const std::string& text)
{
    int count = 0;
    for (const Message& m : pending_messages())
        count += (m.severity == severity && m.text == text) ? 1 : 0;
    return count;
}

}  // namespace node_test
