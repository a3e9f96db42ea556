// Wide integer values: unsigned integers of any width with a per-bit undefined ("X")
// mask and whole-value undefined and high-impedance ("Z") flags. Every port, constant
// and register holds one. Values of at most 64 bits keep both planes inline and never
// touch the heap; wider values own one array holding the value plane then the mask.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// Raised for an illegal bit position; the operation then has no effect on its target.
// Division and remainder are exact at every width and never raise.
class MLIB_EXCEPTION : public std::runtime_error {
public:
    explicit MLIB_EXCEPTION(const std::string& text) : std::runtime_error(text) {}
};

class MLIB_UINTEGER {
public:
    static constexpr uint32_t FLAG_UNDEFINED = 1;  // bit 0 of flags
    static constexpr uint32_t FLAG_HIGH_Z = 2;     // bit 1 of flags

    MLIB_UINTEGER() : MLIB_UINTEGER(0, 1) {}
    MLIB_UINTEGER(uint32_t v, int w) : width_(w < 1 ? 1 : w), flags_(0), inline_{0, 0, 0, 0}, heap_(nullptr)
    {
        if (width_ <= 32)
            inline_[0] = v & top_mask(width_);
        else if (width_ <= kInlineBits)
            inline_[0] = v;
        else
            allocate_wide(v);
    }
    MLIB_UINTEGER(const MLIB_UINTEGER& other)
        : width_(other.width_), flags_(other.flags_),
          inline_{other.inline_[0], other.inline_[1], other.inline_[2], other.inline_[3]}, heap_(nullptr)
    {
        if (other.heap_)
            copy_wide(other);
    }
    MLIB_UINTEGER(MLIB_UINTEGER&& other) noexcept;
    ~MLIB_UINTEGER() { delete[] heap_; }

    // Assignment keeps the target's width: the source is zero-extended or truncated.
    MLIB_UINTEGER& operator=(const MLIB_UINTEGER& other)
    {
        if (!heap_ && !other.heap_) {  // both up to 64 bits: inline, the common case
            set_inline64(other.inline_value64(), other.inline_undef64());
            flags_ = other.flags_;
        } else if (this != &other) {
            copy_planes_from(other);
        }
        return *this;
    }
    MLIB_UINTEGER& operator=(MLIB_UINTEGER&& other) noexcept;
    MLIB_UINTEGER& operator=(uint32_t v)
    {
        if (heap_)
            return assign_wide(v);
        set_inline64(v, 0);
        flags_ = 0;
        return *this;
    }

    int width() const { return width_; }
    int words() const { return word_count(width_); }
    uint32_t flags() const { return flags_; }
    uint32_t to_uint() const { return value_plane()[0]; }
    // Word 0 of the value plane when it is stored inline (up to 64 bits): the address stays
    // valid for the value's lifetime, as assignment keeps the width. Null otherwise.
    const uint32_t* inline_low_word() const { return heap_ ? nullptr : inline_; }
    uint32_t word(int i) const { return (i >= 0 && i < words()) ? value_plane()[i] : 0; }
    void set_word(int i, uint32_t w) { value_plane()[i] = w; }
    uint32_t undef_word(int i) const { return (i >= 0 && i < words()) ? undef_plane()[i] : 0; }
    // Word i of either plane in place; i must be below words().
    const uint32_t& word_ref(int i) const { return value_plane()[i]; }
    const uint32_t& undef_ref(int i) const { return undef_plane()[i]; }
    // The low 64 value bits (the value plane only).
    uint64_t low_64() const { return heap_ ? heap_[0] | uint64_t{heap_[1]} << 32 : inline_value64(); }
    // A value of at most 64 bits with no undefined bit and no flag: its value bits into
    // `bits`, true. False for any other value. Such values let wide nodes compute on one
    // machine word.
    bool plain_low_64(uint64_t& bits) const
    {
        if (heap_ || flags_ != 0 || inline_undef64() != 0)
            return false;
        bits = inline_value64();
        return true;
    }
    void set_undef_word(int i, uint32_t w) { undef_plane()[i] = w; }

