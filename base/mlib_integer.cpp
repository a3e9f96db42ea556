// Operations of the wide integer values. Every operation has a branch for values of at
// most 32 bits that works on the inline words; the general code walks the word arrays.
#include "base/mlib_integer.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// Widths below 1 become 1; the top is kept clear of integer overflow in word counts.
constexpr int max_width = 0x7FFFFFFF - 64;
int ClampWidth(int w) { return w < 1 ? 1 : (w > max_width ? max_width : w); }

// Fills bits [from, to) of a plane with ones.
void FillOnes(uint32_t* plane, int from, int to)
{
    for (int pos = from; pos < to; ++pos)
        plane[pos / 32] |= 1u << (pos % 32);
}

// Unsigned long division of a by b (b not zero), bit by bit; quotient and remainder
// get as many words as a and b respectively.
void DivideWords(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, std::vector<uint32_t>& quotient,
                  std::vector<uint32_t>& remainder)
{
    const size_t nb = b.size();
    quotient.assign(a.size(), 0);
    std::vector<uint32_t> rest(nb + 1, 0);
    for (int pos = static_cast<int>(a.size()) * 32 - 1; pos >= 0; --pos) {
        // rest = rest * 2 + bit
        for (size_t i = nb; i > 0; --i)
            rest[i] = (rest[i] << 1) | (rest[i - 1] >> 31);
        rest[0] = (rest[0] << 1) | ((a[pos / 32] >> (pos % 32)) & 1u);
        // rest >= b ?
        bool greater_or_equal = rest[nb] != 0;
        if (!greater_or_equal) {
            greater_or_equal = true;
            for (size_t i = nb; i > 0; --i) {
                if (rest[i - 1] != b[i - 1]) {
                    greater_or_equal = rest[i - 1] > b[i - 1];
                    break;
                }
            }
        }
        if (greater_or_equal) {
            uint64_t borrow = 0;
            for (size_t i = 0; i <= nb; ++i) {
                uint64_t subtrahend = (i < nb ? b[i] : 0) + borrow;
                borrow = rest[i] < subtrahend ? 1 : 0;
                rest[i] = static_cast<uint32_t>(rest[i] - subtrahend);
            }
            quotient[pos / 32] |= 1u << (pos % 32);
        }
    }
    remainder.assign(rest.begin(), rest.begin() + static_cast<long>(nb));
}

std::vector<uint32_t> ValueWords(const MLIB_UINTEGER& v)
{
    std::vector<uint32_t> words(static_cast<size_t>(v.words()));
    for (int i = 0; i < v.words(); ++i)
        words[static_cast<size_t>(i)] = v.word(i);
    return words;
}

MLIB_UINTEGER FromWords(const std::vector<uint32_t>& words, int width)
{
    MLIB_UINTEGER r(0, width);
    for (int i = 0; i < r.words(); ++i)
        r.set_word(i, i < static_cast<int>(words.size()) ? words[static_cast<size_t>(i)] : 0);
    r.resize(width);  // masks the top word
    return r;
}

// Two's-complement negation within the value's own width; mask and flags kept.
MLIB_UINTEGER Negated(const MLIB_UINTEGER& v)
{
    MLIB_UINTEGER r = ~v;
    r += MLIB_UINTEGER(1, 1);
    return r;
}

MLIB_UINTEGER Magnitude(const MLIB_SINTEGER& v)
{
    return v.is_negative() ? Negated(v) : MLIB_UINTEGER(v);
}

bool IsMostNegative(const MLIB_SINTEGER& v)
{
    if (!v.is_negative())
        return false;
    for (int pos = 0; pos < v.width() - 1; ++pos)
        if (v.bit(pos))
            return false;
    return true;
}

bool IsMinusOne(const MLIB_SINTEGER& v)
{
    for (int i = 0; i < v.words(); ++i)
        if (v.word(i) != (i == v.words() - 1 ? MLIB_UINTEGER::top_mask(v.width()) : 0xFFFFFFFFu))
            return false;
    return true;
}

