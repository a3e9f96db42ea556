// Reading a SimDB file into a netlist database. The file may be truncated, stale or hostile:
// every loop ends at the end of the file, every length is checked against the bytes left, and
// widths and bit offsets are bounded so that building a simulation from the result stays sane.
#include <algorithm>
#include <cstdio>
#include <memory>

#include "base/limits.h"
#include "base/messages.h"
#include "netlistdb/netlist_db.h"
#include "netlistdb/simdb_io.h"

namespace KVC {

namespace {

// No design has more clocks than this; the header's clock count is checked against it.
constexpr int32_t kMaxClockCount = 1 << 20;

}  // namespace

// ---- SimDBReader ----

int32_t SimDBReader::ReadInt()
{
    if (BytesLeft() < 4) {
        position = size;
        ended = true;
        return 0;
    }
    uint32_t word = 0;
    for (int b = 0; b < 4; b++)
        word |= uint32_t{data[position + b]} << (8 * b);
    position += 4;
    return static_cast<int32_t>(word);
}

std::string SimDBReader::ReadString()
{
    const uint32_t length = static_cast<uint32_t>(ReadInt());
    if (ended)
        return {};
    const uint64_t text_bytes = (uint64_t{length} / 4 + 1) * 4;
    if (text_bytes > BytesLeft()) {
        position = size;
        ended = true;
        return {};
    }
    // Decode every word, then keep the bytes up to the first zero one (a damaged file may
    // have none, and then keeps them all).
    std::string text(static_cast<size_t>(text_bytes), '\0');
    for (size_t at = 0; at < text.size(); at += 4) {
        const uint32_t word = static_cast<uint32_t>(ReadInt()) ^ SIMDB_STRING_KEY;
        for (size_t b = 0; b < 4; b++)
            text[at + b] = static_cast<char>((word >> (8 * b)) & 0xFF);
    }
    const size_t end = text.find('\0');
    if (end != std::string::npos)
        text.resize(end);
    return text;
}

std::string SimDBReader::ReadTableName()
{
    std::string name = ReadString();
    names.push_back(SimDBName{name});
    return name;
}

const SimDBName* SimDBReader::NameAt(int32_t index) const
{
    if (index < 0 || static_cast<size_t>(index) >= names.size())
        return nullptr;
    return &names[static_cast<size_t>(index)];
}

// ---- Port records ----

bool Port::Load(SimDBReader& reader)
{
    const int32_t loaded_width = reader.ReadInt();
    if (reader.Ended() || loaded_width < 0 || loaded_width > kMaxBits)
        return false;
    width = loaded_width;
    return true;
}

bool Input::Load(SimDBReader& reader)
{
    if (!Port::Load(reader))
        return false;
    const int32_t loaded_reserved = reader.ReadInt();
    if (reader.Ended())
        return false;
    reserved = loaded_reserved;
    return true;
}

namespace {

// Reads one port record after its marker into node; false when the file is damaged.
bool ReadPortRecord(SimDBReader& reader, Node& node, int direction)
{
    const std::string name = reader.ReadTableName();
    if (reader.Ended())
        return false;
    Port* port = node.NewPort(name, direction);
    reader.BindLastName(port);
    if (port->Direction() == direction)
        return port->Load(reader);
    // A duplicate name of the other kind: the record still has the fields of its marker.
    std::unique_ptr<Port> scratch =
        direction == 0 ? std::make_unique<Input>(&node, name) : std::make_unique<Port>(&node, name);
    if (!scratch->Load(reader))
        return false;
    port->width = scratch->width;
    return true;
}

// Reads a node record after its name into node; false when the file is damaged.
bool ReadNodeRecord(SimDBReader& reader, Node& node)
{
    const int32_t clock_domain = reader.ReadInt();
    const int32_t operator_code = reader.ReadInt();
    if (reader.Ended())
        return false;
    node.clockDomain = clock_domain;
    node.operatorCode = operator_code;

    for (;;) {
        const int32_t marker = reader.ReadInt();
        if (reader.Ended())
            return false;
        if (marker == SIMDB_END_OF_PORTS)
            break;
        if (marker != SIMDB_OUTPUT_MARKER && marker != SIMDB_INPUT_MARKER) {
            report(SEV_INTERNAL,
                   "SimDB Load Error: invalid marker in file. File format invalid? Unable to load "
                   "netlist.");
            break;  // the parameters are read from the same position
        }
        if (!ReadPortRecord(reader, node, marker == SIMDB_INPUT_MARKER ? 0 : 1))
            return false;
    }

    while (!reader.ReadBool()) {
        if (reader.Ended())
            return false;
        const std::string name = reader.ReadString();
        const int32_t integer = reader.ReadInt();
        const std::string text = reader.ReadString();
        if (reader.Ended())
            return false;
        node.SetParam(name, ParamValue(integer, text));
    }
    return !reader.Ended();
}

// Resolves a node name of a link record: "(top)" is the top node, any other name a node of
// the nodes map. The node bound to the entry is that same node, found without hashing.
Node* FindLinkNode(const NetlistDB& db, const SimDBName& entry)
{
    if (entry.node)
        return entry.node;
    return entry.name == "(top)" ? db.Top() : db.FindNode(entry.name);
}

// The port of that entry's name on node, or none.
Port* FindLinkPort(const Node& node, const SimDBName& entry)
{
    return entry.port && entry.port->owner == &node ? entry.port : node.FindPort(entry.name);
}

// Links one record: a slice of the owner's input driven by the source port.
void LinkRecord(const NetlistDB& db, const SimDBReader& reader, const int32_t (&record)[8])
{
    const SimDBName* names[4];  // source node, source port, owner node, owner port
    for (int i = 0; i < 4; i++) {
        names[i] = reader.NameAt(record[i]);
        if (!names[i]) {
            report(SEV_INTERNAL, "SimDB Load Error: name index " + std::to_string(record[i]) +
                                     " lies outside the name table. Could not link netlist.");
            return;
        }
    }
    const std::string& source_node_name = names[0]->name;
    const std::string& source_port_name = names[1]->name;
    const std::string& owner_node_name = names[2]->name;
    const std::string& owner_port_name = names[3]->name;
    const int32_t srcLow = record[4];
    const int32_t dstLow = record[5];
    const int32_t width = record[6];
    const bool inverted = record[7] != 0;

    Node* owner_node = FindLinkNode(db, *names[2]);
    Node* source_node = owner_node ? FindLinkNode(db, *names[0]) : nullptr;
    if (!owner_node || !source_node) {
        report(SEV_INTERNAL, "SimDB Load Error: Unable to find node '" +
                                 (owner_node ? source_node_name : owner_node_name) +
                                 "'. Could not link netlist.");
        return;
    }
    Port* owner_port = FindLinkPort(*owner_node, *names[3]);
    Input* input = owner_port ? owner_port->AsInput() : nullptr;
    Port* source = input ? FindLinkPort(*source_node, *names[1]) : nullptr;
    if (!input || !source) {
        report(SEV_INTERNAL, "SimDB Load Error: Unable to find port '" +
                                 (input ? source_port_name : owner_port_name) + "'. Could not link netlist.");
        return;
    }
    if (width < 1 || srcLow < 0 || dstLow < 0 || width > kMaxBits - srcLow || width > kMaxBits - dstLow) {
        report(SEV_INTERNAL, "SimDB Load Error: bit range out of bounds for port '" + owner_port_name +
                                 "'. Could not link netlist.");
        return;
    }
    Slice* slice = input->NewSlice(dstLow, width, source, srcLow);
    slice->inverted = inverted;
}

}  // namespace

// ---- NetlistDB ----

void NetlistDB::ReportOutdated(bool block_kind, bool suppress) const
{
    if (suppress)
        return;
    report(SEV_FATAL, block_kind
                          ? " The simulation model is missing or outdated. The Blockvane block needs to be "
                            "updated or refreshed."
                          : " The simulation model could not be found or is outdated. Please ensure all HDL "
                            "Import blocks are up-to-date and all HDL Import dialogue boxes are closed.");
}

void NetlistDB::LoadSimDB(const std::string& path, bool block_kind, bool suppress)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        report(SEV_FATAL, block_kind
                              ? "The simulation model is missing. The Blockvane block needs to be updated or "
                                "refreshed."
                              : "The simulation model is missing. Please open the HDL Import block and "
                                "recompile the simulation model.");
        ReportOutdated(block_kind, suppress);
        return;
    }
    // Read the whole file in one go; a short read is treated as a file that ends early.
    std::vector<unsigned char> bytes;
    unsigned char chunk[1 << 16];
    size_t got;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        if (size > 0)
            bytes.reserve(static_cast<size_t>(size));
        std::fseek(file, 0, SEEK_SET);
    }
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    LoadSimDBBytes(bytes.data(), bytes.size(), block_kind, suppress);
}

