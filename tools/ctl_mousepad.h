#pragma once
// talvenctl's mouse pad command: the selected profile's lighting of a data
// folder written into the pad's settings block.

#include <string>
#include <vector>

namespace talven::ctl {

struct MousePadRequest {
    std::string device;             // --device; empty = the first mouse pad found
    bool trace = false;             // --trace
    std::vector<std::string> args;  // after "mousepad"
};

// Runs "mousepad apply [--data-dir DIR]"; the exit status.
int runMousePadCommand(const MousePadRequest& request);

}  // namespace talven::ctl
