// Small value helpers shared by the arithmetic node classes: two's-complement reading of
// narrow words and the sign-resizing copy that the signed operators expect of their inputs.
#pragma once

#include <cstdint>

#include "base/bits.h"
#include "base/mlib_integer.h"

namespace Sim {

// The low `width` bits (1 to 32) of `bits` read as a two's-complement number.
inline int64_t SignedOf(uint32_t bits, int width)
{
    bits &= LowBitsMask(width);
    const uint32_t sign = 1u << (width - 1);
    return static_cast<int64_t>(bits ^ sign) - static_cast<int64_t>(sign);
}

// target := source at target's width: sign-extended when the source is narrower, cut to the
// low bits when it is wider (the top bit of the cut value may then read as a sign). The
// undefined mask and flags are copied.
inline void SignResizeInto(MLIB_SINTEGER& target, const MLIB_UINTEGER& source)
{
    if (source.width() <= target.width())
        target = source;
    else
        static_cast<MLIB_UINTEGER&>(target) = source;
}

// scratch := like (cut or zero-extended, undefined mask and flags copied), then its value
// word 0 := low. Used by the word-sized fast paths to give a result the undefined state the
// value type's operators would have given it. `low` must already be within the width.
inline void SetLowWordLike(MLIB_UINTEGER& scratch, const MLIB_UINTEGER& like, uint32_t low)
{
    scratch = like;
    scratch.set_word(0, low);
}

// The value bits of a value of at most 64 bits := bits (already within its width).
inline void SetLow64Bits(MLIB_UINTEGER& v, uint64_t bits)
{
    v.set_word(0, static_cast<uint32_t>(bits));
    if (v.words() > 1)
        v.set_word(1, static_cast<uint32_t>(bits >> 32));
}

}  // namespace Sim
