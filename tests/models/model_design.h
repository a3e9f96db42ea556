// A hand-built design around one or more model-library blocks for the model tests: each
// driven block input reads its own perimeter input node, outputs are read straight from
// the block's ports, and cycles run through the manager as in a real simulation.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/link.h"
#include "engine/manager.h"
#include "engine/node_registry.h"
#include "engine/perimeter.h"
#include "base/messages.h"

namespace model_test {

// Parameters as the netlist gives them.
using Params = std::map<std::string, ParamValue>;

inline ParamQuery QueryOf(const Params& params)
{
    return [params](const std::string& name, ParamValue& value) {
        auto found = params.find(name);
        if (found == params.end())
            return false;
        value = found->second;
        return true;
    };
}

inline ParamValue Int(int32_t value) { return ParamValue(value); }
inline ParamValue Text(const char* value) { return ParamValue(std::string(value)); }

class Design {
public:
    Design() : manager("model_test") {}

    // Creates a block by operator code through the registry; null for a code no class serves.
    Sim::Node_Base* Add(int operator_code, const std::string& name, const Params& params)
    {
        Sim::NodeMaker maker = Sim::FindNodeMaker(operator_code);
        return maker != nullptr ? maker(manager, name, QueryOf(params)) : nullptr;
    }

    // Connects block.port to a new perimeter input of the port's width and returns that input.
    Sim::Node_Perimeter_In* Drive(const std::string& block, const std::string& port)
    {
        Sim::Node_Base* node = manager.FindNode(block);
        const int width = node->LookupPort(port)->Width();
        const std::string input_name = block + "." + port;
        auto* input = manager.NewNode<Sim::Node_Perimeter_In>(input_name, [width](const std::string&, ParamValue& v) {
            v.set_integer(width);
            return true;
        });
        Sim::Link(manager, input_name, "(perimeter io)", block, port, false);
        inputs[input_name] = input;
        return input;
    }

    // Drives several ports of one block.
    void DriveAll(const std::string& block, const std::vector<std::string>& ports)
    {
        for (const std::string& port : ports)
            Drive(block, port);
    }

    // Writes a driven input; the block sees it after the next settle.
    void Set(const std::string& block, const std::string& port, uint64_t value)
    {
        inputs.at(block + "." + port)->SetInput(static_cast<uint32_t>(value), static_cast<uint32_t>(value >> 32));
    }

    // The low 64 bits of a block's port.
    uint64_t Get(const std::string& block, const std::string& port)
    {
        const MLIB_UINTEGER& value = manager.FindNode(block)->LookupPort(port)->Value();
        return value.word(0) | (static_cast<uint64_t>(value.word(1)) << 32);
    }

    // Settles the inputs written so far without a clock edge.
    void Settle() { manager.Run(0); }
    // Settles the inputs written so far, then runs `cycles` clock cycles.
    void Clock(int cycles = 1)
    {
        manager.Run(0);
        manager.Run(cycles);
    }

    Sim::Manager manager;

private:
    std::map<std::string, Sim::Node_Perimeter_In*> inputs;  // perimeter inputs by "block.port"
};

// The texts of the pending messages at a severity, and clears the store.
inline std::vector<std::string> TakeMessages(int severity)
{
    std::vector<std::string> texts;
    for (const Message& message : pending_messages())
        if (message.severity == severity)
            texts.push_back(message.text);
    clear_messages();
    return texts;
}

}  // namespace model_test
