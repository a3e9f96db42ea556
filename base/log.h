// The diagnostic log facility: sixteen numbered file slots, a slot stack, and per-slot
// indentation and prefix. Every line is flushed at once. One process-wide state, no locks;
// the netlist dump is its only user. A failed check prints the CRITICAL LOGFILE FAILURE line
// on standard output and abandons that one operation; the facility stays usable.
#pragma once

constexpr int LOGFILE_MAX_FILES = 16;   // slots 0 to 15
constexpr int LOGFILE_MAX_STACK = 64;   // at most 63 saved slots
constexpr int LOGFILE_MAX_INDENT = 32;  // TABs at most at the start of a line

// Opens the file into slot P_num (closing what the slot held), appending or truncating, and
// makes the slot current. Answers whether the file was opened.
bool logfile_open(int P_num, const char* file_name, bool append);
// Closes the slot's file and forgets its indentation and prefix; slot 0 becomes current when
// P_num was current.
void logfile_close(int P_num);
// Makes slot 0 current and closes every slot.
void logfile_close_all();
// Makes an open slot current; answers P_num, or -1 when the check fails.
int logfile_select(int P_num);
// Saves the current slot on the stack and makes the open slot P_num current.
void logfile_push(int P_num);
// Makes the slot saved last current again (slot 0 when nothing is saved).
void logfile_pop();
// Changes the current slot's indentation, kept within 0 to 32.
void logfile_indent(int n);
void logfile_outdent(int n);
// Replaces the current slot's prefix; an empty text (or none) removes it.
void logfile_set_prefix(const char* text);
// Writes one line to the current slot: indentation, prefix and a blank, the formatted text,
// a line break. With nothing open in slot 0 it first opens "log.txt" there for appending.
void logfile_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
