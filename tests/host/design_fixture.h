// A scratch copy of the gateway tests' design, imported (which writes its SimDB file) so
// that a gateway can load it; and a console capture for the flushed messages.
#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "base/messages.h"
#include "sim/import.h"

class ImportedDesign {
public:
    // Copies data/<name>.vo and the map into a fresh directory and imports them there.
    explicit ImportedDesign(const std::string& name, const std::string& map = "widepath_map.xml")
    {
        static std::atomic<int> counter{0};
        directory_ = std::filesystem::temp_directory_path() /
                     ("blocktide_host_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::remove_all(directory_);
        std::filesystem::create_directories(directory_);
        const std::filesystem::path data = std::filesystem::path(BLOCKTIDE_TEST_DATA) / "data";
        std::filesystem::copy_file(data / (name + ".vo"), directory_ / (name + ".vo"));
        std::filesystem::copy_file(data / map, directory_ / map);
        netlist_ = (directory_ / (name + ".vo")).string();
        map_ = (directory_ / map).string();
        imported_ = Sim::ImportDesign(netlist_, map_).success;
    }
    ~ImportedDesign()
    {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
    ImportedDesign(const ImportedDesign&) = delete;
    ImportedDesign& operator=(const ImportedDesign&) = delete;

    bool imported() const { return imported_; }
    const std::string& netlist() const { return netlist_; }
    const std::string& map() const { return map_; }
    std::string directory() const { return directory_.string(); }

private:
    std::filesystem::path directory_;
    std::string netlist_;
    std::string map_;
    bool imported_ = false;
};

// Collects everything the message flush prints while it lives.
class ConsoleCapture {
public:
    ConsoleCapture()
    {
        set_console_sink([this](const std::string& text) { text_ += text; });
    }
    ~ConsoleCapture() { set_console_sink({}); }
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    const std::string& text() const { return text_; }
    bool contains(const std::string& piece) const { return text_.find(piece) != std::string::npos; }
    void clear() { text_.clear(); }

private:
    std::string text_;
};
