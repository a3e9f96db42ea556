// The checkpoint encoding: fixed-size little-endian integers, counted byte strings and wide
// values as their two planes.
#include "base/state_stream.h"

#include <cstring>


void StateWriter::U32(uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        U8(static_cast<uint8_t>(v >> (8 * i)));
}

void StateWriter::U64(uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        U8(static_cast<uint8_t>(v >> (8 * i)));
}

void StateWriter::Bytes(const std::string& bytes)
{
    U64(bytes.size());
    data += bytes;
}

void StateWriter::Value(const MLIB_UINTEGER& value)
{
    U32(static_cast<uint32_t>(value.width()));
    U32(value.flags());
    for (int i = 0; i < value.words(); ++i)
        U32(value.word(i));
    for (int i = 0; i < value.words(); ++i)
        U32(value.undef_word(i));
}

bool StateReader::Take(void* out, size_t count)
{
    if (failed || size - position < count)
        return Fail();
    std::memcpy(out, data + position, count);
    position += count;
    return true;
}

bool StateReader::U8(uint8_t& v)
{
    return Take(&v, 1);
}

bool StateReader::Bool(bool& v)
{
    uint8_t byte = 0;
    if (!U8(byte) || byte > 1)
        return Fail();
    v = byte == 1;
    return true;
}

bool StateReader::U32(uint32_t& v)
{
    unsigned char bytes[4];
    if (!Take(bytes, 4))
        return false;
    v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | bytes[i];
    return true;
}

bool StateReader::U64(uint64_t& v)
{
    unsigned char bytes[8];
    if (!Take(bytes, 8))
        return false;
    v = 0;
    for (int i = 7; i >= 0; --i)
        v = v << 8 | bytes[i];
    return true;
}

bool StateReader::I32(int32_t& v)
{
    uint32_t bits = 0;
    if (!U32(bits))
        return false;
    v = static_cast<int32_t>(bits);
    return true;
}

bool StateReader::I64(int64_t& v)
{
    uint64_t bits = 0;
    if (!U64(bits))
        return false;
    v = static_cast<int64_t>(bits);
    return true;
}

bool StateReader::Count(uint64_t& count, size_t record_bytes)
{
    if (!U64(count))
        return false;
    if (record_bytes > 0 && count > (size - position) / record_bytes)
        return Fail();
    return true;
}

bool StateReader::Bytes(std::string& bytes)
{
    uint64_t count = 0;
    if (!Count(count, 1))
        return false;
    bytes.assign(reinterpret_cast<const char*>(data + position), static_cast<size_t>(count));
    position += static_cast<size_t>(count);
    return true;
}

bool StateReader::ValuePlanes(MLIB_UINTEGER& target)
{
    uint32_t flags = 0;
    if (!U32(flags))
        return false;
    const int words = target.words();
    if (static_cast<size_t>(words) * 8 > size - position)
        return Fail();
    for (int plane = 0; plane < 2; ++plane)
        for (int i = 0; i < words; ++i) {
            uint32_t word = 0;
            U32(word);
            if (i == words - 1)
                word &= MLIB_UINTEGER::top_mask(target.width());
            if (plane == 0)
                target.set_word(i, word);
            else
                target.set_undef_word(i, word);
        }
    target.clear_flags();
    target.add_flags(flags);
    return Ok();
}

bool StateReader::Value(MLIB_UINTEGER& target)
{
    uint32_t width = 0;
    if (!U32(width))
        return false;
    if (width != static_cast<uint32_t>(target.width()))
        return Fail();
    return ValuePlanes(target);
}

uint64_t Fnv1a64(const void* bytes, size_t size, uint64_t hash)
{
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i < size; ++i) {
        hash ^= p[i];
        hash *= 0x100000001b3ull;
    }
    return hash;
}