void NetlistDB::LoadSimDBBytes(const unsigned char* data, size_t size, bool block_kind, bool suppress)
{
    SimDBReader reader(data, size);
    const int32_t magic = reader.ReadInt();
    const int32_t version = reader.ReadInt();
    reader.ReadInt();  // always 1; not used
    if (magic != SIMDB_MAGIC || version != SIMDB_VERSION) {
        ReportOutdated(block_kind, suppress);
        return;
    }

    // Each stage stops at the first sign of damage; whatever was read before stays.
    const bool complete = [&] {
        const int32_t declared_clocks = reader.ReadInt();
        // The node count only sizes the node tables: the node section ends with its own
        // marker, and as every node record takes more than 16 bytes, a damaged count cannot
        // ask for more room than the file could fill.
        const int32_t node_count = reader.ReadInt();
        if (node_count > 0)
            ReserveNodes(std::min(static_cast<size_t>(node_count), reader.BytesLeft() / 16));
        // The top node's name: the top node already exists, and links find it as "(top)".
        if (reader.ReadTableName() == "(top)")
            reader.BindLastName(top.get());
        if (reader.Ended() || declared_clocks < 0 || declared_clocks > kMaxClockCount)
            return false;
        clock_count = declared_clocks;
        if (!ReadNodeRecord(reader, *top))
            return false;

        for (int32_t number = reader.ReadInt(); number != 0; number = reader.ReadInt()) {
            const std::string name = reader.ReadString();
            if (reader.Ended())
                return false;
            clocks[name] = number;
        }
        if (reader.Ended())
            return false;

        while (reader.ReadBool()) {
            const std::string name = reader.ReadTableName();
            if (reader.Ended())
                return false;
            Node* node = CreateNode(name);
            // A map node named "(top)" is not what links mean by that name.
            if (name != "(top)")
                reader.BindLastName(node);
            if (!ReadNodeRecord(reader, *node))
                return false;
        }
        if (reader.Ended())
            return false;

        // The count is not trusted: every record must still be in the file.
        const uint32_t link_count = static_cast<uint32_t>(reader.ReadInt());
        for (uint32_t i = 0; i < link_count; i++) {
            int32_t record[8];
            for (int32_t& field : record)
                field = reader.ReadInt();
            if (reader.Ended())
                return false;
            LinkRecord(*this, reader, record);
        }
        return !reader.Ended();
    }();

    ReportRepeatedOverlaps();
    ReportSlicesBeyondPorts();
    if (!complete)
        report(SEV_FATAL,
               "SimDB Load Error: the file ends early or is damaged. The netlist was loaded only in "
               "part.");
}

}  // namespace KVC
