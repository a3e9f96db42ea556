// Writing a netlist database as a SimDB file.
#include "netlistdb/netlist_db.h"
#include "netlistdb/simdb_io.h"

namespace KVC {

void Port::Save(SimDBWriter&, std::vector<const Slice*>&) const {}
void Input::Save(SimDBWriter&, std::vector<const Slice*>&) const {}
void NetlistDB::Save(const std::string&) const {}

}  // namespace KVC
