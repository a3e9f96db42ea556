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
    // Takes over the port's current read path; sources without a word in memory are read
    // through the port.
    void Follow(Port_Base* input)
    {
        const uint32_t* w = nullptr;
        input->CopyReadPath(w, invert, mask);
        if (w != nullptr) {
            word = w;
        } else {
            port = input;
            mask = 0;  // no port reads with an empty mask, so 0 marks the fallback
        }
    }
    // The same as port->ValueInt().
    uint32_t Read() const { return mask != 0 ? (*word ^ invert) & mask : port->ValueInt(); }

private:
    // 16 bytes, so that the hot fields of the busiest node classes fit two cache lines.
    union {
        const uint32_t* word = nullptr;  // while mask != 0
        Port_Base* port;                 // while mask == 0
    };
    uint32_t invert = 0;
    uint32_t mask = 0;
};

}  // namespace Sim
