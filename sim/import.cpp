// The import: working copy, parse, first flush, save, second flush. An existing SimDB file is
// replaced only by a successful import.
#include "sim/import.h"

#include "base/messages.h"
#include "frontend/verilog_import.h"
#include "frontend/vo_parser.h"
#include "frontend/vo_writer.h"
#include "frontend/xml_map.h"
#include "netlistdb/netlist_db.h"
#include "sim/design_path.h"

namespace Sim {

ImportResult ImportDesign(const std::string& netlist_path, const std::string& map_path)
{
    ImportResult result;
    const std::string label = SplitDesignPath(netlist_path).top_level_name;
    KVC::NetlistDB database;
    bool ready = false;
    VoParser loader(netlist_path, map_path, &database, ready);
    const bool parsed = ready && loader.Parse() == 1;
    flush_messages(0, label, result.error_seen);
    if (parsed) {
        database.Save(netlist_path + ".simdb");
        result.ports = ReadDesignPorts(database);
    }
    flush_messages(0, label, result.error_seen);
    result.success = parsed;
    return result;
}

bool ReadModule(const std::string& netlist_path, const std::string& map_path, KVC::ElaboratedModule& module)
{
    const std::string label = SplitDesignPath(netlist_path).top_level_name;
    bool error_seen = false;
    KVC::NetlistDB database;
    bool ready = false;
    VoParser loader(netlist_path, map_path, &database, ready);
    const bool parsed = ready && loader.Parse() == 1;
    flush_messages(0, label, error_seen);
    if (parsed)
        module = database.Module();
    return parsed;
}

ImportResult ImportVerilogDesign(const VerilogImport& request)
{
    ImportResult result;
    const std::string first = request.sources.empty() ? std::string() : request.sources.front();
    const std::string label = SplitDesignPath(first).top_level_name;
    KVC::NetlistDB database;
    XmlMapSmc map(request.map_path);
    bool read = map.Load() == 1;
    if (read) {
        Parser::VerilogSources sources{request.sources, request.top, request.maps_directory, first};
        read = Parser::ImportVerilog(sources, map, database);
    }
    flush_messages(0, label, result.error_seen);
    if (read) {
        database.Save(first + ".simdb");
        result.ports = ReadDesignPorts(database);
        if (!request.write_vo.empty())
            Parser::WriteVoNetlist(database, map, request.map_path, request.write_vo);
    }
    flush_messages(0, label, result.error_seen);
    result.success = read;
    return result;
}

}  // namespace Sim
