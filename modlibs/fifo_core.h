// The queue behaviour shared by the single- and dual-clock FIFO models: reads and writes
// at clock edges, normal and show-ahead output, clears and the fill counts.
//
// A read request on an empty FIFO and a write request on a full one are ignored (with
// underflow/overflow checking "OFF" the hardware would misbehave; the model stays safe and
// warns once). A full FIFO accepts a write in the same edge as a read only when
// allow_rwcycle_when_full is "ON". In normal mode q is loaded with the word read at an
// edge; in show-ahead mode ("ON") q always shows the oldest word (the last one shown stays
// while the FIFO is empty). Clears empty the FIFO and set q to 0.
#pragma once

#include "model.h"
#include "storage.h"

namespace modlib {

class FifoCore {
public:
    void Configure(int width, int64_t words, bool show_ahead, bool rw_when_full)
    {
        queue.Configure(width, words);
        this->show_ahead = show_ahead;
        this->rw_when_full = rw_when_full;
        Replace(q, MLIB_UINTEGER(0, width));
        overflowed = underflowed = false;
    }
    void Clear()
    {
        queue.Clear();
        q = 0u;
    }
    // One clock edge with the requests sampled before it.
    void Edge(bool read_request, bool write_request, const MLIB_UINTEGER& data)
    {
        const bool read = read_request && !queue.Empty();
        const bool write = write_request && (!queue.Full() || (read && rw_when_full));
        underflowed |= read_request && queue.Empty();
        overflowed |= write_request && !write;
        if (read)
            queue.Pop(q);
        if (write)
            queue.Push(data);
        if (show_ahead && !queue.Empty())
            queue.Front(q);
    }
    const MLIB_UINTEGER& Q() const { return q; }
    int64_t Count() const { return queue.Count(); }
    bool Full() const { return queue.Full(); }
    bool Empty() const { return queue.Empty(); }
    int64_t Capacity() const { return queue.Capacity(); }
    // A request was ignored since the last call (then cleared).
    bool TakeOverflow() { bool was = overflowed; overflowed = false; return was; }
    bool TakeUnderflow() { bool was = underflowed; underflowed = false; return was; }
    void SaveState(StateWriter& out) const
    {
        queue.SaveState(out);
        out.Value(q);
        out.Bool(overflowed);
        out.Bool(underflowed);
    }
    bool RestoreState(StateReader& in)
    {
        return queue.RestoreState(in) && in.Value(q) && in.Bool(overflowed) && in.Bool(underflowed);
    }

private:
    FifoQueue queue;           // the words held
    MLIB_UINTEGER q;           // what the q output shows
    bool show_ahead = false;   // q shows the oldest word without a read
    bool rw_when_full = false; // a full FIFO may write while it reads
    bool overflowed = false;   // a write request met a full FIFO
    bool underflowed = false;  // a read request met an empty FIFO
};

}  // namespace modlib
