// Value helpers and storage shared by the behavioural models (support library
// modlib_util): fixed-width arithmetic on wide values, a bit-packed memory, a register
// pipeline and a first-in first-out queue.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/mlib_integer.h"
#include "base/state_stream.h"

namespace modlib {

// Assignment between values keeps the target's width; Replace makes target a copy of
// value, width included.
inline void Replace(MLIB_UINTEGER& target, const MLIB_UINTEGER& value)
{
    if (target.width() != value.width())
        target.resize(value.width());
    target = value;
}

// A copy of v at the given width: zero-extended or truncated.
MLIB_UINTEGER Fit(const MLIB_UINTEGER& v, int width);
// A copy of v, read as a two's-complement number of its own width, sign-extended (or
// truncated) to the given width.
MLIB_UINTEGER SignFit(const MLIB_UINTEGER& v, int width);
// (a + b + carry) modulo 2^width, operands zero-extended or truncated first.
MLIB_UINTEGER AddAt(const MLIB_UINTEGER& a, const MLIB_UINTEGER& b, bool carry, int width);
// (a - b - borrow) modulo 2^width.
MLIB_UINTEGER SubtractAt(const MLIB_UINTEGER& a, const MLIB_UINTEGER& b, bool borrow, int width);
// The top bit of a value.
inline bool TopBit(const MLIB_UINTEGER& v) { return v.bit(v.width() - 1) != 0; }
// A value of the given width holding a 64-bit number.
MLIB_UINTEGER FromU64(uint64_t number, int width);
// The low 64 bits of a value.
uint64_t ToU64(const MLIB_UINTEGER& v);

// Memory of `depth` words of `width` bits, packed bit after bit so that ports of other
// widths (mixed-width dual-port RAMs) see the same bits. Starts all zero.
class Memory {
public:
    // Sizes and clears the memory. Sizes beyond kMaxContentBits are cut to fit; returns false then.
    bool Configure(int width, int64_t depth);
    static constexpr int64_t kMaxContentBits = int64_t(1) << 28;  // 32 MiB of contents at most

    int Width() const { return width; }
    int64_t Depth() const { return depth; }
    void Clear();
    // out (its own width is kept) := the `count` bits from bit `first` on; bits outside
    // the memory read 0.
    void ReadBits(int64_t first, int count, MLIB_UINTEGER& out) const;
    // The `count` low bits of value go to bit `first` on; bits outside the memory are dropped.
    void WriteBits(int64_t first, int count, const MLIB_UINTEGER& value);
    // Word access at the memory's own width; out-of-range addresses read 0 and are not written.
    void Read(int64_t address, MLIB_UINTEGER& out) const { ReadBits(address * width, width, out); }
    void Write(int64_t address, const MLIB_UINTEGER& value) { WriteBits(address * width, width, value); }
    // Checkpoints of the contents; restore expects a memory configured to the same size.
    void SaveState(StateWriter& out) const;
    bool RestoreState(StateReader& in);

private:
    int width = 1;                 // bits per word at the memory's own width
    int64_t depth = 0;             // words at that width
    std::vector<uint32_t> bits;    // depth * width bits, bit i in bits[i / 32] at i % 32
};

// A chain of `depth` registers: what goes in appears at the output `depth` clocks later;
// with depth 0 the output is the input itself.
class Pipeline {
public:
    void Configure(int depth, int width);
    int Depth() const { return static_cast<int>(stages.size()); }
    // Shifts the chain by one, taking input into the first stage.
    void Clock(const MLIB_UINTEGER& input);
    // Every stage becomes 0.
    void Clear();
    // The last stage, or input when the chain is empty.
    const MLIB_UINTEGER& Output(const MLIB_UINTEGER& input) const { return stages.empty() ? input : stages.back(); }
    // Checkpoints of the stages; restore expects a chain configured alike.
    void SaveState(StateWriter& out) const;
    bool RestoreState(StateReader& in);

private:
    std::vector<MLIB_UINTEGER> stages;  // stages[0] is the newest
};

// A bounded queue of words for the FIFO models.
class FifoQueue {
public:
    void Configure(int width, int64_t capacity);
    int64_t Count() const { return count; }
    int64_t Capacity() const { return capacity; }
    bool Empty() const { return count == 0; }
    bool Full() const { return count >= capacity; }
    void Clear() { head = 0; count = 0; }
    // Appends a word; ignored when full.
    void Push(const MLIB_UINTEGER& value);
    // Removes the oldest word into out; ignored when empty.
    void Pop(MLIB_UINTEGER& out);
    // The oldest word (0 when empty).
    void Front(MLIB_UINTEGER& out) const;
    // Checkpoints of the words and the ring's place; restore expects a queue configured alike.
    void SaveState(StateWriter& out) const;
    bool RestoreState(StateReader& in);

private:
    Memory storage;        // the words, used as a ring
    int64_t capacity = 0;  // words the queue can hold
    int64_t head = 0;      // index of the oldest word
    int64_t count = 0;     // words held
};

}  // namespace modlib
