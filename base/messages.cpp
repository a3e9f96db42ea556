// The message store and its flush: exact printed forms of each severity.
#include "base/messages.h"

#include <cstdio>

namespace {

// At most this many messages wait in the store; a flood beyond it (a netlist of thousands of
// faulty lines) is counted instead of kept, so the store never grows without bound.
constexpr size_t kMaxStoredMessages = 10000;

std::vector<Message>& Store()
{
    static std::vector<Message> messages;
    return messages;
}

// What the store dropped since its last flush.
struct Dropped {
    size_t count = 0;
    bool error = false;  // among them an Error or Fatal Error
};

Dropped& DroppedMessages()
{
    static Dropped dropped;
    return dropped;
}

ConsoleSink& Sink()
{
    static ConsoleSink current;
    return current;
}

FlushListener& Listener()
{
    static FlushListener current;
    return current;
}

std::string PrintedForm(const Message& message, const std::string& name)
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
    if (Store().size() >= kMaxStoredMessages) {
        Dropped& dropped = DroppedMessages();
        ++dropped.count;
        dropped.error = dropped.error || severity == SEV_ERROR || severity == SEV_FATAL;
        return;
    }
    Store().push_back(Message{severity, text});
}

bool flush_messages(int level, const std::string& top_level_name, bool& error_seen)
{
    // Messages below the level stay where they are, so the printed ones keep their order.
    std::vector<Message>& messages = Store();
    std::vector<Message> kept;
    std::vector<Message> taken;
    for (Message& message : messages)
        (message.severity >= level ? taken : kept).push_back(std::move(message));
    messages = std::move(kept);
    for (const Message& message : taken) {
        if (message.severity != SEV_TRACE && Listener())
            Listener()(message);
        std::string text = PrintedForm(message, top_level_name);
        if (!text.empty())
            console_print(text);
        if (message.severity == SEV_ERROR || message.severity == SEV_FATAL)
            error_seen = true;
    }
    Dropped& dropped = DroppedMessages();
    if (dropped.count > 0 && level <= SEV_WARNING) {
        console_print(PrintedForm(Message{SEV_WARNING, std::to_string(dropped.count) +
                                                           " further messages were dropped"},
                                  top_level_name));
        error_seen = error_seen || dropped.error;
        dropped = Dropped();
    }
    return error_seen;
}

void set_flush_listener(FlushListener listener)
{
    Listener() = std::move(listener);
}

void clear_messages()
{
    Store().clear();
    DroppedMessages() = Dropped();
}

const std::vector<Message>& pending_messages()
{
    return Store();
}

void set_console_sink(ConsoleSink new_sink)
{
    Sink() = std::move(new_sink);
}

ConsoleSink console_sink()
{
    return Sink();
}

void console_print(const std::string& text)
{
    if (Sink()) {
        Sink()(text);
        return;
    }
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}
