// The documented value operations, bit plane by bit plane. Arithmetic works on 64-bit
// words; results keep the widths, masks and flags that the value type documents.
#include "model/ref_value.h"

#include <algorithm>
#include <cassert>

namespace reference {
namespace {

int WordsFor(int width)
{
    return (width + 63) / 64;
}

uint64_t TopMask(int width)
{
    return width % 64 ? (~uint64_t{0} >> (64 - width % 64)) : ~uint64_t{0};
}

Value Blank(int width)
{
    Value v;
    v.width = width < 1 ? 1 : width;
    v.bits.assign(WordsFor(v.width), 0);
    v.xmask.assign(WordsFor(v.width), 0);
    return v;
}

uint64_t WordOf(const std::vector<uint64_t>& plane, int i)
{
    return i < static_cast<int>(plane.size()) ? plane[i] : 0;
}

// The value plane of `a` read as a `width`-bit pattern, sign-extended when `sign` is set.
std::vector<uint64_t> Pattern(const Value& a, int width, bool sign)
{
    std::vector<uint64_t> out(WordsFor(width), 0);
    const bool negative = sign && a.IsNegative();
    for (int i = 0; i < width; ++i) {
        const int b = i < a.width ? a.Bit(i) : (negative ? 1 : 0);
        if (b)
            out[i / 64] |= uint64_t{1} << (i % 64);
    }
    return out;
}

std::vector<uint64_t> AddWords(const std::vector<uint64_t>& a, const std::vector<uint64_t>& b, int words)
{
    std::vector<uint64_t> out(words, 0);
    unsigned __int128 carry = 0;
    for (int i = 0; i < words; ++i) {
        unsigned __int128 s = carry + WordOf(a, i) + WordOf(b, i);
        out[i] = static_cast<uint64_t>(s);
        carry = s >> 64;
    }
    return out;
}

std::vector<uint64_t> NegateWords(const std::vector<uint64_t>& a, int words)
{
    std::vector<uint64_t> inverted(words);
    for (int i = 0; i < words; ++i)
        inverted[i] = ~WordOf(a, i);
    return AddWords(inverted, {1}, words);
}

std::vector<uint64_t> MulWords(const std::vector<uint64_t>& a, const std::vector<uint64_t>& b, int words)
{
    std::vector<uint64_t> out(words, 0);
    for (int i = 0; i < static_cast<int>(a.size()) && i < words; ++i) {
        unsigned __int128 carry = 0;
        for (int j = 0; i + j < words; ++j) {
            unsigned __int128 p = static_cast<unsigned __int128>(a[i]) * WordOf(b, j) + out[i + j] + carry;
            out[i + j] = static_cast<uint64_t>(p);
            carry = p >> 64;
        }
    }
    return out;
}

// A value of `width` bits from a pattern of words (cut to the width).
Value FromWords(const std::vector<uint64_t>& words, int width)
{
    Value v = Blank(width);
    for (int i = 0; i < v.Words(); ++i)
        v.bits[i] = WordOf(words, i);
    v.Trim();
    return v;
}

int TopBit(const std::vector<uint64_t>& words, int bit)
{
    return static_cast<int>(WordOf(words, bit / 64) >> (bit % 64) & 1);
}

bool Unknown(const Value& a, const Value& b)
{
    return a.unknown || b.unknown;
}

// Signed operations leave the masks and flags of their results open; an operand that has
// either makes the result unknown.
bool SignedOperandsOpen(const Value& a, const Value& b)
{
    return !a.Plain() || !b.Plain();
}

} // namespace

Value Value::Zero(int width)
{
    return Blank(width);
}

Value Value::Of(int width, uint64_t low)
{
    Value v = Blank(width);
    v.bits[0] = low;
    v.Trim();
    return v;
}

Value Value::Ones(int width)
{
    Value v = Blank(width);
    for (uint64_t& w : v.bits)
        w = ~uint64_t{0};
    v.Trim();
    return v;
}

void Value::PutBit(int i, int b)
{
    const uint64_t m = uint64_t{1} << (i % 64);
    bits[i / 64] = b ? (bits[i / 64] | m) : (bits[i / 64] & ~m);
}

void Value::PutXBit(int i, int b)
{
    const uint64_t m = uint64_t{1} << (i % 64);
    xmask[i / 64] = b ? (xmask[i / 64] | m) : (xmask[i / 64] & ~m);
}

bool Value::HasXBits() const
{
    for (uint64_t w : xmask)
        if (w)
            return true;
    return false;
}

bool Value::IsZero() const
{
    for (uint64_t w : bits)
        if (w)
            return false;
    return true;
}

void Value::Trim()
{
    bits.resize(WordsFor(width), 0);
    xmask.resize(WordsFor(width), 0);
    bits.back() &= TopMask(width);
    xmask.back() &= TopMask(width);
}

void Value::SetUndefined()
{
    undefined = true;
    for (uint64_t& w : xmask)
        w = ~uint64_t{0};
    Trim();
}

std::string Value::Text() const
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text, value_plane, mask_plane;
    for (int digit = (width + 3) / 4 - 1; digit >= 0; --digit) {
        int v = 0, x = 0;
        for (int b = 0; b < 4; ++b) {
            v |= Bit(digit * 4 + b) << b;
            x |= XBit(digit * 4 + b) << b;
        }
        text += x ? 'X' : kDigits[v];
        value_plane += kDigits[v];
        mask_plane += kDigits[x];
    }
    text += "/" + std::to_string(width);
    if (HasXBits()) // the bits under the X digits matter to some operations: both planes
        text += " (value " + value_plane + ", mask " + mask_plane + ")";
    if (undefined)
        text += " undefined";
    if (high_z)
        text += " Z";
    if (unknown)
        text += mask_known ? " (value bits open)" : " (open)";
    return text;
}

