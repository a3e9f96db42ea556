// Finding a synchronous RAM's or ROM's memory initialisation file: the design's import
// directory first, then the name as written (relative to the working directory), with
// the reports for ROMs without contents and files that cannot be found.
#pragma once

#include <string>

namespace Sim {

class Manager;

// Runs the lookup for a block with the given operation_mode and init_file texts and
// returns the path to hand to the model: empty when there is no file, the file's location
// when it was found, the name as written otherwise. The import directory is the manager's
// hex directory, else its design directory; with neither (or no manager) only the name
// as written is tried. Paths are joined with '/'.
std::string LookUpInitFile(const std::string& mode, const std::string& file, const Manager* manager);

}  // namespace Sim
