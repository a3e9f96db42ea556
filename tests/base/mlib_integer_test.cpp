// Wide integer values: widths of results, carries into new words, undefined-bit rules,
// shifts at and beyond the width, signed arithmetic and the text form.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "base/mlib_integer.h"

namespace {

// A value of the given width from up to two 64-bit halves (low, high).
MLIB_UINTEGER make(int width, uint64_t low, uint64_t high = 0)
{
    MLIB_UINTEGER v(0, width);
    uint32_t parts[4] = {uint32_t(low), uint32_t(low >> 32), uint32_t(high), uint32_t(high >> 32)};
    for (int i = 0; i < v.words() && i < 4; ++i)
        v.set_word(i, parts[i]);
    v.resize(width);  // masks the top word
    return v;
}

uint64_t low64(const MLIB_UINTEGER& v) { return v.word(0) | (uint64_t(v.word(1)) << 32); }

MLIB_UINTEGER undefined(int width)
{
    MLIB_UINTEGER v(0, width);
    v.set_undefined();
    return v;
}

}  // namespace

TEST(MlibInteger, ConstructionMasksAndClampsWidth)
{
    MLIB_UINTEGER one_bit(5, 0);
    EXPECT_EQ(one_bit.width(), 1);
    EXPECT_EQ(one_bit.to_uint(), 1u);
    EXPECT_EQ(MLIB_UINTEGER(0x1FF, 8).to_uint(), 0xFFu);
    EXPECT_EQ(MLIB_UINTEGER(7, -3).width(), 1);
    MLIB_UINTEGER wide(0xDEADBEEF, 40);
    EXPECT_EQ(wide.word(0), 0xDEADBEEFu);
    EXPECT_EQ(wide.word(1), 0u);
    EXPECT_EQ(wide.word(2), 0u);  // outside the value
    EXPECT_EQ(wide.word(-1), 0u);
}

TEST(MlibInteger, AssignmentKeepsTargetWidth)
{
    MLIB_UINTEGER narrow(0, 12);
    narrow = make(40, 0xFF12345678ull);
    EXPECT_EQ(narrow.width(), 12);
    EXPECT_EQ(narrow.to_uint(), 0x678u);

    MLIB_UINTEGER wide(0, 64);
    MLIB_UINTEGER source = undefined(8);
    source.set_high_z();
    wide = source;
    EXPECT_EQ(wide.width(), 64);
    EXPECT_TRUE(wide.is_undefined());
    EXPECT_TRUE(wide.is_high_z());
    EXPECT_EQ(wide.undef_word(0), 0xFFu);
    EXPECT_EQ(wide.undef_word(1), 0u);

    wide = 0x42u;  // clears the flags and the mask
    EXPECT_FALSE(wide.is_undefined());
    EXPECT_EQ(wide.undef_word(0), 0u);
    EXPECT_TRUE(wide == 0x42u);

    MLIB_UINTEGER moved(0, 64);
    moved = make(100, ~0ull, ~0ull);  // move of a different width still truncates
    EXPECT_EQ(moved.width(), 64);
    EXPECT_EQ(low64(moved), ~0ull);
}

TEST(MlibInteger, AdditionWidensOnCarry)
{
    struct Case {
        int width_a, width_b;
        uint64_t a, b;
        int width;
        uint64_t sum;
    } cases[] = {
        {8, 8, 0xFF, 0x01, 9, 0x100},
        {8, 8, 0x7F, 0x01, 8, 0x80},
        {32, 32, 0xFFFFFFFF, 1, 33, 0x100000000ull},
        {31, 31, 0x7FFFFFFF, 1, 32, 0x80000000ull},
        {40, 8, 0xFFFFFFFFFFull, 1, 41, 0x10000000000ull},
        {64, 64, ~0ull, 1, 65, 0},
        {4, 40, 0xF, 0x11, 40, 0x20},
        {33, 33, 0x100000000ull, 0x100000000ull, 34, 0x200000000ull},
    };
    for (const Case& c : cases) {
        MLIB_UINTEGER r = make(c.width_a, c.a) + make(c.width_b, c.b);
        EXPECT_EQ(r.width(), c.width) << c.width_a << "+" << c.width_b;
        EXPECT_EQ(low64(r), c.sum) << c.width_a << "+" << c.width_b;
    }
    MLIB_UINTEGER r = make(64, ~0ull) + make(64, 1);
    EXPECT_EQ(r.word(2), 1u);
}

