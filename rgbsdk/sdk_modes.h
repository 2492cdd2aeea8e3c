#pragma once
// A product's lighting modes as a client sees them, and a client's choice
// of mode turned back into a change of the page's light parameters. Each
// mode takes the parameters its lighting panel offers for it (the panel
// rules): brightness and speed as levels 0..4, a left/right direction, one
// colour, and the spectrum as the protocol's random colours.

#include "device/lighting/light_change.h"
#include "profile/profile_records.h"
#include "rgbsdk/sdk_controller.h"

#include <optional>
#include <string>
#include <vector>

namespace talven::rgbsdk {

// The value of the "Direct" mode: none of the page modes has it.
inline constexpr int32_t kDirectModeValue = 0x100;
inline constexpr const char* kDirectModeName = "Direct";

struct ModeSource {
    std::vector<std::string> names;  // shown names, mode i at i
    std::vector<bool> visible;       // offered on the page
    int panelVariant = 0;
    bool direct = false;             // frames are streamed: a "Direct" mode first
};

// "Direct" (when the product has it) then every offered mode with a name,
// in mode order, showing the current parameters.
std::vector<SdkMode> buildModes(const ModeSource& source, const LightSettings& current);

// The index of the mode in use: "Direct" while a client holds it, else the
// page's mode; 0 when the page's mode is not among the offered ones.
int32_t activeModeIndex(const std::vector<SdkMode>& modes, const LightSettings& current, bool directHeld);

struct ModeChoice {
    bool direct = false;
    lighting::LightChange change;  // for a page mode
};
// Nothing for an index that names no mode. Values a mode does not take are
// left as they are; levels above 4 count as 4.
std::optional<ModeChoice> modeChoice(const std::vector<SdkMode>& modes, const ModeUpdate& update);

}  // namespace talven::rgbsdk
