// The import: working copy, parse, first flush, save, second flush. An existing SimDB file is
// replaced only by a successful import.
#include "sim/import.h"

#include "base/messages.h"
#include "frontend/vo_parser.h"
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

} // namespace Sim
