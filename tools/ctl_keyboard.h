#pragma once
// talvenctl's keyboard commands: the keyboard's information, key table and
// profile record as text, and applying the selected profile of a data folder.

#include <string>
#include <vector>

namespace talven::ctl {

struct KeyboardRequest {
    std::string device;              // --device; empty = the first keyboard found
    bool trace = false;              // --trace
    std::vector<std::string> args;   // after "keyboard"
};

// Runs "keyboard info|keys|profile|apply [--data-dir DIR]"; the exit status.
int runKeyboardCommand(const KeyboardRequest& request);

}  // namespace talven::ctl
