// Intel HEX and ".mif" readers for memory models.
#include "memory_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "parameters.h"
#include "text.h"

namespace modlib {

namespace {

// Shared bookkeeping of one file read: where the problems are and what lies beyond the memory.
struct FileRead {
    const std::string& path;
    Memory& memory;
    int64_t beyond = 0;          // words addressed past the memory's depth
    int64_t first_beyond = -1;   // the first such address
    bool too_wide = false;       // some value had bits above the memory's width
    bool clean = true;           // nothing reported

    void Malformed(int line, const std::string& problem)
    {
        Warn("Memory initialisation file '" + path + "' line " + std::to_string(line) + ": " + problem +
             "; the rest of the file is ignored.");
        clean = false;
    }
    // Counts `count` words from `first` on as lying beyond the memory (saturating).
    void Beyond(int64_t first, uint64_t count)
    {
        if (beyond == 0)
            first_beyond = first;
        const uint64_t room = static_cast<uint64_t>(INT64_MAX - beyond);
        beyond += static_cast<int64_t>(std::min(count, room));
    }
    void Store(int64_t address, const MLIB_UINTEGER& value, int value_bits)
    {
        if (address < 0 || address >= memory.Depth()) {
            Beyond(address, 1);
            return;
        }
        for (int bit = memory.Width(); bit < value_bits; ++bit)
            if (value.bit(bit))
                too_wide = true;
        memory.Write(address, Fit(value, memory.Width()));
    }
    void Finish()
    {
        if (beyond > 0) {
            Warn("Memory initialisation file '" + path + "' holds " + std::to_string(beyond) +
                 " word(s) beyond the memory's " + std::to_string(memory.Depth()) + " words (first at address " +
                 std::to_string(first_beyond) + "); they are ignored.");
            clean = false;
        }
        if (too_wide) {
            Warn("Memory initialisation file '" + path + "' holds values wider than the memory's " +
                 std::to_string(memory.Width()) + " bits; their high bits are dropped.");
            clean = false;
        }
    }
};

bool HasExtension(const std::string& path, const char* extension)
{
    std::string ext(extension);
    return path.size() >= ext.size() && SameText(std::string_view(path).substr(path.size() - ext.size()), ext);
}

void ReadIntelHex(const std::string& text, FileRead& read)
{
    const int bytes_per_word = (read.memory.Width() + 7) / 8;
    int64_t base = 0;
    int line_number = 0;
    size_t position = 0;
    while (position < text.size()) {
        size_t end = text.find('\n', position);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line(text.data() + position, end - position);
        position = end + 1;
        ++line_number;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.empty())
            continue;
        if (line[0] != ':')
            return read.Malformed(line_number, "a record must begin with ':'");
        if ((line.size() - 1) % 2 != 0 || line.size() < 11)
            return read.Malformed(line_number, "a record needs an even number of at least ten hexadecimal digits");
        std::vector<int> bytes;
        for (size_t i = 1; i + 1 < line.size(); i += 2) {
            int high = HexDigit(line[i]), low = HexDigit(line[i + 1]);
            if (high < 0 || low < 0)
                return read.Malformed(line_number, "a record may hold only hexadecimal digits");
            bytes.push_back(high * 16 + low);
        }
        const int length = bytes[0];
        if (static_cast<int>(bytes.size()) != length + 5)
            return read.Malformed(line_number, "the record's length does not match its byte count");
        int sum = 0;
        for (int byte : bytes)
            sum += byte;
        if ((sum & 0xFF) != 0)
            return read.Malformed(line_number, "checksum mismatch");
        const int64_t address = (bytes[1] << 8) | bytes[2];
        const int type = bytes[3];
        if (type == 0x00) {
            if (length % bytes_per_word != 0)
                return read.Malformed(line_number, "the data is not a whole number of " +
                                                       std::to_string(bytes_per_word) + "-byte words");
            for (int word = 0; word < length / bytes_per_word; ++word) {
                MLIB_UINTEGER value(0, bytes_per_word * 8);
                for (int k = 0; k < bytes_per_word; ++k) {
                    // Big-endian: the first byte of a word is its most significant.
                    const int byte = bytes[4 + word * bytes_per_word + k];
                    const int shift = 8 * (bytes_per_word - 1 - k);
                    value.set_word(shift / 32, value.word(shift / 32) | (static_cast<uint32_t>(byte) << (shift % 32)));
                }
                read.Store(base + address + word, value, bytes_per_word * 8);
            }
        } else if (type == 0x01) {
            return;
        } else if (type == 0x02 || type == 0x04) {
            if (length != 2)
                return read.Malformed(line_number, "an extended address record holds two bytes");
            const int64_t upper = (bytes[4] << 8) | bytes[5];
            base = type == 0x02 ? upper * 16 : upper << 16;
        } else if (type != 0x03 && type != 0x05) {
            return read.Malformed(line_number, "unknown record type " + std::to_string(type));
        }
    }
}

// ---- The ".mif" format ----

struct Token {
    std::string text;  // a word, a number, or one of ":", ";", "=", "[", "]", "..", "-"
    int line;
};

// Splits the text into tokens, dropping "--" line comments and "% ... %" block comments.
bool Tokenize(const std::string& text, std::vector<Token>& tokens, FileRead& read)
{
    int line = 1;
    for (size_t i = 0; i < text.size();) {
        char c = text[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
            while (i < text.size() && text[i] != '\n')
                ++i;
        } else if (c == '%') {
            size_t close = text.find('%', i + 1);
            if (close == std::string::npos) {
                read.Malformed(line, "a '%' comment is not closed");
                return false;
            }
            for (size_t k = i; k < close; ++k)
                line += text[k] == '\n';
            i = close + 1;
        } else if (c == '.' && i + 1 < text.size() && text[i + 1] == '.') {
            tokens.push_back({"..", line});
            i += 2;
        } else if (c == ':' || c == ';' || c == '=' || c == '[' || c == ']' || c == '-') {
            tokens.push_back({std::string(1, c), line});
            ++i;
        } else if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
            size_t start = i;
            while (i < text.size() && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_'))
                ++i;
            tokens.push_back({text.substr(start, i - start), line});
        } else {
            read.Malformed(line, std::string("unexpected character '") + c + "'");
            return false;
        }
    }
    return true;
}

int RadixOf(const std::string& name)
{
    if (SameText(name, "HEX"))
        return 16;
    if (SameText(name, "DEC") || SameText(name, "UNS"))
        return 10;
    if (SameText(name, "BIN"))
        return 2;
    if (SameText(name, "OCT"))
        return 8;
    return 0;
}

enum class Digits { Read, Bad, TooMany };

// Decimal digits beyond those a value of the width needs: such a value is refused rather
// than read, as its low bits would take time proportional to digits times width.
constexpr size_t kSpareDecimalDigits = 64;

// Reads digits of the radix into a value of `width` bits. Bits beyond the width set
// `overflow`. Time is linear in the digits: a power-of-two radix places each digit's bits
// directly; decimal is read nine digits at a time and refused when far too long.
Digits ParseDigits(std::string_view digits, int radix, int width, MLIB_UINTEGER& out, bool& overflow)
{
    for (char c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0 || digit >= radix)
            return Digits::Bad;
    }
    const size_t first = digits.find_first_not_of('0');
    digits = first == std::string_view::npos ? std::string_view() : digits.substr(first);
    overflow = false;
    out = MLIB_UINTEGER(0, width);
    const size_t count = digits.size();
    if (radix != 10) {
        const int bits_per_digit = radix == 16 ? 4 : radix == 8 ? 3 : 1;
        for (size_t i = 0; i < count; ++i) {
            const uint32_t digit = static_cast<uint32_t>(HexDigit(digits[count - 1 - i]));
            for (int k = 0; k < bits_per_digit; ++k) {
                if (((digit >> k) & 1u) == 0)
                    continue;
                const int64_t bit = static_cast<int64_t>(i) * bits_per_digit + k;
                if (bit < width)
                    out.set_word(static_cast<int>(bit / 32), out.word(static_cast<int>(bit / 32)) | (1u << (bit % 32)));
                else
                    overflow = true;
            }
        }
        return Digits::Read;
    }
    // A width of w bits holds at most w * log10(2) + 1 decimal digits.
    if (count > static_cast<size_t>(width) * 30103 / 100000 + 1 + kSpareDecimalDigits)
        return Digits::TooMany;
    const int words = (width + 31) / 32 + 1;
    std::vector<uint32_t> accumulator(static_cast<size_t>(words), 0u);
    int used = 1;  // words of the accumulator that may be non-zero
    for (size_t at = 0; at < count;) {
        const size_t take = std::min<size_t>(9, count - at);
        uint64_t scale = 1, carry = 0;
        for (size_t k = 0; k < take; ++k) {
            scale *= 10;
            carry = carry * 10 + static_cast<uint64_t>(digits[at + k] - '0');
        }
        at += take;
        for (int i = 0; i < used; ++i) {
            const uint64_t product = static_cast<uint64_t>(accumulator[static_cast<size_t>(i)]) * scale + carry;
            accumulator[static_cast<size_t>(i)] = static_cast<uint32_t>(product);
            carry = product >> 32;
        }
        if (carry != 0) {
            if (used < words)
                accumulator[static_cast<size_t>(used++)] = static_cast<uint32_t>(carry);
            else
                overflow = true;
        }
    }
    for (int i = 0; i < out.words(); ++i)
        out.set_word(i, accumulator[static_cast<size_t>(i)] & (i == out.words() - 1 ? MLIB_UINTEGER::top_mask(width) : ~0u));
    for (int bit = width; bit < words * 32; ++bit)
        if ((accumulator[static_cast<size_t>(bit / 32)] >> (bit % 32)) & 1u)
            overflow = true;
    return Digits::Read;
}

