#include "sim/sim_hid_interface.h"

#include "platform/worker_thread.h"
#include "sim/sim_socket.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace talven::sim {

namespace {

constexpr size_t kMaxReport = 4096;
// Reports taken from a client in one call: a host writes a frame's burst of
// reports together (the headset's twelve), and reading them one wake-up and
// one call at a time would cost the device a round of the loop per report.
constexpr size_t kBurstReports = 16;

}  // namespace

// Room for one burst, laid out for recvmmsg once per service loop: the call
// fills in each report's length and leaves the layout as it was.
struct SimHidInterface::Burst {
    Burst() : bytes(kBurstReports * kMaxReport) {
        for (size_t i = 0; i < kBurstReports; ++i) {
            parts[i] = {report(i), kMaxReport};
            messages[i].msg_hdr.msg_iov = &parts[i];
            messages[i].msg_hdr.msg_iovlen = 1;
        }
    }
    Burst(const Burst&) = delete;
    Burst& operator=(const Burst&) = delete;
    uint8_t* report(size_t i) { return bytes.data() + i * kMaxReport; }

    std::vector<uint8_t> bytes;
    std::array<iovec, kBurstReports> parts{};
    std::array<mmsghdr, kBurstReports> messages{};
};

namespace {

bool hungUp(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR));
}

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

bool watch(int waitFd, int fd) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = fd;
    return ::epoll_ctl(waitFd, EPOLL_CTL_ADD, fd, &event) == 0;
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
    bool ready = fd >= 0;
    {
        std::lock_guard guard(clientsLock_);
        listenFd_ = fd;
        if (ready && !makeWaitSets(fd, &why)) ready = false;
    }
    if (!ready) {
        teardown();
        if (fd >= 0) removeEntry(dir_, config_.entryName);
        if (error) *error = why;
        return false;
    }
    stop_.reset();
    plugged_ = true;
    service_ = std::thread([this, cpu = serviceCpu_] {
        nameThisThread(config_.entryName);  // as the simulator directory lists it
        (void)keepThisThreadOn(cpu);  // refuses -1: then it runs anywhere
        // The host that sent a request waits for the answer next: woken by
        // the request, the device answers once the host sleeps rather than
        // taking the CPU from it at once, and the request's whole burst of
        // reports is then served in one wake-up.
        (void)waitForTurnOnWakeUp();
        serve();
    });
    return true;
}

bool SimHidInterface::makeWaitSets(int listenFd, std::string* why) {
    waitFd_ = ::epoll_create1(EPOLL_CLOEXEC);
    listenWatchFd_ = ::epoll_create1(EPOLL_CLOEXEC);
    if (waitFd_ < 0 || listenWatchFd_ < 0 || !watch(waitFd_, stop_.fd()) || !watch(waitFd_, listenFd) ||
        !watch(listenWatchFd_, listenFd)) {
        *why = std::string("cannot set up the wait for requests: ") + std::strerror(errno);
        return false;
    }
    return true;
}

namespace {

// As sysfs shows a USB device's bcdDevice: four hexadecimal digits and a newline.
bool writeReleaseNumber(const fs::path& device, uint16_t release) {
    if (release == 0) return true;
    char text[8];
    std::snprintf(text, sizeof text, "%04x\n", release);
    return writeWholeFile(device / "bcdDevice", text, 5);
}

}  // namespace

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
    } else if (!writeReleaseNumber(device, config_.releaseNumber)) {
        *why = "cannot write the release number below " + staging;
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
        for (int* fd : {&waitFd_, &listenWatchFd_, &listenFd_}) {
            if (*fd >= 0) ::close(*fd);
            *fd = -1;
        }
        for (int fd : clients_) ::close(fd);
        clients_.clear();
    }
    if (plugged_) removeEntry(dir_, config_.entryName);
    plugged_ = false;
}

// Sleeps in one wait until there is something to do: a request or a hang-up
// from a client, a connection, or the stop. There is no time-out: an idle
// device costs its host nothing.
void SimHidInterface::serve() {
    tlsServing = this;
    serviceTid_ = static_cast<int>(::gettid());
    int waitFd, listenFd;
    {
        std::lock_guard guard(clientsLock_);
        waitFd = waitFd_;
        listenFd = listenFd_;
    }
    epoll_event ready[16];
    Burst burst;
    bool running = true;
    while (running) {
        const int n = ::epoll_wait(waitFd, ready, 16, -1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        for (int i = 0; i < n && running; ++i) {
            const int fd = ready[i].data.fd;
            if (fd == stop_.fd()) {
                running = false;  // unplug() closes the sockets after joining
            } else if (fd == listenFd) {
                std::lock_guard guard(clientsLock_);
                acceptPending();
            } else if (!serviceClient(fd, burst)) {
                dropClient(fd);
            }
            if (yanked_) running = false;  // the handler removed the device; its sockets are gone
        }
    }
    serviceTid_ = 0;
}

void SimHidInterface::acceptPending() {
    if (listenFd_ < 0) return;
    for (;;) {
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) return;
        // Taken here, the client joins the service loop's wait, whichever
        // thread took it, so its requests are answered.
        if (!watch(waitFd_, fd)) {
            ::close(fd);
            continue;
        }
        clients_.push_back(fd);
    }
}

bool SimHidInterface::connectionWaiting() const {
    epoll_event ready;
    return ::epoll_wait(listenWatchFd_, &ready, 1, 0) > 0;
}

bool SimHidInterface::serviceClient(int fd, Burst& burst) {
    const int got = ::recvmmsg(fd, burst.messages.data(), kBurstReports, MSG_DONTWAIT, nullptr);
    if (got < 0) return errno == EAGAIN || errno == EINTR;
    if (got == 0) return !hungUp(fd);
    // In the order sent, as the node would hand them over one by one.
    for (int i = 0; i < got; ++i) {
        const auto at = static_cast<size_t>(i);
        const size_t n = burst.messages[at].msg_len;
        // Either an empty packet or the peer's close; only the latter hangs up.
        if (n == 0) {
            if (hungUp(fd)) return false;
            continue;
        }
        if (handler_ && handler_(std::span<const uint8_t>(burst.report(at), n))) {
            unplug();  // the device vanished mid-request; teardown ends the loop
            return true;
        }
    }
    return true;
}

void SimHidInterface::dropClient(int fd) {
    std::lock_guard guard(clientsLock_);
    auto it = std::find(clients_.begin(), clients_.end(), fd);
    if (it == clients_.end()) return;
    ::epoll_ctl(waitFd_, EPOLL_CTL_DEL, fd, nullptr);
    ::close(fd);
    clients_.erase(it);
}

bool SimHidInterface::sendInput(std::span<const uint8_t> report) {
    std::lock_guard guard(clientsLock_);
    if (!plugged_ || listenFd_ < 0) return false;
    // A client whose connect() has returned must get this report even when
    // the service loop has not taken it yet. Asking the listening socket's
    // own set is far cheaper than an accept that finds nobody.
    if (connectionWaiting()) acceptPending();
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
