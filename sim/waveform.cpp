// VCD output: scopes from the signals' hierarchy, identifier codes, change-only samples.
#include "sim/waveform.h"

#include <algorithm>
#include <map>
#include <memory>

#include "engine/manager.h"
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
    std::vector<std::pair<std::string, size_t>> variables; // leaf name, trace index
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

} // namespace

Waveform::~Waveform()
{
    Close();
}

bool Waveform::Open(const std::string& path, const std::string& top, const std::vector<const Signal*>& signals,
                    Manager& owner, std::string& error)
{
    Close();
    if (!output.Open(path, error)) {
        error = "cannot write the waveform file " + error.substr(std::string("cannot write ").size());
        return false;
    }
    file = output.Stream();
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
        const Port_Base* port = signal->port;
        const Node_Base* follows = port->IsInput() && port->Source() ? port->Source()->Owner() : port->Owner();
        traces_of[follows].push_back(index);
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
    manager = &owner;
    changed.clear();
    manager->SetChangeLog(&changed);
    return true;
}

void Waveform::Write(Trace& trace)
{
    const int width = trace.signal->width;
    const MLIB_UINTEGER& value = trace.last; // held at the signal's width
    const bool high_z = value.is_high_z();
    text.resize(static_cast<size_t>(width) + trace.code.size() + 3);
    char* out = text.data();
    if (width > 1)
        *out++ = 'b';
    for (int word = (width - 1) / 32; word >= 0; --word) {
        const uint32_t bits = value.word(word), undefined = value.undef_word(word);
        const int top = word == (width - 1) / 32 ? (width - 1) % 32 : 31;
        if (undefined == 0 && !high_z) { // the common case: plain bits
            for (int pos = top; pos >= 0; --pos)
                *out++ = static_cast<char>('0' + ((bits >> pos) & 1u));
            continue;
        }
        for (int pos = top; pos >= 0; --pos)
            *out++ = (undefined >> pos) & 1u ? 'x' : high_z ? 'z' : static_cast<char>('0' + ((bits >> pos) & 1u));
    }
    if (width > 1)
        *out++ = ' ';
    out = std::copy(trace.code.begin(), trace.code.end(), out);
    *out++ = '\n';
    std::fwrite(text.data(), 1, static_cast<size_t>(out - text.data()), file);
}

void Waveform::Sample(long long cycle)
{
    if (!file)
        return;
    std::fprintf(file, "#%lld\n1%s\n", 10 * cycle, clock_code.c_str());
    bool stamped = false;
    for (const Node_Base* node : changed) {
        auto found = traces_of.find(node);
        if (found == traces_of.end())
            continue;
        for (size_t index : found->second) {
            Trace& trace = traces[index];
            if (trace.seen == cycle)
                continue; // a node evaluated twice in the cycle
            trace.seen = cycle;
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
    }
    changed.clear();
    std::fprintf(file, "#%lld\n0%s\n", 10 * cycle + 5, clock_code.c_str());
}

bool Waveform::Close()
{
    StopChangeLog();
    if (!file)
        return true;
    file = nullptr;
    std::string ignored;
    return output.Commit(ignored);
}

void Waveform::Discard()
{
    StopChangeLog();
    file = nullptr;
    output.Discard();
}

void Waveform::StopChangeLog()
{
    if (manager) {
        manager->SetChangeLog(nullptr);
        manager = nullptr;
    }
}

} // namespace Sim
