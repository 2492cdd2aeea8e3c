#include "platform/input/input_capture.h"

#include "platform/debug_output.h"

#include <cstdlib>

namespace talven::input {

#ifndef TALVEN_HAVE_X11_CAPTURE
// Built without the X libraries: the X server is never asked.
std::unique_ptr<InputCapture> openX11Capture(const std::string&) { return nullptr; }
#endif

namespace {

// Under Wayland an X server may answer (Xwayland), but a grab there only
// reaches the X programs; the event devices reach them all.
bool waylandSession() {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return wayland != nullptr && *wayland != '\0';
}

}  // namespace

std::unique_ptr<InputCapture> openInputCapture(const InputCaptureOptions& options) {
    std::unique_ptr<InputCapture> capture;
    if (options.tryX11 && !waylandSession()) capture = openX11Capture(options.display);
    if (!capture && options.tryEvdev) capture = openEvdevCapture(options.inputDir, options.uinputPath);
    if (capture) {
        debugOutputf("input capture: %.*s", static_cast<int>(capture->name().size()), capture->name().data());
    } else {
        debugOutput("input capture: no X server and no readable event devices, own windows only");
    }
    return capture;
}

}  // namespace talven::input
