#pragma once
// The FUNCTION argument of "keyboard set-key": a function as the key
// assignment panel would be set, in words. The text fills the panel's state,
// which the panel's own encoding turns into the record (key_assignment.h).
//
//   default                       the key's factory function
//   disable                       the key does nothing
//   key:NAME  key:MOD+NAME        a keyboard key, NAME as the key table names
//                                 it ("B", "F1", "Num Enter", "RCtrl"); MOD one
//                                 of Ctrl, Shift, Alt, Win (the left ones)
//   mouse:BUTTON                  left, middle, right, forward, back
//   swing:count=N:delay=N:speed=N[:dir=0|1]
//   wheel:count=N:delay=N:amount=N[:dir=0|1]
//   dpi:N                         DPI function 1, 2 or 3
//   fire:interval=N:count=N
//   media:NAME                    media_play, web_refresh, ... (the media list)
//   system:power|sleep|wake
//   macro:N[:mode=0..3|:repeat=N] macro number N, run mode 0 unless given
//   gun:N                         gun key 0..3
//
// Numbers are decimal; count and delay keep their low 4 bits, other numbers
// their low 8 bits, as the panel does.

#include "device/key_assignment.h"

#include <optional>
#include <string>

namespace talven::ctl {

// The state, or nothing with `error` saying what is wrong with the text.
std::optional<keyfn::AssignmentState> parseKeyFunction(const std::string& text, std::string* error);

// The usage text of the syntax, for the help.
extern const char* const kKeyFunctionHelp;

}  // namespace talven::ctl
