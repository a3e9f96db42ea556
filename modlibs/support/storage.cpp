// Fixed-width arithmetic, the bit-packed memory, pipelines and the FIFO queue.
#include "storage.h"

#include <algorithm>

namespace modlib {

MLIB_UINTEGER Fit(const MLIB_UINTEGER& v, int width)
{
    MLIB_UINTEGER result(0, width);
    result = v;
    return result;
}

MLIB_UINTEGER SignFit(const MLIB_UINTEGER& v, int width)
{
    MLIB_UINTEGER result = Fit(v, width);
    if (width > v.width() && TopBit(v)) {
        MLIB_UINTEGER ones(0, width);
        ones = ~ones;
        MLIB_UINTEGER high = Fit(ones, width);
        high <<= v.width();
        result |= high;
    }
    return result;
}

MLIB_UINTEGER AddAt(const MLIB_UINTEGER& a, const MLIB_UINTEGER& b, bool carry, int width)
{
    MLIB_UINTEGER sum = Fit(a, width);
    sum += Fit(b, width);
    if (carry)
        sum += MLIB_UINTEGER(1, width);
    return sum;
}

MLIB_UINTEGER SubtractAt(const MLIB_UINTEGER& a, const MLIB_UINTEGER& b, bool borrow, int width)
{
    // a - b - borrow = a + ~b + (1 - borrow)
    return AddAt(a, ~Fit(b, width), !borrow, width);
}

MLIB_UINTEGER FromU64(uint64_t number, int width)
{
    MLIB_UINTEGER result(static_cast<uint32_t>(number), width);
    if (width > 32) {
        MLIB_UINTEGER high(static_cast<uint32_t>(number >> 32), width);
        high <<= 32;
        result |= high;
    }
    return result;
}

uint64_t ToU64(const MLIB_UINTEGER& v) { return v.word(0) | (static_cast<uint64_t>(v.word(1)) << 32); }

bool Memory::Configure(int word_width, int64_t word_count)
{
    width = std::max(word_width, 1);
    depth = std::max<int64_t>(word_count, 0);
    bool fits = depth <= kMaxContentBits / width;
    if (!fits)
        depth = kMaxContentBits / width;
    bits.assign(static_cast<size_t>((depth * width + 31) / 32), 0u);
    return fits;
}

void Memory::Clear() { std::fill(bits.begin(), bits.end(), 0u); }

void Memory::ReadBits(int64_t first, int count, MLIB_UINTEGER& out) const
{
    const int64_t total = depth * width;
    const int out_words = out.words();
    out = 0u;  // defined, no flags; the width is kept
    for (int j = 0; j < out_words; ++j) {
        uint32_t word = 0;
        const int64_t start = first + int64_t(j) * 32;
        const int take = std::min(32, count - j * 32);
        if (take > 0 && start >= 0 && start < total) {
            const size_t index = static_cast<size_t>(start >> 5);
            const int shift = static_cast<int>(start & 31);
            word = bits[index] >> shift;
            if (shift != 0 && index + 1 < bits.size())
                word |= bits[index + 1] << (32 - shift);
            int valid = static_cast<int>(std::min<int64_t>(take, total - start));
            if (valid < 32)
                word &= (1u << valid) - 1u;
        }
        if (j == out_words - 1)
            word &= MLIB_UINTEGER::top_mask(out.width());
        out.set_word(j, word);
    }
}

void Memory::WriteBits(int64_t first, int count, const MLIB_UINTEGER& value)
{
    const int64_t total = depth * width;
    for (int i = 0; i < count; ++i) {
        const int64_t position = first + i;
        if (position < 0 || position >= total)
            continue;
        const uint32_t bit = (value.word(i >> 5) >> (i & 31)) & 1u;
        uint32_t& word = bits[static_cast<size_t>(position >> 5)];
        const uint32_t mask = 1u << (position & 31);
        word = bit ? (word | mask) : (word & ~mask);
    }
}

void Pipeline::Configure(int depth, int width)
{
    stages.assign(static_cast<size_t>(std::max(depth, 0)), MLIB_UINTEGER(0, std::max(width, 1)));
}

void Pipeline::Clock(const MLIB_UINTEGER& input)
{
    for (size_t i = stages.size(); i-- > 1;)
        stages[i] = stages[i - 1];
    if (!stages.empty())
        stages[0] = input;
}

void Pipeline::Clear()
{
    for (MLIB_UINTEGER& stage : stages)
        stage = 0u;
}

void FifoQueue::Configure(int width, int64_t words)
{
    storage.Configure(width, std::max<int64_t>(words, 1));
    capacity = storage.Depth();
    Clear();
}

void FifoQueue::Push(const MLIB_UINTEGER& value)
{
    if (Full())
        return;
    storage.Write((head + count) % capacity, value);
    ++count;
}

void FifoQueue::Pop(MLIB_UINTEGER& out)
{
    if (Empty())
        return;
    storage.Read(head, out);
    head = (head + 1) % capacity;
    --count;
}

void FifoQueue::Front(MLIB_UINTEGER& out) const
{
    if (Empty())
        out = 0u;
    else
        storage.Read(head, out);
}


// ---------------------------------------------------------------- checkpoints

void Memory::SaveState(StateWriter& out) const
{
    out.I32(width);
    out.I64(depth);
    out.U64(bits.size());
    for (uint32_t word : bits)
        out.U32(word);
}

bool Memory::RestoreState(StateReader& in)
{
    int32_t saved_width = 0;
    int64_t saved_depth = 0;
    uint64_t words = 0;
    if (!in.I32(saved_width) || !in.I64(saved_depth) || !in.U64(words))
        return false;
    if (saved_width != width || saved_depth != depth || words != bits.size())
        return in.Fail();
    std::vector<uint32_t> contents(bits.size());
    for (uint32_t& word : contents)
        if (!in.U32(word))
            return false;
    bits = std::move(contents);
    return true;
}

void Pipeline::SaveState(StateWriter& out) const
{
    out.U64(stages.size());
    for (const MLIB_UINTEGER& stage : stages)
        out.Value(stage);
}

bool Pipeline::RestoreState(StateReader& in)
{
    uint64_t count = 0;
    if (!in.U64(count) || count != stages.size())
        return in.Fail();
    for (MLIB_UINTEGER& stage : stages)
        if (!in.Value(stage))
            return false;
    return true;
}

void FifoQueue::SaveState(StateWriter& out) const
{
    storage.SaveState(out);
    out.I64(head);
    out.I64(count);
}

bool FifoQueue::RestoreState(StateReader& in)
{
    int64_t saved_head = 0;
    int64_t saved_count = 0;
    if (!storage.RestoreState(in) || !in.I64(saved_head) || !in.I64(saved_count))
        return false;
    if (saved_head < 0 || saved_head >= std::max<int64_t>(capacity, 1) || saved_count < 0 || saved_count > capacity)
        return in.Fail();
    head = saved_head;
    count = saved_count;
    return true;
}

}  // namespace modlib
