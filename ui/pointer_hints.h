#pragma once
// Our own program's share of the pointer settings: Qt's wheel lines and
// double-click interval. The desktop's settings (platform/pointer_settings.h)
// do not reach a running Qt program, and wheel lines and page scrolling have
// no desktop setting on most desktops, so the mouse page calls this after
// every change and at attach.

#include "platform/pointer_settings.h"

namespace talven {

// Lines Qt gets for page scrolling. A scroll bar caps each wheel step at its
// page step, so this many lines scroll exactly one page of any view.
inline constexpr int kPageScrollWheelLines = 10000;

// Sets the application's wheel lines (or page scrolling) and double-click
// interval; needs a QGuiApplication.
void applyPointerHints(const PointerValues& values);

}  // namespace talven