TEST(MlibInteger, AdditionTakesMaskAndFlagsOfWiderOperand)
{
    MLIB_UINTEGER a = undefined(8);
    MLIB_UINTEGER b(1, 16);
    MLIB_UINTEGER r = a + b;
    EXPECT_FALSE(r.is_undefined());
    EXPECT_EQ(r.undef_word(0), 0u);
    r = b + a;  // equal treatment whatever the order
    EXPECT_FALSE(r.is_undefined());
    MLIB_UINTEGER same = undefined(16);
    EXPECT_TRUE((b + same).is_undefined());  // equal widths: b's flags
    EXPECT_FALSE((same + b).is_undefined());
}

TEST(MlibInteger, SubtractionAndCompoundAdditionWrapAtWidth)
{
    MLIB_UINTEGER r = MLIB_UINTEGER(0, 8) - MLIB_UINTEGER(1, 8);
    EXPECT_EQ(r.width(), 8);
    EXPECT_EQ(r.to_uint(), 0xFFu);
    EXPECT_EQ(low64(make(40, 0) - make(40, 1)), 0xFFFFFFFFFFull);
    EXPECT_EQ(low64(make(64, 0x100000000ull) - make(8, 1)), 0xFFFFFFFFull);

    MLIB_UINTEGER acc(0xFF, 8);
    acc += MLIB_UINTEGER(2, 8);
    EXPECT_EQ(acc.to_uint(), 1u);
    MLIB_UINTEGER wide_acc = make(33, 0x1FFFFFFFFull);
    wide_acc += make(33, 1);
    EXPECT_EQ(wide_acc.width(), 33);
    EXPECT_EQ(low64(wide_acc), 0u);
    MLIB_UINTEGER with_x = undefined(8);
    with_x += MLIB_UINTEGER(1, 8);
    EXPECT_TRUE(with_x.is_undefined());  // += keeps a's mask and flags
}

TEST(MlibInteger, MultiplicationIsExactAtEveryWidth)
{
    MLIB_UINTEGER r = make(32, 0xFFFFFFFF) * make(32, 0xFFFFFFFF);
    EXPECT_EQ(r.width(), 64);
    EXPECT_EQ(low64(r), 0xFFFFFFFE00000001ull);
    r = make(40, 0xFFFFFFFFFFull) * make(24, 0xFFFFFF);
    EXPECT_EQ(r.width(), 64);
    EXPECT_EQ(low64(r), 0xFFFFFFFFFFull * 0xFFFFFFull);
    // 2^64 - 1 squared = 2^128 - 2^65 + 1
    MLIB_UINTEGER square = make(64, ~0ull) * make(64, ~0ull);
    EXPECT_EQ(square.width(), 128);
    EXPECT_EQ(low64(square), 1u);
    EXPECT_EQ(square.word(2), 0xFFFFFFFEu);
    EXPECT_EQ(square.word(3), 0xFFFFFFFFu);
    EXPECT_TRUE((undefined(8) * make(8, 3)).is_undefined());
    EXPECT_TRUE((make(40, 3) * undefined(40)).is_undefined());
}

