// The netlist writer: the module header and its I/O (clock inputs included), a wire per node
// output, an instance per node with its connections as concatenations of slices (highest
// bits first) and its parameters in one defparam, then an assignment per design output.
#include "frontend/vo_writer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "base/messages.h"
#include "frontend/xml_map.h"
#include "netlistdb/netlist_db.h"

namespace Parser {

namespace {

std::string Range(int high, int low)
{
    return "[" + std::to_string(high) + ":" + std::to_string(low) + "]";
}

class VoWriter {
public:
    VoWriter(const KVC::NetlistDB& database, XmlMapSmc& map) : database(database), map(map) {}
    bool Write(std::ostream& out);

private:
    // The text of an input's slices as a concatenation, highest bits first.
    std::string Expression(const KVC::Input& input);
    std::string Term(const KVC::Slice& slice);
    const LibModule* ModuleOf(const KVC::Node& node) const;

    const KVC::NetlistDB& database;
    XmlMapSmc& map;
    std::map<const KVC::Port*, std::string> wire_of; // node output -> its wire
    std::map<int, const LibModule*> module_of_code;  // operator code -> the map's module
};

const LibModule* VoWriter::ModuleOf(const KVC::Node& node) const
{
    auto found = module_of_code.find(node.operatorCode);
    return found == module_of_code.end() ? nullptr : found->second;
}

std::string VoWriter::Term(const KVC::Slice& slice)
{
    const KVC::Port* source = slice.source;
    if (source == database.ZeroPort() || source == database.OnePort()) {
        const bool one = (source == database.OnePort()) != slice.inverted;
        return std::to_string(slice.width) + (one ? "'b1" : "'b0");
    }
    const std::string name = source->owner == database.Top() ? source->name : wire_of[source];
    return (slice.inverted ? "~" : "") + name + Range(slice.srcLow + slice.width - 1, slice.srcLow);
}

std::string VoWriter::Expression(const KVC::Input& input)
{
    std::vector<const KVC::Slice*> slices;
    for (const auto& slice : input.slices)
        slices.push_back(slice.get());
    std::sort(slices.begin(), slices.end(),
              [](const KVC::Slice* a, const KVC::Slice* b) { return a->dstLow > b->dstLow; });
    std::string terms;
    int next_high = input.width; // the bit above the ones written so far
    for (const KVC::Slice* slice : slices) {
        const int top = slice->dstLow + slice->width;
        if (top < next_high) // bits no slice drives read 0
            terms += (terms.empty() ? "" : ", ") + std::to_string(next_high - top) + "'b0";
        terms += (terms.empty() ? "" : ", ") + Term(*slice);
        next_high = slice->dstLow;
    }
    if (next_high > 0)
        terms += (terms.empty() ? "" : ", ") + std::to_string(next_high) + "'b0";
    return slices.size() == 1 && next_high == 0 && terms.find(',') == std::string::npos ? terms : "{" + terms + "}";
}

bool VoWriter::Write(std::ostream& out)
{
    map.ForEachModule([&](LibModule& module) {
        // Of the modules of one code, a bt_ one, then the first by name: the same every time.
        const LibModule*& entry = module_of_code[module.opcode];
        const bool ours = module.name.rfind("bt_", 0) == 0;
        if (entry == nullptr || ours != (entry->name.rfind("bt_", 0) == 0) ? entry == nullptr || ours
                                                                           : module.name < entry->name)
            entry = &module;
    });
    const KVC::ElaboratedModule& module = database.Module();
    std::set<std::string> taken;
    std::vector<std::string> header;
    for (const auto& port : module.ports) {
        header.push_back(port.name);
        taken.insert(port.name);
    }
    for (const std::string& clock : module.clocks) {
        header.push_back(clock);
        taken.insert(clock);
    }
    bool ok = true;
    database.ForEachNode([&](KVC::Node& node) {
        if (ModuleOf(node) == nullptr) {
            report(SEV_ERROR, "Cannot write node '" + node.name + "': the map has no module of operator code " +
                                  std::to_string(node.operatorCode) + ".");
            ok = false;
        }
        node.ForEachPort([&](KVC::Port& port) {
            if (port.AsInput() != nullptr)
                return;
            std::string name = node.name + "_" + port.name;
            for (int n = 2; taken.count(name); ++n)
                name = node.name + "_" + port.name + "_" + std::to_string(n);
            taken.insert(name);
            wire_of[&port] = name;
        });
    });
    if (!ok)
        return false;

    out << "// " << (module.name.empty() ? "design" : module.name)
        << " as imported by Blocktide: every connection with its range.\n";
    out << "module " << (module.name.empty() ? "design" : module.name) << " (";
    for (size_t i = 0; i < header.size(); ++i)
        out << (i ? ", " : "") << header[i];
    out << ");\n";
    for (const auto& port : module.ports)
        out << (port.is_input ? "input " : "output ") << (port.width > 1 ? Range(port.width - 1, 0) + " " : "")
            << port.name << ";\n";
    for (const std::string& clock : module.clocks)
        out << "input " << clock << ";\n";
    for (const auto& [port, name] : wire_of)
        out << "wire " << Range(port->width - 1, 0) << " " << name << ";\n";

    database.ForEachNode([&](KVC::Node& node) {
        const LibModule& library = *ModuleOf(node);
        std::vector<std::string> connections;
        for (const LibPort& port : library.inputs)
            if (port.isClock && !module.clocks.empty())
                connections.push_back("." + port.netName + "(" + module.clocks.front() + ")");
        node.ForEachPort([&](KVC::Port& port) {
            const std::vector<LibPort>& ports = port.AsInput() ? library.inputs : library.outputs;
            auto net = std::find_if(ports.begin(), ports.end(),
                                    [&](const LibPort& p) { return p.simName == port.name && !p.isClock; });
            const std::string net_name = net == ports.end() ? port.name : net->netName;
            if (const KVC::Input* input = port.AsInput())
                connections.push_back("." + net_name + "(" + Expression(*input) + ")");
            else
                connections.push_back("." + net_name + "(" + wire_of[&port] + Range(port.width - 1, 0) + ")");
        });
        out << library.name << " " << node.name << " (";
        for (size_t i = 0; i < connections.size(); ++i)
            out << (i ? ", " : "") << connections[i];
        out << ");\n";
        std::vector<std::string> settings;
        node.ForEachParam([&](const KVC::Param& param) {
            // The netlist name of the simulator's: the same name when the map has it, else the
            // first by name.
            std::string netlist_name;
            for (const auto& [netlist, sim] : library.param_names)
                if (sim == param.name && netlist_name != param.name &&
                    (netlist == param.name || netlist_name.empty() || netlist < netlist_name))
                    netlist_name = netlist;
            if (netlist_name.empty())
                netlist_name = param.name;
            const std::string value =
                param.value.text().empty() ? std::to_string(param.value.integer()) : "\"" + param.value.text() + "\"";
            settings.push_back(node.name + "." + netlist_name + " = " + value);
        });
        if (!settings.empty()) {
            out << "defparam";
            for (size_t i = 0; i < settings.size(); ++i)
                out << (i ? ",\n    " : " ") << settings[i];
            out << ";\n";
        }
    });
    database.Top()->ForEachPort([&](KVC::Port& port) {
        if (const KVC::Input* output = port.AsInput())
            out << "assign " << port.name << " = " << Expression(*output) << ";\n";
    });
    out << "endmodule\n";
    return true;
}

} // namespace

std::string MapPathBeside(const std::string& vo_path)
{
    return std::filesystem::path(vo_path).replace_extension(".xml").string();
}

bool WriteVoNetlist(const KVC::NetlistDB& database, XmlMapSmc& map, const std::string& map_path,
                    const std::string& vo_path)
{
    std::ostringstream text;
    if (!VoWriter(database, map).Write(text))
        return false;
    std::ofstream out(vo_path);
    out << text.str();
    const std::string map_copy = MapPathBeside(vo_path);
    std::error_code error;
    if (std::filesystem::absolute(map_copy, error) != std::filesystem::absolute(map_path, error))
        std::filesystem::copy_file(map_path, map_copy, std::filesystem::copy_options::overwrite_existing, error);
    if (!out || error) {
        report(SEV_ERROR, "Cannot write the netlist " + vo_path + " or its map " + map_copy + ".");
        return false;
    }
    return true;
}

} // namespace Parser
