// VoParser: the working copy, the parse with its single fatal report, the multiple-clock
// warning and the internal-clock error, and the interface queries.
#include "frontend/vo_parser.h"

#include <filesystem>

#include "frontend/grammar_errors.h"
#include "frontend/parser_util.h"
#include "base/messages.h"

namespace {

const char* const OUT_OF_RANGE_NAME = "***ERR***";

std::string BlankSeparated(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names) text += name + " ";
    return text;
}

// Removes a file if there is one; never a directory that happens to bear the name.
void RemoveTemporaryFile(const std::string& path)
{
    std::error_code ignored;
    if (!std::filesystem::is_directory(path, ignored)) std::filesystem::remove(path, ignored);
}

}  // namespace

VoParser::VoParser(const std::string& netlist_path, const std::string& map_path, KVC::NetlistDB* database,
                   bool& ready)
    : netlistPath_(netlist_path),
      workingCopyPath_(netlist_path + "dctr.vo"),
      secondTemporaryPath_(netlist_path + "kvc.vo"),
      mapPath_(map_path),
      database_(database)
{
    // A missing netlist still gives an (empty) working copy, so the parse reports that no
    // module was found. An unwritable directory must not pass for an empty netlist.
    if (!ParserUtil::CopyFile(netlistPath_, workingCopyPath_)) {
        errorText_ = "Unable to write the working copy " + workingCopyPath_ +
                     " of the netlist; check that its directory can be written";
        report(SEV_FATAL, errorText_);
        return;
    }
    ready = true;
}

VoParser::~VoParser()
{
    parser_.reset();
    tokenizer_.reset();  // closes the working copy before it is removed
    RemoveTemporaryFile(workingCopyPath_);
    RemoveTemporaryFile(secondTemporaryPath_);
}

int VoParser::Parse()
{
    inputs_.clear();
    outputs_.clear();
    tokenizer_ = std::make_unique<Parser::Tokenizer>(workingCopyPath_);
    parser_ = std::make_unique<Parser::NetlistParser>(*database_, mapPath_);
    try {
        parser_->ParseDesign(*tokenizer_);
    } catch (const Parser::GrammarParserError& error) {
        errorText_ = error.what();
        errorLine_ = error.line;
        report(SEV_FATAL, errorText_);
        return 0;
    }
    errorText_ = "0";
    errorLine_ = -1;
    for (const Parser::IoDecl& decl : parser_->IoList()) (decl.isInput ? inputs_ : outputs_).push_back(&decl);

    const std::string& module = parser_->ModuleName();
    const size_t clocks = parser_->Clocks().size();
    if (clocks > 1) {
        report(SEV_WARNING, "'" + module + "'" + " is a multiple (" + std::to_string(clocks) +
                                ") clock system, but will be simulated as a single clock system.\n" + module +
                                " clocks:\n\t" + ClockList() + "\n");
    }
    const size_t internal = parser_->InternalClocks().size();
    if (internal > 0) {
        report(SEV_ERROR, "'" + module + "' includes " + std::to_string(internal) +
                              " internally derived clock signal" + (internal > 1 ? "s" : "") +
                              ".\nIt will be simulated as a single clock system, so may not give correct "
                              "simulation results.\n" +
                              module + " intenal clocks:\n\t" + InternalClockList());
    }
    return 1;
}

std::string VoParser::ModuleName() const { return parser_ ? parser_->ModuleName() : std::string(); }

std::string VoParser::InputName(int index) const
{
    return index >= 0 && index < InputCount() ? inputs_[index]->name : OUT_OF_RANGE_NAME;
}

std::string VoParser::OutputName(int index) const
{
    return index >= 0 && index < OutputCount() ? outputs_[index]->name : OUT_OF_RANGE_NAME;
}

int VoParser::InputWidth(int index) const
{
    return index >= 0 && index < InputCount() ? inputs_[index]->msb - inputs_[index]->lsb + 1 : 0;
}

int VoParser::OutputWidth(int index) const
{
    return index >= 0 && index < OutputCount() ? outputs_[index]->msb - outputs_[index]->lsb + 1 : 0;
}

int VoParser::ClockCount() const { return parser_ ? static_cast<int>(parser_->Clocks().size()) : 0; }

std::string VoParser::ClockList() const { return parser_ ? BlankSeparated(parser_->Clocks()) : std::string(); }

std::string VoParser::InternalClockList() const
{
    return parser_ ? BlankSeparated(parser_->InternalClocks()) : std::string();
}

std::string VoParser::FirstClock() const
{
    return parser_ && !parser_->Clocks().empty() ? parser_->Clocks().front() : std::string();
}
