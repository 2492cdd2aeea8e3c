#pragma once
// The headset's ten-band equaliser as the panels see it: twelve presets, a
// custom mode, and up to twenty named custom curves. Pure state changes; the
// audio side (headset_audio.h) writes what they decide to the library.

#include "profile/profile_data_headset.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talven::headset {

using Bands = std::array<int, kEqBandCount>;

inline constexpr int kPresetCount = 12;
inline constexpr int kNoEqualiser = 0;
inline constexpr size_t kMaxCustomCurves = 20;
inline constexpr int kNoCurve = -1;

// The bands of preset 1..12; nothing for any other number.
std::optional<Bands> presetBands(int preset);

struct CustomCurve {
    std::string name;
    Bands bands{};
};

struct EqualiserState {
    int mode = kNoEqualiser;     // 0 none, 1..12 preset, kCustomEqType custom
    int selectedCurve = kNoCurve;
    Bands bands{};               // the curve the headset plays
    std::vector<CustomCurve> curves;
    bool customMarked() const { return mode == kCustomEqType; }
};

// Results of saveCurve, as the panel turns them into messages.
inline constexpr int kCurveRefused = -1;    // no curve selected to overwrite, or 20 curves already
inline constexpr int kCurveDuplicate = 0;   // the name is taken (ignoring case)
inline constexpr int kCurveStored = 1;

// Names compare without regard to ASCII letter case; other characters must
// match exactly (a UTF-8 name is never folded into a different one).
bool sameCurveName(std::string_view a, std::string_view b);

// Preset 1..12 becomes the mode and its bands the curve; false (nothing
// changed) for any other number.
bool selectPreset(EqualiserState& eq, int preset);

// Custom mode; with a curve selected its bands become the curve. True when
// the bands were replaced and must be written.
bool switchToCustom(EqualiserState& eq);

// One band moved by the user: outside custom mode this becomes custom with
// no curve selected, the other nine bands as they were. False for a band
// outside 0..9.
bool moveBand(EqualiserState& eq, int band, int value);

// An empty name overwrites the selected curve with the current bands; a new
// name is appended with them and selected.
int saveCurve(EqualiserState& eq, std::string_view name);

// Removes the selected curve. The first remaining one is selected and
// played; with none left, preset 1 plays with `presetOneBands` (the
// profile's own values for it). False when no curve was selected.
bool deleteCurve(EqualiserState& eq, const Bands& presetOneBands);

}  // namespace talven::headset
