// The yosys JSON reader: design ports, primitive cells through the XML map, inverters folded
// into slices, clocks checked against the single implicit clock, memory contents written to
// initialisation files, and a named error for every construct left unmapped.
#include "frontend/yosys_netlist.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <unordered_map>
#include <vector>

#include "base/messages.h"
#include "frontend/xml_map.h"
#include "netlistdb/netlist_db.h"

namespace Parser {

namespace {

using Json = nlohmann::ordered_json;

// One bit of a connection: a net, or a constant '0', '1', 'x' or 'z'.
struct Bit {
    int net = -1; // yosys's bit number; -1 for a constant
    char constant = 'x';
    bool operator==(const Bit& other) const { return net == other.net && (net >= 0 || constant == other.constant); }
};

// Where a bit comes from in the database.
struct Source {
    KVC::Port* port = nullptr;
    int bit = 0;
    bool inverted = false;
    bool operator==(const Source& other) const
    {
        return port == other.port && bit == other.bit && inverted == other.inverted;
    }
};

std::vector<Bit> BitsOf(const Json& bits)
{
    std::vector<Bit> result;
    if (!bits.is_array())
        return result;
    for (const Json& bit : bits) {
        Bit b;
        if (bit.is_number_integer())
            b.net = bit.get<int>();
        else if (bit.is_string() && !bit.get<std::string>().empty())
            b.constant = bit.get<std::string>()[0];
        result.push_back(b);
    }
    return result;
}

bool IsBitString(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("01xz") == std::string::npos;
}

// yosys writes a number as a string of bits, most significant first (32 of them for an
// integer), and a text as itself; a text that reads as bits gets a trailing blank.
ParamValue ParamOf(const Json& value)
{
    if (value.is_number_integer())
        return ParamValue(static_cast<int32_t>(value.get<int64_t>()));
    if (!value.is_string())
        return ParamValue(std::string());
    std::string text = value.get<std::string>();
    if (IsBitString(text)) {
        uint32_t word = 0;
        const size_t first = text.size() > 32 ? text.size() - 32 : 0;
        for (size_t i = first; i < text.size(); ++i)
            word = (word << 1) | (text[i] == '1' ? 1u : 0u);
        return ParamValue(static_cast<int32_t>(word));
    }
    if (text.size() > 1 && text.back() == ' ' && IsBitString(text.substr(0, text.size() - 1)))
        text.pop_back();
    return ParamValue(text);
}

// The member of that name, or an empty object; a reference, so that a range-for over it
// does not outlive a temporary.
const Json& Member(const Json& object, const char* key)
{
    static const Json empty = Json::object();
    if (!object.is_object())
        return empty;
    auto found = object.find(key);
    return found == object.end() ? empty : *found;
}

std::string TextOf(const Json& object, const char* key)
{
    auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// A name the netlist dialect can spell: letters, digits and underscores, a letter first.
std::string Identifier(const std::string& text)
{
    std::string name;
    for (char c : text) {
        const bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (word)
            name += c;
        else if (!name.empty() && name.back() != '_')
            name += '_';
    }
    while (!name.empty() && name.back() == '_')
        name.pop_back();
    if (name.empty() || !((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= 'A' && name[0] <= 'Z')))
        name = "n_" + name;
    return name;
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

// Why yosys left a cell of this type unmapped, in the user's terms.
std::string RefusedConstruct(const std::string& type, const Json& cell)
{
    auto parameter = [&](const char* name) {
        const Json& parameters = Member(cell, "parameters");
        return parameters.contains(name) ? ParamOf(parameters[name]).integer() : 1;
    };
    const bool register_type = StartsWith(type, "$_DFF") || StartsWith(type, "$_SDFF") || StartsWith(type, "$_ALDFF") ||
                               StartsWith(type, "$_DFFSR") || type == "$dff" || type == "$dffe" || type == "$adff" ||
                               type == "$adffe" || type == "$aldff" || type == "$aldffe" || type == "$dffsr" ||
                               type == "$dffsre" || type == "$sdff" || type == "$sdffe" || type == "$sdffce";
    if (register_type) {
        // The fine cells spell the clock edge as the first letter after the name: $_DFF_N_...
        const bool falling = type[0] == '$' && type[1] == '_' ? type.find("_N", type.find('_', 2)) == type.find('_', 2)
                                                              : parameter("CLK_POLARITY") == 0;
        if (falling)
            return "a register clocked on the falling edge: Blocktide simulates the rising edge of one clock";
        return "a register of a form the primitives cannot hold";
    }
    if (StartsWith(type, "$_DLATCH") || StartsWith(type, "$_SR_") || type == "$dlatch" || type == "$adlatch" ||
        type == "$dlatchsr" || type == "$sr")
        return "a latch the latch primitive cannot hold";
    if (type == "$fsm" || StartsWith(type, "$mem") || type == "$meminit" || type == "$memwr" || type == "$memrd")
        return "a memory the RAM block and the registers cannot hold";
    if (type == "$tribuf" || StartsWith(type, "$_TBUF"))
        return "a tri-state driver: Blocktide has no high-impedance nets";
    if (type == "$assert" || type == "$assume" || type == "$cover" || type == "$live" || type == "$fair" ||
        type == "$anyconst" || type == "$anyseq" || type == "$allconst" || type == "$allseq" || type == "$initstate" ||
        type == "$equiv")
        return "a formal verification construct";
    if (StartsWith(type, "$specify") || type == "$specrule")
        return "a specify block (timing checks)";
    return "a construct no primitive implements (yosys cell " + type + ")";
}

class NetlistReader {
public:
    NetlistReader(const YosysNetlistOptions& options, XmlMapSmc& map, KVC::NetlistDB& database)
        : options(options), map(map), database(database)
    {
    }

    bool Read(const Json& module);

private:
    struct Cell {
        std::string yosys_name;
        const Json* json = nullptr;
        LibModule* library = nullptr;
        KVC::Node* node = nullptr;
    };

    void Refuse(const std::string& what, const Json& object, const std::string& name)
    {
        // The first place yosys names: a cell made by a technology map also names the map.
        std::string where = TextOf(Member(object, "attributes"), "src");
        where = where.substr(0, where.find('|'));
        report(SEV_ERROR, "Cannot import '" + options.top + "': " + what + " (" + name +
                              (where.empty() ? "" : ", " + where) + ").");
        refused = true;
    }
    void ReadNetNames(const Json& module);
    void ReadDesignInputs(const Json& module);
    bool CheckClocks();
    void CreateNodes();
    void ConnectInputs();
    void ConnectDesignOutputs(const Json& module);
    void WriteMemoryContents(Cell& cell);
    void Connect(KVC::Node& node, const std::string& port_name, const std::vector<Bit>& bits);
    Source Resolve(Bit bit, int depth = 0);
    std::string UniqueName(const std::string& base);
    // The name of the first named bit's net; PublicNetName only takes the designer's names.
    std::string NetName(const std::vector<Bit>& bits) const;
    std::string PublicNetName(const std::vector<Bit>& bits) const;

    const YosysNetlistOptions& options;
    XmlMapSmc& map;
    KVC::NetlistDB& database;
    bool refused = false;

    std::vector<Cell> cells;
    std::unordered_map<int, Source> drivers;       // net -> the database port bit driving it
    std::unordered_map<int, Bit> inverters;        // net -> the bit it inverts
    std::unordered_map<int, std::string> names;    // net -> the best name of a net holding it
    std::unordered_map<int, bool> public_name;     // net -> its best name is the designer's
    std::set<std::string> used_names;              // node and design port names handed out
    std::map<int, std::string> clock_inputs;       // clock net -> the design input it is
    std::string clock_read;                        // set by Resolve when it reaches a clock
    std::unordered_map<int, std::string> input_of; // design input net -> "name" or "name[i]"
    KVC::ElaboratedModule elaborated;
};

void NetlistReader::ReadNetNames(const Json& module)
{
    // A net's name is the shortest public name holding it (the designer's own), else the
    // shortest of yosys's.
    for (const auto& [name, net] : Member(module, "netnames").items()) {
        const bool hidden = net.is_object() && net.value("hide_name", 0) != 0;
        const std::vector<Bit> bits = BitsOf(Member(net, "bits"));
        for (size_t i = 0; i < bits.size(); ++i) {
            if (bits[i].net < 0)
                continue;
            auto known = names.find(bits[i].net);
            const bool better = known == names.end() || (!hidden && !public_name[bits[i].net]) ||
                                (hidden == !public_name[bits[i].net] && name.size() < known->second.size());
            if (better) {
                names[bits[i].net] = name;
                public_name[bits[i].net] = !hidden;
            }
        }
        // Registers start at 0; a different initial value cannot be given to them.
        const std::string init = TextOf(Member(net, "attributes"), "init");
        if (init.find('1') != std::string::npos)
            Refuse("an initial value other than 0 (an 'initial' block beyond memory contents): registers start "
                   "at 0",
                   net, name);
    }
}

std::string NetlistReader::UniqueName(const std::string& base)
{
    std::string name = base;
    for (int n = 2; used_names.count(name); ++n)
        name = base + "_" + std::to_string(n);
    used_names.insert(name);
    return name;
}

std::string NetlistReader::NetName(const std::vector<Bit>& bits) const
{
    for (const Bit& bit : bits)
        if (bit.net >= 0)
            if (auto found = names.find(bit.net); found != names.end())
                return found->second;
    return std::string();
}

std::string NetlistReader::PublicNetName(const std::vector<Bit>& bits) const
{
    for (const Bit& bit : bits)
        if (bit.net >= 0)
            if (auto found = names.find(bit.net);
                found != names.end() && public_name.count(bit.net) && public_name.at(bit.net))
                return found->second;
    return std::string();
}

void NetlistReader::ReadDesignInputs(const Json& module)
{
    for (const auto& [name, port] : Member(module, "ports").items()) {
        used_names.insert(name);
        const std::string direction = TextOf(port, "direction");
        if (direction == "inout")
            Refuse("a bidirectional port", port, name);
        if (direction != "input")
            continue;
        const std::vector<Bit> bits = BitsOf(Member(port, "bits"));
        for (size_t i = 0; i < bits.size(); ++i)
            if (bits[i].net >= 0)
                input_of[bits[i].net] = bits.size() == 1 ? name : name + "[" + std::to_string(i) + "]";
    }
}

// The single implicit clock: every clock port reads one design input of one bit, the same
// one for all, that nothing else reads.
bool NetlistReader::CheckClocks()
{
    for (const Cell& cell : cells) {
        for (const auto& [port, connection] : Member(*cell.json, "connections").items()) {
            if (!cell.library->IsClockPort(port))
                continue;
            const std::vector<Bit> bits = BitsOf(connection);
            if (bits.size() != 1 || bits[0].net < 0)
                continue; // an unconnected clock port: the block still sees the design's clock
            const int net = bits[0].net;
            auto input = input_of.find(net);
            if (input == input_of.end()) {
                const std::string name = NetName(bits);
                Refuse(std::string("a clock derived inside the design") +
                           (inverters.count(net) ? " (an inverted clock: registers on the falling edge)" : "") +
                           ": Blocktide simulates one clock, a design input",
                       *cell.json, name.empty() ? cell.yosys_name : name);
            } else if (input->second.find('[') != std::string::npos) {
                Refuse("a clock that is one bit of a wider input: the clock must be an input of its own", *cell.json,
                       input->second);
            } else {
                clock_inputs.emplace(net, input->second);
            }
        }
    }
    if (clock_inputs.size() > 1) {
        std::string list;
        for (const auto& [net, name] : clock_inputs)
            list += (list.empty() ? "" : ", ") + name;
        report(SEV_ERROR, "Cannot import '" + options.top + "': several clocks (" + list +
                              "): Blocktide simulates designs on one clock.");
        refused = true;
    }
    return !refused;
}

void NetlistReader::CreateNodes()
{
    for (Cell& cell : cells) {
        const Json& json = *cell.json;
        // Named after the net it drives, and its type: "count_reg" reads better than "$procdff$12".
        std::vector<Bit> first_output;
        for (const auto& [port, connection] : Member(json, "connections").items())
            if (cell.library->IsOutputPort(port)) {
                first_output = BitsOf(connection);
                break;
            }
        std::string type = cell.library->name;
        if (StartsWith(type, "bt_"))
            type = type.substr(3);
        const std::string net = PublicNetName(first_output);
        const std::string name = UniqueName(Identifier(net.empty() ? type : net + "_" + type));
        KVC::Node* node = database.CreateNode(name);
        node->operatorCode = cell.library->opcode;
        node->clockDomain = 1;
        cell.node = node;
        for (const auto& [parameter, value] : Member(json, "parameters").items()) {
            if (parameter == "INIT" && cell.library->opcode == 100)
                continue; // the contents: WriteMemoryContents
            const std::string sim_name = cell.library->MapParam(parameter);
            if (sim_name.empty()) {
                Refuse("parameter '" + parameter + "' of '" + cell.library->name + "' is not in the map", json,
                       cell.yosys_name);
                continue;
            }
            node->SetParam(sim_name, ParamOf(value));
        }
        for (const auto& [port, connection] : Member(json, "connections").items()) {
            if (!cell.library->IsOutputPort(port))
                continue;
            const std::vector<Bit> bits = BitsOf(connection);
            KVC::Port* output = node->NewPort(cell.library->MapOutputPort(port), 1);
            output->width = static_cast<int>(bits.size());
            for (size_t i = 0; i < bits.size(); ++i)
                if (bits[i].net >= 0)
                    drivers[bits[i].net] = Source{output, static_cast<int>(i), false};
        }
        if (cell.library->opcode == 100)
            WriteMemoryContents(cell);
    }
}

Source NetlistReader::Resolve(Bit bit, int depth)
{
    if (bit.net < 0 || depth > 64)
        return Source{bit.constant == '1' ? database.OnePort() : database.ZeroPort(), 0, false};
    if (auto clock = clock_inputs.find(bit.net); clock != clock_inputs.end())
        clock_read = clock->second;
    if (auto driver = drivers.find(bit.net); driver != drivers.end())
        return driver->second;
    if (auto inverter = inverters.find(bit.net); inverter != inverters.end()) {
        Source source = Resolve(inverter->second, depth + 1);
        source.inverted = !source.inverted;
        return source;
    }
    // An undriven net reads as 0, as an undriven input of a primitive would.
    return Source{database.ZeroPort(), 0, false};
}

// Slices for an input: one per run of bits that come from consecutive bits of one source with
// one inversion. Constant runs come from "(zero)" or "(one)" without inversion, as the
// netlist dialect writes them.
void NetlistReader::Connect(KVC::Node& node, const std::string& port_name, const std::vector<Bit>& bits)
{
    KVC::Input* input = node.FindInput(port_name);
    if (input == nullptr && node.FindPort(port_name) == nullptr)
        input = node.NewPort(port_name, 0)->AsInput();
    if (input == nullptr)
        return;
    input->width = static_cast<int>(bits.size());
    std::vector<Source> sources;
    bool high_impedance = false;
    for (const Bit& bit : bits) {
        high_impedance = high_impedance || (bit.net < 0 && bit.constant == 'z');
        clock_read.clear();
        Source source = Resolve(bit);
        if (!clock_read.empty())
            Refuse("the clock '" + clock_read + "' read as data: the clock input makes no simulator port",
                   Json::object(), &node == database.Top() ? port_name : node.name + "." + port_name);
        if (source.port == database.ZeroPort() || source.port == database.OnePort()) {
            const bool one = (source.port == database.OnePort()) != source.inverted;
            source = Source{one ? database.OnePort() : database.ZeroPort(), 0, false};
        }
        sources.push_back(source);
    }
    if (high_impedance)
        report(SEV_WARNING, "'" + (&node == database.Top() ? port_name : node.name + "." + port_name) +
                                "' reads a high-impedance value ('z'): Blocktide has no high-impedance nets and "
                                "reads it as 0.");
    size_t start = 0;
    while (start < sources.size()) {
        const Source& first = sources[start];
        const bool constant = first.port == database.ZeroPort() || first.port == database.OnePort();
        size_t end = start + 1;
        while (end < sources.size() && sources[end].port == first.port && sources[end].inverted == first.inverted &&
               (constant || sources[end].bit == first.bit + static_cast<int>(end - start)))
            ++end;
        const int width = static_cast<int>(end - start);
        if (KVC::Slice* slice = input->NewSlice(static_cast<int>(start), width, first.port, first.bit))
            if (first.inverted)
                slice->inverted = true;
        start = end;
    }
}

void NetlistReader::ConnectInputs()
{
    for (Cell& cell : cells) {
        for (const auto& [port, connection] : Member(*cell.json, "connections").items()) {
            if (cell.library->IsClockPort(port) || cell.library->IsOutputPort(port))
                continue;
            if (!cell.library->IsInputPort(port)) {
                Refuse("port '" + port + "' of '" + cell.library->name + "' is not in the map", *cell.json,
                       cell.yosys_name);
                continue;
            }
            const std::vector<Bit> bits = BitsOf(connection);
            if (!bits.empty())
                Connect(*cell.node, cell.library->MapInputPort(port), bits);
        }
    }
}

// Per-bit write enables that all follow one signal are the plain write enable: the RAM then
// writes whole words instead of bit by bit.
void DropUniformByteEnables(KVC::Node& node)
{
    for (const char* side : {"a", "b"}) {
        KVC::Input* enables = node.FindInput(std::string("byteena_") + side);
        if (enables == nullptr || enables->slices.empty())
            continue;
        // Every bit's source, inversion and source bit (0 for the constants).
        std::vector<Source> bits;
        for (const auto& slice : enables->slices) {
            const bool constant = slice->source == node.owner->ZeroPort() || slice->source == node.owner->OnePort();
            for (int i = 0; i < slice->width; ++i)
                bits.push_back(Source{slice->source, constant ? 0 : slice->srcLow + i, slice->inverted});
        }
        if (!std::all_of(bits.begin(), bits.end(), [&](const Source& bit) { return bit == bits.front(); }))
            continue;
        for (const auto& slice : enables->slices)
            slice->source->fanout -= 1;
        const Source only = bits.front();
        enables->slices.clear();
        enables->width = 1;
        if (KVC::Slice* slice = enables->NewSlice(0, 1, only.port, only.bit))
            slice->inverted = only.inverted;
        node.SetParam(std::string("width_byteena_") + side, ParamValue(1));
    }
}

void NetlistReader::WriteMemoryContents(Cell& cell)
{
    const Json& parameters = Member(*cell.json, "parameters");
    KVC::Node& node = *cell.node;
    ParamValue width_value, words_value;
    node.GetParam("width_a", width_value);
    node.GetParam("numwords_a", words_value);
    const int width = std::max(1, width_value.integer());
    const int words = std::max(1, words_value.integer());
    const std::string init = parameters.contains("INIT") && parameters["INIT"].is_string()
                                 ? parameters["INIT"].get<std::string>()
                                 : std::string();
    // INIT holds the words side by side, the last word first; words without a defined bit
    // are left out of the file (the RAM starts them at 0).
    std::string lines;
    auto hex_of = [](const std::string& bits) {
        std::string hex;
        for (size_t end = bits.size(); end > 0;) {
            const size_t begin = end >= 4 ? end - 4 : 0;
            int digit = 0;
            for (size_t i = begin; i < end; ++i)
                digit = digit * 2 + (bits[i] == '1' ? 1 : 0);
            hex.insert(hex.begin(), "0123456789ABCDEF"[digit]);
            end = begin;
        }
        return hex;
    };
    for (int word = 0; word < words; ++word) {
        const long long end = static_cast<long long>(init.size()) - static_cast<long long>(word) * width;
        if (end <= 0)
            break;
        const long long begin = std::max(0LL, end - width);
        const std::string bits = init.substr(static_cast<size_t>(begin), static_cast<size_t>(end - begin));
        if (bits.find_first_of("01") == std::string::npos)
            continue;
        char address[16];
        std::snprintf(address, sizeof address, "%X", word);
        lines += std::string("    ") + address + " : " + hex_of(bits) + ";\n";
    }
    if (lines.empty())
        return;
    const std::string path = options.memory_file_base + "." + node.name + ".mif";
    std::ofstream file(path);
    file << "-- Contents of memory " << node.name << " of design " << options.top << "\n"
         << "WIDTH=" << width << ";\nDEPTH=" << words << ";\nADDRESS_RADIX=HEX;\nDATA_RADIX=HEX;\n"
         << "CONTENT BEGIN\n"
         << lines << "END;\n";
    if (!file) {
        report(SEV_ERROR, "Cannot write the memory initialisation file " + path + ".");
        refused = true;
        return;
    }
    const size_t slash = path.find_last_of('/');
    node.SetParam("init_file", ParamValue(slash == std::string::npos ? path : path.substr(slash + 1)));
}

void NetlistReader::ConnectDesignOutputs(const Json& module)
{
    for (const auto& [name, port] : Member(module, "ports").items()) {
        const std::vector<Bit> bits = BitsOf(Member(port, "bits"));
        const std::string direction = TextOf(port, "direction");
        if (direction == "input") {
            if (bits.size() == 1 && bits[0].net >= 0 && clock_inputs.count(bits[0].net))
                continue; // the clock makes no design port
            KVC::Port* input = database.AddDesignInput(name);
            input->width = static_cast<int>(bits.size());
            elaborated.ports.push_back({name, input->width, true});
            for (size_t i = 0; i < bits.size(); ++i)
                if (bits[i].net >= 0 && !drivers.count(bits[i].net))
                    drivers[bits[i].net] = Source{input, static_cast<int>(i), false};
        }
    }
    for (const auto& [name, port] : Member(module, "ports").items()) {
        if (TextOf(port, "direction") != "output")
            continue;
        const std::vector<Bit> bits = BitsOf(Member(port, "bits"));
        database.AddDesignOutput(name);
        elaborated.ports.push_back({name, static_cast<int>(bits.size()), false});
        Connect(*database.Top(), name, bits);
    }
}

bool NetlistReader::Read(const Json& module)
{
    elaborated.name = options.top;
    ReadNetNames(module);
    ReadDesignInputs(module);
    for (const auto& [name, cell] : Member(module, "cells").items()) {
        const std::string type = TextOf(cell, "type");
        const Json& connections = Member(cell, "connections");
        if (type == "$not" || type == "$_NOT_") {
            const std::vector<Bit> in = BitsOf(Member(connections, "A"));
            const std::vector<Bit> out = BitsOf(Member(connections, "Y"));
            for (size_t i = 0; i < out.size(); ++i)
                if (out[i].net >= 0)
                    inverters[out[i].net] = i < in.size() ? in[i] : Bit{-1, '0'};
            continue;
        }
        LibModule* library = map.GetModule(type);
        if (library == nullptr) {
            // Named after the nets it drives, when the designer named them.
            std::string shown;
            for (const auto& [port, bits] : connections.items())
                if (shown.empty() && (port == "Q" || port == "Y"))
                    shown = PublicNetName(BitsOf(bits));
            Refuse(type[0] == '$' ? RefusedConstruct(type, cell)
                                  : "module '" + type + "' is neither defined nor in the map",
                   cell, shown.empty() ? name : shown);
            continue;
        }
        cells.push_back(Cell{name, &cell, library, nullptr});
    }
    if (refused || !CheckClocks())
        return false;
    for (const auto& [net, name] : clock_inputs)
        elaborated.clocks.push_back(name);
    CreateNodes();
    ConnectDesignOutputs(module);
    ConnectInputs();
    for (Cell& cell : cells)
        if (cell.library->opcode == 100)
            DropUniformByteEnables(*cell.node);
    database.SetModule(elaborated);
    return !refused;
}

} // namespace

bool ReadYosysNetlist(const std::string& json_text, const YosysNetlistOptions& options, XmlMapSmc& map,
                      KVC::NetlistDB& database)
{
    Json netlist = Json::parse(json_text, nullptr, false);
    if (netlist.is_discarded() || !netlist.is_object() || !netlist.contains("modules")) {
        report(SEV_ERROR, "Cannot import '" + options.top + "': yosys wrote no readable netlist.");
        return false;
    }
    const Json& modules = netlist["modules"];
    if (!modules.contains(options.top)) {
        report(SEV_ERROR, "Cannot import '" + options.top + "': the netlist holds no module of that name.");
        return false;
    }
    NetlistReader reader(options, map, database);
    try {
        return reader.Read(modules[options.top]);
    } catch (const Json::exception& error) {
        report(SEV_ERROR,
               "Cannot import '" + options.top + "': the netlist yosys wrote is malformed (" + error.what() + ").");
        return false;
    }
}

} // namespace Parser