TEST(MlibInteger, DivisionAndRemainder)
{
    MLIB_UINTEGER q = MLIB_UINTEGER(7, 8) / MLIB_UINTEGER(2, 4);
    EXPECT_EQ(q.width(), 8);
    EXPECT_EQ(q.to_uint(), 3u);
    MLIB_UINTEGER m = MLIB_UINTEGER(7, 8) % MLIB_UINTEGER(4, 4);
    EXPECT_EQ(m.width(), 4);
    EXPECT_EQ(m.to_uint(), 3u);

    MLIB_UINTEGER by_zero = MLIB_UINTEGER(7, 8) / MLIB_UINTEGER(0, 4);
    EXPECT_TRUE(by_zero.is_undefined());
    EXPECT_EQ(by_zero.width(), 8);
    MLIB_UINTEGER mod_zero = MLIB_UINTEGER(7, 8) % MLIB_UINTEGER(0, 4);
    EXPECT_TRUE(mod_zero.is_undefined());
    EXPECT_EQ(mod_zero.width(), 4);

    // Operands wider than 32 bits divide exactly.
    std::mt19937_64 random(20261209);
    for (int i = 0; i < 200; ++i) {
        uint64_t a = random() >> (random() % 40), b = (random() >> (random() % 64)) | 1;
        MLIB_UINTEGER x = make(64, a), y = make(48, b & 0xFFFFFFFFFFFFull);
        uint64_t divisor = b & 0xFFFFFFFFFFFFull;
        EXPECT_EQ(low64(x / y), a / divisor) << a << " / " << divisor;
        EXPECT_EQ(low64(x % y), a % divisor) << a << " % " << divisor;
        EXPECT_EQ((x % y).width(), 48);
    }
    MLIB_UINTEGER big = make(200, 0, 0x123456789ull);  // 0x123456789 << 64
    MLIB_UINTEGER quotient = big / make(40, 0x100000000ull);
    EXPECT_EQ(quotient.width(), 200);
    EXPECT_EQ(quotient.word(1), 0x23456789u);
    EXPECT_EQ(quotient.word(2), 0x1u);
    EXPECT_EQ(quotient.word(3), 0u);
}

TEST(MlibInteger, AndOrFollowKnownBitRules)
{
    // Bits: 0 = known 0, 1 = known 1, X = undefined (value bit 0 under it).
    // a: X X X 1 1 1 0 0 0, b: X 1 0 X 1 0 X 1 0 (bit 8 .. bit 0)
    MLIB_UINTEGER a = make(9, 0b000111000), b = make(9, 0b010010010);
    a.set_undef_word(0, 0b111000000);
    b.set_undef_word(0, 0b100100100);
    MLIB_UINTEGER r = a & b;
    EXPECT_EQ(r.to_uint(), 0b000010000u);
    EXPECT_EQ(r.undef_word(0), 0b010100000u);  // X&1 and 1&X are X; X&X and X&0 are 0
    EXPECT_FALSE(r.is_undefined());
    r = a | b;
    EXPECT_EQ(r.to_uint(), 0b010111010u);
    EXPECT_EQ(r.undef_word(0), 0b101000100u);  // X|X, X|0, 0|X are X; X|1 is 1

    MLIB_UINTEGER c = a;
    c &= b;
    EXPECT_EQ(c.to_uint(), 0b000010000u);
    EXPECT_EQ(c.undef_word(0), 0b010100000u);
    MLIB_UINTEGER d = MLIB_UINTEGER(0, 9);
    MLIB_UINTEGER flagged = undefined(9);
    d |= flagged;
    EXPECT_TRUE(d.is_undefined());  // b's flags are ORed in
}

TEST(MlibInteger, AndOfUnequalWordCountsZeroExtendsTheNarrower)
{
    MLIB_UINTEGER wide = make(70, ~0ull, 0x3F);
    MLIB_UINTEGER narrow(0xF0F0F0F0, 32);
    MLIB_UINTEGER r = wide & narrow;
    EXPECT_EQ(r.width(), 70);
    EXPECT_EQ(r.word(0), 0xF0F0F0F0u);
    EXPECT_EQ(r.word(1), 0u);
    EXPECT_EQ(r.word(2), 0u);
    wide &= narrow;
    EXPECT_EQ(wide.word(1), 0u);
    EXPECT_EQ(wide.word(2), 0u);
}

