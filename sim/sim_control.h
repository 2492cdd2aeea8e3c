#pragma once
// The simulator's control socket: one-line text commands in, one line out,
// one packet each, over a SOCK_SEQPACKET socket named ".control" in the
// simulator directory (hidden, so the enumerator never looks at it).

#include "platform/event.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace talven::sim {

std::string simControlPath(const std::string& simdir);

// Where talven-devsim works unless told otherwise: $TALVEN_SIM_DIR, else
// $XDG_RUNTIME_DIR/talven-sim, else /tmp/talven-sim-<uid>.
std::string defaultSimDir();

class ControlServer {
public:
    using Handler = std::function<std::string(std::string_view line)>;

    ControlServer(std::string socketPath, Handler handler);
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    // A socket left behind by a server that died is replaced; a live one is
    // not (false, "already in use").
    bool start(std::string* error = nullptr);
    void stop();

private:
    void serve();
    void answer(int fd, bool* keep);

    std::string path_;
    Handler handler_;
    int listenFd_ = -1;
    std::vector<int> clients_;
    std::thread thread_;
    Event stop_{true};
};

// Sends one command to the simulator serving `simdir` and returns its answer
// line; nullopt with a reason when no simulator answers within timeoutMs.
std::optional<std::string> sendSimControl(const std::string& simdir, const std::string& command,
                                          std::string* error = nullptr, int timeoutMs = 2000);

}  // namespace talven::sim