Value Resized(const Value& a, int w)
{
    Value r = Blank(w);
    for (int i = 0; i < r.Words(); ++i) {
        r.bits[i] = WordOf(a.bits, i);
        r.xmask[i] = WordOf(a.xmask, i);
    }
    r.Trim();
    r.undefined = a.undefined;
    r.high_z = a.high_z;
    r.unknown = a.unknown;
    r.mask_known = a.mask_known;
    return r;
}

Value Add(const Value& a, const Value& b)
{
    const int w = std::max(a.width, b.width);
    const std::vector<uint64_t> sum = AddWords(a.bits, b.bits, WordsFor(w + 1));
    const Value& wider = a.width > b.width ? a : b;
    Value r = Resized(wider, TopBit(sum, w) ? w + 1 : w);
    for (int i = 0; i < r.Words(); ++i)
        r.bits[i] = sum[i];
    r.Trim();
    r.unknown = Unknown(a, b);
    r.mask_known = false;
    return r;
}

Value Sub(const Value& a, const Value& b)
{
    const int w = std::max(a.width, b.width);
    const std::vector<uint64_t> difference =
        AddWords(a.bits, NegateWords(Pattern(b, w, false), WordsFor(w)), WordsFor(w));
    Value r = a;
    for (int i = 0; i < r.Words(); ++i)
        r.bits[i] = difference[i];
    r.Trim();
    r.unknown = Unknown(a, b);
    r.mask_known = false;
    return r;
}

Value Mul(const Value& a, const Value& b)
{
    Value r = FromWords(MulWords(a.bits, b.bits, WordsFor(a.width + b.width)), a.width + b.width);
    if (a.undefined || b.undefined)
        r.SetUndefined();
    r.unknown = Unknown(a, b);
    return r;
}

Value DivU(const Value& a, const Value& b)
{
    assert(a.width <= 64 && b.width <= 64 && !b.IsZero());
    Value r = Value::Of(a.width, a.Low64() / b.Low64());
    r.unknown = Unknown(a, b);
    return r;
}

