// Parallel adder model (modlib_mrvpar_add): "data" holds `size` words of `width` bits
// (word i in bits i*width onward); result = sum of word i shifted left by i*shift, the
// last (most significant) word subtracted when msw_subtract is "YES". Words are two's
// complement when representation is "SIGNED". The full sum has
// width + (size-1)*shift + ceil(log2(size)) bits; result_alignment "LSB" keeps its low
// widthr bits, "MSB" its high widthr bits. `pipeline` adds clocked stages (clken, aclr).
#include <algorithm>

#include "model.h"
#include "storage.h"

namespace {

class ParallelAdder : public modlib::Model {
public:
    ParallelAdder() : Model("mrvpar_add") {}

private:
    void Configure() override
    {
        CheckSupported("representation", "UNSIGNED", {"UNSIGNED", "SIGNED"});
        CheckSupported("msw_subtract", "NO", {"NO", "YES"});
        CheckSupported("result_alignment", "LSB", {"LSB", "MSB"});
        words = static_cast<int>(std::clamp<int64_t>(Integer("size", 2), 1, 4096));
        // Every evaluation adds `words` terms as wide as the sum: their span is bounded so that
        // an evaluation stays within kMaxSumWork bits of work.
        const int64_t span = std::min<int64_t>(kMaxBits, kMaxSumWork / words);
        word_width = static_cast<int>(BoundedInteger("width", 4, 1, span));
        shift = static_cast<int>(
            BoundedInteger("shift", 0, 0, words > 1 ? std::min<int64_t>(4096, (span - word_width) / (words - 1)) : 4096));
        is_signed = Is("representation", "SIGNED", "UNSIGNED");
        subtract_last = Is("msw_subtract", "YES", "NO");
        msb_aligned = Is("result_alignment", "MSB", "LSB");
        int log2_size = 0;
        while ((1 << log2_size) < words)
            ++log2_size;
        full_width = word_width + (words - 1) * shift + log2_size;
        pipeline.Configure(PipelineDepth("pipeline", Width(result)), Width(result));
    }

    MLIB_UINTEGER Sum() const
    {
        const int working = full_width + 1;
        MLIB_UINTEGER total(0, working);
        for (int i = 0; i < words; ++i) {
            MLIB_UINTEGER piece(0, word_width);
            if (i * word_width < Width(data))
                piece = In(data) >> (i * word_width);  // the assignment keeps the word's width
            MLIB_UINTEGER term = is_signed ? modlib::SignFit(piece, working) : modlib::Fit(piece, working);
            term <<= i * shift;
            total = (subtract_last && i == words - 1 && words > 1) ? modlib::SubtractAt(total, term, false, working)
                                                                   : modlib::AddAt(total, term, false, working);
        }
        const int wr = Width(result);
        if (msb_aligned && wr < full_width)
            return modlib::Fit(total >> (full_width - wr), wr);
        return is_signed ? modlib::SignFit(modlib::Fit(total, full_width), wr) : modlib::Fit(total, wr);
    }

    void Compute() override
    {
        const MLIB_UINTEGER now = Sum();
        if (High(aclr))
            pipeline.Clear();
        else if (Rose(clock) && HighOr(clken, true))
            pipeline.Clock(now);
        Out(result) = pipeline.Output(now);
    }

    Slot clock = DeclareClock("clock");
    Slot data = DeclareInput("data");
    Slot aclr = DeclareInput("aclr");
    Slot clken = DeclareInput("clken");
    Slot result = DeclareOutput("result");

    static constexpr int64_t kMaxSumWork = int64_t(1) << 24;
    // Checkpoints: what the edges and evaluations carry from one call to the next.
    void SaveState(StateWriter& out) const override
    {
        pipeline.SaveState(out);
    }
    bool RestoreState(StateReader& in) override { return pipeline.RestoreState(in); }

    int word_width = 4;          // bits per input word
    int words = 2;               // number of input words
    int shift = 0;               // left shift of each word over the previous one
    int full_width = 5;          // bits of the complete sum
    bool is_signed = false;      // words are two's complement
    bool subtract_last = false;  // the most significant word is subtracted
    bool msb_aligned = false;    // result keeps the high bits of the sum
    modlib::Pipeline pipeline;   // `pipeline` stages
};

}  // namespace

MODLIB_DEFINE_EXPORTS(ParallelAdder)
