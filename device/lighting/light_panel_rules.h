#pragma once
// Which groups of the lighting panel a lighting mode shows and enables, and
// how the two direction options are labelled, for each device variant. The
// panel applies the result to its controls; the device kinds only choose
// their variant. No Qt: the rules are checked without a window.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace talven::lighting {

// The device variants the panel knows.
namespace panel_variant {
inline constexpr int Keyboard = 1;
inline constexpr int Mouse = 2;
inline constexpr int MousePad = 3;
inline constexpr int Headset = 4;
inline constexpr int Variant5 = 5;
inline constexpr int UsbHeadset = 7;
}  // namespace panel_variant

// The panel's groups; each is one named control of the panel's layout.
enum class PanelGroup {
    EffectList,   // the mode list
    Spectrum,     // the spectrum check
    ColourEdits,  // the three colour edits
    Palette,      // the palette and the preset colours
    Brightness,
    Speed,
    Direction,
    SameMode,     // the button that gives every device this lighting
    OnOff,        // the custom mode's on/off switch
    CustomList,   // the custom mode's list
};
inline constexpr size_t kPanelGroupCount = 10;

// The control name of a group, as the layout names it.
std::string_view panelGroupControl(PanelGroup group);

// What applying a mode does to one group; an empty field leaves the group
// as it was.
struct GroupRule {
    std::optional<bool> shown;
    std::optional<bool> enabled;
    friend bool operator==(const GroupRule&, const GroupRule&) = default;
};

// Language keys of the direction options: FXR means direction 0, FXL 1.
struct DirectionLabels {
    std::string_view fxr;
    std::string_view fxl;
    friend bool operator==(const DirectionLabels&, const DirectionLabels&) = default;
};

struct PanelRules {
    std::array<GroupRule, kPanelGroupCount> groups{};
    std::optional<DirectionLabels> labels;  // empty: the labels stay

    GroupRule& operator[](PanelGroup g) { return groups[static_cast<size_t>(g)]; }
    const GroupRule& operator[](PanelGroup g) const { return groups[static_cast<size_t>(g)]; }
};

// The rules of `mode` for `variant`; `sameModeOption` is the panel's
// same-mode option. An unknown variant changes nothing.
PanelRules panelRules(int variant, int mode, bool sameModeOption);

}  // namespace talven::lighting
