#pragma once
// A short connection to an X server for one request or two, shared by the
// backends that change the server's input settings. Built only with Xlib.
//
// Xlib reports protocol errors through one process-wide handler whose default
// ends the process. While a connection is open we install our own that only
// notes the error; one lock keeps two connections from swapping handlers
// under each other, so only one is open at a time.

#include <X11/Xlib.h>

#include <mutex>
#include <string>

namespace talven {

class XConnection {
public:
    // `name` as for XOpenDisplay (empty means $DISPLAY). With
    // `needKeyboardExtension`, a server without it counts as not answering.
    XConnection(const std::string& name, bool needKeyboardExtension);
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    // Nothing when the server did not answer.
    Display* get() const { return display_; }
    // Waits for the server to have handled every request sent so far.
    bool syncedWithoutError() const;

private:
    std::lock_guard<std::mutex> lock_;
    XErrorHandler previousHandler_;
    Display* display_ = nullptr;
};

}  // namespace talven
