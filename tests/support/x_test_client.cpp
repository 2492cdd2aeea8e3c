#ifdef TALVEN_TEST_HAVE_XTEST

#include "support/x_test_client.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <thread>

namespace talven::test {

FocusedXClient::FocusedXClient(const std::string& name) : display_(XOpenDisplay(name.c_str())) {
    if (!display_) return;
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 100, 100, 0, 0, 0);
    XSelectInput(display_, window_, KeyPressMask | KeyReleaseMask | StructureNotifyMask);
    XMapWindow(display_, window_);
    for (XEvent event; XWindowEvent(display_, window_, StructureNotifyMask, &event), event.type != MapNotify;) {
    }
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    XSync(display_, False);
}

FocusedXClient::~FocusedXClient() {
    if (display_) XCloseDisplay(display_);
}

std::vector<unsigned> FocusedXClient::takePresses(int settleMs) {
    std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
    XSync(display_, False);
    std::vector<unsigned> presses;
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == KeyPress) presses.push_back(event.xkey.keycode);
    }
    return presses;
}

XTestInput::XTestInput(const std::string& name) : display_(XOpenDisplay(name.c_str())) {
    int event = 0, error = 0, major = 0, minor = 0;
    if (display_ && !XTestQueryExtension(display_, &event, &error, &major, &minor)) {
        XCloseDisplay(display_);
        display_ = nullptr;
    }
}

XTestInput::~XTestInput() {
    if (display_) XCloseDisplay(display_);
}

void XTestInput::key(unsigned xKeycode, bool press) {
    XTestFakeKeyEvent(display_, xKeycode, press, CurrentTime);
    XSync(display_, False);
}

void XTestInput::tap(unsigned xKeycode) {
    key(xKeycode, true);
    key(xKeycode, false);
}

void XTestInput::button(unsigned number, bool press) {
    XTestFakeButtonEvent(display_, number, press, CurrentTime);
    XSync(display_, False);
}

void XTestInput::movePointer(int x, int y) {
    XTestFakeMotionEvent(display_, 0, x, y, CurrentTime);
    XSync(display_, False);
}

unsigned XTestInput::lockedModifiers() {
    XkbStateRec state{};
    XkbGetState(display_, XkbUseCoreKbd, &state);
    return state.locked_mods;
}

}  // namespace talven::test

#endif
