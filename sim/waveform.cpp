// VCD output: scopes from the signals' hierarchy, identifier codes, change-only samples.
#include "sim/waveform.h"

#include <map>
#include <memory>

#include "engine/port.h"

namespace Sim {

namespace {

// Identifier codes from the printable range '!'..'~', as short as possible.
std::string IdentifierCode(size_t index)
{
    std::string code;
    do {
        code += static_cast<char>('!' + index % 94);
        index /= 94;
    } while (index > 0);
    return code;
}

// A scope of the header: its variables and its sub-scopes by name.
struct Scope {
    std::vector<std::pair<std::string, size_t>> variables;  // leaf name, trace index
    std::map<std::string, std::unique_ptr<Scope>> scopes;
};

void WriteScope(std::FILE* file, const Scope& scope, const std::vector<std::string>& codes,
                const std::vector<int>& widths)
{
    for (const auto& [leaf, index] : scope.variables)
        std::fprintf(file, "$var wire %d %s %s $end\n", widths[index], codes[index].c_str(), leaf.c_str());
    for (const auto& [name, inner] : scope.scopes) {
        std::fprintf(file, "$scope module %s $end\n", name.c_str());
        WriteScope(file, *inner, codes, widths);
        std::fprintf(file, "$upscope $end\n");
    }
}

}  // namespace

Waveform::~Waveform() { Close(); }

bool Waveform::Open(const std::string& path, const std::string& top, const std::vector<const Signal*>& signals,
                    std::string& error)
{
    Close();
    file = std::fopen(path.c_str(), "w");
    if (!file) {
        error = "cannot write the waveform file " + path;
        return false;
    }
    traces.clear();
    Scope root;
    std::vector<std::string> codes;
    std::vector<int> widths;
    clock_code = IdentifierCode(0);
    for (const Signal* signal : signals) {
        std::vector<std::string> parts = HierarchyOf(signal->name);
        Scope* scope = &root;
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            std::unique_ptr<Scope>& inner = scope->scopes[parts[i]];
            if (!inner)
                inner = std::make_unique<Scope>();
            scope = inner.get();
        }
        const size_t index = traces.size();
        scope->variables.emplace_back(parts.back(), index);
        codes.push_back(IdentifierCode(index + 1));
        widths.push_back(signal->width);
        MLIB_UINTEGER start(0, signal->width);
        traces.push_back({signal, codes.back(), start});
    }
    std::string top_name = HierarchyOf(top).back();
    std::fprintf(file, "$version Blocktide $end\n$timescale 1ns $end\n$scope module %s $end\n", top_name.c_str());
    std::fprintf(file, "$var wire 1 %s clk $end\n", clock_code.c_str());
    WriteScope(file, root, codes, widths);
    std::fprintf(file, "$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n0%s\n", clock_code.c_str());
    for (Trace& trace : traces) {
        trace.last = trace.signal->port->Value();
        Write(trace);
    }
    std::fprintf(file, "$end\n");
    return true;
}

void Waveform::Write(Trace& trace)
{
    const int width = trace.signal->width;
    const MLIB_UINTEGER& value = trace.last;
    text.assign(static_cast<size_t>(width), '0');
    for (int pos = 0; pos < width; ++pos) {
        char c = '0';
        if (pos < value.width()) {
            const uint32_t select = 1u << (pos % 32);
            if (value.undef_word(pos / 32) & select)
                c = 'x';
            else if (value.is_high_z())
                c = 'z';
            else if (value.word(pos / 32) & select)
                c = '1';
        }
        text[static_cast<size_t>(width - 1 - pos)] = c;
    }
    if (width == 1)
        std::fprintf(file, "%s%s\n", text.c_str(), trace.code.c_str());
    else
        std::fprintf(file, "b%s %s\n", text.c_str(), trace.code.c_str());
}

void Waveform::Sample(long long cycle)
{
    if (!file)
        return;
    std::fprintf(file, "#%lld\n1%s\n", 10 * cycle, clock_code.c_str());
    bool stamped = false;
    for (Trace& trace : traces) {
        const MLIB_UINTEGER& now = trace.signal->port->Value();
        if (now == trace.last)
            continue;
        if (!stamped) {
            std::fprintf(file, "#%lld\n", 10 * cycle + 1);
            stamped = true;
        }
        trace.last = now;
        Write(trace);
    }
    std::fprintf(file, "#%lld\n0%s\n", 10 * cycle + 5, clock_code.c_str());
}

bool Waveform::Close()
{
    if (!file)
        return true;
    bool ok = std::ferror(file) == 0;
    ok = std::fclose(file) == 0 && ok;
    file = nullptr;
    return ok;
}

}  // namespace Sim
