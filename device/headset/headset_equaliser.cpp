#include "device/headset/headset_equaliser.h"

#include <algorithm>

namespace talven::headset {

namespace {

constexpr std::array<Bands, kPresetCount> kPresets = {{
    {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},
    {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
    {10, 4, 0, -3, -4, -3, -2, -1, 0, 0},
    {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
    {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},
    {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
    {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},
    {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
    {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},
    {2, 1, -2, -4, -8, 4, 12, 16, 18, 15},
}};

char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool validSelection(const EqualiserState& eq) {
    return eq.selectedCurve >= 0 && static_cast<size_t>(eq.selectedCurve) < eq.curves.size();
}

}  // namespace

std::optional<Bands> presetBands(int preset) {
    if (preset < 1 || preset > kPresetCount) return std::nullopt;
    return kPresets[static_cast<size_t>(preset - 1)];
}

bool sameCurveName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return foldAscii(x) == foldAscii(y); });
}

bool selectPreset(EqualiserState& eq, int preset) {
    const auto bands = presetBands(preset);
    if (!bands) return false;
    eq.mode = preset;
    eq.bands = *bands;
    return true;
}

bool switchToCustom(EqualiserState& eq) {
    eq.mode = kCustomEqType;
    if (!validSelection(eq)) return false;
    eq.bands = eq.curves[static_cast<size_t>(eq.selectedCurve)].bands;
    return true;
}

bool moveBand(EqualiserState& eq, int band, int value) {
    if (band < 0 || band >= kEqBandCount) return false;
    if (eq.mode != kCustomEqType) {
        eq.mode = kCustomEqType;
        eq.selectedCurve = kNoCurve;
    }
    eq.bands[static_cast<size_t>(band)] = value;
    return true;
}

int saveCurve(EqualiserState& eq, std::string_view name) {
    if (name.empty()) {
        if (!validSelection(eq)) return kCurveRefused;
        eq.curves[static_cast<size_t>(eq.selectedCurve)].bands = eq.bands;
        return kCurveStored;
    }
    if (eq.curves.size() >= kMaxCustomCurves) return kCurveRefused;
    const bool taken = std::any_of(eq.curves.begin(), eq.curves.end(),
                                   [&](const CustomCurve& c) { return sameCurveName(c.name, name); });
    if (taken) return kCurveDuplicate;
    eq.curves.push_back({std::string(name), eq.bands});
    eq.selectedCurve = static_cast<int>(eq.curves.size() - 1);
    return kCurveStored;
}

bool deleteCurve(EqualiserState& eq, const Bands& presetOneBands) {
    if (!validSelection(eq)) return false;
    eq.curves.erase(eq.curves.begin() + eq.selectedCurve);
    if (!eq.curves.empty()) {
        eq.selectedCurve = 0;
        eq.bands = eq.curves.front().bands;
        return true;
    }
    eq.selectedCurve = kNoCurve;
    eq.mode = 1;
    eq.bands = presetOneBands;
    return true;
}

}  // namespace talven::headset
