// XmlMapSmc's line reader and LibModule's lookups. The reader classifies each line by the
// first fixed text it contains; section flags persist across module boundaries on purpose,
// since existing map files rely on that.
#include "frontend/xml_map.h"

#include <cstdio>

#include "frontend/parser_util.h"
#include "base/messages.h"

namespace {

constexpr const char* DELIMITERS = " \t\r\n";

bool Contains(const std::string& line, const char* text) { return line.find(text) != std::string::npos; }

// The value of the next blank-separated token of rest.
std::string NextValue(std::string& rest) { return ParserUtil::StripQuotes(ParserUtil::NextToken(rest, DELIMITERS)); }

std::unique_ptr<LibModule> ReadModuleLine(std::string rest)
{
    auto module = std::make_unique<LibModule>();
    ParserUtil::NextToken(rest, DELIMITERS);
    module->name = NextValue(rest);
    module->opcode = ParserUtil::ToInteger(NextValue(rest));
    return module;
}

void ReadPortLine(const std::string& line, LibModule& module)
{
    std::string rest = line;
    LibPort port;
    port.isClock = Contains(ParserUtil::NextToken(rest, DELIMITERS), "<ClkPort");
    port.netName = NextValue(rest);
    port.simName = NextValue(rest);
    port.number1 = ParserUtil::ToInteger(NextValue(rest));
    NextValue(rest);
    port.number2 = ParserUtil::ToInteger(NextValue(rest));
    if (Contains(line, "<InpPort "))
        module.inputs.push_back(std::move(port));
    else if (Contains(line, "<OutPort "))
        module.outputs.push_back(std::move(port));
    else
        module.inputs.push_back(std::move(port));
}

void ReadParamLine(std::string rest, LibModule& module)
{
    ParserUtil::NextToken(rest, DELIMITERS);
    std::string net_name = NextValue(rest);
    std::string sim_name = NextValue(rest);
    bool is_string = NextValue(rest) == "string";
    module.param_names[net_name] = sim_name;
    module.param_types[net_name] = is_string;
}

// Reads one line without its line feed into line. Answers false at the end of the file or
// when the line is longer than XmlMapSmc::kMaxLine.
bool ReadLine(std::FILE* file, std::string& line)
{
    line.clear();
    int c;
    while ((c = std::fgetc(file)) != EOF && c != '\n') {
        if (line.size() == XmlMapSmc::kMaxLine) return false;
        line.push_back(static_cast<char>(c));
    }
    return c != EOF || !line.empty();
}

}  // namespace

bool LibModule::IsInputPort(const std::string& name) const
{
    for (const LibPort& port : inputs)
        if (port.netName == name) return true;
    return false;
}

bool LibModule::IsClockPort(const std::string& name) const
{
    for (auto port = inputs.rbegin(); port != inputs.rend(); ++port)
        if (port->netName == name) return port->isClock;
    return false;
}

bool LibModule::IsOutputPort(const std::string& name) const
{
    for (const LibPort& port : outputs)
        if (port.netName == name) return true;
    return false;
}

std::string LibModule::MapInputPort(const std::string& name) const
{
    for (const LibPort& port : inputs)
        if (port.netName == name) return port.simName;
    return {};
}

std::string LibModule::MapOutputPort(const std::string& name) const
{
    for (const LibPort& port : outputs)
        if (port.netName == name) return port.simName;
    return {};
}

std::string LibModule::MapParam(const std::string& name) { return param_names[name]; }

void LibModule::DumpParamNames() const
{
    std::string text = "PARAM NAME LIST:\n";
    for (const auto& [net_name, sim_name] : param_names) text += " '" + net_name + "' -> '" + sim_name + "'\n";
    console_print(text);
}

LibModule* XmlMapSmc::GetModule(const std::string& name) const
{
    auto found = modules.find(name);
    return found == modules.end() ? nullptr : found->second.get();
}

int XmlMapSmc::Load()
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        report(SEV_ERROR, "Unable to open " + path);
        return -1;
    }
    std::unique_ptr<LibModule> current;  // the module being read; moved into the map by </Module>
    bool inside_module = false;
    bool parameter_section = false;  // not reset between modules
    bool port_section = false;       // not reset between modules
    std::string line;
    line.reserve(kMaxLine + 1);
    while (ReadLine(file, line)) {
        if (line.empty()) continue;
        if (Contains(line, "</Module>")) {
            if (current) {
                std::string name = current->name;
                modules[name] = std::move(current);
            }
            inside_module = false;
        } else if (Contains(line, "<Module VName")) {
            current = ReadModuleLine(line);
            inside_module = true;
        } else if (!inside_module) {
            continue;
        } else if (Contains(line, "</ParameterSection>")) {
            parameter_section = false;
        } else if (Contains(line, "<ParameterSection n_Parameters=") &&
                   !Contains(line, "<ParameterSection n_Parameters=\"0\"")) {
            parameter_section = true;
        } else if (Contains(line, "</PortSection>")) {
            port_section = false;
        } else if (Contains(line, "<PortSection")) {
            port_section = true;
        } else if (parameter_section && Contains(line, "<Param ")) {
            ReadParamLine(line, *current);
        } else if (port_section &&
                   (Contains(line, "<InpPort ") || Contains(line, "<OutPort ") || Contains(line, "<ClkPort "))) {
            ReadPortLine(line, *current);
        }
    }
    std::fclose(file);
    if (modules.empty()) {
        report(SEV_ERROR, "Incorrect KelvornC XML Mapping file format : " + path);
        return -1;
    }
    return 1;
}