    int bit(int pos) const;
    void set_bit(int pos, int b);
    void resize(int w);
    bool is_zero() const;
    bool has_undefined_bits() const;
    void set_undefined();
    bool is_undefined() const { return (flags_ & FLAG_UNDEFINED) != 0; }
    void set_high_z() { flags_ |= FLAG_HIGH_Z; }
    bool is_high_z() const { return (flags_ & FLAG_HIGH_Z) != 0; }
    // Clears the undefined and Z flags; the undefined mask stays.
    void clear_flags() { flags_ = 0; }
    // ORs the undefined and Z flags of `flags` into the value's flags; the planes stay.
    void add_flags(uint32_t flags) { flags_ |= flags & (FLAG_UNDEFINED | FLAG_HIGH_Z); }
    std::string to_hex() const;

    MLIB_UINTEGER operator+(const MLIB_UINTEGER& b) const;
    MLIB_UINTEGER operator-(const MLIB_UINTEGER& b) const;
    MLIB_UINTEGER operator*(const MLIB_UINTEGER& b) const;
    MLIB_UINTEGER operator/(const MLIB_UINTEGER& b) const;
    MLIB_UINTEGER operator%(const MLIB_UINTEGER& b) const;
    MLIB_UINTEGER operator&(const MLIB_UINTEGER& b) const;
    MLIB_UINTEGER operator|(const MLIB_UINTEGER& b) const;
    MLIB_UINTEGER operator^(const MLIB_UINTEGER& b) const;
    MLIB_UINTEGER operator~() const;
    MLIB_UINTEGER operator<<(int n) const;
    MLIB_UINTEGER operator>>(int n) const;

    MLIB_UINTEGER& operator+=(const MLIB_UINTEGER& b);
    MLIB_UINTEGER& operator&=(const MLIB_UINTEGER& b);
    MLIB_UINTEGER& operator|=(const MLIB_UINTEGER& b);
    MLIB_UINTEGER& operator<<=(int n);
    MLIB_UINTEGER& operator>>=(int n);

    // Comparisons of the value planes only (mask and flags ignored).
    bool operator<(const MLIB_UINTEGER& b) const { return compare_values(b) < 0; }
    bool operator<=(const MLIB_UINTEGER& b) const { return compare_values(b) <= 0; }
    bool operator>(const MLIB_UINTEGER& b) const { return compare_values(b) > 0; }
    bool operator>=(const MLIB_UINTEGER& b) const { return compare_values(b) >= 0; }
    // Equality also compares the undefined masks and the undefined and Z flags.
    bool operator==(const MLIB_UINTEGER& b) const
    {
        if (!heap_ && !b.heap_)
            return ((flags_ ^ b.flags_) & (FLAG_UNDEFINED | FLAG_HIGH_Z)) == 0 &&
                   inline_value64() == b.inline_value64() && inline_undef64() == b.inline_undef64();
        return equal_planes(b);
    }
    bool operator!=(const MLIB_UINTEGER& b) const { return !(*this == b); }
    bool operator==(uint32_t v) const;
    bool operator!=(uint32_t v) const { return !(*this == v); }

    static int word_count(int w) { return (w + 31) / 32; }
    // Mask of the valid bits in the top word of a w-bit value.
    static uint32_t top_mask(int w) { return (w % 32) ? (0xFFFFFFFFu >> (32 - w % 32)) : 0xFFFFFFFFu; }

protected:
    uint32_t* value_plane() { return heap_ ? heap_ : inline_; }
    const uint32_t* value_plane() const { return heap_ ? heap_ : inline_; }
    uint32_t* undef_plane() { return heap_ ? heap_ + words() : inline_ + kInlineWords; }
    const uint32_t* undef_plane() const { return heap_ ? heap_ + words() : inline_ + kInlineWords; }

    // Values up to this many words keep their planes in inline_ (64 bits covers the
    // common wide datapaths without an allocation per operation).
    static constexpr int kInlineWords = 2;
    static constexpr int kInlineBits = 32 * kInlineWords;

    // The planes of a value kept inline, as one word each (the words above the width are zero).
    uint64_t inline_value64() const { return inline_[0] | uint64_t{inline_[1]} << 32; }
    uint64_t inline_undef64() const { return inline_[kInlineWords] | uint64_t{inline_[kInlineWords + 1]} << 32; }
    // Stores both planes of a value kept inline, cut to its width.
    void set_inline64(uint64_t value, uint64_t undef)
    {
        const uint64_t keep = width_ >= 64 ? ~uint64_t{0} : (uint64_t{1} << width_) - 1;
        value &= keep;
        undef &= keep;
        inline_[0] = static_cast<uint32_t>(value);
        inline_[1] = static_cast<uint32_t>(value >> 32);
        inline_[kInlineWords] = static_cast<uint32_t>(undef);
        inline_[kInlineWords + 1] = static_cast<uint32_t>(undef >> 32);
    }

