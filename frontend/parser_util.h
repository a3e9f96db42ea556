// ParserUtil: the small string and file helpers of the front end: blank-separated tokens and
// quoted attribute values for the XML map reader, and the netlist's working-copy file copy.
#pragma once

#include <string>

namespace ParserUtil {

// Removes leading delimiters from text, cuts the token up to the next delimiter, removes it
// and the delimiters after it from text and returns it (empty when nothing is left).
std::string NextToken(std::string& text, const char* delimiters);

// The text between the first and the last double quote when there are two or more and the
// first comes before the last; otherwise the whole token.
std::string StripQuotes(const std::string& token);

// Leading decimal integer: leading blanks skipped, optional sign, stops at the first
// character that cannot continue the number. 0 when there is no number; saturates at the
// limits of a signed 32-bit integer.
int ToInteger(const std::string& text);

// Creates destination as a new file (never through a link, never over an existing file);
// when source is a regular file that can be opened, writes its whole content followed by one
// line break (anything else, a FIFO say, reads as empty: it is never waited on). Answers false
// when destination cannot be created (errno EEXIST: the name is taken) or written.
bool CopyFile(const std::string& source, const std::string& destination);

}  // namespace ParserUtil