// Both planes of a value read as zero-extended word sequences, with the plane pointers and
// the word count looked up once rather than on every word.
struct PlaneReader {
    explicit PlaneReader(const MLIB_UINTEGER& v) : count(v.words()), value(&v.word_ref(0)), undef(&v.undef_ref(0)) {}
    uint32_t word(int i) const { return i < count ? value[i] : 0; }
    uint32_t undef_word(int i) const { return i < count ? undef[i] : 0; }

    int count;
    const uint32_t* value;
    const uint32_t* undef;
};

MLIB_UINTEGER UndefinedValue(int width)
{
    MLIB_UINTEGER r(0, width);
    r.set_undefined();
    return r;
}

}  // namespace

// ---------------------------------------------------------------- construction

void MLIB_UINTEGER::allocate_wide(uint32_t v)
{
    width_ = ClampWidth(width_);
    heap_ = new uint32_t[2 * static_cast<size_t>(words())]();
    heap_[0] = v;
}

void MLIB_UINTEGER::copy_wide(const MLIB_UINTEGER& other)
{
    size_t n = 2 * static_cast<size_t>(words());
    heap_ = new uint32_t[n];
    std::memcpy(heap_, other.heap_, n * sizeof(uint32_t));
}

MLIB_UINTEGER::MLIB_UINTEGER(MLIB_UINTEGER&& other) noexcept
    : width_(other.width_), flags_(other.flags_),
      inline_{other.inline_[0], other.inline_[1], other.inline_[2], other.inline_[3]},
      heap_(std::exchange(other.heap_, nullptr))
{
    other.width_ = 1;
    std::fill(std::begin(other.inline_), std::end(other.inline_), 0u);
}

MLIB_UINTEGER& MLIB_UINTEGER::operator=(MLIB_UINTEGER&& other) noexcept
{
    if (this == &other)
        return *this;
    if (width_ == other.width_ && heap_ && other.heap_) {
        std::swap(heap_, other.heap_);
        flags_ = other.flags_;
    } else {
        copy_planes_from(other);
    }
    return *this;
}

MLIB_UINTEGER& MLIB_UINTEGER::assign_wide(uint32_t v)
{
    uint32_t* value = value_plane();
    uint32_t* undef = undef_plane();
    for (int i = 0; i < words(); ++i)
        value[i] = undef[i] = 0;
    value[0] = v;
    flags_ = 0;
    mask_top();
    return *this;
}

void MLIB_UINTEGER::copy_planes_from(const MLIB_UINTEGER& b)
{
    if (!heap_ && !b.heap_) {  // the common case of values up to 64 bits: no loop
        set_inline64(b.inline_value64(), b.inline_undef64());
        flags_ = b.flags_;
        return;
    }
    if (width_ <= 32) {
        inline_[0] = b.value_plane()[0];
        inline_[kInlineWords] = b.undef_plane()[0];
    } else {
        const PlaneReader from(b);
        uint32_t* value = value_plane();
        uint32_t* undef = undef_plane();
        const int n = words();
        for (int i = 0; i < n; ++i) {
            value[i] = from.word(i);
            undef[i] = from.undef_word(i);
        }
    }
    flags_ = b.flags_;
    mask_top();
}

void MLIB_UINTEGER::mask_top()
{
    int top = words() - 1;
    uint32_t mask = top_mask(width_);
    value_plane()[top] &= mask;
    undef_plane()[top] &= mask;
}

