// RankQueue: the scheduler's event queue, a set of node ranks that always yields its
// smallest member first. Ranks are small, dense and distinct, so one bit per rank with a
// cursor at the lowest possibly occupied word beats a binary heap: push is one OR, pop
// one count-trailing-zeros after skipping empty words. No count is kept: an end mark above
// the ranks stops the scan.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/state_stream.h"

namespace Sim {

// The index (64 * word + bit) of the n-th set bit (n >= 1) of `bits`, which stand for
// words[word], then of words[word + 1]; -1 when those hold fewer.
inline int64_t NthBitAhead(const std::vector<uint64_t>& words, size_t word, uint64_t bits, int n)
{
    // Counted one bit at a time: n is small, and a population count would be a library call
    // on baseline x86-64.
    for (int looked = 0; looked < 2; ++looked) {
        for (; bits != 0; bits &= bits - 1)
            if (--n == 0)
                return static_cast<int64_t>(word * 64) + __builtin_ctzll(bits);
        if (++word >= words.size())
            break;
        bits = words[word];
    }
    return -1;
}

class RankQueue {
public:
    RankQueue() { Reset(0); }

    // Makes room for ranks 0 .. max_rank and empties the queue. Allocates; the other
    // operations never do.
    void Reset(int max_rank)
    {
        // One word more than the ranks need, whose bit 0 stays set: the scans of Pop and Peek
        // stop there without a bound check, and find the queue empty when they reach it.
        words.assign(static_cast<size_t>(max_rank) / 64 + 2, 0);
        last = words.size() - 1;
        words[last] = 1;
        frozen.assign(words.size(), 0);
        any_frozen = false;
        cursor = last;
    }

    bool Empty() { return Peek() < 0; }

    // The rank must lie within the Reset range; pushing a queued or frozen rank changes nothing.
    // No test for a rank already queued: whether a reader was queued by another driver is
    // a coin toss at high activity, and setting the bit again costs less than a mispredicted
    // branch.
    void Push(int rank)
    {
        const size_t word = static_cast<size_t>(rank) >> 6;
        const uint64_t bit = uint64_t(1) << (rank & 63);
        if (any_frozen && (frozen[word] & bit)) [[unlikely]]
            return;
        words[word] |= bit;
        cursor = std::min(cursor, word);
    }

    // The smallest queued rank, removed; -1 when the queue is empty.
    int Pop()
    {
        while (words[cursor] == 0)
            ++cursor;
        if (cursor == last)
            return -1;
        const uint64_t bits = words[cursor];
        words[cursor] = bits & (bits - 1);
        return static_cast<int>(cursor * 64) + __builtin_ctzll(bits);
    }

    // The smallest queued rank, left queued; -1 when the queue is empty.
    int Peek()
    {
        while (words[cursor] == 0)
            ++cursor;
        return cursor == last ? -1 : static_cast<int>(cursor * 64) + __builtin_ctzll(words[cursor]);
    }

    // The n-th smallest queued rank above `rank` (n >= 1), looking no further than the word
    // after the one holding `rank`; -1 when not found there. A cheap look ahead for fetching
    // nodes early, not an exact search.
    int PeekAhead(int rank, int n) const
    {
        size_t word = static_cast<size_t>(rank) >> 6;
        int64_t ahead = NthBitAhead(words, word, words[word] & ~((uint64_t(2) << (rank & 63)) - 1), n);
        return ahead < static_cast<int64_t>(last * 64) ? static_cast<int>(ahead) : -1;  // not the end mark
    }

    // Refuses the rank from now on, until the next Reset (the rank must not be queued).
    void Freeze(int rank)
    {
        frozen[static_cast<size_t>(rank) >> 6] |= uint64_t(1) << (rank & 63);
        any_frozen = true;
    }

    // Checkpoints: the queued and frozen ranks as saved by SaveState. Restore fails, changing
    // nothing, unless the words fit a queue reset to the same ranks and every rank they hold
    // is one that `valid(rank)` accepts.
    void SaveState(StateWriter& out) const
    {
        for (size_t i = 0; i < words.size(); ++i) {
            out.U64(words[i]);
            out.U64(frozen[i]);
        }
    }
    template <class Valid> bool RestoreState(StateReader& in, Valid valid)
    {
        std::vector<uint64_t> saved_words(words.size()), saved_frozen(words.size());
        for (size_t i = 0; i < words.size(); ++i)
            if (!in.U64(saved_words[i]) || !in.U64(saved_frozen[i]))
                return false;
        if (saved_words[last] != 1 || saved_frozen[last] != 0)
            return in.Fail();
        for (size_t i = 0; i < last; ++i)
            for (uint64_t bits = saved_words[i] | saved_frozen[i]; bits != 0; bits &= bits - 1)
                if (!valid(static_cast<int>(i * 64) + __builtin_ctzll(bits)))
                    return in.Fail();
        words = std::move(saved_words);
        frozen = std::move(saved_frozen);
        any_frozen = std::any_of(frozen.begin(), frozen.end(), [](uint64_t w) { return w != 0; });
        cursor = 0;
        return true;
    }

private:
    std::vector<uint64_t> words;   // bit r of word r / 64 set: rank r is queued; then the end mark
    std::vector<uint64_t> frozen;  // the same layout: rank r is never queued again
    bool any_frozen = false;       // some rank is frozen: pushes must look at `frozen`
    size_t cursor = 0;             // no rank below word `cursor` is queued
    size_t last = 0;               // the word holding the end mark (bit 0), above every rank
};

}  // namespace Sim
