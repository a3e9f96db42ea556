// libFuzzer target: the tokenizer, the grammar and elaboration over arbitrary netlist bytes,
// with a fixed small map. Any input must end in a parsed design or one grammar error.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "frontend/grammar_errors.h"
#include "frontend/netlist_parser.h"
#include "frontend/tokenizer.h"
#include "base/messages.h"
#include "netlistdb/netlist_db.h"

namespace {

const char* const MAP_TEXT =
    "<Module VName=\"and2\" 12>\n<PortSection>\n<InpPort n=\"dataa\" s=\"a\" w=\"1\" d e=\"0\"/>\n"
    "<InpPort n=\"datab\" s=\"b\" w=\"1\" d e=\"0\"/>\n<OutPort n=\"result\" s=\"q\" w=\"1\" d e=\"0\"/>\n"
    "</PortSection>\n</Module>\n"
    "<Module VName=\"dff\" 40>\n<PortSection>\n<InpPort n=\"d\" s=\"data\" w=\"8\" d e=\"0\"/>\n"
    "<ClkPort n=\"clk\" s=\"clock\" w=\"1\" d e=\"0\"/>\n<OutPort n=\"q\" s=\"result\" w=\"8\" d e=\"0\"/>\n"
    "</PortSection>\n<ParameterSection n_Parameters=\"2\">\n<Param n=\"lpm_width\" s=\"width\" t=\"int\" d=\"8\"/>\n"
    "<Param n=\"init_file\" s=\"file\" t=\"string\" d=\"x\"/>\n</ParameterSection>\n</Module>\n"
    "<Module VName=\"loop\" 7>\n<PortSection>\n<InpPort n=\"d\" s=\"x\" w=\"1\" d e=\"0\"/>\n"
    "<OutPort n=\"q\" s=\"x\" w=\"1\" d e=\"0\"/>\n</PortSection>\n</Module>\n";

std::string ScratchPath(const char* suffix)
{
    return "/tmp/blocktide_netlist_fuzz_" + std::to_string(::getpid()) + suffix;
}

void WriteFile(const std::string& path, const void* data, size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string map_path = [] {
        std::string path = ScratchPath(".xml");
        WriteFile(path, MAP_TEXT, std::char_traits<char>::length(MAP_TEXT));
        set_console_sink([](const std::string&) {});
        return path;
    }();
    static const std::string netlist_path = ScratchPath(".vo");
    WriteFile(netlist_path, data, size);

    KVC::NetlistDB db;
    Parser::Tokenizer tokenizer(netlist_path);
    Parser::NetlistParser parser(db, map_path);
    try {
        parser.ParseDesign(tokenizer);
    } catch (const Parser::GrammarParserError& error) {
        if (error.what()[0] == '\0') std::abort();  // every failure carries a message
    }
    clear_messages();
    return 0;
}
