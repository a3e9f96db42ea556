// The initialisation-file lookup of synchronous RAM and ROM blocks and its reports.
#include "models/init_file.h"

#include <fcntl.h>
#include <unistd.h>

#include "engine/manager.h"
#include "base/messages.h"
#include "base/text.h"

namespace Sim {

namespace {

// A file exists when it can be opened for reading; it is closed again at once. The open
// does not block, so a FIFO under the name cannot stall the build.
bool FileExists(const std::string& path)
{
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    ::close(descriptor);
    return true;
}

}  // namespace

std::string LookUpInitFile(const std::string& mode, const std::string& file, const Manager* manager)
{
    const bool is_rom = SameIgnoringCase(mode, "ROM");
    const bool has_file = !SameIgnoringCase(file, "UNUSED");
    std::string path;
    bool found = false;

    const std::string directory = manager == nullptr ? std::string()
                                  : manager->HexDirectory().empty() ? manager->DesignDirectory()
                                                                    : manager->HexDirectory();
    // Without an import directory the candidates would name the working directory itself
    // and every file found would be reported as its own duplicate; the name as written
    // (step below) covers that case.
    if (has_file && !directory.empty()) {
        std::string candidate = "./" + directory + "/" + file;
        if (FileExists(candidate)) {
            path = candidate;
            found = true;
        } else {
            candidate = directory + "/" + file;
            if (FileExists(candidate)) {
                path = candidate;
                found = true;
            }
        }
        if (found && FileExists(file))
            report(SEV_WARNING, "Using ROM initialization file '" + file +
                                    "', located in the import directory - but detected a duplicate in the model "
                                    "(base) directory, which will be ignored. ");
    }
    if (has_file && !found) {
        path = file;
        found = FileExists(file);
    }

    if (is_rom && !has_file)
        report(SEV_FATAL, "Design contains an uninitialized ROM. Initialization files must be provided for all ROMs "
                          "for the design to simulate correctly");
    else if (is_rom && !found)
        report(SEV_FATAL, "Could not find ROM initialization file '" + file +
                              "'. Initialization files should be in the design import directory "
                              "for the design to simulate correctly.");
    else if (!is_rom && has_file && !found)
        report(SEV_WARNING, "Could not find RAM initialization file '" + file + "'.");
    return path;
}

}  // namespace Sim
