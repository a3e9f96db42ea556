// The log facility's one process-wide state and its operations, with the checks that print
// "CRITICAL LOGFILE FAILURE". A failed check abandons the operation instead of ending the
// process: inside the numerical host an exit would take the user's whole session with it.
#include "base/log.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace {

struct LogData {
    FILE* fh[LOGFILE_MAX_FILES] = {};                      // each slot's file; null when closed
    uint8_t indent[LOGFILE_MAX_FILES] = {};                // TABs per line, 0 to LOGFILE_MAX_INDENT
    std::optional<std::string> prefix[LOGFILE_MAX_FILES];  // written with a blank after the TABs
    int stack[LOGFILE_MAX_STACK] = {};                     // slots saved by logfile_push
    int32_t stackptr = 0;                                  // number of saved slots, 0 to 63
    int32_t current = 0;                                   // the slot printf, indent and prefix act on
};

// Zero-initialised before its first use, like the rest of the process-wide state.
LogData log_data;

// Prints the failure line for a condition that does not hold; answers whether it holds.
bool Check(bool condition, const char* condition_text)
{
    if (!condition) {
        std::printf("\n\nCRITICAL LOGFILE FAILURE (%s)\n\n", condition_text);
        std::fflush(stdout);
    }
    return condition;
}

bool CheckSlot(int P_num)
{
    return Check(P_num >= 0 && P_num < LOGFILE_MAX_FILES, "(P_num >= 0) && (P_num < LOGFILE_MAX_FILES)");
}

}  // namespace

bool logfile_open(int P_num, const char* file_name, bool append)
{
    if (!CheckSlot(P_num))
        return false;
    logfile_close(P_num);
    log_data.fh[P_num] = std::fopen(file_name, append ? "a" : "w");
    if (!Check(log_data.fh[P_num] != nullptr, "log_data.fh[P_num]"))
        return false;
    log_data.current = P_num;
    return true;
}

void logfile_close(int P_num)
{
    if (!CheckSlot(P_num))
        return;
    if (log_data.fh[P_num]) {
        std::fclose(log_data.fh[P_num]);
        log_data.fh[P_num] = nullptr;
        log_data.indent[P_num] = 0;
        log_data.prefix[P_num].reset();
    }
    if (P_num == log_data.current)
        log_data.current = 0;
}

void logfile_close_all()
{
    log_data.current = 0;
    for (int slot = 0; slot < LOGFILE_MAX_FILES; slot++)
        logfile_close(slot);
}

int logfile_select(int P_num)
{
    if (!CheckSlot(P_num) || !Check(log_data.fh[P_num] != nullptr, "log_data.fh[P_num]"))
        return -1;
    log_data.current = P_num;
    return P_num;
}

void logfile_push(int P_num)
{
    if (!CheckSlot(P_num) || !Check(log_data.fh[P_num] != nullptr, "log_data.fh[P_num]") ||
        !Check(log_data.stackptr + 1 < LOGFILE_MAX_STACK, "((log_data.stackptr+1) < LOGFILE_MAX_STACK)"))
        return;
    log_data.stack[log_data.stackptr++] = log_data.current;
    log_data.current = P_num;
}

void logfile_pop()
{
    if (log_data.stackptr > 0)
        log_data.stackptr--;
    const int slot = log_data.stack[log_data.stackptr];
    // A closed slot is not selected: the current slot stays as it was.
    if (Check(log_data.fh[slot] != nullptr, "log_data.fh[log_data.current]"))
        log_data.current = slot;
}

namespace {

// The current slot's indentation moved by delta, kept within 0 to LOGFILE_MAX_INDENT.
void ShiftIndent(int64_t delta)
{
    const int64_t moved = int64_t{log_data.indent[log_data.current]} + delta;
    log_data.indent[log_data.current] = static_cast<uint8_t>(std::clamp<int64_t>(moved, 0, LOGFILE_MAX_INDENT));
}

}  // namespace

void logfile_indent(int n)
{
    ShiftIndent(n);
}

void logfile_outdent(int n)
{
    ShiftIndent(-int64_t{n});
}

void logfile_set_prefix(const char* text)
{
    log_data.prefix[log_data.current].reset();
    if (text && *text)
        log_data.prefix[log_data.current] = std::string(text);
}

void logfile_printf(const char* format, ...)
{
    int slot = log_data.current;
    if (!log_data.fh[slot]) {
        if (!Check(slot == 0, "(log_data.current == 0)"))
            return;
        log_data.fh[0] = std::fopen("log.txt", "a");
        if (!Check(log_data.fh[0] != nullptr, "log_data.fh[P_num]"))
            return;
    }
    FILE* file = log_data.fh[slot];
    for (int tab = 0; tab < log_data.indent[slot]; tab++)
        std::fputc('\t', file);
    if (log_data.prefix[slot])
        std::fprintf(file, "%s ", log_data.prefix[slot]->c_str());
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(file, format, arguments);
    va_end(arguments);
    std::fputc('\n', file);
    std::fflush(file);
}
