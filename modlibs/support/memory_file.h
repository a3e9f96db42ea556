// Reading memory initialisation files into a model's memory (support library
// modlib_xml_parser): Intel HEX (one word per address, big-endian bytes) and the simple
// memory initialisation format ".mif" (WIDTH, DEPTH, radixes, CONTENT BEGIN ... END).
#pragma once

#include <string>

#include "storage.h"

namespace modlib {

// Fills memory from the file at path. The format follows the extension (".mif"; ".hex" or
// ".ihex"), otherwise the first character (':' means Intel HEX). A missing, unreadable,
// malformed or oversized file is reported through Warn, naming the file (and the line);
// the words read before a malformed line are kept, data beyond the memory is dropped.
// Returns true when the file was read without any report.
bool LoadMemoryFile(const std::string& path, Memory& memory);

// Files larger than this are not read at all (a memory cannot need more).
inline constexpr long kMaxMemoryFileBytes = 64L << 20;

}  // namespace modlib