void MLIB_UINTEGER::change_width(int w)
{
    w = ClampWidth(w);
    int old_words = words();
    int new_words = word_count(w);
    if (w <= kInlineBits) {
        if (heap_) {
            for (int i = 0; i < new_words; ++i) {
                inline_[i] = heap_[i];
                inline_[kInlineWords + i] = heap_[old_words + i];
            }
            delete[] heap_;
            heap_ = nullptr;
        }
        // Words above the width stay zero, so that both planes read as one machine word each.
        for (int i = new_words; i < kInlineWords; ++i)
            inline_[i] = inline_[kInlineWords + i] = 0;
    } else if (!heap_ || new_words != old_words) {
        uint32_t* planes = new uint32_t[2 * static_cast<size_t>(new_words)]();
        int keep = std::min(old_words, new_words);
        for (int i = 0; i < keep; ++i) {
            planes[i] = value_plane()[i];
            planes[new_words + i] = undef_plane()[i];
        }
        delete[] heap_;
        heap_ = planes;
    }
    width_ = w;
    mask_top();
}

// ---------------------------------------------------------------- access

int MLIB_UINTEGER::bit(int pos) const
{
    if (pos < 0 || pos >= width_)
        throw MLIB_EXCEPTION("MLIB_UINTEGER::bit() called with illegal bit_position");
    return (value_plane()[pos / 32] >> (pos % 32)) & 1u;
}

void MLIB_UINTEGER::set_bit(int pos, int b)
{
    if (pos < 0 || pos >= width_)
        throw MLIB_EXCEPTION("MLIB_UINTEGER::set_bit() called with illegal bit_position");
    uint32_t select = 1u << (pos % 32);
    uint32_t& word = value_plane()[pos / 32];
    word = b ? (word | select) : (word & ~select);
    undef_plane()[pos / 32] &= ~select;
    if (is_undefined() && !has_undefined_bits())
        flags_ &= ~FLAG_UNDEFINED;
}

void MLIB_UINTEGER::resize(int w) { change_width(w); }

bool MLIB_UINTEGER::is_zero() const
{
    const uint32_t* value = value_plane();
    for (int i = 0; i < words(); ++i)
        if (value[i])
            return false;
    return true;
}

bool MLIB_UINTEGER::has_undefined_bits() const
{
    const uint32_t* undef = undef_plane();
    for (int i = 0; i < words(); ++i)
        if (undef[i])
            return true;
    return false;
}

void MLIB_UINTEGER::set_undefined()
{
    flags_ |= FLAG_UNDEFINED;
    uint32_t* undef = undef_plane();
    for (int i = 0; i < words(); ++i)
        undef[i] = 0xFFFFFFFFu;
    mask_top();
}

std::string MLIB_UINTEGER::to_hex() const
{
    static const char digits[] = "0123456789ABCDEF";
    int count = (width_ + 3) / 4;
    std::string text(static_cast<size_t>(count), '0');
    const uint32_t* value = value_plane();
    const uint32_t* undef = undef_plane();
    for (int d = 0; d < count; ++d) {
        int pos = 4 * d;
        uint32_t nibble = (value[pos / 32] >> (pos % 32)) & 0xFu;
        uint32_t unknown = (undef[pos / 32] >> (pos % 32)) & 0xFu;
        char c = unknown ? 'X' : is_high_z() ? 'Z' : digits[nibble];
        text[static_cast<size_t>(count - 1 - d)] = c;
    }
    return text;
}

// ---------------------------------------------------------------- arithmetic