Value ModU(const Value& a, const Value& b)
{
    assert(a.width <= 64 && b.width <= 64 && !b.IsZero());
    Value r = Value::Of(b.width, a.Low64() % b.Low64());
    r.unknown = Unknown(a, b);
    return r;
}

Value And(const Value& a, const Value& b)
{
    Value r = Blank(std::max(a.width, b.width));
    for (int i = 0; i < r.Words(); ++i) {
        const uint64_t ax = WordOf(a.xmask, i), bx = WordOf(b.xmask, i);
        const uint64_t a1 = WordOf(a.bits, i) & ~ax, b1 = WordOf(b.bits, i) & ~bx;
        r.bits[i] = a1 & b1;
        r.xmask[i] = (ax & b1) | (bx & a1);
    }
    r.Trim();
    r.unknown = Unknown(a, b);
    return r;
}

Value Or(const Value& a, const Value& b)
{
    Value r = Blank(std::max(a.width, b.width));
    for (int i = 0; i < r.Words(); ++i) {
        const uint64_t ax = WordOf(a.xmask, i), bx = WordOf(b.xmask, i);
        const uint64_t a1 = WordOf(a.bits, i) & ~ax, b1 = WordOf(b.bits, i) & ~bx;
        r.bits[i] = a1 | b1;
        r.xmask[i] = (ax & ~b1) | (bx & ~a1);
    }
    r.Trim();
    r.unknown = Unknown(a, b);
    return r;
}

Value Xor(const Value& a, const Value& b)
{
    const int w = std::max(a.width, b.width);
    const Value& wider = a.width > b.width ? a : b;
    Value r = Resized(wider, w);
    for (int i = 0; i < r.Words(); ++i)
        r.bits[i] = WordOf(a.bits, i) ^ WordOf(b.bits, i);
    if (a.undefined || b.undefined) {
        r.high_z = false;
        r.SetUndefined();
    } else if (w <= 32) {
        r.xmask[0] = WordOf(a.xmask, 0) ^ WordOf(b.xmask, 0);
    }
    r.Trim();
    r.unknown = Unknown(a, b);
    r.mask_known = false;
    return r;
}

Value Not(const Value& a)
{
    Value r = a;
    for (uint64_t& w : r.bits)
        w = ~w;
    r.Trim();
    r.mask_known = false;
    return r;
}

Value Shl(const Value& a, int n)
{
    Value r = Blank(a.width + n);
    for (int i = 0; i < a.width; ++i) {
        r.PutBit(i + n, a.Bit(i));
        r.PutXBit(i + n, a.XBit(i));
    }
    r.undefined = a.undefined;
    r.high_z = a.high_z;
    r.unknown = a.unknown;
    return r;
}

Value Shr(const Value& a, int n)
{
    Value r = Blank(std::max(1, a.width - n));
    for (int i = 0; i < r.width && i + n < a.width; ++i) {
        r.PutBit(i, a.Bit(i + n));
        r.PutXBit(i, a.XBit(i + n));
    }
    r.undefined = a.undefined;
    r.high_z = a.high_z;
    r.unknown = a.unknown;
    return r;
}

void AddAssign(Value& a, const Value& b)
{
    const std::vector<uint64_t> sum = AddWords(a.bits, b.bits, a.Words());
    for (int i = 0; i < a.Words(); ++i)
        a.bits[i] = sum[i];
    a.Trim();
    a.unknown = Unknown(a, b);
    a.mask_known = false;
}

void AndAssign(Value& a, const Value& b)
{
    Value r = Resized(And(a, b), a.width);
    r.undefined = a.undefined || b.undefined;
    r.high_z = a.high_z || b.high_z;
    a = r;
}

void OrAssign(Value& a, const Value& b)
{
    Value r = Resized(Or(a, b), a.width);
    r.undefined = a.undefined || b.undefined;
    r.high_z = a.high_z || b.high_z;
    a = r;
}

