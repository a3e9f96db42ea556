// Word-level reading and writing of SimDB files: little-endian 32-bit words and XOR-keyed
// strings. Shared by the writer (Save) and the reader (LoadSimDB) of the netlist database.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace KVC {

class Node;
class Port;

constexpr int32_t SIMDB_MAGIC = 0x1234ABCD;
constexpr int32_t SIMDB_VERSION = 0x10000;
constexpr uint32_t SIMDB_STRING_KEY = 0x3D6A9E51;  // every text word is XORed with this key
constexpr int32_t SIMDB_OUTPUT_MARKER = 66;
constexpr int32_t SIMDB_INPUT_MARKER = 77;
constexpr int32_t SIMDB_END_OF_PORTS = 55;

// Builds a SimDB file in memory; the caller writes Bytes() to disk in one go.
class SimDBWriter {
public:
    SimDBWriter();
    void WriteInt(int32_t value);
    void WriteBool(bool value) { WriteInt(value ? 1 : 0); }
    // Length word, then floor(L / 4) + 1 keyed words holding the text and at least one zero.
    void WriteString(const std::string& text);
    // Gives name the next table index (its latest appearance wins) and writes it as a string.
    void WriteTableName(const std::string& name);
    // The index of name's latest appearance; 0 for a name never written.
    int32_t IndexOf(const std::string& name) const;
    const std::vector<unsigned char>& Bytes() const { return bytes; }
    std::vector<unsigned char> TakeBytes() { return std::move(bytes); }

private:
    std::vector<unsigned char> bytes;                // the file so far
    std::unordered_map<std::string, int32_t> index;  // name to index of its latest appearance
    int32_t next_index = 4;                           // indexes 0 to 3 are the fixed names
};

// One entry of the reader's name table. A node or port record also leaves the object it
// created, so that linking by index skips the lookup by name when the answer is the same.
struct SimDBName {
    std::string name;
    Node* node = nullptr;  // the node of this name when a node record appended it
    Port* port = nullptr;  // the port of this name, on port->owner, when a port record appended it
};

// Reads a SimDB file from memory. A read past the end yields 0, false or the empty string and
// sets Ended(); a string whose length runs past the end consumes the rest of the file.
class SimDBReader {
public:
    SimDBReader(const unsigned char* data, size_t size) : data(data), size(size) {}
    int32_t ReadInt();
    bool ReadBool() { return ReadInt() != 0; }
    std::string ReadString();
    // Reads a string and appends it to the name table.
    std::string ReadTableName();
    // Records the object created for the latest table entry.
    void BindLastName(Node* node) { names.back().node = node; }
    void BindLastName(Port* port) { names.back().port = port; }
    // The table entry at index; none when the index lies outside the table.
    const SimDBName* NameAt(int32_t index) const;
    // Whether a read has gone past the end of the file.
    bool Ended() const { return ended; }
    size_t BytesLeft() const { return size - position; }

private:
    const unsigned char* data;  // the whole file; not owned
    size_t size;                // bytes in data
    size_t position = 0;        // next byte to read
    bool ended = false;         // a read went past the end
    std::vector<SimDBName> names{{"(ERROR)"}, {"(top)"}, {"(one)"}, {"(zero)"}};  // the name table
};

}  // namespace KVC