MLIB_UINTEGER MLIB_UINTEGER::operator+(const MLIB_UINTEGER& b) const
{
    const MLIB_UINTEGER& wider = width_ > b.width_ ? *this : b;
    int w = wider.width_;
    if (w <= 32) {
        uint64_t sum = static_cast<uint64_t>(inline_[0]) + b.inline_[0];
        bool carry = (sum >> w) & 1u;
        MLIB_UINTEGER r(static_cast<uint32_t>(sum), carry ? w + 1 : w);
        if (carry && w == 32)
            r.set_word(1, 1);
        r.undef_plane()[0] = wider.inline_[kInlineWords];
        r.flags_ = wider.flags_;
        r.mask_top();
        return r;
    }
    MLIB_UINTEGER r(0, w);
    const PlaneReader x(*this), y(b), undefined_from(wider);
    uint32_t* value = r.value_plane();
    uint32_t* undef = r.undef_plane();
    uint64_t carry = 0;
    for (int i = 0; i < r.words(); ++i) {
        uint64_t sum = static_cast<uint64_t>(x.word(i)) + y.word(i) + carry;
        value[i] = static_cast<uint32_t>(sum);
        undef[i] = undefined_from.undef_word(i);
        carry = sum >> 32;
    }
    if (w % 32 == 0) {
        if (carry) {
            r.change_width(w + 1);
            r.value_plane()[r.words() - 1] = 1;
        }
    } else if ((r.value_plane()[r.words() - 1] >> (w % 32)) & 1u) {
        r.width_ = w + 1;
    }
    r.flags_ = wider.flags_;
    r.mask_top();
    return r;
}

MLIB_UINTEGER MLIB_UINTEGER::operator-(const MLIB_UINTEGER& b) const
{
    MLIB_UINTEGER r(*this);
    if (width_ <= 32) {
        r.inline_[0] = (inline_[0] - b.word(0)) & top_mask(width_);
        return r;
    }
    uint64_t borrow = 0;
    for (int i = 0; i < words(); ++i) {
        uint64_t subtrahend = static_cast<uint64_t>(b.word(i)) + borrow;
        borrow = word(i) < subtrahend ? 1 : 0;
        r.value_plane()[i] = static_cast<uint32_t>(word(i) - subtrahend);
    }
    r.mask_top();
    return r;
}

MLIB_UINTEGER MLIB_UINTEGER::operator*(const MLIB_UINTEGER& b) const
{
    int w = width_ + b.width_;
    MLIB_UINTEGER r(0, w);
    if (width_ <= 32 && b.width_ <= 32) {
        uint64_t product = static_cast<uint64_t>(inline_[0]) * b.inline_[0];
        r.value_plane()[0] = static_cast<uint32_t>(product);
        if (r.words() > 1)
            r.value_plane()[1] = static_cast<uint32_t>(product >> 32);
    } else {
        uint32_t* out = r.value_plane();
        for (int i = 0; i < words(); ++i) {
            uint64_t carry = 0;
            for (int j = 0; j < b.words() && i + j < r.words(); ++j) {
                uint64_t t = static_cast<uint64_t>(word(i)) * b.word(j) + out[i + j] + carry;
                out[i + j] = static_cast<uint32_t>(t);
                carry = t >> 32;
            }
            for (int k = i + b.words(); carry && k < r.words(); ++k) {
                uint64_t t = static_cast<uint64_t>(out[k]) + carry;
                out[k] = static_cast<uint32_t>(t);
                carry = t >> 32;
            }
        }
    }
    r.mask_top();
    if (is_undefined() || b.is_undefined())
        r.set_undefined();
    return r;
}

MLIB_UINTEGER MLIB_UINTEGER::operator/(const MLIB_UINTEGER& b) const
{
    if (b.is_zero())
        return UndefinedValue(width_);
    if (width_ <= 32 && b.width_ <= 32)
        return MLIB_UINTEGER(inline_[0] / b.inline_[0], width_);
    std::vector<uint32_t> quotient, remainder;
    DivideWords(ValueWords(*this), ValueWords(b), quotient, remainder);
    return FromWords(quotient, width_);
}

MLIB_UINTEGER MLIB_UINTEGER::operator%(const MLIB_UINTEGER& b) const
{
    if (b.is_zero())
        return UndefinedValue(b.width_);
    if (width_ <= 32 && b.width_ <= 32)
        return MLIB_UINTEGER(inline_[0] % b.inline_[0], b.width_);
    std::vector<uint32_t> quotient, remainder;
    DivideWords(ValueWords(*this), ValueWords(b), quotient, remainder);
    return FromWords(remainder, b.width_);
}

