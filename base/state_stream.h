// StateWriter and StateReader: the binary encoding of a simulation's saved state
// (checkpoints), little-endian and free of pointers, so another process can read it. The
// reader trusts no size it reads: counts are checked against the bytes left before anything
// is allocated, and once a read fails every later read fails too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "base/mlib_integer.h"

class StateWriter {
public:
    void U8(uint8_t v) { data.push_back(static_cast<char>(v)); }
    void Bool(bool v) { U8(v ? 1 : 0); }
    void U32(uint32_t v);
    void U64(uint64_t v);
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void I64(int64_t v) { U64(static_cast<uint64_t>(v)); }
    // A count, then the bytes.
    void Bytes(const std::string& bytes);
    // Width, flags, the value plane and the undefined mask.
    void Value(const MLIB_UINTEGER& value);

    const std::string& Data() const { return data; }
    std::string Take() { return std::move(data); }

private:
    std::string data; // everything written so far
};

class StateReader {
public:
    StateReader(const char* bytes, size_t size) : data(reinterpret_cast<const unsigned char*>(bytes)), size(size) {}
    explicit StateReader(const std::string& bytes) : StateReader(bytes.data(), bytes.size()) {}

    bool U8(uint8_t& v);
    bool Bool(bool& v);
    bool U32(uint32_t& v);
    bool U64(uint64_t& v);
    bool I32(int32_t& v);
    bool I64(int64_t& v);
    // Bytes written by StateWriter::Bytes; fails when the count exceeds what is left.
    bool Bytes(std::string& bytes);
    // A count of records each taking at least `record_bytes` bytes; fails when that many
    // cannot fit in what is left, so a caller may reserve `count` entries safely.
    bool Count(uint64_t& count, size_t record_bytes);
    // A value of exactly the target's width; bits above the width are cleared.
    bool Value(MLIB_UINTEGER& target);

    // Marks the stream failed (a read value that does not fit its place).
    bool Fail()
    {
        failed = true;
        return false;
    }
    bool Ok() const { return !failed; }
    bool AtEnd() const { return !failed && position == size; }
    size_t Position() const { return position; }

private:
    bool Take(void* out, size_t count);
    bool ValuePlanes(MLIB_UINTEGER& target);

    const unsigned char* data; // not owned
    size_t size;               // bytes in data
    size_t position = 0;       // bytes read
    bool failed = false;       // a read failed: all later reads fail
};

// 64-bit FNV-1a, chained through `hash`: the checksum and design hash of checkpoints.
uint64_t Fnv1a64(const void* bytes, size_t size, uint64_t hash = 0xcbf29ce484222325ull);
