// The message store and its flush: exact printed forms of each severity.
#include "base/messages.h"

#include <cstdio>

namespace {

std::vector<Message>& store()
{
    static std::vector<Message> messages;
    return messages;
}

ConsoleSink& sink()
{
    static ConsoleSink current;
    return current;
}

std::string printed_form(const Message& message, const std::string& name)
{
    switch (message.severity) {
    case SEV_INFO:
        return " Blocktide Info: " + name + "\n    " + message.text;
    case SEV_WARNING:
        return "Blocktide Warning: " + name + ": " + message.text + "\n";
    case SEV_ERROR:
        return "Blocktide Error: " + name + ": " + message.text + "\n";
    case SEV_FATAL:
        return "Blocktide Fatal Error: " + name + ": " + message.text + "\n";
    case SEV_INTERNAL:
        return " A Blocktide Internal Error has occurred. Please contact Morvane technical support for "
               "assistance.";
    default:  // SEV_TRACE and anything else is dropped silently
        return {};
    }
}

}  // namespace

void report(int severity, const std::string& text)
{
    store().push_back(Message{severity, text});
}

bool flush_messages(int level, const std::string& top_level_name, bool& error_seen)
{
    // Messages below the level stay where they are, so the printed ones keep their order.
    std::vector<Message>& messages = store();
    std::vector<Message> kept;
    std::vector<Message> taken;
    for (Message& message : messages)
        (message.severity >= level ? taken : kept).push_back(std::move(message));
    messages = std::move(kept);
    for (const Message& message : taken) {
        std::string text = printed_form(message, top_level_name);
        if (!text.empty())
            console_print(text);
        if (message.severity == SEV_ERROR || message.severity == SEV_FATAL)
            error_seen = true;
    }
    return error_seen;
}

void clear_messages()
{
    store().clear();
}

const std::vector<Message>& pending_messages()
{
    return store();
}

void set_console_sink(ConsoleSink new_sink)
{
    sink() = std::move(new_sink);
}

void console_print(const std::string& text)
{
    if (sink()) {
        sink()(text);
        return;
    }
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}