// ---------------------------------------------------------------- logic

MLIB_UINTEGER MLIB_UINTEGER::operator&(const MLIB_UINTEGER& b) const
{
    MLIB_UINTEGER r(0, std::max(width_, b.width_));
    const PlaneReader x(*this), y(b);
    uint32_t* value = r.value_plane();
    uint32_t* undef = r.undef_plane();
    for (int i = 0; i < r.words(); ++i) {
        uint32_t ua = x.undef_word(i), ub = y.undef_word(i);
        uint32_t known_a = x.word(i) & ~ua, known_b = y.word(i) & ~ub;
        value[i] = known_a & known_b;
        undef[i] = (ua & known_b) | (ub & known_a);
    }
    return r;
}

MLIB_UINTEGER MLIB_UINTEGER::operator|(const MLIB_UINTEGER& b) const
{
    MLIB_UINTEGER r(0, std::max(width_, b.width_));
    const PlaneReader x(*this), y(b);
    uint32_t* value = r.value_plane();
    uint32_t* undef = r.undef_plane();
    for (int i = 0; i < r.words(); ++i) {
        uint32_t ua = x.undef_word(i), ub = y.undef_word(i);
        uint32_t known_a = x.word(i) & ~ua, known_b = y.word(i) & ~ub;
        value[i] = known_a | known_b;
        undef[i] = (ua & ~known_b) | (ub & ~known_a);
    }
    r.mask_top();
    return r;
}

MLIB_UINTEGER MLIB_UINTEGER::operator^(const MLIB_UINTEGER& b) const
{
    const MLIB_UINTEGER& wider = width_ > b.width_ ? *this : b;
    MLIB_UINTEGER r(0, wider.width_);
    for (int i = 0; i < r.words(); ++i)
        r.value_plane()[i] = word(i) ^ b.word(i);
    if (is_undefined() || b.is_undefined()) {
        r.set_undefined();
        return r;
    }
    if (r.width_ <= 32) {
        r.inline_[kInlineWords] = inline_[kInlineWords] ^ b.inline_[kInlineWords];
    } else {
        for (int i = 0; i < r.words(); ++i)
            r.undef_plane()[i] = wider.undef_word(i);
    }
    r.flags_ = wider.flags_;
    r.mask_top();
    return r;
}

MLIB_UINTEGER MLIB_UINTEGER::operator~() const
{
    MLIB_UINTEGER r(*this);
    for (int i = 0; i < words(); ++i)
        r.value_plane()[i] = ~value_plane()[i];
    r.mask_top();
    return r;
}

MLIB_UINTEGER& MLIB_UINTEGER::operator+=(const MLIB_UINTEGER& b)
{
    if (width_ <= 32) {
        inline_[0] = (inline_[0] + b.word(0)) & top_mask(width_);
        return *this;
    }
    uint64_t carry = 0;
    uint32_t* value = value_plane();
    const PlaneReader y(b);
    for (int i = 0; i < words(); ++i) {
        uint64_t sum = static_cast<uint64_t>(value[i]) + y.word(i) + carry;
        value[i] = static_cast<uint32_t>(sum);
        carry = sum >> 32;
    }
    mask_top();
    return *this;
}

MLIB_UINTEGER& MLIB_UINTEGER::operator&=(const MLIB_UINTEGER& b)
{
    uint32_t* value = value_plane();
    uint32_t* undef = undef_plane();
    for (int i = 0; i < words(); ++i) {
        uint32_t ua = undef[i], ub = b.undef_word(i);
        uint32_t known_a = value[i] & ~ua, known_b = b.word(i) & ~ub;
        value[i] = known_a & known_b;
        undef[i] = (ua & known_b) | (ub & known_a);
    }
    flags_ |= b.flags_;
    return *this;
}

