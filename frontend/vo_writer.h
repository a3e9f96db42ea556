// Writing a netlist database as a netlist in the importer's dialect, with the XML map it
// needs beside it: importing the two gives the same database (and the same SimDB bytes).
// Every connection is written with explicit ranges, so no dialect rule bites.
#pragma once

#include <string>

class XmlMapSmc;

namespace KVC {
class NetlistDB;
}

namespace Parser {

// Writes the netlist to vo_path and a copy of the map file (map_path) to vo_path with its
// extension replaced by ".xml"; false (reported at SEV_ERROR) when a file cannot be written
// or a node has no module in the map.
bool WriteVoNetlist(const KVC::NetlistDB& database, XmlMapSmc& map, const std::string& map_path,
                    const std::string& vo_path);

// The map's path beside a netlist written by WriteVoNetlist.
std::string MapPathBeside(const std::string& vo_path);

} // namespace Parser
