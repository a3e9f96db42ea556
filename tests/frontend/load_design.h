// Loads a netlist through VoParser into a fresh database, the way the session's import does,
// from a scratch copy so that the loader's temporary files never land beside the test data.
#pragma once

#include <memory>
#include <string>

#include "frontend/vo_parser.h"
#include "base/messages.h"
#include "netlistdb/netlist_db.h"
#include "scratch_dir.h"

struct LoadedDesign {
    ScratchDir dir;
    KVC::NetlistDB db;
    std::unique_ptr<VoParser> loader;
    bool ready = false;
    int parsed = 0;
};

// Parses netlist text with the map at map_path (the sample map by default). The message
// store is emptied first, so pending_messages() afterwards holds only this load's reports.
inline std::unique_ptr<LoadedDesign> LoadText(const std::string& netlist,
                                              const std::string& map_path = DataPath("basic_map.xml"))
{
    clear_messages();
    auto design = std::make_unique<LoadedDesign>();
    std::string path = design->dir.Write("design.vo", netlist);
    design->loader = std::make_unique<VoParser>(path, map_path, &design->db, design->ready);
    if (design->ready) design->parsed = design->loader->Parse();
    return design;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::unique_ptr<LoadedDesign> LoadFile(const std::string& data_name,
                                              const std::string& map_path = DataPath("basic_map.xml"))
{
    return LoadText(ReadFile(DataPath(data_name)), map_path);
}