TEST(MlibInteger, XorAndNotRules)
{
    MLIB_UINTEGER r = make(8, 0xF0) ^ make(8, 0xFF);
    EXPECT_EQ(r.to_uint(), 0x0Fu);
    EXPECT_TRUE((undefined(8) ^ make(16, 1)).is_undefined());
    EXPECT_EQ((undefined(8) ^ make(16, 1)).undef_word(0), 0xFFFFu);  // whole result undefined

    MLIB_UINTEGER a = make(8, 0), b = make(8, 0);
    a.set_undef_word(0, 0x0C);  // mask bits without the flag
    b.set_undef_word(0, 0x0A);
    EXPECT_EQ((a ^ b).undef_word(0), 0x06u);  // narrow values: masks are exclusive-ored

    MLIB_UINTEGER n = make(12, 0x0F0);
    n.set_undef_word(0, 0x001);
    MLIB_UINTEGER inverted = ~n;
    EXPECT_EQ(inverted.to_uint(), 0xF0Fu);
    EXPECT_EQ(inverted.undef_word(0), 0x001u);
    EXPECT_EQ(low64(~make(40, 0)), 0xFFFFFFFFFFull);
}

TEST(MlibInteger, ShiftsWithinWidthReachZeroAtAndBeyondWidth)
{
    MLIB_UINTEGER a(0xAB, 8);
    a <<= 33;
    EXPECT_TRUE(a.is_zero());
    MLIB_UINTEGER b(0xFFFFFFFF, 32);
    b >>= 32;
    EXPECT_TRUE(b.is_zero());
    MLIB_UINTEGER c = make(40, 0xFFFFFFFFFFull);
    c >>= 40;
    EXPECT_TRUE(c.is_zero());
    MLIB_UINTEGER d = make(64, 0x8000000000000001ull);
    d <<= 63;
    EXPECT_EQ(low64(d), 0x8000000000000000ull);
    MLIB_UINTEGER e = make(96, 0, 0xFFFFFFFF);
    e >>= 40;
    EXPECT_EQ(low64(e), 0xFFFFFFFF000000ull);
    EXPECT_EQ(e.word(2), 0u);

    MLIB_UINTEGER with_x = make(40, 1);
    with_x.set_undef_word(0, 1);
    with_x <<= 35;
    EXPECT_EQ(with_x.undef_word(1), 0x8u);  // the mask moves with the value
}

TEST(MlibInteger, ShiftOperatorsChangeWidth)
{
    MLIB_UINTEGER r = MLIB_UINTEGER(0xFF, 8) << 30;
    EXPECT_EQ(r.width(), 38);
    EXPECT_EQ(low64(r), 0xFFull << 30);
    MLIB_UINTEGER top = make(40, 0xFF00000000ull) >> 32;
    EXPECT_EQ(top.width(), 8);
    EXPECT_EQ(top.to_uint(), 0xFFu);
    MLIB_UINTEGER nothing = MLIB_UINTEGER(0xFF, 8) >> 8;
    EXPECT_EQ(nothing.width(), 1);
    EXPECT_EQ(nothing.to_uint(), 0u);
}

TEST(MlibInteger, ComparisonsIgnoreMaskEqualityDoesNot)
{
    EXPECT_TRUE(make(8, 3) < make(40, 0x100000000ull));
    EXPECT_TRUE(make(64, 0x100000000ull) > make(32, 0xFFFFFFFF));
    EXPECT_TRUE(make(40, 5) <= make(8, 5));
    EXPECT_TRUE(make(40, 5) >= make(8, 5));
    EXPECT_TRUE(make(40, 5) == make(8, 5));

    MLIB_UINTEGER z(5, 8);
    z.set_high_z();
    EXPECT_FALSE(z == MLIB_UINTEGER(5, 8));
    EXPECT_FALSE(z == 5u);
    EXPECT_FALSE(undefined(8) == 0u);
    MLIB_UINTEGER masked(5, 8);
    masked.set_undef_word(0, 1);
    EXPECT_NE(masked, MLIB_UINTEGER(5, 8));
    EXPECT_FALSE(masked < MLIB_UINTEGER(5, 8));
    EXPECT_TRUE(make(40, 0x100000007ull) != 7u);
}

