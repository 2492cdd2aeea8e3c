#pragma once
// An Xvfb of the test's own. The server picks a free display number itself
// and writes it to the pipe we give it (-displayfd), so parallel runs never
// collide. -noreset: an X server with no clients left starts afresh with its
// defaults, which a desktop session with its window manager never does.

#include <string>

#include <sys/types.h>

namespace talven::test {

// The program's full path from $PATH, or empty.
std::string findProgram(const std::string& name);

class XvfbServer {
public:
    // `screen` is Xvfb's WIDTHxHEIGHTxDEPTH; the default keeps it small.
    explicit XvfbServer(const std::string& screen = "320x240x24");
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // ":N", or empty when the server did not come up.
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace talven::test
