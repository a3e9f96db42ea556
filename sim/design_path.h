// A design path's two parts: the directory and the top-level name that labels the design's
// messages. Paths may use "\" or "/" as separators.
#pragma once

#include <string>

namespace Sim {

struct DesignPath {
    std::string directory;      // what stands before the last separator; empty when there is none
    std::string top_level_name; // the rest, without its ".vo"
};

// A trailing ".vo" (the text from the character before the last "v") is cut off first; a
// separator at the very start counts as none.
DesignPath SplitDesignPath(const std::string& path);

} // namespace Sim
