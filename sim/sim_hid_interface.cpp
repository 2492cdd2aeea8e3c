#include "sim/sim_hid_interface.h"

#include "sim/sim_socket.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace talven::sim {

namespace {

constexpr size_t kMaxReport = 4096;

// The interface whose service thread this is, if any.
thread_local const SimHidInterface* tlsServing = nullptr;

bool writeWholeFile(const fs::path& path, const void* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    return static_cast<bool>(out);
}

// A hidden name in the simulator directory that no one else uses, so an
// entry can be moved out of sight before it is deleted.
fs::path hiddenName(const std::string& dir, const std::string& entry) {
    static std::atomic<unsigned> counter{0};
    return fs::path(dir) / (".gone-" + entry + "-" + std::to_string(::getpid()) + "-" +
                            std::to_string(counter.fetch_add(1)));
}

// Moves an entry out of the enumerator's sight in one step, then deletes it.
void removeEntry(const std::string& dir, const std::string& entry) {
    const fs::path from = fs::path(dir) / entry;
    const fs::path to = hiddenName(dir, entry);
    std::error_code ec;
    if (fs::symlink_status(from, ec).type() == fs::file_type::not_found) return;
    fs::rename(from, to, ec);
    fs::remove_all(ec ? from : to, ec);
}

}  // namespace

std::string makeSimUevent(const SimInterfaceConfig& c) {
    char line[160];
    std::string text = "DRIVER=hid-generic\n";
    std::snprintf(line, sizeof line, "HID_ID=0003:%08X:%08X\n", c.vendorId, c.productId);
    text += line;
    text += "HID_NAME=" + c.name + "\n";
    std::snprintf(line, sizeof line, "HID_PHYS=usb-sim-%u/input%u\n", c.busIndex, c.interfaceNumber);
    text += line;
    text += "HID_UNIQ=\n";
    std::snprintf(line, sizeof line, "MODALIAS=hid:b0003g0001v%08Xp%08X\n", c.vendorId, c.productId);
    text += line;
    return text;
}

SimHidInterface::SimHidInterface(std::string simDir, SimInterfaceConfig config, OutputHandler handler)
    : dir_(std::move(simDir)), config_(std::move(config)), handler_(std::move(handler)) {}

SimHidInterface::~SimHidInterface() {
    unplug();
    joinService();
}

std::string SimHidInterface::entryDir() const { return (fs::path(dir_) / config_.entryName).string(); }
std::string SimHidInterface::nodePath() const { return entryDir() + "/node"; }

void SimHidInterface::joinService() {
    if (service_.joinable() && tlsServing != this) service_.join();
}

bool SimHidInterface::plug(std::string* error) {
    std::lock_guard state(stateLock_);
    if (plugged_ && !yanked_) return true;
    joinService();  // a service thread that ends with a simulated yank
    yanked_ = false;
    std::string why;
    const int fd = createEntry(&why);
    if (fd < 0) {
        if (error) *error = why;
        return false;
    }
    {
        std::lock_guard guard(clientsLock_);
        listenFd_ = fd;
    }
    stop_.reset();
    plugged_ = true;
    service_ = std::thread([this] { serve(); });
    return true;
}

int SimHidInterface::createEntry(std::string* why) {
    if (!socketPathFits(nodePath())) {
        *why = "socket path too long: " + nodePath();
        return -1;
    }
    std::string staging = (fs::path(dir_) / ".plug-XXXXXX").string();
    if (::mkdtemp(staging.data()) == nullptr) {
        *why = "cannot create an entry in " + dir_ + ": " + std::strerror(errno);
        return -1;
    }
    std::error_code ec;
    const fs::path device = fs::path(staging) / "device";
    const std::string uevent = makeSimUevent(config_);
    const auto& rd = config_.reportDescriptor;
    int fd = -1;
    if (!fs::create_directory(device, ec) || !writeWholeFile(device / "uevent", uevent.data(), uevent.size()) ||
        !writeWholeFile(device / "report_descriptor", rd.data(), rd.size())) {
        *why = "cannot write the entry files below " + staging;
    } else if ((fd = listenSeqpacket(staging + "/node", why)) >= 0) {
        removeEntry(dir_, config_.entryName);  // a leftover of a simulator that died
        if (::rename(staging.c_str(), entryDir().c_str()) != 0) {
            *why = "cannot move the entry into place: " + std::string(std::strerror(errno));
            ::close(fd);
            fd = -1;
        }
    }
    if (fd < 0) fs::remove_all(staging, ec);
    return fd;
}

