#pragma once
// The mouse page's rules as pure functions: DPI stage rows (typed DPI to
// slider step, the stage that may not be switched off), the option rows'
// ranges and the language key naming what a button does.

#include "device/mouse/mouse_records.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace talven::mouse {

// A typed DPI at or below this counts as this.
inline constexpr unsigned kMinTypedDpi = 100;

// The slider step of a typed DPI: (DPI / step) - 1, the DPI first raised to
// kMinTypedDpi. Nothing before a capability record gave the step; a value
// past the slider's end gives its last step.
std::optional<unsigned> sliderIndexForTypedDpi(unsigned typedDpi, const MouseCapabilities& caps);

// The stage whose check must not be cleared: the only one still enabled.
// Nothing while none or several are enabled.
std::optional<size_t> lockedStage(std::span<const bool> enabled);

// Option rows: an index outside the row selects its first option.
int pollingRateOption(int index);
int liftOffOption(int index);

// The language key that names what logical button `button` does with
// `current` (its factory code `factory`): the button's own name while it
// keeps its function, the key or media row of the code, the name of the
// mouse button whose function it took, else the function's category.
std::string_view buttonFunctionName(size_t button, const KeyCode& current, const KeyCode& factory);

}  // namespace talven::mouse
