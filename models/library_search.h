// Finding and opening model libraries: the mapping of the ".dll" file names the design
// uses to this platform's shared-library files, the process-wide model-library directory
// ("dll_path"), and the search order.
#pragma once

#include <string>

namespace Sim {

// The process-wide model-library directory; empty means none. The build copies the
// design's "dll_path" parameter here; every session in the process shares it.
void SetModelLibraryDirectory(const std::string& directory);
const std::string& ModelLibraryDirectory();

// "modlib_lpm_counter.dll" -> "libmodlib_lpm_counter.so": a final ".dll" (any case) is
// replaced by ".so" and "lib" is put in front. A name already ending in ".so" is kept
// as it is; any other name gets "lib" in front and ".so" behind.
std::string SharedLibraryFileName(const std::string& dll_name);

// Opens the library named by its ".dll" name. Tried in order: the model-library directory
// when one is set, the directory holding libblocktide itself, then the platform's own
// search (the loader's path, cache and RUNPATH). Returns the handle or null.
void* OpenModelLibrary(const std::string& dll_name);
// Releases a handle from OpenModelLibrary; null is ignored.
void CloseModelLibrary(void* handle);
// The address of an exported symbol, or null.
void* FindModelExport(void* handle, const char* symbol);

}  // namespace Sim
