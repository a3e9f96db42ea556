// Splitting a design path into its directory and its top-level name.
#include "sim/design_path.h"

namespace Sim {

DesignPath SplitDesignPath(const std::string& path)
{
    DesignPath parts;
    std::string copy = path;
    size_t v = copy.rfind('v');
    if (v != std::string::npos && v > 0)
        copy.resize(v - 1);
    size_t separator = copy.find_last_of("\\/");
    if (separator != std::string::npos && separator > 0) {
        parts.directory = copy.substr(0, separator);
        copy = copy.substr(separator + 1);
    }
    parts.top_level_name = copy;
    return parts;
}

} // namespace Sim
