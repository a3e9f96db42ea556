// The model parameter registry and the warning channel.
#include "parameters.h"

#include <dlfcn.h>

#include <cstdio>

#include "text.h"

namespace modlib {

const ParameterTable::Entry* ParameterTable::Find(const std::string& name) const
{
    for (const Entry& entry : entries)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

void ParameterTable::SetText(const char* name, const char* text)
{
    Entry entry{name ? name : "", text ? text : "", 0, true};
    int64_t number = 0;
    if (ParseInteger(entry.text, number))
        entry.integer = number;
    for (Entry& existing : entries)
        if (existing.name == entry.name) {
            existing = entry;
            return;
        }
    entries.push_back(entry);
}

void ParameterTable::SetInteger(const char* name, int value)
{
    Entry entry{name ? name : "", std::to_string(value), value, false};
    for (Entry& existing : entries)
        if (existing.name == entry.name) {
            existing = entry;
            return;
        }
    entries.push_back(entry);
}

bool ParameterTable::Has(const std::string& name) const { return Find(name) != nullptr; }

std::string ParameterTable::Text(const std::string& name, const std::string& fallback) const
{
    const Entry* entry = Find(name);
    return entry ? entry->text : fallback;
}

int64_t ParameterTable::Integer(const std::string& name, int64_t fallback) const
{
    const Entry* entry = Find(name);
    if (entry == nullptr)
        return fallback;
    if (!entry->is_text)
        return entry->integer;
    int64_t number = 0;
    return ParseInteger(entry->text, number) ? number : fallback;
}

bool ParameterTable::Is(const std::string& name, const std::string& expected, const std::string& fallback) const
{
    return SameText(Text(name, fallback), expected);
}

void Warn(const std::string& text)
{
    using ReportFunction = void (*)(int, const char*);
    static ReportFunction host = reinterpret_cast<ReportFunction>(dlsym(RTLD_DEFAULT, "blocktide_model_report"));
    constexpr int kWarning = 2;  // the host's warning severity
    if (host)
        host(kWarning, text.c_str());
    else
        std::fprintf(stderr, "model library warning: %s\n", text.c_str());
}

}  // namespace modlib
