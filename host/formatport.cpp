// The port formatter: construction and its bypass rule, and the two conversions.
#include "host/formatport.h"

#include <cmath>
#include <cstdint>

namespace {

// A double as a signed 64-bit integer, truncated toward zero. The conversion is undefined
// in C++ for NaN and for values outside the range, so NaN gives 0 and the rest saturate.
int64_t TruncateToInt64(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9223372036854775808.0)
        return INT64_MAX;
    if (value < -9223372036854775808.0)
        return INT64_MIN;
    return static_cast<int64_t>(value);
}

// v read as a two's-complement number of w bits. Only widths 1 to 63 change anything: a
// width of 64 or more already is v's own 64-bit reading, and no width means no sign bit.
double AsSigned(int64_t v, int64_t w)
{
    if (w < 1 || w > 63)
        return static_cast<double>(v);
    const int64_t half = int64_t{1} << (w - 1);
    if (v >= half)
        return static_cast<double>(v) - std::ldexp(1.0, static_cast<int>(w));
    return static_cast<double>(v);
}

// value x 2^exponent for any exponent. Exponents are clamped far beyond the double range
// (where the result is 0 or infinite anyway) so that negating a count never overflows.
double ScaleByPowerOfTwo(double value, int64_t exponent)
{
    if (exponent > 4096)
        exponent = 4096;
    if (exponent < -4096)
        exponent = -4096;
    return std::ldexp(value, static_cast<int>(exponent));
}

}  // namespace

formatport::formatport(const std::string& in_format_, const std::string& out_format_,
                       const std::vector<int>& in_int_bits_, const std::vector<int>& in_frac_bits_,
                       const std::vector<int>& out_int_bits_, const std::vector<int>& out_frac_bits_)
    : in_format(in_format_),
      in_int_bits(in_int_bits_),
      in_frac_bits(in_frac_bits_),
      out_format(out_format_),
      out_int_bits(out_int_bits_),
      out_frac_bits(out_frac_bits_)
{
    if (in_format == "off") {
        bypass = true;
        return;
    }
    input_count = static_cast<int>(in_format.size());
    output_count = static_cast<int>(out_format.size());
    const bool inputs_described = static_cast<size_t>(input_count) == in_int_bits.size() &&
                                  static_cast<size_t>(input_count) == in_frac_bits.size();
    const bool outputs_described = static_cast<size_t>(output_count) == out_int_bits.size() &&
                                   static_cast<size_t>(output_count) == out_frac_bits.size();
    bypass = !(inputs_described && outputs_described);
}

formatport::~formatport() = default;

double formatport::ToSimulation(double value, int index) const
{
    if (bypass || index < 0 || index >= input_count)
        return value;
    if (in_format[static_cast<size_t>(index)] == 'f')
        // value x 2^k, exact for every k (a shifted 64-bit one would be undefined past 63).
        return ScaleByPowerOfTwo(value, in_frac_bits[static_cast<size_t>(index)]);
    return value;
}

double formatport::FromSimulation(double value, int index) const
{
    if (bypass || index < 0 || index >= output_count)
        return value;
    const char letter = out_format[static_cast<size_t>(index)];
    if (letter == 'u' || letter == 'b')
        return value;
    const int64_t v = TruncateToInt64(value);
    const int64_t int_bits = out_int_bits[static_cast<size_t>(index)];
    if (letter == 'f') {
        const int64_t frac_bits = out_frac_bits[static_cast<size_t>(index)];
        return ScaleByPowerOfTwo(AsSigned(v, int_bits + frac_bits), -frac_bits);
    }
    return AsSigned(v, int_bits);
}
