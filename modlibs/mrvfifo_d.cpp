// Dual-clock FIFO model (modlib_mrvfifo_d): writes at the rising wrclk, reads at the
// rising rdclk, with the queue behaviour of fifo_core.h. The simulation drives both clocks
// from its one clock, so there is no clock-domain crossing to model: both sides see the
// same fill count at once, and the synchroniser depths (rdsync_delaypipe,
// wrsync_delaypipe, delay_rdusedw, delay_wrusedw) add no latency.
#include <algorithm>

#include "fifo_core.h"

namespace {

class DualClockFifo : public modlib::Model {
public:
    DualClockFifo() : Model("mrvfifo_d") {}

private:
    void Configure() override
    {
        CheckSupported("lpm_showahead", "OFF", {"OFF", "ON"});
        const int64_t words = BoundedInteger("lpm_numwords", 2, 1, kMaxWords);
        fifo.Configure(Width(q), words, Is("lpm_showahead", "ON", "OFF"), false);
        if (fifo.Capacity() < words)
            Warn("a FIFO of " + std::to_string(words) + " words is too large; it holds " +
                 std::to_string(fifo.Capacity()));
        checking = !Is("overflow_checking", "OFF", "ON") && !Is("underflow_checking", "OFF", "ON");
    }

    void Compute() override
    {
        if (High(aclr))
            fifo.Clear();
        else if (Rose(rdclk) || Rose(wrclk))
            fifo.Edge(Rose(rdclk) && High(rdreq), Rose(wrclk) && High(wrreq), In(data));
        const bool overflowed = fifo.TakeOverflow(), underflowed = fifo.TakeUnderflow();
        if (!checking && (overflowed || underflowed))
            Warn("a request the FIFO could not serve was ignored (overflow/underflow checking is off)");
        const uint32_t count = static_cast<uint32_t>(fifo.Count());
        Out(rdfull) = fifo.Full() ? 1u : 0u;
        Out(wrfull) = fifo.Full() ? 1u : 0u;
        Out(rdempty) = fifo.Empty() ? 1u : 0u;
        Out(wrempty) = fifo.Empty() ? 1u : 0u;
        Out(rdusedw) = count;
        Out(wrusedw) = count;
        Out(q) = fifo.Q();
    }

    Slot rdclk = DeclareClock("rdclk");
    Slot wrclk = DeclareClock("wrclk");
    Slot data = DeclareInput("data");
    Slot aclr = DeclareInput("aclr");
    Slot rdreq = DeclareInput("rdreq");
    Slot wrreq = DeclareInput("wrreq");
    Slot rdfull = DeclareOutput("rdfull");
    Slot wrfull = DeclareOutput("wrfull");
    Slot rdempty = DeclareOutput("rdempty");
    Slot wrempty = DeclareOutput("wrempty");
    Slot rdusedw = DeclareOutput("rdusedw");
    Slot wrusedw = DeclareOutput("wrusedw");
    Slot q = DeclareOutput("q");

    // Checkpoints: what the edges and evaluations carry from one call to the next.
    void SaveState(StateWriter& out) const override
    {
        fifo.SaveState(out);
    }
    bool RestoreState(StateReader& in) override { return fifo.RestoreState(in); }

    modlib::FifoCore fifo;  // the queue
    bool checking = true;   // overflow and underflow checking are on
};

}  // namespace

MODLIB_DEFINE_EXPORTS(DualClockFifo)