TEST(MlibInteger, BitAccessAndUndefinedFlag)
{
    MLIB_UINTEGER v(0, 40);
    EXPECT_THROW(v.bit(40), MLIB_EXCEPTION);
    EXPECT_NO_THROW(v.bit(39));
    EXPECT_THROW(v.bit(-1), MLIB_EXCEPTION);
    try {
        v.set_bit(40, 1);
        FAIL();
    } catch (const MLIB_EXCEPTION& e) {
        EXPECT_STREQ(e.what(), "MLIB_UINTEGER::set_bit() called with illegal bit_position");
    }
    try {
        (void)v.bit(41);
        FAIL();
    } catch (const MLIB_EXCEPTION& e) {
        EXPECT_STREQ(e.what(), "MLIB_UINTEGER::bit() called with illegal bit_position");
    }

    v.set_undefined();
    for (int pos = 0; pos < 40; ++pos) {
        EXPECT_TRUE(v.is_undefined()) << pos;
        v.set_bit(pos, pos & 1);
    }
    EXPECT_FALSE(v.is_undefined());
    EXPECT_EQ(low64(v), 0xAAAAAAAAAAull);
}

TEST(MlibInteger, ResizeExtendsAndTruncatesBothPlanes)
{
    MLIB_UINTEGER v = undefined(8);
    v.resize(40);
    EXPECT_EQ(v.undef_word(0), 0xFFu);
    EXPECT_EQ(v.undef_word(1), 0u);
    EXPECT_TRUE(v.is_undefined());
    MLIB_UINTEGER w = make(70, ~0ull, ~0ull);
    w.resize(33);
    EXPECT_EQ(w.word(1), 1u);
    w.resize(0);
    EXPECT_EQ(w.width(), 1);
    EXPECT_EQ(w.to_uint(), 1u);
}

TEST(MlibInteger, ResizeAcrossInlineAndHeapStorageKeepsNoStaleBits)
{
    // Narrowing then widening again must bring back zeros, not the bits that were cut off,
    // whether the value lives inline (up to 64 bits) or moves to and from the heap.
    MLIB_UINTEGER v = make(64, ~0ull);
    v.set_undefined();
    v.resize(16);
    v.resize(64);
    EXPECT_EQ(low64(v), 0xFFFFull);
    EXPECT_EQ(v.undef_word(1), 0u);
    MLIB_UINTEGER w = make(100, ~0ull, ~0ull);
    w.resize(48);
    EXPECT_EQ(low64(w), 0xFFFFFFFFFFFFull);
    w.resize(100);
    EXPECT_EQ(w.word(1), 0xFFFFu);
    EXPECT_EQ(w.word(2), 0u);
    EXPECT_EQ(w.word(3), 0u);
    // Copies and moves of inline wide values are independent of their source.
    MLIB_UINTEGER a = make(48, 0x123456789ABCull);
    MLIB_UINTEGER b(a);
    a.set_word(1, 0);
    EXPECT_EQ(low64(b), 0x123456789ABCull);
    MLIB_UINTEGER c(std::move(b));
    EXPECT_EQ(low64(c), 0x123456789ABCull);
    EXPECT_EQ((c + make(48, 0xFFFFFFFFFFFFull)).width(), 49);
}

