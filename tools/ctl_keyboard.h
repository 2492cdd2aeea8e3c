#pragma once
// talvenctl's keyboard commands: the keyboard's information, key table and
// profile record as text, and applying the selected profile of a data folder.

#include "tools/ctl_device.h"

#include <optional>
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

// The data folder a command's arguments name: "--data-dir DIR" and nothing
// else, with a '/' at the end. nullopt with `error` set for anything else.
std::optional<std::string> dataFolderOption(const std::string& command, const std::vector<std::string>& args,
                                            std::string* error);
// An empty `dataFolder` becomes the keyboard's own; false with `error` set
// when the keyboard has none.
bool keyboardDataFolder(const FoundInterface& target, std::string& dataFolder, std::string* error);

}  // namespace talven::ctl