void ReadMif(const std::string& text, FileRead& read)
{
    std::vector<Token> tokens;
    if (!Tokenize(text, tokens, read))
        return;
    size_t at = 0;
    auto next_line = [&]() { return at < tokens.size() ? tokens[at].line : (tokens.empty() ? 1 : tokens.back().line); };
    auto accept = [&](const char* expected) {
        if (at < tokens.size() && SameText(tokens[at].text, expected)) {
            ++at;
            return true;
        }
        return false;
    };
    int address_radix = 16, data_radix = 16;
    const int width = read.memory.Width();

    // Header: NAME = VALUE ; until CONTENT.
    while (at < tokens.size() && !SameText(tokens[at].text, "CONTENT")) {
        if (at + 3 >= tokens.size() || tokens[at + 1].text != "=" || tokens[at + 3].text != ";")
            return read.Malformed(next_line(), "expected 'NAME = VALUE;' or CONTENT");
        const std::string& key = tokens[at].text;
        const std::string& value = tokens[at + 2].text;
        if (SameText(key, "ADDRESS_RADIX") || SameText(key, "DATA_RADIX")) {
            int radix = RadixOf(value);
            if (radix == 0)
                return read.Malformed(tokens[at].line, "unknown radix '" + value + "'");
            (SameText(key, "ADDRESS_RADIX") ? address_radix : data_radix) = radix;
        } else if (SameText(key, "WIDTH")) {
            int64_t declared = 0;
            if (ParseInteger(value, declared) && declared != width)
                Warn("Memory initialisation file '" + read.path + "' declares WIDTH=" + value + " for a memory " +
                     std::to_string(width) + " bits wide; values are fitted to the memory.");
        }
        at += 4;
    }
    if (!accept("CONTENT") || !accept("BEGIN"))
        return read.Malformed(next_line(), "expected CONTENT BEGIN");

    // Reads a number into value; false when there is none, with `problem` saying why.
    std::string problem;
    auto read_number = [&](int radix, int bits, MLIB_UINTEGER& value, bool allow_negative,
                           const char* expected) -> bool {
        problem = expected;
        bool negative = false;
        if (allow_negative && at < tokens.size() && tokens[at].text == "-") {
            negative = true;
            ++at;
        }
        if (at >= tokens.size())
            return false;
        bool overflow = false;
        const Digits digits = ParseDigits(tokens[at].text, radix, bits, value, overflow);
        if (digits == Digits::TooMany)
            problem = "a number of " + std::to_string(tokens[at].text.size()) + " digits is far wider than its " +
                      std::to_string(bits) + " bits";
        if (digits != Digits::Read)
            return false;
        if (overflow)
            read.too_wide = true;
        ++at;
        if (negative)
            value = SubtractAt(MLIB_UINTEGER(0, bits), value, false, bits);
        return true;
    };

    while (at < tokens.size() && !SameText(tokens[at].text, "END")) {
        const int line = tokens[at].line;
        MLIB_UINTEGER first(0, 64), last(0, 64);
        bool range = accept("[");
        if (!read_number(address_radix, 64, first, false, "expected an address"))
            return read.Malformed(line, problem);
        last = first;
        if (range) {
            if (!accept(".."))
                return read.Malformed(line, "expected an address range '[first..last]'");
            if (!read_number(address_radix, 64, last, false, "expected an address range '[first..last]'"))
                return read.Malformed(line, problem);
            if (!accept("]"))
                return read.Malformed(line, "expected an address range '[first..last]'");
        }
        if (!accept(":"))
            return read.Malformed(line, "expected ':' after the address");
        std::vector<MLIB_UINTEGER> values;
        while (at < tokens.size() && tokens[at].text != ";") {
            MLIB_UINTEGER value(0, width);
            if (!read_number(data_radix, width, value, data_radix == 10, "expected a value"))
                return read.Malformed(tokens[at < tokens.size() ? at : tokens.size() - 1].line, problem);
            values.push_back(value);
        }
        if (!accept(";") || values.empty())
            return read.Malformed(line, "an entry needs at least one value and a closing ';'");
        const int64_t from = static_cast<int64_t>(ToU64(first) & 0x7FFFFFFFFFFFFFFFull);
        const int64_t to = static_cast<int64_t>(ToU64(last) & 0x7FFFFFFFFFFFFFFFull);
        if (to < from)
            return read.Malformed(line, "an address range must not run backwards");
        if (range) {
            // Ranges repeat their values; addresses past the memory are only counted.
            const int64_t stored_to = std::min<int64_t>(to, read.memory.Depth() - 1);
            for (int64_t address = from; address <= stored_to; ++address)
                read.Store(address, values[static_cast<size_t>((address - from) % values.size())], width);
            if (to > stored_to) {
                const int64_t first_out = std::max(stored_to + 1, from);
                read.Beyond(first_out, static_cast<uint64_t>(to - first_out) + 1);
            }
        } else if (from >= read.memory.Depth()) {
            read.Beyond(from, values.size());  // counted, never added to: from may be near 2^63
        } else {
            for (size_t k = 0; k < values.size(); ++k)
                read.Store(from + static_cast<int64_t>(k), values[k], width);
        }
    }
    if (!accept("END"))
        return read.Malformed(next_line(), "missing END");
}

}  // namespace