TEST(MlibInteger, InlineCopiesAndEqualityIgnoreWordsAboveTheWidth)
{
    // A value shrunk to one word keeps its old second word inline; copying it into or
    // comparing it with a two-word value must read that word as zero, in both planes.
    MLIB_UINTEGER shrunk = make(64, 0xAAAA0000'00001234ull);
    shrunk.set_undef_word(1, 0xFFFFFFFF);
    shrunk.resize(16);
    MLIB_UINTEGER wide = make(48, ~0ull);
    wide = shrunk;
    EXPECT_EQ(low64(wide), 0x1234ull);
    EXPECT_EQ(wide.undef_word(1), 0u);
    EXPECT_TRUE(wide == shrunk);
    EXPECT_TRUE(shrunk == make(40, 0x1234));
    EXPECT_FALSE(shrunk == make(40, 0x100001234ull));
    // The same after a stay on the heap: the inline words left from before must not return.
    MLIB_UINTEGER travelled = make(64, ~0ull);
    travelled.set_undef_word(1, 0xFFFFFFFF);
    travelled.resize(100);
    travelled.set_word(0, 7);
    travelled.set_undef_word(1, 0);
    travelled.resize(20);
    EXPECT_TRUE(travelled == make(40, 7));
    MLIB_UINTEGER target = make(48, ~0ull);
    target = travelled;
    EXPECT_EQ(low64(target), 7ull);
    EXPECT_EQ(target.undef_word(1), 0u);
    // Copies into a narrower inline value cut both planes at its width.
    MLIB_UINTEGER x = make(64, ~0ull);
    x.set_undef_word(1, 0x80000000u);
    MLIB_UINTEGER cut(0, 33);
    cut = x;
    EXPECT_EQ(low64(cut), 0x1FFFFFFFFull);
    EXPECT_EQ(cut.undef_word(1), 0u);
    EXPECT_FALSE(cut == x);
    // Only plain values (no undefined bit, no flag, at most 64 bits) read as one word.
    uint64_t bits = 0;
    EXPECT_TRUE(make(48, 0xBEEF00000001ull).plain_low_64(bits));
    EXPECT_EQ(bits, 0xBEEF00000001ull);
    EXPECT_FALSE(x.plain_low_64(bits));
    EXPECT_FALSE(undefined(8).plain_low_64(bits));
    EXPECT_FALSE(make(65, 1).plain_low_64(bits));
    MLIB_UINTEGER z(1, 40);
    z.set_high_z();
    EXPECT_FALSE(z.plain_low_64(bits));
    EXPECT_TRUE(shrunk.plain_low_64(bits));  // the stale mask word lies above its width
    EXPECT_EQ(bits, 0x1234ull);
}

TEST(MlibInteger, TextForm)
{
    EXPECT_EQ(MLIB_UINTEGER(0xABC, 12).to_hex(), "ABC");
    EXPECT_EQ(MLIB_UINTEGER(0x1ABC, 13).to_hex(), "1ABC");
    EXPECT_EQ(MLIB_UINTEGER(0x5, 16).to_hex(), "0005");
    MLIB_UINTEGER x(0, 6);
    x.set_undef_word(0, 0x20);
    EXPECT_EQ(x.to_hex(), "X0");
    MLIB_UINTEGER z(0x12, 8);
    z.set_high_z();
    EXPECT_EQ(z.to_hex(), "ZZ");
    EXPECT_EQ(make(40, 0x12345678ABull).to_hex(), "12345678AB");
    MLIB_UINTEGER changing(1, 4);
    EXPECT_EQ(changing.to_hex(), "1");
    changing = 9u;
    EXPECT_EQ(changing.to_hex(), "9");
}

TEST(MlibSinteger, ConstructionAndSignExtension)
{
    MLIB_SINTEGER m(-1, 40);
    EXPECT_EQ(low64(m), 0xFFFFFFFFFFull);
    EXPECT_EQ(m.word(2), 0u);
    EXPECT_EQ(MLIB_SINTEGER(-1, 8).to_uint(), 0xFFu);

    MLIB_SINTEGER target(0, 16);
    target = MLIB_SINTEGER(-3, 8);
    EXPECT_EQ(target.to_uint(), 0xFFFDu);
    MLIB_SINTEGER narrow(0, 4);
    narrow = MLIB_SINTEGER(12, 8);  // non-negative source cut to a negative-looking pattern
    EXPECT_EQ(narrow.to_uint(), 0x4u);
    MLIB_SINTEGER wide(0, 64);
    wide = MLIB_UINTEGER(0x80, 8);  // a 8-bit pattern with its top bit set reads negative
    EXPECT_EQ(low64(wide), 0xFFFFFFFFFFFFFF80ull);

    MLIB_SINTEGER r(-2, 8);
    r.sign_resize(40);
    EXPECT_EQ(low64(r), 0xFFFFFFFFFEull);
    r.sign_resize(4);
    EXPECT_EQ(r.to_uint(), 0xEu);
}

TEST(MlibSinteger, AdditionAndSubtractionAreExact)
{
    struct Case {
        int32_t a, b;
        int width;
        int32_t sum;
    } cases[] = {
        {-1, -1, 9, -2}, {5, -3, 9, 2}, {127, 1, 9, 128}, {-128, -1, 9, -129}, {3, 4, 8, 7}, {-3, 1, 8, -2},
    };
    for (const Case& c : cases) {
        MLIB_SINTEGER r = MLIB_SINTEGER(c.a, 8) + MLIB_SINTEGER(c.b, 8);
        EXPECT_EQ(r.width(), c.width) << c.a << "+" << c.b;
        EXPECT_EQ(r.to_int(), c.sum) << c.a << "+" << c.b;
    }
    MLIB_SINTEGER d = MLIB_SINTEGER(-128, 8) - MLIB_SINTEGER(1, 8);
    EXPECT_EQ(d.to_int(), -129);
    EXPECT_EQ(d.width(), 9);
    MLIB_SINTEGER small = MLIB_SINTEGER(5, 8) - MLIB_SINTEGER(7, 8);
    EXPECT_EQ(small.to_int(), -2);
    EXPECT_EQ(small.width(), 8);

    MLIB_SINTEGER wide = MLIB_SINTEGER(-1, 40) + MLIB_SINTEGER(-1, 40);
    EXPECT_EQ(wide.width(), 41);
    EXPECT_EQ(low64(wide), 0x1FFFFFFFFFEull);

    MLIB_SINTEGER mixed = MLIB_SINTEGER(-1, 8) + MLIB_UINTEGER(1, 1);
    EXPECT_EQ(mixed.width(), 9);
    EXPECT_TRUE(mixed.is_zero());
    MLIB_SINTEGER carried = MLIB_SINTEGER(127, 8) + MLIB_UINTEGER(1, 1);
    EXPECT_EQ(carried.to_int(), 128);
    MLIB_SINTEGER extra = MLIB_SINTEGER(3, 4) + MLIB_UINTEGER(255, 8);
    EXPECT_EQ(extra.width(), 10);  // the sum's top bit would otherwise read as a sign
    EXPECT_EQ(extra.to_int(), 258);
}

TEST(MlibSinteger, MultiplicationAndArithmeticShift)
{
    MLIB_SINTEGER p = MLIB_SINTEGER(-3, 8) * MLIB_SINTEGER(5, 8);
    EXPECT_EQ(p.width(), 16);
    EXPECT_EQ(p.to_int(), -15);
    MLIB_SINTEGER square = MLIB_SINTEGER(-128, 8) * MLIB_SINTEGER(-128, 8);
    EXPECT_EQ(square.to_int(), 16384);
    MLIB_SINTEGER wide = MLIB_SINTEGER(-1, 40) * MLIB_SINTEGER(3, 40);
    EXPECT_EQ(wide.width(), 80);
    EXPECT_EQ(low64(wide), ~0ull - 2);
    EXPECT_EQ(wide.word(2), 0xFFFFu);

    MLIB_SINTEGER s(-16, 8);
    s >>= 2;
    EXPECT_EQ(s.to_int(), -4);
    s >>= 20;
    EXPECT_EQ(s.to_uint(), 0xFFu);
    MLIB_SINTEGER positive(64, 8);
    positive >>= 3;
    EXPECT_EQ(positive.to_int(), 8);
}

TEST(MlibSinteger, SignedComparisons)
{
    EXPECT_TRUE(MLIB_SINTEGER(-1, 8) < MLIB_SINTEGER(0, 40));
    EXPECT_TRUE(MLIB_SINTEGER(-2, 8) < MLIB_SINTEGER(-1, 40));
    EXPECT_TRUE(MLIB_SINTEGER(-1, 8) == MLIB_SINTEGER(-1, 40));
    EXPECT_FALSE(MLIB_SINTEGER(-1, 8) == MLIB_SINTEGER(255, 40));
    EXPECT_TRUE(MLIB_SINTEGER(100, 8) > MLIB_SINTEGER(-100, 8));
    EXPECT_TRUE(MLIB_SINTEGER(5, 8) >= MLIB_SINTEGER(5, 40));
}

TEST(MlibSinteger, DivisionTruncatesTowardZero)
{
    EXPECT_EQ((MLIB_SINTEGER(-7, 8) / MLIB_SINTEGER(2, 8)).to_int(), -3);
    EXPECT_EQ((MLIB_SINTEGER(-7, 8) % MLIB_SINTEGER(2, 8)).to_int(), -1);
    EXPECT_EQ((MLIB_SINTEGER(7, 8) % MLIB_SINTEGER(-2, 8)).to_int(), 1);
    EXPECT_TRUE((MLIB_SINTEGER(-128, 8) / MLIB_SINTEGER(-1, 8)).is_undefined());
    EXPECT_TRUE((MLIB_SINTEGER(-128, 8) % MLIB_SINTEGER(-1, 8)).is_undefined());
    EXPECT_TRUE((MLIB_SINTEGER(5, 8) / MLIB_SINTEGER(0, 8)).is_undefined());
    MLIB_SINTEGER min32(INT32_MIN, 32);
    EXPECT_TRUE((min32 / MLIB_SINTEGER(-1, 32)).is_undefined());
    EXPECT_EQ((min32 / MLIB_SINTEGER(2, 32)).to_int(), INT32_MIN / 2);
    EXPECT_EQ((min32 % MLIB_SINTEGER(3, 32)).to_int(), INT32_MIN % 3);
    // The remainder's magnitude against the divisor's bits read unsigned must fit the divisor.
    EXPECT_TRUE((MLIB_SINTEGER(1000, 16) % MLIB_SINTEGER(-3, 8)).is_undefined());
    EXPECT_EQ((MLIB_SINTEGER(100, 16) % MLIB_SINTEGER(-3, 8)).to_int(), 1);

    // Wide operands: exact, truncating toward zero, remainder with the dividend's sign.
    std::mt19937_64 random(7);
    for (int i = 0; i < 200; ++i) {
        int64_t a = int64_t(random()) >> (random() % 48);
        int64_t b = int64_t(random()) >> (16 + random() % 40);
        if (b == 0 || (a == INT64_MIN && b == -1))
            continue;
        MLIB_SINTEGER x(0, 64), y(0, 64);
        x.set_word(0, uint32_t(a));
        x.set_word(1, uint32_t(uint64_t(a) >> 32));
        y.set_word(0, uint32_t(b));
        y.set_word(1, uint32_t(uint64_t(b) >> 32));
        EXPECT_EQ(int64_t(low64(x / y)), a / b) << a << " / " << b;
        EXPECT_EQ(int64_t(low64(x % y)), a % b) << a << " % " << b;
    }
    MLIB_SINTEGER most_negative(0, 40);
    most_negative.set_word(1, 0x80);
    EXPECT_TRUE((most_negative / MLIB_SINTEGER(-1, 40)).is_undefined());
    EXPECT_TRUE((MLIB_SINTEGER(1, 40) % MLIB_SINTEGER(0, 40)).is_undefined());
}
