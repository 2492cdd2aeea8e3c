#include "rgbsdk/sdk_modes.h"

#include "device/lighting/light_panel_rules.h"

#include <algorithm>

namespace talven::rgbsdk {

namespace {

using lighting::PanelGroup;

// A group is offered when the rules enable it (or, where they only show it,
// leave it enabled) and do not hide it.
bool offered(const lighting::PanelRules& rules, PanelGroup group) {
    const lighting::GroupRule& g = rules[group];
    return g.enabled.value_or(g.shown.value_or(false)) && g.shown.value_or(true);
}

uint32_t level(uint32_t value) { return std::min<uint32_t>(value, lighting::kMaxLightLevel); }

SdkMode pageMode(const std::string& name, int mode, int variant, const LightSettings& current) {
    const lighting::PanelRules rules = lighting::panelRules(variant, mode, false);
    SdkMode m;
    m.name = name;
    m.value = mode;
    if (offered(rules, PanelGroup::Speed)) {
        m.flags |= mode_flag::HasSpeed;
        m.speedMax = lighting::kMaxLightLevel;
        m.speed = level(current.speed);
    }
    if (offered(rules, PanelGroup::Brightness)) {
        m.flags |= mode_flag::HasBrightness;
        m.brightnessMax = lighting::kMaxLightLevel;
        m.brightness = level(current.light);
    }
    if (offered(rules, PanelGroup::Direction)) {
        m.flags |= mode_flag::HasDirectionLR;
        m.direction = current.fx == 1 ? direction::Left : direction::Right;
    }
    const bool colour = offered(rules, PanelGroup::ColourEdits) || offered(rules, PanelGroup::Palette);
    const bool spectrum = offered(rules, PanelGroup::Spectrum);
    if (colour) {
        m.flags |= mode_flag::HasModeSpecificColour;
        m.coloursMin = m.coloursMax = 1;
        m.colours = {rgbColour(current.red, current.green, current.blue)};
        m.colourMode = colour_mode::ModeSpecific;
    }
    if (spectrum) m.flags |= mode_flag::HasRandomColour;
    if (spectrum && (current.multiColor != 0 || !colour)) m.colourMode = colour_mode::Random;
    return m;
}

SdkMode directMode() {
    SdkMode m;
    m.name = kDirectModeName;
    m.value = kDirectModeValue;
    m.flags = mode_flag::HasPerLedColour;
    m.colourMode = colour_mode::PerLed;
    return m;
}

}  // namespace

std::vector<SdkMode> buildModes(const ModeSource& source, const LightSettings& current) {
    std::vector<SdkMode> modes;
    if (source.direct) modes.push_back(directMode());
    for (size_t i = 0; i < source.names.size(); ++i) {
        const bool shown = i < source.visible.size() && source.visible[i];
        if (!shown || source.names[i].empty()) continue;
        modes.push_back(pageMode(source.names[i], static_cast<int>(i), source.panelVariant, current));
    }
    return modes;
}

int32_t activeModeIndex(const std::vector<SdkMode>& modes, const LightSettings& current, bool directHeld) {
    const int32_t wanted = directHeld ? kDirectModeValue : current.selectItem;
    const auto it = std::find_if(modes.begin(), modes.end(), [&](const SdkMode& m) { return m.value == wanted; });
    return it == modes.end() ? 0 : static_cast<int32_t>(it - modes.begin());
}

std::optional<ModeChoice> modeChoice(const std::vector<SdkMode>& modes, const ModeUpdate& update) {
    if (update.index < 0 || static_cast<size_t>(update.index) >= modes.size()) return std::nullopt;
    const SdkMode& offer = modes[static_cast<size_t>(update.index)];
    ModeChoice choice;
    if (offer.value == kDirectModeValue) {
        choice.direct = true;
        return choice;
    }
    const SdkMode& asked = update.mode;
    lighting::LightChange& c = choice.change;
    c.mode = static_cast<uint8_t>(offer.value);
    if (offer.flags & mode_flag::HasSpeed) c.speed = static_cast<uint8_t>(level(asked.speed));
    // A client of an older version sends no brightness: the page keeps its own.
    if ((offer.flags & mode_flag::HasBrightness) && update.version >= 3) c.brightness = static_cast<uint8_t>(level(asked.brightness));
    if (offer.flags & mode_flag::HasDirectionLR) c.direction = asked.direction == direction::Left ? 1 : 0;
    if ((offer.flags & mode_flag::HasRandomColour) && asked.colourMode == colour_mode::Random) {
        c.spectrum = true;
    } else if ((offer.flags & mode_flag::HasModeSpecificColour) && asked.colourMode == colour_mode::ModeSpecific &&
               !asked.colours.empty()) {
        const uint32_t rgb = asked.colours.front();
        c.colour = lighting::Rgb{colourRed(rgb), colourGreen(rgb), colourBlue(rgb)};
        c.spectrum = false;
    }
    return choice;
}

}  // namespace talven::rgbsdk
