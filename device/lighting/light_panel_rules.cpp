#include "device/lighting/light_panel_rules.h"

#include <initializer_list>

namespace talven::lighting {

namespace {

using G = PanelGroup;

constexpr std::array<std::string_view, kPanelGroupCount> kGroupControls = {
    "lighteffect_layout", "deng_7color_check", "deng_color_layout", "colorpallet_layout", "deng_light_layout",
    "deng_speed_layout",  "deng_fx_layout",    "deng_same_mode",    "deng_on_or_off",     "lightcustom_layout",
};

// The seven groups the enable tables of the other variants speak of.
constexpr std::array<G, 7> kEditGroups = {G::EffectList, G::Spectrum, G::ColourEdits, G::Palette,
                                          G::Brightness, G::Speed,    G::Direction};

constexpr DirectionLabels kLeftRight{"light_set_left_to_right_text", "light_set_right_to_left_text"};
constexpr DirectionLabels kInsideOut{"light_set_inside_to_outside_text", "light_set_outside_to_inside_text"};
constexpr DirectionLabels kClockwise{"light_set_anti_clock_text", "light_set_clockwise_text"};
constexpr DirectionLabels kUpDown{"light_set_up_to_down_text", "light_set_down_to_up_text"};

void show(PanelRules& r, std::initializer_list<G> groups, bool on) {
    for (G g : groups) r[g].shown = on;
}
void enable(PanelRules& r, std::initializer_list<G> groups, bool on) {
    for (G g : groups) r[g].enabled = on;
}
// The listed groups are enabled; the other edit groups, except those in
// `untouched`, are disabled.
void enableOnly(PanelRules& r, std::initializer_list<G> groups, std::initializer_list<G> untouched = {}) {
    for (G g : kEditGroups) {
        bool listed = false, skip = false;
        for (G l : groups) listed = listed || l == g;
        for (G u : untouched) skip = skip || u == g;
        if (!skip) r[g].enabled = listed;
    }
}

bool inList(int mode, std::initializer_list<int> modes) {
    for (int m : modes)
        if (m == mode) return true;
    return false;
}

// The keyboard offers no colour choice: its keys have one colour.
PanelRules keyboardRules(int mode, bool sameModeOption) {
    PanelRules r;
    r.labels = kLeftRight;
    show(r, {G::OnOff, G::CustomList, G::SameMode, G::Direction}, false);
    show(r, {G::Speed, G::Brightness}, true);
    enable(r, {G::EffectList}, true);
    enable(r, {G::Spectrum, G::ColourEdits, G::Palette}, false);
    const auto brightnessAndSpeed = [&r] { enable(r, {G::Brightness, G::Speed}, true); };
    if (inList(mode, {0, 1, 2, 3, 13})) {
        // Mode 13 moves up or down: it is steered like the first modes. Left
        // alone its sliders would keep whatever the previous mode set, so a
        // visit to mode 22 would leave them disabled here.
        show(r, {G::Direction}, true);
        brightnessAndSpeed();
        if (mode == 2) r.labels = kInsideOut;
        if (mode == 3) r.labels = kClockwise;
        if (mode == 13) r.labels = kUpDown;
    } else if (mode == 4) {
        enable(r, {G::Brightness}, true);
        enable(r, {G::Speed}, false);
        show(r, {G::Speed}, false);
        show(r, {G::SameMode}, sameModeOption);
    } else if (mode == 5) {
        brightnessAndSpeed();
        show(r, {G::SameMode}, sameModeOption);
    } else if (mode == 6) {
        show(r, {G::Speed}, false);
        enable(r, {G::Speed}, false);
        enable(r, {G::Brightness}, true);
    } else if (inList(mode, {7, 8, 9, 10, 11, 12, 14, 15, 16, 17, 18, 19})) {
        brightnessAndSpeed();
    } else if (mode == 20) {
        show(r, {G::OnOff, G::CustomList}, true);
        enable(r, {G::Brightness}, true);
        show(r, {G::Speed}, false);
        enable(r, {G::Speed}, false);
    } else if (mode == 22) {
        show(r, {G::Brightness, G::Speed}, false);
        enable(r, {G::Brightness, G::Speed}, false);
        show(r, {G::SameMode}, sameModeOption);
    } else {
        enable(r, {G::Brightness, G::Speed}, false);
    }
    return r;
}

PanelRules mouseRules(int mode, bool sameModeOption) {
    PanelRules r;
    show(r, {G::SameMode}, sameModeOption);
    r[G::Direction] = {false, false};
    show(r, {G::OnOff, G::Speed}, false);
    show(r, {G::Brightness}, true);
    if (inList(mode, {0, 1, 2, 5})) {
        enableOnly(r, {G::EffectList, G::Brightness, G::Speed});
    } else if (mode == 3) {
        enableOnly(r, {G::EffectList, G::Spectrum, G::ColourEdits, G::Palette, G::Brightness, G::Speed});
    } else if (mode == 4) {
        enableOnly(r, {G::EffectList, G::Palette, G::Brightness});
    } else if (mode == 6) {
        enableOnly(r, {G::EffectList, G::Brightness, G::Speed}, {G::Direction});
        show(r, {G::Speed}, true);
    } else if (mode == 7) {
        enableOnly(r, {G::EffectList});
        show(r, {G::Brightness}, false);
    } else if (mode == 8) {
        enableOnly(r, {G::Spectrum, G::ColourEdits, G::Palette, G::Brightness, G::Speed});
    } else {
        enableOnly(r, {G::EffectList});
    }
    return r;
}

// Mouse pad and both headsets.
PanelRules padRules(int mode, bool sameModeOption) {
    PanelRules r;
    enable(r, {G::Direction}, true);
    bool sameMode = true;
    if (mode == 0) {
        enableOnly(r, {G::EffectList, G::Spectrum, G::ColourEdits, G::Palette, G::Brightness, G::Speed, G::Direction});
        sameMode = false;
    } else if (mode == 1) {
        enableOnly(r, {G::EffectList, G::Brightness, G::Speed});
    } else if (mode == 2 || mode == 4) {
        enableOnly(r, {G::EffectList, G::Spectrum, G::ColourEdits, G::Palette, G::Brightness, G::Speed});
    } else if (mode == 3) {
        enableOnly(r, {G::EffectList, G::ColourEdits, G::Palette, G::Brightness});
    } else {
        enableOnly(r, {G::EffectList});
        sameMode = mode == 8;
    }
    show(r, {G::SameMode}, sameMode && sameModeOption);
    return r;
}

// Variant 5 leaves visibility and the direction group alone.
PanelRules variant5Rules(int mode) {
    PanelRules r;
    const std::initializer_list<G> direction = {G::Direction};
    if (inList(mode, {0, 2, 3})) {
        enableOnly(r, {G::EffectList, G::Spectrum, G::ColourEdits, G::Palette, G::Brightness, G::Speed}, direction);
    } else if (mode == 1) {
        enableOnly(r, {G::EffectList, G::ColourEdits, G::Palette, G::Brightness}, direction);
    } else if (mode == 4) {
        enableOnly(r, {G::EffectList, G::Brightness, G::Speed}, direction);
    } else {
        enableOnly(r, {G::EffectList}, direction);
    }
    return r;
}

}  // namespace

std::string_view panelGroupControl(PanelGroup group) { return kGroupControls[static_cast<size_t>(group)]; }

PanelRules panelRules(int variant, int mode, bool sameModeOption) {
    switch (variant) {
    case panel_variant::Keyboard: return keyboardRules(mode, sameModeOption);
    case panel_variant::Mouse: return mouseRules(mode, sameModeOption);
    case panel_variant::MousePad:
    case panel_variant::Headset:
    case panel_variant::UsbHeadset: return padRules(mode, sameModeOption);
    case panel_variant::Variant5: return variant5Rules(mode);
    default: return {};
    }
}

}  // namespace talven::lighting