bool LoadMemoryFile(const std::string& path, Memory& memory)
{
    // Opened without blocking, so that a FIFO or a device named by a netlist cannot stall
    // the build; only a regular file is read.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        Warn("Memory initialisation file '" + path + "' cannot be opened; the memory starts cleared.");
        return false;
    }
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(descriptor);
        Warn("Memory initialisation file '" + path + "' is not a regular file; the memory starts cleared.");
        return false;
    }
    std::FILE* file = ::fdopen(descriptor, "rb");
    if (file == nullptr) {
        ::close(descriptor);
        Warn("Memory initialisation file '" + path + "' cannot be opened; the memory starts cleared.");
        return false;
    }
    std::string text;
    std::fseek(file, 0, SEEK_END);
    long size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    if (size < 0 || size > kMaxMemoryFileBytes) {
        std::fclose(file);
        Warn("Memory initialisation file '" + path + "' is too large to be a memory image; it is not read.");
        return false;
    }
    text.resize(static_cast<size_t>(size));
    size_t got = size > 0 ? std::fread(text.data(), 1, text.size(), file) : 0;
    std::fclose(file);
    text.resize(got);

    FileRead read{path, memory};
    bool hex = HasExtension(path, ".hex") || HasExtension(path, ".ihex");
    if (!hex && !HasExtension(path, ".mif")) {
        size_t first = text.find_first_not_of(" \t\r\n");
        hex = first != std::string::npos && text[first] == ':';
    }
    if (hex)
        ReadIntelHex(text, read);
    else
        ReadMif(text, read);
    read.Finish();
    return read.clean;
}

}  // namespace modlib