MLIB_UINTEGER& MLIB_UINTEGER::operator|=(const MLIB_UINTEGER& b)
{
    uint32_t* value = value_plane();
    uint32_t* undef = undef_plane();
    for (int i = 0; i < words(); ++i) {
        uint32_t ua = undef[i], ub = b.undef_word(i);
        uint32_t known_a = value[i] & ~ua, known_b = b.word(i) & ~ub;
        value[i] = known_a | known_b;
        undef[i] = (ua & ~known_b) | (ub & ~known_a);
    }
    flags_ |= b.flags_;
    mask_top();
    return *this;
}

// ---------------------------------------------------------------- shifts

void MLIB_UINTEGER::shift_left_within(int n)
{
    if (n <= 0)
        return;
    uint32_t* planes[2] = {value_plane(), undef_plane()};
    for (uint32_t* plane : planes) {
        if (n >= width_) {
            std::fill(plane, plane + words(), 0u);
            continue;
        }
        int word_shift = n / 32, bit_shift = n % 32;
        for (int i = words() - 1; i >= 0; --i) {
            int from = i - word_shift;
            uint32_t w = from >= 0 ? plane[from] << bit_shift : 0;
            if (bit_shift && from - 1 >= 0)
                w |= plane[from - 1] >> (32 - bit_shift);
            plane[i] = w;
        }
    }
    mask_top();
}

void MLIB_UINTEGER::shift_right_within(int n)
{
    if (n <= 0)
        return;
    uint32_t* planes[2] = {value_plane(), undef_plane()};
    for (uint32_t* plane : planes) {
        if (n >= width_) {
            std::fill(plane, plane + words(), 0u);
            continue;
        }
        int word_shift = n / 32, bit_shift = n % 32;
        for (int i = 0; i < words(); ++i) {
            int from = i + word_shift;
            uint32_t w = from < words() ? plane[from] >> bit_shift : 0;
            if (bit_shift && from + 1 < words())
                w |= plane[from + 1] << (32 - bit_shift);
            plane[i] = w;
        }
    }
}

MLIB_UINTEGER MLIB_UINTEGER::operator<<(int n) const
{
    n = std::clamp(n, 0, max_width - width_);
    MLIB_UINTEGER r(0, width_ + n);
    r.copy_planes_from(*this);
    r.shift_left_within(n);
    return r;
}

MLIB_UINTEGER MLIB_UINTEGER::operator>>(int n) const
{
    MLIB_UINTEGER r(*this);
    r.shift_right_within(n);
    r.change_width(width_ - std::max(n, 0));
    return r;
}

MLIB_UINTEGER& MLIB_UINTEGER::operator<<=(int n)
{
    shift_left_within(n);
    return *this;
}

MLIB_UINTEGER& MLIB_UINTEGER::operator>>=(int n)
{
    shift_right_within(n);
    return *this;
}

// ---------------------------------------------------------------- comparison

