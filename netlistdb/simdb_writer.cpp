// Writing a netlist database as a SimDB file: header, top node, clocks, nodes, link records.
// Nodes, clocks and parameters are written in sorted order so that one design always gives
// the same bytes, whatever the hash maps' iteration order.
#include <cstdio>

#include "base/messages.h"
#include "netlistdb/netlist_db.h"
#include "netlistdb/simdb_io.h"

namespace KVC {

SimDBWriter::SimDBWriter()
{
    index.emplace("(top)", 1);
    index.emplace("(one)", 2);
    index.emplace("(zero)", 3);
}

void SimDBWriter::WriteInt(int32_t value)
{
    const uint32_t word = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<unsigned char>(word >> shift));
}

void SimDBWriter::WriteString(const std::string& text)
{
    WriteInt(static_cast<int32_t>(text.size()));
    const size_t words = text.size() / 4 + 1;
    for (size_t w = 0; w < words; w++) {
        uint32_t word = 0;
        for (size_t b = 0; b < 4; b++) {
            const size_t at = w * 4 + b;
            const uint32_t byte = at < text.size() ? static_cast<unsigned char>(text[at]) : 0;
            word |= byte << (8 * b);
        }
        WriteInt(static_cast<int32_t>(word ^ SIMDB_STRING_KEY));
    }
}

void SimDBWriter::WriteTableName(const std::string& name)
{
    index[name] = next_index++;
    WriteString(name);
}

int32_t SimDBWriter::IndexOf(const std::string& name) const
{
    auto found = index.find(name);
    return found == index.end() ? 0 : found->second;
}

void Port::Save(SimDBWriter& writer, std::vector<const Slice*>&) const
{
    writer.WriteInt(SIMDB_OUTPUT_MARKER);
    writer.WriteTableName(name);
    writer.WriteInt(width);
}

void Input::Save(SimDBWriter& writer, std::vector<const Slice*>& slices_to_link) const
{
    writer.WriteInt(SIMDB_INPUT_MARKER);
    writer.WriteTableName(name);
    writer.WriteInt(width);
    writer.WriteInt(reserved);
    for (const auto& slice : slices)
        slices_to_link.push_back(slice.get());
}

namespace {

void WriteNodeRecord(SimDBWriter& writer, const Node& node, std::vector<const Slice*>& slices_to_link)
{
    writer.WriteTableName(node.name);
    writer.WriteInt(node.clockDomain);
    writer.WriteInt(node.operatorCode);
    // The constant ports are recreated by every new database, so they are never written.
    node.ForEachPort([&](Port& port) {
        if (port.name != "(zero)" && port.name != "(one)")
            port.Save(writer, slices_to_link);
    });
    writer.WriteInt(SIMDB_END_OF_PORTS);
    node.ForEachParam([&](const Param& param) {
        writer.WriteBool(false);
        writer.WriteString(param.name);
        writer.WriteInt(param.value.integer());
        writer.WriteString(param.value.text());
    });
    writer.WriteBool(true);
}

void WriteLinkRecord(SimDBWriter& writer, const Slice& slice)
{
    writer.WriteInt(writer.IndexOf(slice.source->owner->name));
    writer.WriteInt(writer.IndexOf(slice.source->name));
    writer.WriteInt(writer.IndexOf(slice.owner->owner->name));
    writer.WriteInt(writer.IndexOf(slice.owner->name));
    writer.WriteInt(slice.srcLow);
    writer.WriteInt(slice.dstLow);
    writer.WriteInt(slice.width);
    writer.WriteBool(slice.inverted);
}

}  // namespace

std::vector<unsigned char> NetlistDB::SaveBytes() const
{
    SimDBWriter writer;
    std::vector<const Slice*> slices_to_link;

    writer.WriteInt(SIMDB_MAGIC);
    writer.WriteInt(SIMDB_VERSION);
    writer.WriteInt(1);
    writer.WriteInt(clock_count);
    writer.WriteInt(NodeCount());

    WriteNodeRecord(writer, *top, slices_to_link);
    ForEachClock([&](const std::string& name, int number) {
        writer.WriteInt(number);
        writer.WriteString(name);
    });
    writer.WriteInt(0);
    for (const Node* node : NodesByName()) {
        writer.WriteBool(true);
        WriteNodeRecord(writer, *node, slices_to_link);
    }
    writer.WriteBool(false);

    writer.WriteInt(static_cast<int32_t>(slices_to_link.size()));
    for (const Slice* slice : slices_to_link)
        WriteLinkRecord(writer, *slice);

    return writer.TakeBytes();
}

void NetlistDB::Save(const std::string& path) const
{
    // Built in memory and written in one call: I/O dominates, not many small writes.
    const std::vector<unsigned char> bytes = SaveBytes();
    FILE* file = std::fopen(path.c_str(), "wb");
    bool failed = file == nullptr;
    if (file) {
        failed = std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size();
        failed = std::fclose(file) != 0 || failed;
    }
    if (failed)
        report(SEV_FATAL, "SimDB Save Error: Unable to open/write netlist DB file.");
}

}  // namespace KVC
