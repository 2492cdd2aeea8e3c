#pragma once
#include <string>
#include <vector>

namespace talven::ctl {

// Forwards a command to the simulator serving TALVEN_SIM_DIR (or the default
// simulator directory) and prints its answer; non-zero when it fails.
int runSimCommand(const std::vector<std::string>& words);

}  // namespace talven::ctl
