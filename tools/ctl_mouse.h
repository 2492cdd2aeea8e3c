#pragma once
// talvenctl's mouse commands: the mouse's capabilities, button map and
// settings as text, applying the selected profile of a data folder, and
// downloading its macros.

#include <string>
#include <vector>

namespace talven::ctl {

struct MouseRequest {
    std::string device;             // --device; empty = the first mouse found
    bool trace = false;             // --trace
    std::vector<std::string> args;  // after "mouse"
};

// Runs "mouse info|buttons|dpi|apply|write-macros [options]"; the exit status.
int runMouseCommand(const MouseRequest& request);

}  // namespace talven::ctl
