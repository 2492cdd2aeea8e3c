#pragma once
// The other side of an input-capture test on an X server: a plain Xlib
// program with a focused window that records the keys it receives, and
// synthetic key and button presses through the XTEST extension.
// Built only when the X libraries and XTEST are available.

#include <cstdint>
#include <string>
#include <vector>

struct _XDisplay;

namespace talven::test {

class FocusedXClient {
public:
    // Opens `display`, maps a window and gives it the input focus.
    explicit FocusedXClient(const std::string& display);
    ~FocusedXClient();
    FocusedXClient(const FocusedXClient&) = delete;
    FocusedXClient& operator=(const FocusedXClient&) = delete;

    bool ok() const { return display_ != nullptr; }
    // X key codes of the presses received so far (releases are not kept);
    // waits `settleMs` for events in flight first.
    std::vector<unsigned> takePresses(int settleMs = 100);

private:
    _XDisplay* display_ = nullptr;
    unsigned long window_ = 0;
};

// Synthetic input on its own connection.
class XTestInput {
public:
    explicit XTestInput(const std::string& display);
    ~XTestInput();
    XTestInput(const XTestInput&) = delete;
    XTestInput& operator=(const XTestInput&) = delete;

    bool ok() const { return display_ != nullptr; }
    void key(unsigned xKeycode, bool press);
    void tap(unsigned xKeycode);
    void button(unsigned number, bool press);
    void movePointer(int x, int y);
    // The server's locked modifiers (Caps Lock is bit 1).
    unsigned lockedModifiers();

private:
    _XDisplay* display_ = nullptr;
};

}  // namespace talven::test
