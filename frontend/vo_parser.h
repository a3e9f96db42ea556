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
    int InputCount() const { return static_cast<int>(inputs_.size()); }
    int OutputCount() const { return static_cast<int>(outputs_.size()); }
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
    const std::string& ErrorText() const { return errorText_; }
    // Netlist line of the grammar error that failed the parse; -1 when unknown.
    int ErrorLine() const { return errorLine_; }

    const std::string& WorkingCopyPath() const { return workingCopyPath_; }
    const std::string& SecondTemporaryPath() const { return secondTemporaryPath_; }

private:
    std::string netlistPath_;
    std::string workingCopyPath_;      // netlist path + "dctr.vo"; what the tokenizer reads
    std::string secondTemporaryPath_;  // netlist path + "kvc.vo"; only removed
    std::string mapPath_;
    KVC::NetlistDB* database_;         // the session's; not owned
    std::unique_ptr<Parser::Tokenizer> tokenizer_;
    std::unique_ptr<Parser::NetlistParser> parser_;
    std::vector<const Parser::IoDecl*> inputs_;   // design inputs after a successful parse; owned by parser_
    std::vector<const Parser::IoDecl*> outputs_;  // design outputs likewise
    std::string errorText_ = "0";
    int errorLine_ = -1;
};
