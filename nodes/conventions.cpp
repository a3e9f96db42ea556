// Parameter reading, small-variant width checks and trace formatting for node classes.
#include "nodes/conventions.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "base/messages.h"

namespace Sim {

bool ParamReader::Read(const char* name, int32_t& value) const
{
    ParamValue found;
    if (!query || !query(name, found))
        return false;
    value = found.integer();
    return true;
}

bool ParamReader::Read(const char* name, ParamValue& value) const
{
    ParamValue found;
    if (!query || !query(name, found))
        return false;
    value = found;
    return true;
}

bool ParamReader::Read(const char* name, std::string& value) const
{
    ParamValue found;
    if (!query || !query(name, found))
        return false;
    value = found.text();
    return true;
}

bool CheckSmallWidth(int width, int limit, const char* message)
{
    if (width <= limit)
        return true;
    report(SEV_INTERNAL, message);
    return false;
}

std::string TraceFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        text.assign(buffer.data(), static_cast<size_t>(length));
    }
    va_end(args);
    return text;
}

}  // namespace Sim
