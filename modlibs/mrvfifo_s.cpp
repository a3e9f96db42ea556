// Single-clock FIFO model (modlib_mrvfifo_s): lpm_numwords words of lpm_width bits with
// normal or show-ahead output (fifo_core.h), synchronous and asynchronous clears, the fill
// count usedw (modulo 2^lpm_widthu) and the flags full, empty, almost_full (count at least
// almost_full_value) and almost_empty (count below almost_empty_value).
#include <algorithm>

#include "fifo_core.h"

namespace {

class SingleClockFifo : public modlib::Model {
public:
    SingleClockFifo() : Model("mrvfifo_s") {}

private:
    void Configure() override
    {
        CheckSupported("lpm_showahead", "OFF", {"OFF", "ON"});
        const int64_t words = BoundedInteger("lpm_numwords", 2, 1, kMaxWords);
        fifo.Configure(Width(q), words, Is("lpm_showahead", "ON", "OFF"), Is("allow_rwcycle_when_full", "ON", "OFF"));
        if (fifo.Capacity() < words)
            Warn("a FIFO of " + std::to_string(words) + " words is too large; it holds " +
                 std::to_string(fifo.Capacity()));
        almost_full_value = Integer("almost_full_value", 0);
        almost_empty_value = Integer("almost_empty_value", 0);
        checking = !Is("overflow_checking", "OFF", "ON") && !Is("underflow_checking", "OFF", "ON");
    }

    void Compute() override
    {
        if (High(aclr)) {
            fifo.Clear();
        } else if (Rose(clock)) {
            if (High(sclr))
                fifo.Clear();
            else
                fifo.Edge(High(rdreq), High(wrreq), In(data));
        }
        const bool overflowed = fifo.TakeOverflow(), underflowed = fifo.TakeUnderflow();
        if (!checking && (overflowed || underflowed))
            Warn("a request the FIFO could not serve was ignored (overflow/underflow checking is off)");
        const int64_t count = fifo.Count();
        Out(q) = fifo.Q();
        Out(usedw) = static_cast<uint32_t>(count);  // the port keeps the low lpm_widthu bits
        Out(full) = fifo.Full() ? 1u : 0u;
        Out(empty) = fifo.Empty() ? 1u : 0u;
        Out(almost_full) = count >= almost_full_value ? 1u : 0u;
        Out(almost_empty) = count < almost_empty_value ? 1u : 0u;
    }

    Slot clock = DeclareClock("clock");
    Slot data = DeclareInput("data");
    Slot wrreq = DeclareInput("wrreq");
    Slot rdreq = DeclareInput("rdreq");
    Slot aclr = DeclareInput("aclr");
    Slot sclr = DeclareInput("sclr");
    Slot q = DeclareOutput("q");
    Slot usedw = DeclareOutput("usedw");
    Slot full = DeclareOutput("full");
    Slot empty = DeclareOutput("empty");
    Slot almost_full = DeclareOutput("almost_full");
    Slot almost_empty = DeclareOutput("almost_empty");

    // Checkpoints: what the edges and evaluations carry from one call to the next.
    void SaveState(StateWriter& out) const override
    {
        fifo.SaveState(out);
    }
    bool RestoreState(StateReader& in) override { return fifo.RestoreState(in); }

    modlib::FifoCore fifo;           // the queue
    int64_t almost_full_value = 0;   // almost_full from this count on
    int64_t almost_empty_value = 0;  // almost_empty below this count
    bool checking = true;            // overflow and underflow checking are on
};

}  // namespace

MODLIB_DEFINE_EXPORTS(SingleClockFifo)
