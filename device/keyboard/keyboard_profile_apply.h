#pragma once
// A keyboard profile as the keyboard takes it, and the sequence that puts it
// into the keyboard: the record of profile 0, the macro memory and the key
// table, after the keyboard's tables have been read for the key maps.

#include "device/keyboard/keyboard_protocol.h"

#include <string>
#include <vector>

namespace talven::keyboard {

struct KeyboardProfileValues {
    LightSettings light;
    KeyboardSystemWords system{};
    std::vector<KeyCode> keys;           // assignments by key number
    std::vector<EncodedMacro> macros;    // in macro-number order
};

// Loads the profile file the way the page does (a profile lacking its entry
// is completed from the factory file `defaultPath`) and the macros of
// `dataFolder` ("macro.config" and the ".mac" files). False, with `error`
// saying why, when the file is damaged or cannot be read, when its missing
// entry cannot be written into it, when no entry can be had, or when a macro
// file is there but cannot be read: the factory settings the page would fall
// back to are not what the user chose.
bool loadKeyboardProfile(const std::string& profilePath, const std::string& defaultPath,
                         const std::string& dataFolder, KeyboardProfileValues& values, std::string* error);

// The macro events to remove before `macros` fit the memory of the keyboard
// whose information was read last; 0 when they fit.
int macroOverflow(const KeyboardProtocol& keyboard, std::span<const EncodedMacro> macros);

struct ApplyOutcome {
    int readResult = channel_result::Refused;    // readKeyboardData
    int recordResult = channel_result::Refused;  // writeProfileRecord
    int macroResult = 0;                         // writeMacros; > 0: events to remove, nothing written;
                                                 // kMacrosNotWritten: no key table sent
    int keyResult = channel_result::Refused;     // writeKeyTable
    // True when every step reached the keyboard.
    bool applied() const {
        return readResult == channel_result::Success && recordResult == channel_result::Success &&
               macroResult == 0 && keyResult == channel_result::Success;
    }
};

// readKeyboardData, then profile 0's record (byte 0 = 0), the macros and the
// key table. Nothing is written when the keyboard's tables cannot be read
// (without the key maps the key table would be sent empty) nor when the
// macros do not fit the keyboard's macro memory; the key table is not sent
// when the macros did not reach the keyboard.
ApplyOutcome applyKeyboardProfile(KeyboardProtocol& keyboard, const KeyboardProfileValues& values);

}  // namespace talven::keyboard
