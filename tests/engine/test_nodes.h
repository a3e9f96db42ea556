// Small node classes for hand-built test designs: an inverter, an adder, a registered
// buffer, a register announcing its own clock work, a node that raises, and a register
// for the reachability search. Each counts its evaluations.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/manager.h"
#include "base/messages.h"

namespace Sim::testing {

// A query answering every name (also the empty one) with the same integer.
inline ParamQuery AnyWidth(int width)
{
    return [width](const std::string&, ParamValue& value) {
        value.set_integer(width);
        return true;
    };
}

// prefix followed by the number (built by appending, which keeps GCC 12's -Wrestrict quiet).
inline std::string Numbered(const char* prefix, long number)
{
    std::string text = prefix;
    text += std::to_string(number);
    return text;
}

inline int QueryWidth(const ParamQuery& query, int preset)
{
    ParamValue value(preset);
    return query && query("width", value) ? value.integer() : preset;
}

// y = ~a, on the 32-bit integer path; no clock-edge work.
class Node_TestNot : public Node_Concurrent {
public:
    std::string TypeName() const override { return "TEST NOT"; }
    bool IsSettled() override { return true; }
    void CreatePorts(const ParamQuery& query) override
    {
        int width = QueryWidth(query, 8);
        a = AddPort(CreateInputPort("a", width, 0));
        y = AddPort(CreateOutputPort("y", width));
    }
    bool Evaluate() override
    {
        ++evaluations;
        return y->SetInt(~a->ValueInt() & LowBitsMask(y->Width()));
    }
    int evaluations = 0;
    Port_Base* a = nullptr;
    Port_Base* y = nullptr;
};

// y = a + b through the wide-value path; answers IsSettled false like the arithmetic classes.
class Node_TestAdd : public Node_Concurrent {
public:
    std::string TypeName() const override { return "TEST ADD"; }
    void CreatePorts(const ParamQuery& query) override
    {
        int width = QueryWidth(query, 8);
        a = AddPort(CreateInputPort("a", width, 0));
        b = AddPort(CreateInputPort("b", width, 1));
        y = AddPort(CreateOutputPort("y", width));
    }
    bool Evaluate() override
    {
        ++evaluations;
        return y->Set(a->Value() + b->Value());
    }
    int evaluations = 0;
    Port_Base* a = nullptr;
    Port_Base* b = nullptr;
    Port_Base* y = nullptr;
};

// q takes d at every clock edge, through a registered output port.
class Node_TestRegister : public Node_Concurrent {
public:
    std::string TypeName() const override { return "TEST REG"; }
    void CreatePorts(const ParamQuery& query) override
    {
        int width = QueryWidth(query, 8);
        d = AddPort(CreateInputPort("d", width, 0));
        q = AddPort(CreateRegisteredOutputPort("q", width));
    }
    bool Evaluate() override
    {
        ++evaluations;
        return q->Set(d->Value());
    }
    bool ClockHook() override
    {
        ++clock_edges;
        return false;
    }
    int evaluations = 0;
    int clock_edges = 0;
    Port_Base* d = nullptr;
    Port_Base* q = nullptr;
};

// A register keeping its state in the node: pending while d differs from the stored
// value, telling the scheduler so from inside Evaluate; the edge clears the mark.
class Node_TestPendingRegister : public Node_Concurrent {
public:
    std::string TypeName() const override { return "TEST PND"; }
    bool IsSettled() override { return !pending; }
    void SetManager(Manager* owner) override { manager = owner; }
    Manager* GetManager() override { return manager; }
    void CreatePorts(const ParamQuery&) override
    {
        d = AddPort(CreateInputPort("d", 8, 1));
        q = AddPort(CreateOutputPort("q", 8));
    }
    bool Evaluate() override
    {
        bool was_pending = pending;
        pending = d->ValueInt() != stored;
        if (pending != was_pending && manager)
            manager->SetClockWork(this, pending);
        return false;
    }
    bool ClockHook() override
    {
        ++clock_edges;
        stored = d->ValueInt();
        pending = false;
        manager->SetClockWork(this, false);
        return q->SetInt(stored);
    }
    bool pending = true;
    uint32_t stored = 0;
    int clock_edges = 0;
    Manager* manager = nullptr;
    Port_Base* d = nullptr;
    Port_Base* q = nullptr;
};

// Raises from Evaluate through the value type (an illegal bit position) while "a" is odd.
class Node_TestThrow : public Node_Concurrent {
public:
    std::string TypeName() const override { return "TEST THR"; }
    bool IsSettled() override { return true; }
    void CreatePorts(const ParamQuery&) override
    {
        a = AddPort(CreateInputPort("a", 8, 0));
        y = AddPort(CreateOutputPort("y", 8));
    }
    bool Evaluate() override
    {
        ++evaluations;
        const MLIB_UINTEGER& value = a->Value();
        if (value.to_uint() & 1)
            value.bit(100);
        return y->Set(value);
    }
    int evaluations = 0;
    Port_Base* a = nullptr;
    Port_Base* y = nullptr;
};

// A sequential node passing the reachability search on only from its "clear" input.
class Node_TestClearOnly : public Node_Concurrent {
public:
    std::string TypeName() const override { return "TEST CLR"; }
    bool IsSequential() override { return true; }
    bool ForwardsInputs() override { return true; }
    bool ForwardsFrom(Node_Base* node) override { return DriverOf(clear) == node; }
    void CreatePorts(const ParamQuery&) override
    {
        data = AddPort(CreateInputPort("data", 8, 0));
        clear = AddPort(CreateInputPort("clear", 8, 1));
        q = AddPort(CreateOutputPort("q", 8));
    }
    bool Evaluate() override { return q->SetInt(clear->IsZero() ? data->ValueInt() : 0); }
    Port_Base* data = nullptr;
    Port_Base* clear = nullptr;
    Port_Base* q = nullptr;
};

// Clears the message store around every test so reports can be inspected.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { clear_messages(); }
    void TearDown() override { clear_messages(); }

    static int CountMessages(int severity, const std::string& fragment)
    {
        int count = 0;
        for (const Message& message : pending_messages())
            if (message.severity == severity && message.text.find(fragment) != std::string::npos)
                ++count;
        return count;
    }
    static bool HasMessage(int severity, const std::string& text)
    {
        for (const Message& message : pending_messages())
            if (message.severity == severity && message.text == text)
                return true;
        return false;
    }
};

}  // namespace Sim::testing
