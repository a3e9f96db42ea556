// Reading an input as a number that picks a position: a select, a shift or rotate amount,
// a decoder input. Shared by the logic, shift and selection nodes.
#pragma once

#include <cstdint>

#include "engine/port.h"

namespace Sim {

// The input's low 32 bits, or 0xFFFFFFFF when any bit above them is set: an index wider
// than 32 bits that lies beyond every position is never taken for its low word.
inline uint32_t ReadIndex(Port_Base* port)
{
    if (port->Width() <= 32)
        return port->ValueInt();
    const MLIB_UINTEGER& value = port->Value();
    for (int i = 1; i < value.words(); ++i)
        if (value.word(i) != 0)
            return 0xFFFFFFFFu;
    return value.to_uint();
}

// The input's whole value modulo `modulus` (at least 1), for rotate amounts of any width.
inline uint32_t ReadModulo(Port_Base* port, uint32_t modulus)
{
    if (port->Width() <= 32)
        return port->ValueInt() % modulus;
    const MLIB_UINTEGER& value = port->Value();
    uint64_t remainder = 0;
    for (int i = value.words() - 1; i >= 0; --i)
        remainder = ((remainder << 32) | value.word(i)) % modulus;
    return static_cast<uint32_t>(remainder);
}

}  // namespace Sim
