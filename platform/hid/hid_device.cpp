#include "platform/hid/hid_device.h"

#include "platform/clock.h"
#include "platform/hid/hid_path.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace talven::hid {

namespace {

// Larger than any report a full-speed or high-speed HID device can send.
constexpr size_t kMaxReport = 4096 + 1;

int remainingMs(int timeoutMs, uint32_t start) {
    if (timeoutMs < 0) return -1;
    uint32_t elapsed = tickCount() - start;
    return elapsed >= static_cast<uint32_t>(timeoutMs) ? 0 : timeoutMs - static_cast<int>(elapsed);
}

bool isSocketNode(const std::string& node) {
    struct stat st {};
    return ::stat(node.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

int connectSocket(const std::string& node) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (node.size() >= sizeof addr.sun_path) return -1;
    std::memcpy(addr.sun_path, node.c_str(), node.size() + 1);
    int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int openFlags(bool read, bool write) {
    int access = (read && write) ? O_RDWR : (write ? O_WRONLY : O_RDONLY);
    return access | O_NONBLOCK | O_CLOEXEC;
}

std::optional<std::vector<uint8_t>> hidrawDescriptor(int fd) {
    int size = 0;
    if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0 || size <= 0) return std::nullopt;
    hidraw_report_descriptor desc{};
    desc.size = static_cast<uint32_t>(size);
    if (::ioctl(fd, HIDIOCGRDESC, &desc) < 0) return std::nullopt;
    return std::vector<uint8_t>(desc.value, desc.value + desc.size);
}

}  // namespace

HidDevice::HidDevice() = default;

HidDevice::~HidDevice() { close(); }

bool HidDevice::isOpen() const {
    std::lock_guard lock(stateLock_);
    return fd_ >= 0;
}

bool HidDevice::open(const std::string& path, bool read, bool write, bool overlapped, bool exclusive) {
    std::unique_lock lock(stateLock_);
    optRead_ = read;
    optWrite_ = write;
    optOverlapped_ = overlapped;
    optExclusive_ = exclusive;
    path_ = path;
    closeLocked(lock);

    const std::string node = pathNode(path);
    if (!openNode(node)) return false;
    if (!loadCapabilities(node)) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    interfaceNumber_ = parseInterfaceNumber(path);
    collectionNumber_ = parseCollectionNumber(path);
    stop_.reset();
    return true;
}

bool HidDevice::openNode(const std::string& node) {
    isSocket_ = isSocketNode(node);
    fd_ = isSocket_ ? connectSocket(node) : ::open(node.c_str(), openFlags(optRead_, optWrite_));
    if (fd_ < 0) return false;
    // Exclusive access: refuse when somebody else holds the node exclusively,
    // and keep others who ask for it out while we have it.
    if (optExclusive_ && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

bool HidDevice::loadCapabilities(const std::string& node) {
    std::optional<std::vector<uint8_t>> descriptor;
    if (isSocket_) {
        descriptor = readDescriptorForNode(node);
        auto uevent = readUeventForNode(node);
        if (!uevent) return false;
        attributes_ = {uevent->vendorId, uevent->productId, 0};
    } else {
        descriptor = hidrawDescriptor(fd_);
        hidraw_devinfo info{};
        if (::ioctl(fd_, HIDIOCGRAWINFO, &info) < 0) return false;
        attributes_ = {static_cast<uint16_t>(info.vendor), static_cast<uint16_t>(info.product), 0};
    }
    if (!descriptor) return false;
    auto parsed = parseReportDescriptor(*descriptor);
    if (!parsed || parsed->collections.empty()) return false;

    // Collections are numbered from 1 in the path; an interface with a single
    // collection carries no number.
    size_t index = parseCollectionNumber(path_);
    if (index == 0) index = 1;
    if (index > parsed->collections.size()) return false;
    collection_ = parsed->collections[index - 1];
    unnumbered_ = !parsed->usesReportIds;
    inputReport_.assign(collection_.inputReportByteLength, 0);
    inputItems_ = makeInputDataItems(collection_);
    return true;
}

void HidDevice::close() {
    std::unique_lock lock(stateLock_);
    closeLocked(lock);
}

void HidDevice::closeLocked(std::unique_lock<std::mutex>& lock) {
    if (fd_ < 0) return;
    closing_ = true;
    // Wake every pending transfer; each one that wakes takes one signal, so
    // keep signalling until none is left.
    while (transfers_ > 0) {
        stop_.set();
        transfersDone_.wait_for(lock, std::chrono::milliseconds(5));
    }
    ::close(fd_);
    fd_ = -1;
    closing_ = false;
    stop_.reset();
}

int HidDevice::enterTransfer() {
    std::lock_guard lock(stateLock_);
    if (fd_ < 0 || closing_) return -1;
    ++transfers_;
    return fd_;
}

void HidDevice::leaveTransfer() {
    std::lock_guard lock(stateLock_);
    --transfers_;
    transfersDone_.notify_all();
}

HidDevice::Wait HidDevice::waitFor(int fd, short events, int timeoutMs, uint32_t start) {
    for (;;) {
        pollfd fds[2] = {{fd, events, 0}, {stop_.fd(), POLLIN, 0}};
        int r = ::poll(fds, 2, remainingMs(timeoutMs, start));
        if (r < 0) {
            if (errno == EINTR) continue;
            return Wait::Failed;
        }
        if (r == 0) return Wait::TimedOut;
        if ((fds[1].revents & POLLIN) && stop_.consume()) return Wait::Stopped;
        if (fds[0].revents & events) return Wait::Ready;
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) return Wait::Failed;
    }
}

bool HidDevice::acceptsReport(const uint8_t* report, size_t size) const {
    if (size == 0) return false;
    if (unnumbered_) return true;
    return collection_.ownsReportId(report[0]);
}

bool HidDevice::read(uint8_t* buffer, size_t length, int timeoutMs, size_t* transferred) {
    if (transferred) *transferred = 0;
    const int fd = enterTransfer();
    if (fd < 0) return false;
    const uint32_t start = tickCount();
    bool ok = false;
    std::vector<uint8_t> report(kMaxReport + 1);
    // Unnumbered reports arrive without an ID byte; the callers expect one.
    uint8_t* into = report.data() + (unnumbered_ ? 1 : 0);
    while (!ok) {
        if (waitFor(fd, POLLIN, timeoutMs, start) != Wait::Ready) break;
        ssize_t n = isSocket_ ? ::recv(fd, into, kMaxReport, 0) : ::read(fd, into, kMaxReport);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) break;  // the device went away
        size_t size = static_cast<size_t>(n) + (unnumbered_ ? 1 : 0);
        if (!acceptsReport(report.data(), size)) continue;  // another collection's report
        if (trace_) trace_('<', std::span<const uint8_t>(report.data(), size));
        size_t copied = std::min(size, length);
        std::memcpy(buffer, report.data(), copied);
        if (transferred) *transferred = copied;
        ok = true;
    }
    leaveTransfer();
    return ok;
}

bool HidDevice::write(const uint8_t* buffer, size_t length, int timeoutMs, size_t* transferred) {
    if (transferred) *transferred = 0;
    const int fd = enterTransfer();
    if (fd < 0) return false;
    const uint32_t start = tickCount();
    bool ok = false;
    if (trace_) trace_('>', std::span<const uint8_t>(buffer, length));
    for (;;) {
        if (waitFor(fd, POLLOUT, timeoutMs, start) != Wait::Ready) break;
        ssize_t n = isSocket_ ? ::send(fd, buffer, length, MSG_NOSIGNAL) : ::write(fd, buffer, length);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n > 0) {
            if (transferred) *transferred = static_cast<size_t>(n);
            ok = true;
        }
        break;
    }
    leaveTransfer();
    return ok;
}

bool HidDevice::unpackInputReport() {
    return hid::unpackInputReport(collection_, inputReport_, inputItems_);
}

bool hidPathPresent(const std::string& path) {
    struct stat st {};
    return ::stat(pathNode(path).c_str(), &st) == 0;
}

}  // namespace talven::hid
