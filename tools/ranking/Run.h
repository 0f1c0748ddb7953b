// kavrel-ranking's commands, run in the data directory under its lock.
#pragma once

#include <string>
#include <vector>

#include "upkeep/Output.h"

namespace ranking {

// Runs the command line `args` (without the program's name). The current directory is the same
// again on return.
int Run(const std::vector<std::string>& args, Output& out);

}  // namespace ranking