int MLIB_UINTEGER::compare_values(const MLIB_UINTEGER& b) const
{
    const PlaneReader first(*this), second(b);
    for (int i = std::max(words(), b.words()) - 1; i >= 0; --i) {
        uint32_t x = first.word(i), y = second.word(i);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

bool MLIB_UINTEGER::equal_planes(const MLIB_UINTEGER& b) const
{
    const uint32_t relevant = FLAG_UNDEFINED | FLAG_HIGH_Z;
    if ((flags_ & relevant) != (b.flags_ & relevant))
        return false;
    const PlaneReader x(*this), y(b);
    for (int i = std::max(words(), b.words()) - 1; i >= 0; --i)
        if (x.word(i) != y.word(i) || x.undef_word(i) != y.undef_word(i))
            return false;
    return true;
}

bool MLIB_UINTEGER::operator==(uint32_t v) const
{
    if (flags_ & (FLAG_UNDEFINED | FLAG_HIGH_Z))
        return false;
    if (value_plane()[0] != v)
        return false;
    for (int i = 1; i < words(); ++i)
        if (value_plane()[i])
            return false;
    return true;
}

// ================================================================ signed values

MLIB_SINTEGER::MLIB_SINTEGER(int32_t v, int w) : MLIB_UINTEGER(static_cast<uint32_t>(v), w)
{
    if (width_ > 32 && v < 0) {
        for (int i = 1; i < words(); ++i)
            value_plane()[i] = 0xFFFFFFFFu;
        mask_top();
    }
}

uint32_t MLIB_SINTEGER::signed_word(int i) const
{
    bool negative = is_negative();
    if (i >= words())
        return negative ? 0xFFFFFFFFu : 0;
    uint32_t w = value_plane()[i];
    if (negative && i == words() - 1)
        w |= ~top_mask(width_);
    return w;
}

int32_t MLIB_SINTEGER::to_int() const { return static_cast<int32_t>(signed_word(0)); }

MLIB_SINTEGER& MLIB_SINTEGER::operator=(const MLIB_UINTEGER& other)
{
    if (this == &other)
        return *this;
    const MLIB_SINTEGER source(other);
    bool negative = source.is_negative();
    uint32_t* value = value_plane();
    uint32_t* undef = undef_plane();
    for (int i = 0; i < words(); ++i) {
        value[i] = source.signed_word(i);
        undef[i] = source.undef_word(i);
    }
    flags_ = source.flags();
    mask_top();
    if (!negative && bit(width_ - 1))
        value[(width_ - 1) / 32] &= ~(1u << ((width_ - 1) % 32));
    return *this;
}

void MLIB_SINTEGER::sign_resize(int w)
{
    int old_width = width_;
    bool negative = is_negative();
    change_width(w);
    if (negative && width_ > old_width)
        FillOnes(value_plane(), old_width, width_);
}

int MLIB_SINTEGER::compare_signed(const MLIB_SINTEGER& b) const
{
    bool na = is_negative(), nb = b.is_negative();
    if (na != nb)
        return na ? -1 : 1;
    for (int i = std::max(words(), b.words()) - 1; i >= 0; --i) {
        uint32_t x = signed_word(i), y = b.signed_word(i);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

bool MLIB_SINTEGER::operator==(const MLIB_SINTEGER& b) const
{
    bool na = is_negative(), nb = b.is_negative();
    if (na != nb)
        return false;
    if (!na)
        return MLIB_UINTEGER::operator==(b);
    for (int i = std::max(words(), b.words()) - 1; i >= 0; --i)
        if (signed_word(i) != b.signed_word(i))
            return false;
    return true;
}

namespace {

// The value sign-Extended (or cut) to width w, as a signed value.
MLIB_SINTEGER Extended(const MLIB_SINTEGER& v, int w)
{
    MLIB_SINTEGER r(v);
    r.sign_resize(w);
    return r;
}

// Gives the exact w + 1 bit result the width w when it fits there as a signed number.
MLIB_SINTEGER NarrowedIfFits(MLIB_SINTEGER exact, int w, bool force_wide)
{
    bool overflow = exact.bit(w) != exact.bit(w - 1);
    if (!force_wide && !overflow)
        exact.resize(w);
    return exact;
}

}  // namespace

MLIB_SINTEGER MLIB_SINTEGER::operator+(const MLIB_SINTEGER& b) const
{
    int w = std::max(width_, b.width_);
    MLIB_SINTEGER a_ext = Extended(*this, w), b_ext = Extended(b, w);
    bool carry = (static_cast<const MLIB_UINTEGER&>(a_ext) + b_ext).width() > w;  // unsigned carry out
    MLIB_SINTEGER exact = Extended(*this, w + 1);
    exact += Extended(b, w + 1);
    const MLIB_UINTEGER& wider = width_ > b.width_ ? static_cast<const MLIB_UINTEGER&>(*this) : b;
    for (int i = 0; i < exact.words(); ++i)
        exact.set_undef_word(i, wider.undef_word(i));
    exact.flags_ = wider.flags();
    exact.mask_top();
    return NarrowedIfFits(exact, w, carry);
}

MLIB_SINTEGER MLIB_SINTEGER::operator-(const MLIB_SINTEGER& b) const
{
    int w = std::max(width_, b.width_);
    MLIB_SINTEGER exact(static_cast<const MLIB_UINTEGER&>(Extended(*this, w + 1)) - Extended(b, w + 1));
    return NarrowedIfFits(exact, w, false);
}

MLIB_SINTEGER MLIB_SINTEGER::operator+(const MLIB_UINTEGER& b) const
{
    int w = std::max(width_, b.width()) + 1;
    MLIB_SINTEGER exact = Extended(*this, w + 1);
    exact += b;
    // Non-negative sums whose top bit would read as a sign keep the extra bit.
    if (!exact.is_negative() && exact.bit(w - 1))
        return exact;
    exact.resize(w);
    return exact;
}

MLIB_SINTEGER MLIB_SINTEGER::operator*(const MLIB_SINTEGER& b) const
{
    MLIB_UINTEGER product = Magnitude(*this) * Magnitude(b);
    product.resize(width_ + b.width_);
    if (is_negative() != b.is_negative())
        product = Negated(product);
    return MLIB_SINTEGER(product);
}

MLIB_SINTEGER& MLIB_SINTEGER::operator>>=(int n)
{
    bool negative = is_negative();
    int width = width_;
    shift_right_within(n);
    if (negative && n > 0)
        FillOnes(value_plane(), std::max(width - n, 0), width);
    return *this;
}

MLIB_SINTEGER MLIB_SINTEGER::operator/(const MLIB_SINTEGER& b) const
{
    if (b.is_zero() || (IsMostNegative(*this) && IsMinusOne(b)))
        return MLIB_SINTEGER(UndefinedValue(width_));
    if (width_ <= 32 && b.width_ <= 32) {
        int64_t quotient = static_cast<int64_t>(to_int()) / b.to_int();
        return MLIB_SINTEGER(static_cast<int32_t>(quotient), width_);
    }
    // Wide operands: divide the magnitudes, the quotient truncated toward zero.
    MLIB_UINTEGER q = MLIB_UINTEGER(Magnitude(*this)) / Magnitude(b);
    q.resize(width_);
    if (is_negative() != b.is_negative())
        q = Negated(q);
    return MLIB_SINTEGER(q);
}

MLIB_SINTEGER MLIB_SINTEGER::operator%(const MLIB_SINTEGER& b) const
{
    if (b.is_zero() || (IsMostNegative(*this) && IsMinusOne(b)))
        return MLIB_SINTEGER(UndefinedValue(b.width_));
    if (width_ <= 32 && b.width_ <= 32) {
        int64_t dividend = to_int();
        int64_t divisor = b.to_int();
        // A remainder whose magnitude, taken against the divisor's bits read unsigned, does
        // not fit the divisor's width is undefined.
        uint64_t dividend_magnitude = static_cast<uint64_t>(dividend < 0 ? -dividend : dividend);
        uint64_t m = dividend_magnitude % b.to_uint();
        uint64_t limit = (uint64_t{1} << (b.width_ - 1)) - (dividend < 0 ? 0 : 1);
        if (m > limit)
            return MLIB_SINTEGER(UndefinedValue(b.width_));
        return MLIB_SINTEGER(static_cast<int32_t>(dividend % divisor), b.width_);
    }
    // Wide operands: the remainder of the magnitudes, with the dividend's sign.
    MLIB_UINTEGER r = MLIB_UINTEGER(Magnitude(*this)) % Magnitude(b);
    r.resize(b.width_);
    if (is_negative())
        r = Negated(r);
    return MLIB_SINTEGER(r);
}
