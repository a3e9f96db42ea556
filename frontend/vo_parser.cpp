// VoParser: the working copy, the parse with its single fatal report, the multiple-clock
// warning and the internal-clock error, and the interface queries.
#include "frontend/vo_parser.h"

#include <cerrno>
#include <filesystem>

#include "base/messages.h"
#include "base/output_file.h"
#include "frontend/grammar_errors.h"
#include "frontend/parser_util.h"

namespace {

const char* const OUT_OF_RANGE_NAME = "***ERR***";

std::string BlankSeparated(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names) text += name + " ";
    return text;
}


}  // namespace

VoParser::VoParser(const std::string& netlist_path, const std::string& map_path, KVC::NetlistDB* database,
                   bool& ready)
    : netlist_path(netlist_path),
      working_copy_path(netlist_path + "dctr.vo"),
      second_temporary_path(netlist_path + "kvc.vo"),
      map_path(map_path),
      database(database)
{
    // A missing netlist still gives an (empty) working copy, so the parse reports that no
    // module was found. An unwritable directory must not pass for an empty netlist. The copy
    // is a new file of ours: when its name is taken (another loader's copy, a file left by an
    // interrupted run, a planted link) it goes under a name of its own beside it instead.
    bool copied = ParserUtil::CopyFile(netlist_path, working_copy_path);
    for (int attempt = 1; !copied && errno == EEXIST && attempt < 100; ++attempt) {
        const std::string alternative = netlist_path + "dctr." + std::to_string(attempt) + ".vo";
        if ((copied = ParserUtil::CopyFile(netlist_path, alternative)))
            working_copy_path = alternative;
    }
    if (!copied) {
        error_text = "Unable to write the working copy " + working_copy_path +
                     " of the netlist; check that its directory can be written";
        report(SEV_FATAL, error_text);
        return;
    }
    made_working_copy = true;
    RegisterTemporaryFile(working_copy_path);
    ready = true;
}

// Only the working copy is removed: it is the one file this loader made. Whatever else bears
// a temporary name (the second one included) was not made here and stays.
VoParser::~VoParser()
{
    parser.reset();
    tokenizer.reset();  // closes the working copy before it is removed
    if (made_working_copy) {
        std::error_code ignored;
        std::filesystem::remove(working_copy_path, ignored);
        ForgetTemporaryFile(working_copy_path);
    }
}

int VoParser::Parse()
{
    inputs.clear();
    outputs.clear();
    tokenizer = std::make_unique<Parser::Tokenizer>(working_copy_path);
    parser = std::make_unique<Parser::NetlistParser>(*database, map_path);
    try {
        parser->ParseDesign(*tokenizer);
    } catch (const Parser::GrammarParserError& error) {
        error_text = error.what();
        error_line = error.line;
        report(SEV_FATAL, error_text);
        return 0;
    }
    error_text = "0";
    error_line = -1;
    for (const Parser::IoDecl& decl : parser->IoList()) (decl.isInput ? inputs : outputs).push_back(&decl);

    const std::string& module = parser->ModuleName();
    const size_t clocks = parser->Clocks().size();
    if (clocks > 1) {
        report(SEV_WARNING, "'" + module + "'" + " is a multiple (" + std::to_string(clocks) +
                                ") clock system, but will be simulated as a single clock system.\n" + module +
                                " clocks:\n\t" + ClockList() + "\n");
    }
    const size_t internal = parser->InternalClocks().size();
    if (internal > 0) {
        report(SEV_ERROR, "'" + module + "' includes " + std::to_string(internal) +
                              " internally derived clock signal" + (internal > 1 ? "s" : "") +
                              ".\nIt will be simulated as a single clock system, so may not give correct "
                              "simulation results.\n" +
                              module + " intenal clocks:\n\t" + InternalClockList());
    }
    return 1;
}

std::string VoParser::ModuleName() const { return parser ? parser->ModuleName() : std::string(); }

std::string VoParser::InputName(int index) const
{
    return index >= 0 && index < InputCount() ? inputs[index]->name : OUT_OF_RANGE_NAME;
}

std::string VoParser::OutputName(int index) const
{
    return index >= 0 && index < OutputCount() ? outputs[index]->name : OUT_OF_RANGE_NAME;
}

int VoParser::InputWidth(int index) const
{
    return index >= 0 && index < InputCount() ? inputs[index]->msb - inputs[index]->lsb + 1 : 0;
}

int VoParser::OutputWidth(int index) const
{
    return index >= 0 && index < OutputCount() ? outputs[index]->msb - outputs[index]->lsb + 1 : 0;
}

int VoParser::ClockCount() const { return parser ? static_cast<int>(parser->Clocks().size()) : 0; }

std::string VoParser::ClockList() const { return parser ? BlankSeparated(parser->Clocks()) : std::string(); }

std::string VoParser::InternalClockList() const
{
    return parser ? BlankSeparated(parser->InternalClocks()) : std::string();
}

std::string VoParser::FirstClock() const
{
    return parser && !parser->Clocks().empty() ? parser->Clocks().front() : std::string();
}
