#pragma once
// A mouse profile as the mouse takes it, and the sequence that puts it into
// the mouse: attach (capability record and button map), the settings block
// of profile 0, the macro memory and the button table.

#include "device/mouse/mouse_protocol.h"

#include <string>
#include <vector>

namespace talven {
class CMouseProfiledata;
}

namespace talven::mouse {

// What a loaded profile puts into the settings block: its lighting, DPI
// stages and active stage, polling-rate and lift-off stages, corrections.
MouseSettings settingsFromProfile(CMouseProfiledata& profile);

struct MouseProfileValues {
    MouseSettings settings;
    std::vector<KeyCode> buttons;       // assignments by logical button
    std::vector<EncodedMacro> macros;   // in macro-number order
};

// Loads the profile file the way the page does (a profile lacking its entry
// is completed from the factory file `defaultPath`) and the macros of
// `dataFolder`. False, with `error` saying why, when the file is damaged or
// cannot be read, when no entry can be had, or when a macro file is there
// but cannot be read: the factory settings the page would fall back to are
// not what the user chose.
bool loadMouseProfile(const std::string& profilePath, const std::string& defaultPath, const std::string& dataFolder,
                      MouseProfileValues& values, std::string* error);

struct MouseApplyOutcome {
    int attachResult = channel_result::Refused;
    int settingsResult = channel_result::Refused;
    int macroResult = 0;  // > 0: events too many plus one, nothing written;
                          // kMacrosNotWritten: no button table sent
    int buttonResult = channel_result::Refused;
};

// attach, then profile 0's settings block (byte 0 = 0), the macros and the
// buttons. Nothing is written when attach fails (without the button map the
// table would switch every button off) nor when the macros do not fit; the
// button table waits for a macro download that arrives, since its buttons
// may play those macros.
MouseApplyOutcome applyMouseProfile(MouseProtocol& mouse, const MouseProfileValues& values, const ScreenSize& screen);

}  // namespace talven::mouse
