// Masks of the low bits of a machine word, for code that computes on words.
#pragma once

#include <cstdint>

// The low `width` bits of a 32-bit word: all ones from 32 bits up, 0 for no bits.
constexpr uint32_t LowBitsMask(int width)
{
    return width >= 32 ? 0xFFFFFFFFu : (width <= 0 ? 0u : (0xFFFFFFFFu >> (32 - width)));
}

// The low `width` bits of a 64-bit word: all ones from 64 bits up, 0 for no bits.
constexpr uint64_t LowBitsMask64(int width)
{
    return width >= 64 ? ~uint64_t{0} : (width <= 0 ? uint64_t{0} : (~uint64_t{0} >> (64 - width)));
}
