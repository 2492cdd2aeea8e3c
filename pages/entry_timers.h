#pragma once
// The timers a selector entry runs for its page. The page asks its entry for
// one of them (for example after the device asked to be read again); the
// entry's timer handler runs the page operation.

#include <QtGlobal>

namespace talven {

namespace entryTimer {
inline constexpr uint kRender = 1000;       // every 5 ms: render and send a frame
inline constexpr uint kArrival = 1001;      // 500 ms after arrival: onConnected
inline constexpr uint kReadSettings = 1002;
inline constexpr uint kReserved1 = 1003;
inline constexpr uint kReserved2 = 1004;
inline constexpr uint kStatus = 1005;       // every 5 s while the page has a power mode
inline constexpr uint kRenderMs = 5;        // while frames go to the device
// A page whose frames go to no device only previews: its render ticks follow
// the preview's 10 repaints a second, not the device's 5 ms. Each repaint of
// the LED controls costs the window a paint of every widget under them, a
// round trip to the display server and a flush (0.5 to 0.9 ms on a 2-core
// virtual machine, nearly all of it Qt's per-widget work and the display
// server's wake-ups rather than pixels), so the preview's rate is most of
// what the program costs while it is shown: at 12.5 a second the repaints
// were a quarter to a third of it, and going to 10 took about a twelfth off
// the whole. The LED colours drift from step to step, so 10 still reads as
// smooth; the device's frames do not depend on it.
inline constexpr uint kPreviewRenderMs = 100;
inline constexpr uint kArrivalMs = 500;
inline constexpr uint kStatusMs = 5000;
}  // namespace entryTimer

}  // namespace talven
