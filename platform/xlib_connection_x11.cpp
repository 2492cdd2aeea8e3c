#include "platform/xlib_connection.h"

#include <X11/XKBlib.h>

namespace talven {

namespace {

std::mutex g_xlibLock;
int g_lastXError = 0;

int noteXError(Display*, XErrorEvent* event) {
    g_lastXError = event->error_code;
    return 0;
}

}  // namespace

XConnection::XConnection(const std::string& name, bool needKeyboardExtension)
    : lock_(g_xlibLock), previousHandler_(XSetErrorHandler(noteXError)) {
    g_lastXError = 0;
    display_ = XOpenDisplay(name.empty() ? nullptr : name.c_str());
    if (display_ == nullptr || !needKeyboardExtension) return;
    int opcode = 0, event = 0, error = 0;
    int major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(display_, &opcode, &event, &error, &major, &minor)) {
        XCloseDisplay(display_);
        display_ = nullptr;
    }
}

XConnection::~XConnection() {
    if (display_ != nullptr) XCloseDisplay(display_);
    XSetErrorHandler(previousHandler_);
}

bool XConnection::syncedWithoutError() const {
    XSync(display_, False);
    return g_lastXError == 0;
}

}  // namespace talven
