// VoParser: the netlist loader. Makes a working copy of the netlist beside it, parses it
// with its XML map into a netlist database, reports the outcome and the clock warnings, and
// then answers questions about the design's interface. Removes its temporary files when
// destroyed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "frontend/netlist_parser.h"
#include "frontend/tokenizer.h"

namespace KVC {
class NetlistDB;
}

class VoParser {
public:
    // Copies the netlist to its working copy and sets ready. When the working copy cannot be
    // written, reports that at SEV_FATAL, keeps the text in ErrorText and leaves ready unset.
    VoParser(const std::string& netlist_path, const std::string& map_path, KVC::NetlistDB* database, bool& ready);
    ~VoParser();
    VoParser(const VoParser&) = delete;
    VoParser& operator=(const VoParser&) = delete;

    // Parses the working copy into the database: 1 on success, 0 on failure (reported).
    int Parse();

    // The design's interface, valid after a successful Parse. Inputs and outputs are in
    // header order and exclude clock inputs.
    std::string ModuleName() const;
    int InputCount() const { return static_cast<int>(inputs.size()); }
    int OutputCount() const { return static_cast<int>(outputs.size()); }
    // "***ERR***" when index is out of range.
    std::string InputName(int index) const;
    std::string OutputName(int index) const;
    // 0 when index is out of range.
    int InputWidth(int index) const;
    int OutputWidth(int index) const;
    int ClockCount() const;
    // Each clock name followed by one blank; "" when there are none.
    std::string ClockList() const;
    std::string InternalClockList() const;
    std::string FirstClock() const;
    // "0" until a parse fails, then the failure text.
    const std::string& ErrorText() const { return error_text; }
    // Netlist line of the grammar error that failed the parse; -1 when unknown.
    int ErrorLine() const { return error_line; }

    const std::string& WorkingCopyPath() const { return working_copy_path; }
    const std::string& SecondTemporaryPath() const { return second_temporary_path; }

private:
    std::string netlist_path;
    std::string working_copy_path;      // netlist path + "dctr.vo" (or a free name beside it); read by the tokenizer
    std::string second_temporary_path;  // netlist path + "kvc.vo"; named, never made nor removed
    std::string map_path;
    KVC::NetlistDB* database;         // the session's; not owned
    std::unique_ptr<Parser::Tokenizer> tokenizer;
    std::unique_ptr<Parser::NetlistParser> parser;
    std::vector<const Parser::IoDecl*> inputs;   // design inputs after a successful parse; owned by parser
    std::vector<const Parser::IoDecl*> outputs;  // design outputs likewise
    std::string error_text = "0";
    bool made_working_copy = false;  // the working copy is a file this loader created
    int error_line = -1;
};
