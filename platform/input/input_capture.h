#pragma once
// System-wide capture of keys and mouse buttons while the user records a
// macro or types a key into a capture box. While the keyboard is captured,
// keys reach this program only; Caps Lock, Num Lock and Scroll Lock are
// passed on so they keep toggling. Mouse buttons are only watched: the
// user still has to click (the recorder's stop button among others).
//
// A capture does its work on the thread that calls it: the owner watches
// eventFd() and calls dispatch() when it is readable, so each event reaches
// the sink before the next one is read.
//
// Every grab is tied to an open descriptor (the X connection, the event
// device), so the X server or the kernel drops it when the process ends,
// however it ends; stop() and the destructor release it earlier.

#include "platform/input/input_events.h"

#include <memory>
#include <string>
#include <string_view>

namespace talven::input {

class InputSink {
public:
    virtual ~InputSink() = default;
    virtual void key(const KeyEvent& event) = 0;
    virtual void button(const ButtonEvent& event) = 0;
};

class InputCapture {
public:
    virtual ~InputCapture() = default;
    // "x11" or "evdev".
    virtual std::string_view name() const = 0;
    // Replaces whatever was captured before. false when the keyboard was
    // asked for and could not be taken (another program holds it); then
    // nothing is captured. Watching the mouse is best effort.
    virtual bool start(bool keyboard, bool mouse) = 0;
    // Releases everything; safe to call when nothing is captured.
    virtual void stop() = 0;
    virtual bool keyboardCaptured() const = 0;
    // Readable when dispatch() has work.
    virtual int eventFd() const = 0;
    // Handles every pending event; never blocks.
    virtual void dispatch(InputSink& sink) = 0;
};

struct InputCaptureOptions {
    std::string display;                     // X display; empty: $DISPLAY
    std::string inputDir = "/dev/input";     // event devices
    std::string uinputPath = "/dev/uinput";  // where lock keys are passed on
    bool tryX11 = true;
    bool tryEvdev = true;
};

// Each gives nothing when its system is not there or not accessible.
std::unique_ptr<InputCapture> openX11Capture(const std::string& display);
std::unique_ptr<InputCapture> openEvdevCapture(const std::string& inputDir, const std::string& uinputPath);

// The X server when one answers and Wayland is not running, else the event
// devices, else nothing: then only the program's own windows can be
// watched. The choice goes to the debug output.
std::unique_ptr<InputCapture> openInputCapture(const InputCaptureOptions& options = {});

}  // namespace talven::input