void ShlWithin(Value& a, int n)
{
    Value r = Resized(Shl(a, std::min(n, a.width)), a.width);
    a.bits = r.bits;
    a.xmask = r.xmask;
}

void ShrWithin(Value& a, int n)
{
    Value r = Blank(a.width);
    for (int i = 0; i + n < a.width && n < a.width; ++i) {
        r.PutBit(i, a.Bit(i + n));
        r.PutXBit(i, a.XBit(i + n));
    }
    a.bits = r.bits;
    a.xmask = r.xmask;
}

int CompareU(const Value& a, const Value& b)
{
    const int words = std::max(a.Words(), b.Words());
    for (int i = words - 1; i >= 0; --i) {
        const uint64_t x = WordOf(a.bits, i), y = WordOf(b.bits, i);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

bool Equal(const Value& a, const Value& b)
{
    if (a.undefined != b.undefined || a.high_z != b.high_z)
        return false;
    const int words = std::max(a.Words(), b.Words());
    for (int i = 0; i < words; ++i)
        if (WordOf(a.bits, i) != WordOf(b.bits, i) || WordOf(a.xmask, i) != WordOf(b.xmask, i))
            return false;
    return true;
}

// As resizing (both planes zero-extended or cut, flags kept), with the new value bits copies of
// the sign bit's value bit.
Value SignResized(const Value& a, int w)
{
    Value r = Resized(a, w);
    for (int i = a.width; i < w; ++i)
        r.PutBit(i, a.Bit(a.width - 1));
    return r;
}

Value SignedAssign(const Value& a, int w)
{
    if (w >= a.width)
        return SignResized(a, w);
    Value r = Resized(a, w);
    if (!a.IsNegative() && r.IsNegative())
        r.PutBit(w - 1, 0);
    return r;
}

Value SAdd(const Value& a, const Value& b)
{
    const int w = std::max(a.width, b.width);
    const std::vector<uint64_t> unsigned_sum = AddWords(Pattern(a, w, true), Pattern(b, w, true), WordsFor(w + 1));
    const std::vector<uint64_t> exact = AddWords(Pattern(a, w + 1, true), Pattern(b, w + 1, true), WordsFor(w + 1));
    const bool carry = TopBit(unsigned_sum, w) != 0;
    const bool needs_bit = TopBit(exact, w) != TopBit(exact, w - 1);
    Value r = FromWords(exact, carry || needs_bit ? w + 1 : w);
    r.unknown = Unknown(a, b) || SignedOperandsOpen(a, b);
    return r;
}

Value SSub(const Value& a, const Value& b)
{
    const int w = std::max(a.width, b.width);
    const std::vector<uint64_t> exact =
        AddWords(Pattern(a, w + 1, true), NegateWords(Pattern(b, w + 1, true), WordsFor(w + 1)), WordsFor(w + 1));
    Value r = FromWords(exact, TopBit(exact, w) != TopBit(exact, w - 1) ? w + 1 : w);
    r.unknown = Unknown(a, b) || SignedOperandsOpen(a, b);
    return r;
}

Value SAddU(const Value& s, const Value& u)
{
    const int w = std::max(s.width, u.width);
    const std::vector<uint64_t> exact = AddWords(Pattern(s, w + 2, true), Pattern(u, w + 2, false), WordsFor(w + 2));
    const bool non_negative = TopBit(exact, w + 1) == 0;
    Value r = FromWords(exact, non_negative && TopBit(exact, w) ? w + 2 : w + 1);
    r.unknown = Unknown(s, u) || SignedOperandsOpen(s, u);
    return r;
}

Value SMul(const Value& a, const Value& b)
{
    const int w = a.width + b.width;
    std::vector<uint64_t> ma = Pattern(a, w, true), mb = Pattern(b, w, true);
    if (a.IsNegative())
        ma = NegateWords(ma, WordsFor(w));
    if (b.IsNegative())
        mb = NegateWords(mb, WordsFor(w));
    std::vector<uint64_t> product = MulWords(ma, mb, WordsFor(w));
    if (a.IsNegative() != b.IsNegative())
        product = NegateWords(product, WordsFor(w));
    Value r = FromWords(product, w);
    r.unknown = Unknown(a, b) || SignedOperandsOpen(a, b);
    return r;
}

int64_t SignedOf(const Value& a)
{
    assert(a.width <= 64);
    if (a.width == 64)
        return static_cast<int64_t>(a.bits[0]);
    const uint64_t v = a.bits[0];
    return a.IsNegative() ? static_cast<int64_t>(v | (~uint64_t{0} << a.width)) : static_cast<int64_t>(v);
}

namespace {

bool MostNegative(const Value& a)
{
    if (!a.IsNegative())
        return false;
    for (int i = 0; i < a.width - 1; ++i)
        if (a.Bit(i))
            return false;
    return true;
}

bool MinusOne(const Value& a)
{
    for (int i = 0; i < a.width; ++i)
        if (!a.Bit(i))
            return false;
    return true;
}

// A wholly undefined result whose value bits the documented behaviour does not give; its mask
// and flags are exact unless the operands were open or high-impedance.
Value OpenUndefined(int width, const Value& a, const Value& b)
{
    Value r = Value::Zero(width);
    r.SetUndefined();
    r.unknown = true;
    r.mask_known = !Unknown(a, b) && !a.high_z && !b.high_z;
    return r;
}

} // namespace

Value SDiv(const Value& a, const Value& b)
{
    assert(a.width <= 32 && b.width <= 32);
    if (b.IsZero() || (MostNegative(a) && MinusOne(b)))
        return OpenUndefined(a.width, a, b);
    Value r = Value::Of(a.width, static_cast<uint64_t>(SignedOf(a) / SignedOf(b)));
    r.unknown = Unknown(a, b) || SignedOperandsOpen(a, b);
    return r;
}

Value SMod(const Value& a, const Value& b)
{
    assert(a.width <= 32 && b.width <= 32);
    if (b.IsZero() || (MostNegative(a) && MinusOne(b)))
        return OpenUndefined(b.width, a, b);
    const int64_t x = SignedOf(a), y = SignedOf(b);
    const uint64_t magnitude = static_cast<uint64_t>(x < 0 ? -x : x);
    const uint64_t m = magnitude % b.Low64();
    const uint64_t half = uint64_t{1} << (b.width - 1);
    if ((x >= 0 && m > half - 1) || (x < 0 && m > half))
        return OpenUndefined(b.width, a, b);
    Value r = Value::Of(b.width, static_cast<uint64_t>(x % y));
    r.unknown = Unknown(a, b) || SignedOperandsOpen(a, b);
    return r;
}

int CompareS(const Value& a, const Value& b)
{
    if (a.IsNegative() != b.IsNegative())
        return a.IsNegative() ? -1 : 1;
    const int w = std::max(a.width, b.width);
    return CompareU(FromWords(Pattern(a, w, true), w), FromWords(Pattern(b, w, true), w));
}

bool SEqual(const Value& a, const Value& b)
{
    if (a.IsNegative() != b.IsNegative())
        return false;
    if (!a.IsNegative())
        return Equal(a, b);
    const int w = std::max(a.width, b.width);
    return Pattern(a, w, true) == Pattern(b, w, true);
}

void SraWithin(Value& a, int n)
{
    const bool negative = a.IsNegative();
    ShrWithin(a, n);
    for (int i = std::max(0, a.width - n); i < a.width; ++i)
        a.PutBit(i, negative ? 1 : 0);
    if (a.HasXBits()) {
        a.unknown = true; // the documented shift does not say where the mask goes
        a.mask_known = false;
    }
}

} // namespace reference
