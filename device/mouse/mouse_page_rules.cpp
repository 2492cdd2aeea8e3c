#include "device/mouse/mouse_page_rules.h"

#include "device/key_assignment.h"
#include "device/key_functions.h"

#include <algorithm>
#include <array>

namespace talven::mouse {

namespace {

// By keyfn::Category, the names of the panel's category list.
constexpr std::array<std::string_view, keyfn::kCategoryCount> kCategoryNames = {
    "keyset_cat_default", "keyset_cat_mouse_button", "keyset_cat_swing",  "keyset_cat_wheel",
    "keyset_cat_dpi",     "keyset_cat_fire",         "keyset_cat_key",    "keyset_cat_media",
    "keyset_cat_system",  "keyset_cat_macro",        "keyset_cat_gun",    "keyset_cat_combination",
    "keyset_cat_disable",
};

}  // namespace

std::optional<unsigned> sliderIndexForTypedDpi(unsigned typedDpi, const MouseCapabilities& caps) {
    // Without the mouse's step there is nothing to divide by.
    if (caps.dpiStep == 0) return std::nullopt;
    const unsigned dpi = std::max(typedDpi, kMinTypedDpi);
    const unsigned quotient = dpi / caps.dpiStep;
    const unsigned index = quotient == 0 ? 0 : quotient - 1;
    return std::min(index, caps.dpiStepCount);
}

std::optional<size_t> lockedStage(std::span<const bool> enabled) {
    if (std::count(enabled.begin(), enabled.end(), true) != 1) return std::nullopt;
    return static_cast<size_t>(std::find(enabled.begin(), enabled.end(), true) - enabled.begin());
}

int pollingRateOption(int index) { return index >= 0 && index < kPollingRates ? index : 0; }
int liftOffOption(int index) { return index >= 0 && index < kLiftOffHeights ? index : 0; }

std::string_view buttonFunctionName(size_t button, const KeyCode& current, const KeyCode& factory) {
    if (button < kLogicalButtons && current == factory) return kMouseButtons[button].label;
    if (const keyfn::KeyFunction* key = keyfn::keyboardKey(current)) return key->name;
    if (const auto media = keyfn::findCode(keyfn::kMediaFunctions, current)) return keyfn::kMediaFunctions[*media].name;
    for (const MouseButton& other : kMouseButtons)
        if (other.factoryCode == current) return other.label;
    const keyfn::AssignmentState state =
        keyfn::decodeAssignment(keyfn::storedRecord(current), keyfn::storedRecord(factory));
    return kCategoryNames[static_cast<size_t>(state.category)];
}

}  // namespace talven::mouse