void SimHidInterface::unplug() {
    if (tlsServing == this) {
        // Called from the handler. No state lock: an unplug() on another
        // thread may hold it while it waits for this thread to finish.
        yanked_ = true;
        teardown();
        return;
    }
    std::lock_guard state(stateLock_);
    stop_.set();
    joinService();
    teardown();
}

void SimHidInterface::teardown() {
    {
        // Closing our end is what a client blocked in read() sees: EOF at once.
        std::lock_guard guard(clientsLock_);
        if (listenFd_ >= 0) ::close(listenFd_);
        listenFd_ = -1;
        for (int fd : clients_) ::close(fd);
        clients_.clear();
    }
    if (plugged_) removeEntry(dir_, config_.entryName);
    plugged_ = false;
}

void SimHidInterface::serve() {
    tlsServing = this;
    std::vector<pollfd> fds;
    for (;;) {
        fds.clear();
        fds.push_back({stop_.fd(), POLLIN, 0});
        fds.push_back({clientsChanged_.fd(), POLLIN, 0});
        {
            std::lock_guard guard(clientsLock_);
            if (listenFd_ < 0) return;  // the device was yanked
            fds.push_back({listenFd_, POLLIN, 0});
            for (int fd : clients_) fds.push_back({fd, POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents) return;  // unplug() closes the sockets after joining
        if (fds[1].revents) clientsChanged_.consume();
        if (fds[2].revents & POLLIN) {
            std::lock_guard guard(clientsLock_);
            acceptPending();
        }
        for (size_t i = 3; i < fds.size() && !yanked_; ++i) {
            if (fds[i].revents && !serviceClient(fds[i].fd)) dropClient(fds[i].fd);
        }
    }
}

bool SimHidInterface::acceptPending() {
    // Also called before every input report: a client whose connect() has
    // returned must get every later report, as after open() on a hidraw node.
    bool taken = false;
    if (listenFd_ < 0) return taken;
    for (;;) {
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) return taken;
        clients_.push_back(fd);
        taken = true;
    }
}

bool SimHidInterface::serviceClient(int fd) {
    uint8_t buffer[kMaxReport];
    ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    if (n == 0) {
        // Either an empty packet or the peer's close; only the latter hangs up.
        pollfd p{fd, POLLIN, 0};
        return !(::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR)));
    }
    if (handler_ && handler_(std::span<const uint8_t>(buffer, static_cast<size_t>(n)))) {
        unplug();  // the device vanished mid-request; teardown ends the loop
    }
    return true;
}

void SimHidInterface::dropClient(int fd) {
    std::lock_guard guard(clientsLock_);
    for (auto it = clients_.begin(); it != clients_.end(); ++it) {
        if (*it == fd) {
            ::close(fd);
            clients_.erase(it);
            return;
        }
    }
}

bool SimHidInterface::sendInput(std::span<const uint8_t> report) {
    std::lock_guard guard(clientsLock_);
    if (!plugged_ || listenFd_ < 0) return false;
    if (acceptPending() && tlsServing != this) clientsChanged_.set();
    for (int fd : clients_) {
        // Never block the device on a slow reader: hidraw drops reports for a
        // reader whose queue is full, and so do we.
        (void)::send(fd, report.data(), report.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    }
    return true;
}

size_t SimHidInterface::clientCount() const {
    std::lock_guard guard(clientsLock_);
    return clients_.size();
}

}  // namespace talven::sim
