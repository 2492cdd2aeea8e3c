#include "sim/sim_control.h"

#include "platform/worker_thread.h"
#include "sim/sim_socket.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace talven::sim {

namespace {

constexpr size_t kMaxCommand = 1024;

std::string trimLine(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

}  // namespace

std::string simControlPath(const std::string& simdir) { return simdir + "/.control"; }

std::string defaultSimDir() {
    if (const char* dir = std::getenv("TALVEN_SIM_DIR"); dir && *dir) return dir;
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run) return std::string(run) + "/talven-sim";
    return "/tmp/talven-sim-" + std::to_string(::getuid());
}

ControlServer::ControlServer(std::string socketPath, Handler handler)
    : path_(std::move(socketPath)), handler_(std::move(handler)) {}

ControlServer::~ControlServer() { stop(); }

bool ControlServer::start(std::string* error) {
    if (listenFd_ >= 0) return true;
    int probe = connectSeqpacket(path_, nullptr);
    if (probe >= 0) {
        ::close(probe);
        if (error) *error = path_ + " is already in use by another simulator";
        return false;
    }
    ::unlink(path_.c_str());  // left behind by a simulator that did not stop cleanly
    listenFd_ = listenSeqpacket(path_, error);
    if (listenFd_ < 0) return false;
    stop_.reset();
    thread_ = std::thread([this] {
        nameThisThread("sim control");
        serve();
    });
    return true;
}

void ControlServer::stop() {
    if (listenFd_ < 0) return;
    stop_.set();
    if (thread_.joinable()) thread_.join();
    for (int fd : clients_) ::close(fd);
    clients_.clear();
    ::close(listenFd_);
    listenFd_ = -1;
    ::unlink(path_.c_str());
}

void ControlServer::serve() {
    std::vector<pollfd> fds;
    for (;;) {
        fds.clear();
        fds.push_back({stop_.fd(), POLLIN, 0});
        fds.push_back({listenFd_, POLLIN, 0});
        for (int fd : clients_) fds.push_back({fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents) return;
        if (fds[1].revents & POLLIN) {
            int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) clients_.push_back(fd);
        }
        for (size_t i = 2; i < fds.size(); ++i) {
            if (!fds[i].revents) continue;
            bool keep = true;
            answer(fds[i].fd, &keep);
            if (!keep) {
                ::close(fds[i].fd);
                clients_.erase(std::find(clients_.begin(), clients_.end(), fds[i].fd));
            }
        }
    }
}

void ControlServer::answer(int fd, bool* keep) {
    bool closed = false;
    auto packet = receivePacket(fd, 0, &closed);
    if (!packet) {
        *keep = !closed;
        return;
    }
    if (packet->size() > kMaxCommand) {
        *keep = sendPacket(fd, std::string("error command too long"));
        return;
    }
    std::string line = trimLine(std::string_view(reinterpret_cast<const char*>(packet->data()), packet->size()));
    if (line.find('\n') != std::string::npos) {
        *keep = sendPacket(fd, std::string("error one command per line"));
        return;
    }
    *keep = sendPacket(fd, handler_(line));
}

std::optional<std::string> sendSimControl(const std::string& simdir, const std::string& command,
                                          std::string* error, int timeoutMs) {
    std::string why;
    int fd = connectSeqpacket(simControlPath(simdir), &why);
    if (fd < 0) {
        if (error) *error = "no simulator answers in " + simdir + " (" + why + ")";
        return std::nullopt;
    }
    std::optional<std::string> reply;
    if (!sendPacket(fd, command)) {
        why = "cannot send the command";
    } else if (auto packet = receivePacket(fd, timeoutMs)) {
        reply = trimLine(std::string_view(reinterpret_cast<const char*>(packet->data()), packet->size()));
    } else {
        why = "the simulator did not answer";
    }
    ::close(fd);
    if (!reply && error) *error = why;
    return reply;
}

}  // namespace talven::sim
