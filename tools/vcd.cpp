// VCD output: header, identifier codes and value changes.
#include "tools/vcd.h"

namespace blocktide_cli {

namespace {

// Identifier codes from the printable range '!'..'~', as short as possible.
std::string IdentifierCode(int index)
{
    std::string code;
    do {
        code += static_cast<char>('!' + index % 94);
        index /= 94;
    } while (index > 0);
    return code;
}

std::string WithoutBlanks(std::string name)
{
    for (char& c : name)
        if (c == ' ' || c == '\t')
            c = '_';
    return name.empty() ? std::string("_") : name;
}

}  // namespace

VcdWriter::~VcdWriter() { Close(); }

int VcdWriter::AddSignal(const std::string& name, int width)
{
    int index = static_cast<int>(signals.size());
    signals.push_back(Signal{WithoutBlanks(name), width < 1 ? 1 : width, IdentifierCode(index), {}});
    return index;
}

bool VcdWriter::Open(const std::string& path, const std::string& scope, std::string& error)
{
    file = std::fopen(path.c_str(), "w");
    if (!file) {
        error = "cannot write the waveform file " + path;
        return false;
    }
    std::fprintf(file, "$version Blocktide $end\n$timescale 1ns $end\n$scope module %s $end\n",
                 WithoutBlanks(scope).c_str());
    for (const Signal& signal : signals)
        std::fprintf(file, "$var wire %d %s %s $end\n", signal.width, signal.code.c_str(), signal.name.c_str());
    std::fprintf(file, "$upscope $end\n$enddefinitions $end\n");
    return true;
}

std::string VcdWriter::ValueText(const blocktide::Value& value, int width)
{
    std::string text(static_cast<size_t>(width), '0');
    for (int pos = 0; pos < width; ++pos) {
        char c = '0';
        if (pos < value.width()) {
            const size_t word = static_cast<size_t>(pos / 64);
            const uint64_t select = uint64_t{1} << (pos % 64);
            if (value.undefined_mask()[word] & select)
                c = 'x';
            else if (value.high_z())
                c = 'z';
            else if (value.words()[word] & select)
                c = '1';
        }
        text[static_cast<size_t>(width - 1 - pos)] = c;
    }
    return text;
}

void VcdWriter::Sample(long long cycle, const std::vector<blocktide::Value>& values)
{
    if (!file)
        return;
    bool stamped = false;
    for (size_t i = 0; i < signals.size() && i < values.size(); ++i) {
        Signal& signal = signals[i];
        std::string text = ValueText(values[i], signal.width);
        if (text == signal.last)
            continue;
        if (!stamped) {
            std::fprintf(file, "#%lld\n", cycle);
            stamped = true;
        }
        if (signal.width == 1)
            std::fprintf(file, "%s%s\n", text.c_str(), signal.code.c_str());
        else
            std::fprintf(file, "b%s %s\n", text.c_str(), signal.code.c_str());
        signal.last = std::move(text);
    }
}

bool VcdWriter::Close()
{
    if (!file)
        return true;
    bool ok = std::ferror(file) == 0;
    ok = std::fclose(file) == 0 && ok;
    file = nullptr;
    return ok;
}

}  // namespace blocktide_cli
