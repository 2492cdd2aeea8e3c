#pragma once
// talvenctl's "keyboard macros" and "keyboard write-macros": the macros of a
// data folder as the keyboard takes them, listed against its macro memory or
// downloaded into it on their own.

#include "tools/ctl_keyboard.h"

namespace talven::ctl {

// "keyboard macros|write-macros [--data-dir DIR]"; the exit status.
int runKeyboardMacros(const KeyboardRequest& request);

}  // namespace talven::ctl
