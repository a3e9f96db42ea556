// InputValue: a wide input's Value() read path kept inside its node. An input that reads an
// output of its own width without inversion sees that output's value object itself, which
// never moves: the node then reads the object directly, without a call and without touching
// the input port. A node refreshes its InputValues from FollowPorts, like its InputWords.
#pragma once

#include "engine/port.h"

namespace Sim {

class InputValue {
public:
    void Follow(Port_Base* input)
    {
        port = input;
        direct = input->ValueObject();
    }
    // The same as port->Value().
    const MLIB_UINTEGER& Read() const { return direct != nullptr ? *direct : port->Value(); }

private:
    const MLIB_UINTEGER* direct = nullptr;
    Port_Base* port = nullptr;
};

}  // namespace Sim
