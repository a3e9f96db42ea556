// OutputWord: a narrow combinational output's write path kept inside its node. Writing
// through it touches only the stored word, which the scheduler keeps in its rank-ordered
// word table, not the port object: on designs too large for the caches that saves one
// memory access per write. A node refreshes its OutputWords from FollowPorts.
#pragma once

#include <cstdint>

#include "engine/port.h"

namespace Sim {

class OutputWord {
public:
    // Takes over the port's current word; ports without one are written through SetInt.
    void Attach(Port_Base* output)
    {
        port = output;
        word = output->DirectWord();
        mask = output->WordMask();
    }
    // The same as port->SetInt(v): the change is judged before the value is cut to width.
    bool Write(uint32_t v)
    {
        if (word == nullptr)
            return port->SetInt(v);
        bool changed = v != *word;
        *word = v & mask;
        return changed;
    }

private:
    uint32_t* word = nullptr;
    uint32_t mask = 0xFFFFFFFFu;
    Port_Base* port = nullptr;
};

}  // namespace Sim