    // Out-of-line halves of the constructors for values wider than kInlineBits.
    void allocate_wide(uint32_t v);
    void copy_wide(const MLIB_UINTEGER& other);
    // Changes the width, zero-extending or truncating both planes; flags kept.
    void change_width(int w);
    // Clears the bits above the width in the top word of both planes.
    void mask_top();
    // -1, 0 or 1 comparing the value planes as unsigned numbers.
    int compare_values(const MLIB_UINTEGER& b) const;
    // operator=(uint32_t) for values stored on the heap.
    MLIB_UINTEGER& assign_wide(uint32_t v);
    // operator== for values of which at least one is stored on the heap.
    bool equal_planes(const MLIB_UINTEGER& b) const;
    // Copies the planes of b (zero-extended or truncated) and its flags, keeping the width.
    void copy_planes_from(const MLIB_UINTEGER& b);
    void shift_left_within(int n);
    void shift_right_within(int n);

    int width_;               // bits, at least 1
    uint32_t flags_;          // FLAG_UNDEFINED | FLAG_HIGH_Z
    // The planes when width_ <= kInlineBits: value words, then mask words. Words at and
    // above words() are zero (writers stay below words(), resizing clears the rest).
    uint32_t inline_[2 * kInlineWords];
    uint32_t* heap_;          // 2 * words(): value plane then mask plane, when width_ > kInlineBits
};

// The same representation read as a two's-complement number of its own width.
class MLIB_SINTEGER : public MLIB_UINTEGER {
public:
    MLIB_SINTEGER() : MLIB_UINTEGER(0, 1) {}
    MLIB_SINTEGER(int32_t v, int w);
    MLIB_SINTEGER(const MLIB_UINTEGER& other) : MLIB_UINTEGER(other) {}
    MLIB_SINTEGER(const MLIB_SINTEGER& other) = default;
    MLIB_SINTEGER(MLIB_SINTEGER&& other) noexcept = default;

    // Assignments sign-extend or truncate the source into the target's width.
    MLIB_SINTEGER& operator=(const MLIB_UINTEGER& other);
    MLIB_SINTEGER& operator=(const MLIB_SINTEGER& other) { return *this = static_cast<const MLIB_UINTEGER&>(other); }
    MLIB_SINTEGER& operator=(uint32_t v) { MLIB_UINTEGER::operator=(v); return *this; }

    bool is_negative() const { return bit(width_ - 1) != 0; }
    void sign_resize(int w);
    // The low 32 bits sign-extended from the value's width (widths above 32 read word 0).
    int32_t to_int() const;

    bool operator==(const MLIB_SINTEGER& b) const;
    bool operator!=(const MLIB_SINTEGER& b) const { return !(*this == b); }
    bool operator<(const MLIB_SINTEGER& b) const { return compare_signed(b) < 0; }
    bool operator<=(const MLIB_SINTEGER& b) const { return compare_signed(b) <= 0; }
    bool operator>(const MLIB_SINTEGER& b) const { return compare_signed(b) > 0; }
    bool operator>=(const MLIB_SINTEGER& b) const { return compare_signed(b) >= 0; }

    MLIB_SINTEGER operator+(const MLIB_SINTEGER& b) const;
    MLIB_SINTEGER operator-(const MLIB_SINTEGER& b) const;
    MLIB_SINTEGER operator+(const MLIB_UINTEGER& b) const;
    MLIB_SINTEGER operator*(const MLIB_SINTEGER& b) const;
    MLIB_SINTEGER operator/(const MLIB_SINTEGER& b) const;
    MLIB_SINTEGER operator%(const MLIB_SINTEGER& b) const;
    MLIB_SINTEGER& operator>>=(int n);

private:
    int compare_signed(const MLIB_SINTEGER& b) const;
    // Word i of the value sign-extended beyond its width (ones above a negative value).
    uint32_t signed_word(int i) const;
};
