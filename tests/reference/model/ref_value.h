// The reference model's own value: a width, a value plane, an undefined ("X") mask and the
// undefined and high-impedance flags, with the documented operations of the wide integer
// type written out plainly on 64-bit words. It shares no code with the engine's value type.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace reference {

// Invariants: width >= 1; both planes hold (width + 63) / 64 words; bits above width are 0.
// `unknown` marks a value that the documented behaviour leaves open (for example the mask of
// a signed sum of undefined operands); every result computed from an unknown value is unknown,
// and comparisons with the engine skip it.
struct Value {
    int width = 1;
    std::vector<uint64_t> bits;  // value plane
    std::vector<uint64_t> xmask; // 1 where the bit is undefined
    bool undefined = false;      // the whole-value undefined flag
    bool high_z = false;         // the high-impedance flag
    bool unknown = false;
    // With `unknown`: only the value bits are open, the width, mask and flags are exact (a
    // wholly undefined result whose value bits are not given). Kept by copies and resizing
    // only; every other operation drops it.
    bool mask_known = false;

    static Value Zero(int width);
    static Value Of(int width, uint64_t low); // low bits of `low`, cut to the width
    static Value Ones(int width);

    int Words() const { return static_cast<int>(bits.size()); }
    int Bit(int i) const { return (i >= 0 && i < width) ? static_cast<int>(bits[i / 64] >> (i % 64) & 1) : 0; }
    int XBit(int i) const { return (i >= 0 && i < width) ? static_cast<int>(xmask[i / 64] >> (i % 64) & 1) : 0; }
    void PutBit(int i, int b);  // value plane only
    void PutXBit(int i, int b); // mask plane only
    uint32_t Low32() const { return static_cast<uint32_t>(bits[0]); }
    uint64_t Low64() const { return bits[0]; }
    bool HasXBits() const;
    bool HasFlags() const { return undefined || high_z; }
    // No undefined bit and no flag: the value means just its bits.
    bool Plain() const { return !HasXBits() && !HasFlags(); }
    bool IsZero() const; // every value bit 0 (the mask is not looked at)
    bool IsNegative() const { return Bit(width - 1) != 0; }
    void Trim();         // clears the bits above the width in both planes
    void SetUndefined(); // undefined flag and every mask bit; value bits kept

    // Marks the value open: nothing of it is known any more.
    void MakeOpen()
    {
        unknown = true;
        mask_known = false;
    }

    // Hexadecimal text with "X" digits where a bit is undefined, for failure reports.
    std::string Text() const;
};

// Assignment into a value of width w: both planes cut or zero-extended, flags copied (the
// same as resize).
Value Resized(const Value& a, int w);

// Unsigned operations (result widths, masks and flags as documented).
Value Add(const Value& a, const Value& b);
Value Sub(const Value& a, const Value& b);
Value Mul(const Value& a, const Value& b);
Value DivU(const Value& a, const Value& b); // b not zero; at most 64 bits each
Value ModU(const Value& a, const Value& b);
Value And(const Value& a, const Value& b);
Value Or(const Value& a, const Value& b);
Value Xor(const Value& a, const Value& b);
Value Not(const Value& a);
Value Shl(const Value& a, int n); // widening
Value Shr(const Value& a, int n); // narrowing, at least 1 bit left
void AddAssign(Value& a, const Value& b);
void AndAssign(Value& a, const Value& b);
void OrAssign(Value& a, const Value& b);
void ShlWithin(Value& a, int n);
void ShrWithin(Value& a, int n);
int CompareU(const Value& a, const Value& b); // value planes only: -1, 0, 1
bool Equal(const Value& a, const Value& b);   // planes, masks and both flags

// Signed operations: the same planes read as two's complement of their own width.
Value SignResized(const Value& a, int w);    // widening repeats the sign bit
Value SignedAssign(const Value& a, int w);   // the sign-extending assignment
Value SAdd(const Value& a, const Value& b);  // exact, W or W + 1 bits
Value SSub(const Value& a, const Value& b);  // exact, at least W bits
Value SAddU(const Value& s, const Value& u); // signed plus unsigned, exact
Value SMul(const Value& a, const Value& b);  // exact, wa + wb bits
Value SDiv(const Value& a, const Value& b);  // at most 32 bits each
Value SMod(const Value& a, const Value& b);
int CompareS(const Value& a, const Value& b);
bool SEqual(const Value& a, const Value& b);
void SraWithin(Value& a, int n);

// The signed number held by a value of at most 64 bits.
int64_t SignedOf(const Value& a);

} // namespace reference
