// Helpers shared by the two MEX modules: routing the message console to mexPrintf for the
// length of one call, and reading a text argument the way the host's MEX interface does.
#pragma once

#include <mex.h>

#include <string>

#include "base/messages.h"

// Sends every printed message to the host console while a MEX call runs. The default sink
// comes back when the call ends, so the library never keeps a pointer into a module that
// the host may unload.
class MexConsole {
public:
    MexConsole()
    {
        set_console_sink([](const std::string& text) { mexPrintf("%s", text.c_str()); });
    }
    ~MexConsole() { set_console_sink({}); }
    MexConsole(const MexConsole&) = delete;
    MexConsole& operator=(const MexConsole&) = delete;
};

// The argument as text: a buffer of (columns + 1) characters from mxCalloc, filled by
// mxGetString. An argument that is not text leaves the buffer empty.
inline std::string ReadTextArgument(const mxArray* argument)
{
    const size_t length = mxGetN(argument) + 1;
    char* buffer = static_cast<char*>(mxCalloc(length, 1));
    if (!buffer)
        return std::string();
    mxGetString(argument, buffer, length);
    std::string text(buffer);
    mxFree(buffer);
    return text;
}
