// InputWord: an input's ValueInt read path kept inside its node. Reading through it touches
// only the source's stored word, not the input port object: on designs too large for the
// caches that saves one memory access per input read. A node refreshes its InputWords from
// FollowPorts, which its input ports call whenever their source or inversion changes.
#pragma once

#include <cstdint>

#include "engine/port.h"

namespace Sim {

class InputWord {
public:
    // Takes over the port's current read path; the port stays the fallback for sources
    // without a word in memory.
    void Follow(Port_Base* input)
    {
        port = input;
        input->CopyReadPath(word, invert, mask);
    }
    // The same as port->ValueInt().
    uint32_t Read() const { return word != nullptr ? (*word ^ invert) & mask : port->ValueInt(); }

private:
    const uint32_t* word = nullptr;
    uint32_t invert = 0;
    uint32_t mask = 0xFFFFFFFFu;
    Port_Base* port = nullptr;
};

}  // namespace Sim
