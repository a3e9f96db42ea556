// Model-library file names and search: the ".dll" to ".so" mapping, the model-library
// directory setting, and dlopen through the three places a library may live.
#include "models/library_search.h"

#include <dlfcn.h>

#include <algorithm>

#include "base/messages.h"
#include "models/modlib_interface.h"

namespace Sim {

namespace {

std::string& DirectorySetting()
{
    static std::string directory;
    return directory;
}

bool EndsWithIgnoringCase(const std::string& text, const std::string& suffix)
{
    if (text.size() < suffix.size())
        return false;
    for (size_t i = 0; i < suffix.size(); ++i) {
        char c = text[text.size() - suffix.size() + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i])
            return false;
    }
    return true;
}

// The directory of the file that holds this code (libblocktide), with a final '/'; empty
// when the loader cannot say.
std::string OwnLibraryDirectory()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&OpenModelLibrary), &info) == 0 || info.dli_fname == nullptr)
        return std::string();
    std::string path = info.dli_fname;
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void* OpenFile(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }

}  // namespace

void SetModelLibraryDirectory(const std::string& directory) { DirectorySetting() = directory; }

const std::string& ModelLibraryDirectory() { return DirectorySetting(); }

std::string SharedLibraryFileName(const std::string& dll_name)
{
    if (EndsWithIgnoringCase(dll_name, ".so"))
        return dll_name;
    std::string stem = dll_name;
    if (EndsWithIgnoringCase(stem, ".dll"))
        stem.resize(stem.size() - 4);
    return "lib" + stem + ".so";
}

void* OpenModelLibrary(const std::string& dll_name)
{
    const std::string file = SharedLibraryFileName(dll_name);
    const std::string& directory = ModelLibraryDirectory();
    if (!directory.empty()) {
        std::string path = directory;
        if (path.back() != '/')
            path += '/';
        if (void* handle = OpenFile(path + file))
            return handle;
    }
    std::string own = OwnLibraryDirectory();
    if (!own.empty())
        if (void* handle = OpenFile(own + file))
            return handle;
    return OpenFile(file);
}

void CloseModelLibrary(void* handle)
{
    if (handle != nullptr)
        dlclose(handle);
}

void* FindModelExport(void* handle, const char* symbol)
{
    return handle == nullptr ? nullptr : dlsym(handle, symbol);
}

}  // namespace Sim

// Model libraries look this up at run time to put their warnings into the message store.
// Codes outside the known severities are taken as the nearest one: the flush would never
// print a negative code, and such messages would pile up in the store.
extern "C" __attribute__((visibility("default"))) void blocktide_model_report(int severity, const char* text)
{
    report(std::clamp(severity, static_cast<int>(SEV_INFO), static_cast<int>(SEV_INTERNAL)),
           text == nullptr ? std::string() : std::string(text));
}
