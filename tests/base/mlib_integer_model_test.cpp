// Randomised differential check of the wide integer values against a bit-level model: every operation
// is recomputed from its rules (result width, value, undefined mask, flags) on values spelled out one
// bit per entry, and compared with MLIB_UINTEGER / MLIB_SINTEGER. The hand-written cases in mlib_integer_test.cpp pin
// single behaviours; this file sweeps widths across the 32-bit word and 64-bit inline-storage limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "base/mlib_integer.h"

namespace {

// Fixed so that a failure replays; each test draws from kSeed plus its own offset and prints it.
constexpr uint64_t kSeed = 0x5EED2024;
// Random cases per test: the whole file takes about 0.3 s in Release, 2 s under AddressSanitizer.
constexpr int kIterations = 15000;
// A broken rule fails in most iterations: a few reports are enough to see it.
constexpr int kMaxFailures = 5;
// Widths on both sides of one word (32), the inline storage (64) and several words.
constexpr int kWidths[] = {1, 2, 3, 7, 8, 9, 16, 31, 32, 33, 40, 63, 64, 65, 96, 97, 128, 130};

constexpr uint32_t kUndefinedFlag = MLIB_UINTEGER::FLAG_UNDEFINED;
constexpr uint32_t kHighZFlag = MLIB_UINTEGER::FLAG_HIGH_Z;

using Bits = std::vector<uint8_t>;  // one entry per bit, bit 0 first; every entry 0 or 1

// The model of a value: its planes spelled out bit by bit.
struct Model {
    int width = 1;
    Bits value;          // the value bits, `width` entries
    Bits undef;          // 1 where the bit is undefined ("X"), `width` entries
    uint32_t flags = 0;  // kUndefinedFlag | kHighZFlag
};

Model zero_model(int width) { return Model{width, Bits(width, 0), Bits(width, 0), 0}; }

// ------------------------------------------------------------ bit-vector arithmetic of the model

// The bits cut or extended to `width`, new bits set to `fill`.
Bits resized(const Bits& bits, int width, uint8_t fill = 0)
{
    Bits r(width, fill);
    std::copy_n(bits.begin(), std::min<size_t>(bits.size(), r.size()), r.begin());
    return r;
}

// Read as two's complement: extended with the top bit, or cut.
Bits sign_extended(const Bits& bits, int width) { return resized(bits, width, bits.back()); }

Bits inverted(Bits bits)
{
    for (uint8_t& b : bits)
        b ^= 1;
    return bits;
}

// (a + b) modulo 2^width, the shorter operand read with zeros above its end.
Bits sum(const Bits& a, const Bits& b, int width)
{
    Bits r(width);
    int carry = 0;
    for (int i = 0; i < width; ++i) {
        int s = (i < int(a.size()) ? a[i] : 0) + (i < int(b.size()) ? b[i] : 0) + carry;
        r[i] = uint8_t(s & 1);
        carry = s >> 1;
    }
    return r;
}

// Two's-complement negation within the bits' own width.
Bits negated(const Bits& bits) { return sum(inverted(bits), Bits{1}, int(bits.size())); }

// (a * b) modulo 2^width, by shifting and adding.
Bits product(const Bits& a, const Bits& b, int width)
{
    Bits r(width, 0);
    for (int i = 0; i < int(a.size()) && i < width; ++i) {
        if (!a[i])
            continue;
        int carry = 0;
        for (int j = i; j < width; ++j) {
            int s = r[j] + (j - i < int(b.size()) ? b[j - i] : 0) + carry;
            r[j] = uint8_t(s & 1);
            carry = s >> 1;
        }
    }
    return r;
}

// -1, 0 or 1 comparing as unsigned numbers, the shorter one read with zeros above its end.
int compare_unsigned(const Bits& a, const Bits& b)
{
    for (int i = int(std::max(a.size(), b.size())) - 1; i >= 0; --i) {
        int x = i < int(a.size()) ? a[i] : 0, y = i < int(b.size()) ? b[i] : 0;
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

Bits bits_of(uint64_t v, int width)
{
    Bits r(width, 0);
    for (int i = 0; i < width && i < 64; ++i)
        r[i] = uint8_t((v >> i) & 1);
    return r;
}

// The low 64 bits as a number (for operands that fit one machine word).
uint64_t number_of(const Bits& bits)
{
    uint64_t n = 0;
    for (int i = 0; i < int(bits.size()) && i < 64; ++i)
        n |= uint64_t(bits[i]) << i;
    return n;
}

// ------------------------------------------------------------ rules of the value type

// Unsigned ==: value planes, masks and the undefined and Z flags all equal (narrower zero-extended).
bool unsigned_equal(const Model& a, const Model& b)
{
    return compare_unsigned(a.value, b.value) == 0 && compare_unsigned(a.undef, b.undef) == 0 && a.flags == b.flags;
}

// What set_undefined() makes of a value: flag set, every bit undefined, value bits kept.
Model wholly_undefined(Model m)
{
    std::fill(m.undef.begin(), m.undef.end(), uint8_t(1));
    m.flags |= kUndefinedFlag;
    return m;
}

// The value zero-extended or cut to `width`, both planes; flags kept.
Model resized(const Model& m, int width)
{
    return Model{width, resized(m.value, width), resized(m.undef, width), m.flags};
}

bool known_one(const Model& m, int i) { return m.value[i] && !m.undef[i]; }

// AND keeps only known ones; an undefined bit against a known 1 stays undefined and against a 0 or
// another undefined bit gives a known 0. Operands are cut or zero-extended to `width` first (the
// type zero-extends the narrower operand at any word count). Fresh flags.
Model and_model(const Model& a, const Model& b, int width)
{
    Model x = resized(a, width), y = resized(b, width), r = zero_model(width);
    for (int i = 0; i < width; ++i) {
        r.value[i] = known_one(x, i) && known_one(y, i);
        r.undef[i] = (x.undef[i] && known_one(y, i)) || (y.undef[i] && known_one(x, i));
    }
    return r;
}

// OR gives 1 where either bit is a known 1; an undefined bit against anything but a known 1 stays
// undefined. Same extension and flags as AND.
Model or_model(const Model& a, const Model& b, int width)
{
    Model x = resized(a, width), y = resized(b, width), r = zero_model(width);
    for (int i = 0; i < width; ++i) {
        r.value[i] = known_one(x, i) || known_one(y, i);
        r.undef[i] = (x.undef[i] && !known_one(y, i)) || (y.undef[i] && !known_one(x, i));
    }
    return r;
}

// Both planes moved by n within the width (n > 0 towards the top), zeros shifted in.
Model shifted_within(const Model& a, int n)
{
    Model r = zero_model(a.width);
    r.flags = a.flags;
    for (int i = 0; i < a.width; ++i) {
        int from = i - n;
        if (from >= 0 && from < a.width) {
            r.value[i] = a.value[from];
            r.undef[i] = a.undef[from];
        }
    }
    return r;
}

// The text form: one character per four bits, X over any undefined bit, else Z for a
// high-impedance value, else the hexadecimal digit.
std::string hex_text(const Model& m)
{
    std::string text;
    for (int digit = (m.width + 3) / 4 - 1; digit >= 0; --digit) {
        int nibble = 0, unknown = 0;
        for (int i = 4 * digit; i < 4 * digit + 4 && i < m.width; ++i) {
            nibble |= m.value[i] << (i - 4 * digit);
            unknown |= m.undef[i];
        }
        text += unknown ? 'X' : (m.flags & kHighZFlag) ? 'Z' : "0123456789ABCDEF"[nibble];
    }
    return text;
}

// ------------------------------------------------------------ between the model and the type

uint32_t packed_word(const Bits& bits, int word)
{
    uint32_t w = 0;
    for (int j = 0; j < 32 && 32 * word + j < int(bits.size()); ++j)
        w |= uint32_t(bits[32 * word + j]) << j;
    return w;
}

MLIB_UINTEGER build(const Model& m)
{
    MLIB_UINTEGER v(0, m.width);
    if (m.flags & kUndefinedFlag)
        v.set_undefined();  // the only way to set the flag; the mask is overwritten below
    for (int word = 0; word < v.words(); ++word) {
        v.set_word(word, packed_word(m.value, word));
        v.set_undef_word(word, packed_word(m.undef, word));
    }
    if (m.flags & kHighZFlag)
        v.set_high_z();
    return v;
}

Model read(const MLIB_UINTEGER& v)
{
    Model m = zero_model(v.width());
    for (int i = 0; i < v.width(); ++i) {
        m.value[i] = uint8_t((v.word(i / 32) >> (i % 32)) & 1);
        m.undef[i] = uint8_t((v.undef_word(i / 32) >> (i % 32)) & 1);
    }
    m.flags = v.flags();
    return m;
}

// Equality and comparison rely on the bits above the width in the top word being 0 in both planes.
bool top_word_is_clean(const MLIB_UINTEGER& v)
{
    int top = v.words() - 1;
    uint32_t outside = ~MLIB_UINTEGER::top_mask(v.width());
    return (v.word(top) & outside) == 0 && (v.undef_word(top) & outside) == 0;
}

bool same(const Model& a, const Model& b)
{
    return a.width == b.width && a.value == b.value && a.undef == b.undef && a.flags == b.flags;
}

std::string hex_of(const Bits& bits)
{
    std::string text;
    for (int digit = (int(bits.size()) + 3) / 4 - 1; digit >= 0; --digit) {
        int nibble = 0;
        for (int i = 4 * digit; i < 4 * digit + 4 && i < int(bits.size()); ++i)
            nibble |= bits[i] << (i - 4 * digit);
        text += "0123456789ABCDEF"[nibble];
    }
    return text;
}

std::string hex_word(uint32_t w)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (int shift = 28; shift >= 0; shift -= 4)
        text += digits[(w >> shift) & 0xF];
    return text;
}

// Both planes of the top word as stored, bits above the width included.
std::string top_word_text(const MLIB_UINTEGER& v)
{
    int top = v.words() - 1;
    return "width " + std::to_string(v.width()) + " top word value 0x" + hex_word(v.word(top)) + " undef 0x" +
           hex_word(v.undef_word(top));
}

// Value bits only, for the signed operations whose masks and flags are not checked.
std::string numeric_text(const Bits& value)
{
    return "0x" + hex_of(value) + " (" + std::to_string(value.size()) + " bits)";
}

std::string describe(const Model& m)
{
    static const char* const flag_names[] = {"none", "undefined", "Z", "undefined+Z"};
    return "width " + std::to_string(m.width) + " value 0x" + hex_of(m.value) + " undef 0x" + hex_of(m.undef) +
           " flags " + flag_names[m.flags & 3];
}

// ------------------------------------------------------------ operands and reporting

// Draws widths, shift counts and operands: value patterns that reach carries and sign bits, masks
// and flags in the combinations the operations treat differently.
class OperandSource {
public:
    explicit OperandSource(uint64_t seed) : random_(seed) {}

    int below(int n) { return int(random_() % uint64_t(n)); }
    uint32_t word() { return uint32_t(random_()); }
    int width() { return kWidths[below(int(std::size(kWidths)))]; }

    // Shift counts of 0, at and around the width and the word size, and well beyond the width.
    int shift(int width)
    {
        const int special[] = {0, 1, width - 1, width, width + 1, 31, 32, 33, 64};
        return below(3) == 0 ? std::max(0, special[below(int(std::size(special)))]) : below(140);
    }

    Model operand(int width)
    {
        Model m = zero_model(width);
        switch (below(5)) {
        case 0:
            m.value = Bits(width, 1);
            break;
        case 1:  // zero
            break;
        case 2:  // only the top bit: the most negative value when read signed
            m.value[width - 1] = 1;
            break;
        case 3:  // low ones: long carries
            m.value = resized(Bits(below(width) + 1, 1), width);
            break;
        default:
            m.value = random_bits(width, false);
            break;
        }
        switch (below(6)) {
        case 0:  // a mask without the flag
            m.undef = random_bits(width, true);
            break;
        case 1:
            m = wholly_undefined(m);
            break;
        case 2:  // a mask with the flag
            m.undef = random_bits(width, true);
            if (std::find(m.undef.begin(), m.undef.end(), 1) != m.undef.end())
                m.flags |= kUndefinedFlag;
            break;
        case 3:  // the flag over an empty mask
            m.flags |= kUndefinedFlag;
            break;
        default:
            break;
        }
        if (below(6) == 0)
            m.flags |= kHighZFlag;
        return m;
    }

private:
    // Random bits, about one in four set when sparse.
    Bits random_bits(int width, bool sparse)
    {
        Bits r(width);
        for (int i = 0; i < width; i += 64) {
            uint64_t chunk = sparse ? random_() & random_() : random_();
            for (int j = 0; j < 64 && i + j < width; ++j)
                r[i + j] = uint8_t((chunk >> j) & 1);
        }
        return r;
    }

    std::mt19937_64 random_;
};

// Collects mismatches, reporting each with its operands, and tells the loops when to stop.
class Checker {
public:
    bool done() const { return failures_ >= kMaxFailures; }

    void report(const std::string& operation, const Model& a, const Model* b, const std::string& got,
                const std::string& expected)
    {
        ++failures_;
        ADD_FAILURE() << operation << "\n  a:        " << describe(a)
                      << (b ? "\n  b:        " + describe(*b) : std::string()) << "\n  got:      " << got
                      << "\n  expected: " << expected;
    }

    void expect(const std::string& operation, const Model& a, const Model* b, const MLIB_UINTEGER& got,
                const Model& expected)
    {
        Model result = read(got);
        if (!top_word_is_clean(got))
            report(operation + ": bits above the width in the top word", a, b, top_word_text(got),
                   "none outside 0x" + hex_word(MLIB_UINTEGER::top_mask(got.width())));
        else if (!same(result, expected))
            report(operation, a, b, describe(result), describe(expected));
    }

    void expect_bool(const std::string& operation, const Model& a, const Model* b, bool got, bool expected)
    {
        if (got != expected)
            report(operation, a, b, got ? "true" : "false", expected ? "true" : "false");
    }

    void expect_text(const std::string& operation, const Model& a, const Model* b, const std::string& got,
                     const std::string& expected)
    {
        if (got != expected)
            report(operation, a, b, got, expected);
    }

private:
    int failures_ = 0;
};

std::string seed_text(uint64_t seed) { return "random seed " + std::to_string(seed); }

// Runs `check_case(source, check)` for kIterations random cases drawn from `seed`, or until
// the checker has seen enough failures.
template <class CheckCase> void for_each_case(uint64_t seed, CheckCase check_case)
{
    SCOPED_TRACE(seed_text(seed));
    OperandSource source(seed);
    Checker check;
    for (int iteration = 0; iteration < kIterations && !check.done(); ++iteration)
        check_case(source, check);
}

}  // namespace

TEST(MlibIntegerModel, ArithmeticFollowsWidthValueAndMaskRules)
{
    for_each_case(kSeed, [](OperandSource& source, Checker& check) {
        const Model a = source.operand(source.width()), b = source.operand(source.width());
        const MLIB_UINTEGER x = build(a), y = build(b);
        const int wide = std::max(a.width, b.width);
        const Model& wider = a.width > b.width ? a : b;  // b when the widths are equal

        // +: one bit wider only when the sum carries out; mask and flags of the wider operand.
        Bits exact = sum(a.value, b.value, wide + 1);
        int sum_width = exact[wide] ? wide + 1 : wide;
        Model expected{sum_width, resized(exact, sum_width), resized(wider.undef, sum_width), wider.flags};
        check.expect("a + b", a, &b, x + y, expected);

        // -: modulo 2^wa, mask and flags of a.
        expected = Model{a.width, sum(a.value, negated(resized(b.value, a.width)), a.width), a.undef, a.flags};
        check.expect("a - b", a, &b, x - y, expected);

        // *: exact in wa + wb bits, fresh, wholly undefined when either undefined flag is set.
        expected = zero_model(a.width + b.width);
        expected.value = product(a.value, b.value, a.width + b.width);
        if ((a.flags | b.flags) & kUndefinedFlag)
            expected = wholly_undefined(expected);
        check.expect("a * b", a, &b, x * y, expected);

        // +=: modulo 2^wa; a's mask and flags stay.
        MLIB_UINTEGER accumulated = x;
        accumulated += y;
        check.expect("a += b", a, &b, accumulated, Model{a.width, sum(a.value, b.value, a.width), a.undef, a.flags});

        // / and %: one-word operands, rounded down; a zero divisor gives a wholly undefined result.
        if (a.width <= 32 && b.width <= 32) {
            uint64_t dividend = number_of(a.value), divisor = number_of(b.value);
            Model quotient = zero_model(a.width), remainder = zero_model(b.width);
            if (divisor == 0) {
                quotient = wholly_undefined(quotient);
                remainder = wholly_undefined(remainder);
            } else {
                quotient.value = bits_of(dividend / divisor, a.width);
                remainder.value = bits_of(dividend % divisor, b.width);
            }
            check.expect("a / b", a, &b, x / y, quotient);
            check.expect("a % b", a, &b, x % y, remainder);
        }
    });
}

TEST(MlibIntegerModel, LogicFollowsKnownBitRules)
{
    for_each_case(kSeed + 1, [](OperandSource& source, Checker& check) {
        const Model a = source.operand(source.width()), b = source.operand(source.width());
        const MLIB_UINTEGER x = build(a), y = build(b);
        const int wide = std::max(a.width, b.width);
        const Model& wider = a.width > b.width ? a : b;

        check.expect("a & b", a, &b, x & y, and_model(a, b, wide));
        check.expect("a | b", a, &b, x | y, or_model(a, b, wide));

        // ^: wholly undefined when either undefined flag is set; otherwise the wider operand's flags
        // and mask, except that one-word results exclusive-or the two masks.
        Model expected = zero_model(wide);
        for (int i = 0; i < wide; ++i)
            expected.value[i] = (i < a.width ? a.value[i] : 0) ^ (i < b.width ? b.value[i] : 0);
        if ((a.flags | b.flags) & kUndefinedFlag) {
            expected = wholly_undefined(expected);
        } else {
            expected.flags = wider.flags;
            expected.undef = resized(wider.undef, wide);
            if (wide <= 32)
                for (int i = 0; i < wide; ++i)
                    expected.undef[i] = (i < a.width ? a.undef[i] : 0) ^ (i < b.width ? b.undef[i] : 0);
        }
        check.expect("a ^ b", a, &b, x ^ y, expected);

        // ~: every value bit inverted, undefined bits stay undefined.
        check.expect("~a", a, nullptr, ~x, Model{a.width, inverted(a.value), a.undef, a.flags});

        // &=, |=: as &, | within a's width; b's flags are ORed into a's.
        MLIB_UINTEGER anded = x, ored = x;
        anded &= y;
        ored |= y;
        expected = and_model(a, b, a.width);
        expected.flags = a.flags | b.flags;
        check.expect("a &= b", a, &b, anded, expected);
        expected = or_model(a, b, a.width);
        expected.flags = a.flags | b.flags;
        check.expect("a |= b", a, &b, ored, expected);
    });
}

TEST(MlibIntegerModel, ShiftsMoveBothPlanes)
{
    for_each_case(kSeed + 2, [](OperandSource& source, Checker& check) {
        const Model a = source.operand(source.width());
        const MLIB_UINTEGER x = build(a);
        const int n = source.shift(a.width);
        const std::string by = std::to_string(n);

        // <<: wa + n bits, nothing lost.
        Model expected = shifted_within(resized(a, a.width + n), n);
        check.expect("a << " + by, a, nullptr, x << n, expected);

        // >>: wa - n bits (at least 1).
        expected = resized(shifted_within(a, -n), std::max(a.width - n, 1));
        check.expect("a >> " + by, a, nullptr, x >> n, expected);

        // <<=, >>=: within the width, bits shifted out are lost.
        MLIB_UINTEGER left = x, right = x;
        left <<= n;
        right >>= n;
        check.expect("a <<= " + by, a, nullptr, left, shifted_within(a, n));
        const Model logical = shifted_within(a, -n);
        check.expect("a >>= " + by, a, nullptr, right, logical);

        // Signed >>=: a negative value fills the vacated top value bits with ones.
        MLIB_SINTEGER arithmetic(x);
        arithmetic >>= n;
        expected = logical;
        if (a.value.back())
            for (int i = std::max(a.width - n, 0); i < a.width; ++i)
                expected.value[i] = 1;
        check.expect("signed a >>= " + by, a, nullptr, arithmetic, expected);
    });
}

TEST(MlibIntegerModel, ComparisonsReadValuesEqualityReadsEverything)
{
    for_each_case(kSeed + 3, [](OperandSource& source, Checker& check) {
        const Model a = source.operand(source.width());
        Model b = source.operand(source.width());
        if (source.below(3) == 0) {  // the same value at another width, flags sometimes changed
            b = resized(a, std::max(b.width, a.width));
            if (source.below(2) == 0)
                b.flags ^= source.below(2) ? kUndefinedFlag : kHighZFlag;
        }
        const MLIB_UINTEGER x = build(a), y = build(b);

        // Ordering compares the value planes as unsigned numbers; mask and flags ignored.
        int order = compare_unsigned(a.value, b.value);
        check.expect_bool("a < b", a, &b, x < y, order < 0);
        check.expect_bool("a <= b", a, &b, x <= y, order <= 0);
        check.expect_bool("a > b", a, &b, x > y, order > 0);
        check.expect_bool("a >= b", a, &b, x >= y, order >= 0);

        // ==: value planes, masks and both flags equal.
        bool equal = unsigned_equal(a, b);
        check.expect_bool("a == b", a, &b, x == y, equal);
        check.expect_bool("a != b", a, &b, x != y, !equal);

        // == with a number: false for an undefined or Z value, else the value plane alone.
        uint32_t number = source.below(2) ? x.word(0) : source.word();
        bool equal_number = a.flags == 0 && compare_unsigned(a.value, bits_of(number, 32)) == 0;
        const std::string with = std::to_string(number) + "u";
        check.expect_bool("a == " + with, a, nullptr, x == number, equal_number);
        check.expect_bool("a != " + with, a, nullptr, x != number, !equal_number);
    });
}

TEST(MlibIntegerModel, AssignmentResizeBitAccessAndTextForm)
{
    for_each_case(kSeed + 4, [](OperandSource& source, Checker& check) {
        const Model a = source.operand(source.width()), b = source.operand(source.width());
        const MLIB_UINTEGER x = build(a), y = build(b);

        check.expect("copy of a", a, nullptr, MLIB_UINTEGER(x), a);

        // Assignment keeps the target's width, copies both planes (cut or zero-extended) and the flags.
        MLIB_UINTEGER target = x;
        target = y;
        check.expect("a = b", a, &b, target, resized(b, a.width));

        // A number: width kept, masked to it, mask and flags cleared.
        uint32_t number = source.word();
        target = x;
        target = number;
        Model expected = zero_model(a.width);
        expected.value = bits_of(number, a.width);
        check.expect("a = " + std::to_string(number) + "u", a, nullptr, target, expected);

        // Narrowing then widening brings back zeros, not the bits cut off; flags kept throughout.
        int first = source.width(), second = source.width();
        MLIB_UINTEGER resized_twice = x;
        resized_twice.resize(first);
        resized_twice.resize(second);
        check.expect("a.resize(" + std::to_string(first) + ").resize(" + std::to_string(second) + ")", a, nullptr,
                     resized_twice, resized(resized(a, first), second));

        // set_undefined() marks every bit and sets the flag; set_bit() makes a bit known and clears
        // the flag once no undefined bit is left.
        MLIB_UINTEGER undefined = x;
        undefined.set_undefined();
        check.expect("a.set_undefined()", a, nullptr, undefined, wholly_undefined(a));
        int position = source.below(a.width), bit = source.below(2);
        MLIB_UINTEGER with_bit = x;
        with_bit.set_bit(position, bit);
        expected = a;
        expected.value[position] = uint8_t(bit);
        expected.undef[position] = 0;
        if (std::find(expected.undef.begin(), expected.undef.end(), 1) == expected.undef.end())
            expected.flags &= ~kUndefinedFlag;
        check.expect("a.set_bit(" + std::to_string(position) + ", " + std::to_string(bit) + ")", a, nullptr, with_bit,
                     expected);
        check.expect_bool("a.bit(" + std::to_string(position) + ")", a, nullptr, x.bit(position) == 1,
                          a.value[position] == 1);
        check.expect_bool("a.is_zero()", a, nullptr, x.is_zero(),
                          std::find(a.value.begin(), a.value.end(), 1) == a.value.end());

        check.expect_text("a.to_hex()", a, nullptr, x.to_hex(), hex_text(a));
    });
}

TEST(MlibSintegerModel, SignedArithmeticComparisonAndResizeFollowTwosComplement)
{
    for_each_case(kSeed + 5, [](OperandSource& source, Checker& check) {
        const Model a = source.operand(source.width());
        Model b = source.operand(source.width());
        if (source.below(4) == 0)  // the same number at another width
            b.value = sign_extended(a.value, b.width);
        const MLIB_SINTEGER x(build(a)), y(build(b));
        const int wide = std::max(a.width, b.width);
        const bool a_negative = a.value.back(), b_negative = b.value.back();
        const Bits a_wide = sign_extended(a.value, wide + 1), b_wide = sign_extended(b.value, wide + 1);

        // Construction from a signed number: ones above word 0 for a negative number, cut to the width.
        int32_t number = int32_t(source.word()) >> source.below(32);
        Model expected = zero_model(a.width);
        expected.value = bits_of(uint64_t(int64_t(number)), a.width);
        if (number < 0)
            std::fill(expected.value.begin() + std::min(a.width, 64), expected.value.end(), uint8_t(1));
        check.expect("MLIB_SINTEGER(" + std::to_string(number) + ", w)", a, nullptr, MLIB_SINTEGER(number, a.width),
                     expected);

        // +: exact, W bits, or W + 1 when the unsigned sum of the W-bit operands carries out or the
        // exact sum needs the extra bit. Only width and value bits are checked.
        Bits exact = sum(a_wide, b_wide, wide + 1);
        bool carry = sum(sign_extended(a.value, wide), sign_extended(b.value, wide), wide + 1)[wide];
        bool fits = exact[wide] == exact[wide - 1];
        int result_width = carry || !fits ? wide + 1 : wide;
        Model got = read(x + y);
        check.expect_text("signed a + b", a, &b, numeric_text(got.value), numeric_text(resized(exact, result_width)));

        // -: exact. W + 1 bits when the difference needs them; where it fits in W bits either width
        // is taken (a subtraction has no single unsigned carry to go by), read as the same number.
        exact = sum(a_wide, negated(b_wide), wide + 1);
        fits = exact[wide] == exact[wide - 1];
        got = read(x - y);
        if ((got.width != wide + 1 && (got.width != wide || !fits)) || got.value != resized(exact, got.width))
            check.report("signed a - b", a, &b, numeric_text(got.value),
                         numeric_text(exact) + (fits ? " or " + numeric_text(resized(exact, wide)) : ""));

        // signed + unsigned: W + 1 bits, or W + 2 when a non-negative sum's top bit would read as a sign.
        const MLIB_UINTEGER unsigned_b = build(b);
        exact = sum(sign_extended(a.value, wide + 2), b.value, wide + 2);
        result_width = !exact[wide + 1] && exact[wide] ? wide + 2 : wide + 1;
        got = read(x + unsigned_b);
        check.expect_text("signed a + unsigned b", a, &b, numeric_text(got.value),
                          numeric_text(resized(exact, result_width)));

        // *: magnitudes multiplied in wa + wb bits, negated when exactly one operand is negative.
        Bits magnitude_product = product(a_negative ? negated(a.value) : a.value,
                                         b_negative ? negated(b.value) : b.value, a.width + b.width);
        Bits signed_product = a_negative != b_negative ? negated(magnitude_product) : magnitude_product;
        got = read(x * y);
        check.expect_text("signed a * b", a, &b, numeric_text(got.value), numeric_text(signed_product));

        // Ordering: negative below non-negative, same signs compared sign-extended.
        int order = a_negative != b_negative ? (a_negative ? -1 : 1) : compare_unsigned(a_wide, b_wide);
        check.expect_bool("signed a < b", a, &b, x < y, order < 0);
        check.expect_bool("signed a <= b", a, &b, x <= y, order <= 0);
        check.expect_bool("signed a > b", a, &b, x > y, order > 0);
        check.expect_bool("signed a >= b", a, &b, x >= y, order >= 0);
        // ==: two negative values by their sign-extended bits alone; two non-negative ones as unsigned.
        bool equal = a_negative == b_negative && (a_negative ? order == 0 : unsigned_equal(a, b));
        check.expect_bool("signed a == b", a, &b, x == y, equal);
        check.expect_bool("signed a != b", a, &b, x != y, !equal);

        // sign_resize: widening repeats the sign bit in the value; the mask is zero-extended.
        MLIB_SINTEGER resized_signed = x;
        resized_signed.sign_resize(b.width);
        check.expect("a.sign_resize(" + std::to_string(b.width) + ")", a, nullptr, resized_signed,
                     Model{b.width, sign_extended(a.value, b.width), resized(a.undef, b.width), a.flags});

        // Signed assignment: b sign-extended or cut into a's width; a non-negative source never turns
        // into a negative one (its cut top bit is cleared). Mask zero-extended, flags copied.
        MLIB_SINTEGER target(x);
        target = y;
        expected = Model{a.width, sign_extended(b.value, a.width), resized(b.undef, a.width), b.flags};
        if (!b_negative)
            expected.value.back() = 0;
        check.expect("signed a = b", a, &b, target, expected);
    });
}
