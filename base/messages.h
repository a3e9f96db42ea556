// The process-wide message store. Every subsystem reports through report(); nothing is
// printed at report time. The simulation session prints and empties the store at fixed
// points with flush_messages, through one console sink (the host console inside the
// MEX module, standard error elsewhere).
#pragma once

#include <functional>
#include <string>
#include <vector>

enum Severity : int {
    SEV_INFO = 0,      // printed as a two-line note without a final line break
    SEV_TRACE = 1,     // never printed; dropped by the flush
    SEV_WARNING = 2,
    SEV_ERROR = 3,     // sets error_seen when printed
    SEV_FATAL = 4,     // sets error_seen when printed
    SEV_INTERNAL = 5,  // printed as a fixed sentence; its own text is not shown
};

struct Message {
    int severity;      // one of the Severity codes
    std::string text;  // as composed by the reporter, without prefix or line break
};

// Appends (severity, text) to the process-wide store. Beyond 10,000 waiting messages further
// ones are only counted; the next flush prints how many were dropped.
void report(int severity, const std::string& text);

// Prints and removes every stored message of at least the given severity, oldest first,
// prefixed with the product word, the severity and top_level_name. Sets error_seen when an
// Error or Fatal Error is printed and returns it.
bool flush_messages(int level, const std::string& top_level_name, bool& error_seen);

// Called by flush_messages with every message it takes from the store and does not drop
// (trace messages are dropped), before it prints it: lets a caller keep messages as data.
using FlushListener = std::function<void(const Message& message)>;
// Installs a listener; an empty function removes it.
void set_flush_listener(FlushListener listener);

// Removes every stored message without printing it (a session's destructor does this).
void clear_messages();

// The messages not yet flushed, oldest first (for inspection and tests).
const std::vector<Message>& pending_messages();

// Where flushed text goes. The text is written verbatim, never used as a format.
using ConsoleSink = std::function<void(const std::string& text)>;
// Installs a sink; an empty function restores the default (standard error).
void set_console_sink(ConsoleSink sink);
// The sink installed now; empty for the default.
ConsoleSink console_sink();
// Writes text through the current sink.
void console_print(const std::string& text);
