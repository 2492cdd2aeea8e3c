#pragma once
// talvenctl's "keyboard lighting": the lighting panel's edits from the
// command line, on the same profile files and with the same frames.

#include "tools/ctl_keyboard.h"

namespace talven::ctl {

// "keyboard lighting MODE [--brightness N] [--speed N] [--direction N]
// [--colour RRGGBB] [--spectrum on|off] [--data-dir DIR]"; the exit status.
int runKeyboardLighting(const KeyboardRequest& request);

}  // namespace talven::ctl
