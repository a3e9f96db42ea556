// OutputWord: a narrow combinational output's write path kept inside its node. Writing
// through it touches only the stored word, which lives in the manager's dense word arena,
// not the port object: on designs too large for the caches that saves one memory access
// per write. A node refreshes its OutputWords from FollowPorts.
#pragma once

#include <cstdint>

#include "engine/port.h"

namespace Sim {

class OutputWord {
public:
    // Takes over the port's current word; ports without one are written through SetInt.
    void Attach(Port_Base* output)
    {
        if (uint32_t* w = output->DirectWord()) {
            word = w;
            mask = output->WordMask();
        } else {
            port = output;
            mask = 0;  // a narrow output's mask is never empty, so 0 marks the fallback
        }
    }
    // The same as port->SetInt(v): the change is judged before the value is cut to width.
    bool Write(uint32_t v)
    {
        if (mask == 0)
            return port->SetInt(v);
        bool changed = v != *word;
        *word = v & mask;
        return changed;
    }

private:
    // 16 bytes, so that the hot fields of the busiest node classes fit two cache lines.
    union {
        uint32_t* word = nullptr;  // while mask != 0
        Port_Base* port;           // while mask == 0
    };
    uint32_t mask = 0;
};

}  // namespace Sim
