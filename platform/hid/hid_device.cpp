#include "platform/hid/hid_device.h"

#include "platform/clock.h"
#include "platform/hid/hid_path.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/filter.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/uio.h>
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

// A socket node hands every packet to every client, as hidraw hands every
// report of an interface to every open file. The kernel can drop another
// collection's reports before they are queued here: a notification reader
// then sleeps through the command replies of its interface instead of waking
// for each one to throw it away. (A hidraw node takes no such filter; its
// reads keep dropping those reports themselves.) The program keeps an empty
// packet, which tells the reader the device went away (a load past its end
// would drop it), then loads the first byte, the report ID, and keeps the
// packet when it is one of `ids`.
bool keepOnlyReportIds(int fd, const std::vector<uint8_t>& ids) {
    constexpr size_t kMaxIds = 200;  // a jump reaches at most 255 instructions ahead
    if (ids.empty() || ids.size() > kMaxIds) return false;
    std::vector<sock_filter> program;
    program.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_LEN, 0));
    const auto pastTheTests = static_cast<uint8_t>(ids.size() + 2);  // the load, the tests and the drop
    program.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 0, pastTheTests, 0));
    program.push_back(BPF_STMT(BPF_LD | BPF_B | BPF_ABS, 0));
    for (size_t i = 0; i < ids.size(); ++i) {
        const auto toKeep = static_cast<uint8_t>(ids.size() - i);  // past the later tests and the drop
        program.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, ids[i], toKeep, 0));
    }
    program.push_back(BPF_STMT(BPF_RET | BPF_K, 0));            // another collection's: dropped
    program.push_back(BPF_STMT(BPF_RET | BPF_K, 0xFFFFFFFFu));  // ours: kept whole
    const sock_fprog filter{static_cast<unsigned short>(program.size()), program.data()};
    return ::setsockopt(fd, SOL_SOCKET, SO_ATTACH_FILTER, &filter, sizeof filter) == 0;
}

}  // namespace

HidDevice::HidDevice() = default;

HidDevice::~HidDevice() { close(); }

bool HidDevice::isOpen() const { return fd_.load() >= 0; }

bool HidDevice::open(const std::string& path, bool read, bool write, bool overlapped, bool exclusive) {
    std::unique_lock lock(stateLock_);
    optRead_ = read;
    optWrite_ = write;
    optOverlapped_ = overlapped;
    optExclusive_ = exclusive;
    path_ = path;
    closeLocked(lock);

    const std::string node = pathNode(path);
    const int fd = openNode(node);
    if (fd < 0) return false;
    if (!loadCapabilities(fd, node) || !makeWaitSet(fd)) {
        ::close(fd);
        return false;
    }
    interfaceNumber_ = parseInterfaceNumber(path);
    collectionNumber_ = parseCollectionNumber(path);
    stop_.reset();
    fd_.store(fd);  // transfers may start from here on
    return true;
}

int HidDevice::openNode(const std::string& node) {
    isSocket_ = isSocketNode(node);
    const int fd = isSocket_ ? connectSocket(node) : ::open(node.c_str(), openFlags(optRead_, optWrite_));
    if (fd < 0) return -1;
    // Exclusive access: refuse when somebody else holds the node exclusively,
    // and keep others who ask for it out while we have it.
    if (optExclusive_ && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool HidDevice::loadCapabilities(int fd, const std::string& node) {
    std::optional<std::vector<uint8_t>> descriptor;
    if (isSocket_) {
        descriptor = readDescriptorForNode(node);
        auto uevent = readUeventForNode(node);
        if (!uevent) return false;
        attributes_ = {uevent->vendorId, uevent->productId, 0};
    } else {
        descriptor = hidrawDescriptor(fd);
        hidraw_devinfo info{};
        if (::ioctl(fd, HIDIOCGRAWINFO, &info) < 0) return false;
        attributes_ = {static_cast<uint16_t>(info.vendor), static_cast<uint16_t>(info.product), 0};
    }
    if (!descriptor) return false;
    attributes_.version = readReleaseNumberForNode(node).value_or(0);
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
    // Without the filter every report still arrives and reads sort them out.
    if (isSocket_ && !unnumbered_) (void)keepOnlyReportIds(fd, collection_.reportIds);
    return true;
}

// The set a read waits on, built once so that a read costs one wait and one
// transfer rather than a fresh poll registration each time.
bool HidDevice::makeWaitSet(int fd) {
    waitFd_ = ::epoll_create1(EPOLL_CLOEXEC);
    if (waitFd_ < 0) return false;
    epoll_event node{};
    node.events = EPOLLIN;
    node.data.fd = fd;
    epoll_event stop{};
    stop.events = EPOLLIN;
    stop.data.fd = stop_.fd();
    if (::epoll_ctl(waitFd_, EPOLL_CTL_ADD, fd, &node) == 0 &&
        ::epoll_ctl(waitFd_, EPOLL_CTL_ADD, stop_.fd(), &stop) == 0) {
        return true;
    }
    ::close(waitFd_);
    waitFd_ = -1;
    return false;
}

void HidDevice::close() {
    std::unique_lock lock(stateLock_);
    closeLocked(lock);
}

void HidDevice::closeLocked(std::unique_lock<std::mutex>& lock) {
    if (fd_.load() < 0) return;
    closing_.store(true);
    // Wake every pending transfer; each one that wakes takes one signal, so
    // keep signalling until none is left.
    while (transfers_.load() > 0) {
        stop_.set();
        transfersDone_.wait_for(lock, std::chrono::milliseconds(5));
    }
    ::close(waitFd_);
    waitFd_ = -1;
    ::close(fd_.exchange(-1));
    closing_.store(false);
    stop_.reset();
}

int HidDevice::enterTransfer() {
    transfers_.fetch_add(1);
    const int fd = fd_.load();
    if (fd < 0 || closing_.load()) {
        leaveTransfer();
        return -1;
    }
    return fd;
}

void HidDevice::leaveTransfer() {
    if (transfers_.fetch_sub(1) == 1 && closing_.load()) {
        std::lock_guard lock(stateLock_);
        transfersDone_.notify_all();
    }
}

HidDevice::Wait HidDevice::waitReadable(int timeoutMs, uint32_t start) {
    for (;;) {
        epoll_event ready[2];
        const int n = ::epoll_wait(waitFd_, ready, 2, remainingMs(timeoutMs, start));
        if (n < 0) {
            if (errno == EINTR) continue;
            return Wait::Failed;
        }
        if (n == 0) return Wait::TimedOut;
        bool node = false;
        for (int i = 0; i < n; ++i) {
            if (ready[i].data.fd == stop_.fd()) {
                if (stop_.consume()) return Wait::Stopped;
            } else {
                node = true;  // readable, or hung up: the read tells which
            }
        }
        if (node) return Wait::Ready;
    }
}

HidDevice::Wait HidDevice::waitWritable(int fd, int timeoutMs, uint32_t start) {
    for (;;) {
        pollfd fds[2] = {{fd, POLLOUT, 0}, {stop_.fd(), POLLIN, 0}};
        int r = ::poll(fds, 2, remainingMs(timeoutMs, start));
        if (r < 0) {
            if (errno == EINTR) continue;
            return Wait::Failed;
        }
        if (r == 0) return Wait::TimedOut;
        if ((fds[1].revents & POLLIN) && stop_.consume()) return Wait::Stopped;
        if (fds[0].revents & POLLOUT) return Wait::Ready;
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) return Wait::Failed;
    }
}

bool HidDevice::acceptsReport(const uint8_t* report, size_t size) const {
    if (size == 0) return false;
    if (unnumbered_) return true;
    return collection_.ownsReportId(report[0]);
}

ssize_t HidDevice::receive(int fd, uint8_t* into) {
    for (;;) {
        ssize_t n = isSocket_ ? ::recv(fd, into, kMaxReport, MSG_DONTWAIT) : ::read(fd, into, kMaxReport);
        if (n > 0) return n;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return 0;
        return -1;  // end of stream or an error: the device went away
    }
}

bool HidDevice::read(uint8_t* buffer, size_t length, int timeoutMs, size_t* transferred) {
    if (transferred) *transferred = 0;
    const int fd = enterTransfer();
    if (fd < 0) return false;
    const uint32_t start = tickCount();
    bool ok = false;
    // On the stack and left uninitialised: only the bytes a report fills are
    // ever looked at. Unnumbered reports arrive without an ID byte; the
    // callers expect one, so they go in one byte further.
    uint8_t report[kMaxReport + 1];
    report[0] = 0;
    uint8_t* into = report + (unnumbered_ ? 1 : 0);
    while (!ok) {
        if (waitReadable(timeoutMs, start) != Wait::Ready) break;
        const ssize_t n = receive(fd, into);
        if (n < 0) break;
        if (n == 0) continue;  // another reader took it
        const size_t size = static_cast<size_t>(n) + (unnumbered_ ? 1 : 0);
        if (!acceptsReport(report, size)) continue;  // another collection's report
        if (trace_) trace_('<', std::span<const uint8_t>(report, size));
        const size_t copied = std::min(size, length);
        std::memcpy(buffer, report, copied);
        if (transferred) *transferred = copied;
        ok = true;
    }
    leaveTransfer();
    return ok;
}

bool HidDevice::write(const uint8_t* buffer, size_t length, int timeoutMs, size_t* transferred) {
    const std::span<const uint8_t> report(buffer, length);
    const bool ok = writeReports(std::span(&report, 1), timeoutMs, nullptr);
    if (transferred) *transferred = ok ? length : 0;
    return ok;
}

bool HidDevice::writeReports(std::span<const std::span<const uint8_t>> reports, int timeoutMs, size_t* written) {
    if (written) *written = 0;
    const int fd = enterTransfer();
    if (fd < 0) return false;
    size_t done = 0;
    // A stop signalled before the call ends it, as it ends a pending one.
    if (!stop_.consume()) {
        if (trace_)
            for (std::span<const uint8_t> report : reports) trace_('>', report);
        // The time-out runs from the last report the node took, so a long
        // burst is not cut short by its own length.
        uint32_t start = tickCount();
        while (done < reports.size()) {
            const ssize_t n = sendSome(fd, reports.subspan(done));
            if (n > 0) {
                done += static_cast<size_t>(n);
                start = tickCount();
            } else if (n < 0 || waitWritable(fd, timeoutMs, start) != Wait::Ready) {
                break;
            }
        }
    }
    leaveTransfer();
    if (written) *written = done;
    return done == reports.size() && !reports.empty();
}

// On a simulated node the reports go in one sendmmsg: they are queued
// together, so the device side wakes once for the lot instead of once for
// each. hidraw takes one report per write().
ssize_t HidDevice::sendSome(int fd, std::span<const std::span<const uint8_t>> reports) {
    if (!isSocket_) {
        const std::span<const uint8_t> report = reports.front();
        for (;;) {
            const ssize_t n = ::write(fd, report.data(), report.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return errno == EAGAIN ? 0 : -1;
            // A report goes whole or not at all; a short write is a failure.
            return static_cast<size_t>(n) == report.size() ? 1 : -1;
        }
    }
    constexpr size_t kBurstMax = 32;
    const size_t count = std::min(reports.size(), kBurstMax);
    std::array<iovec, kBurstMax> parts;
    std::array<mmsghdr, kBurstMax> messages;
    for (size_t i = 0; i < count; ++i) {
        parts[i] = {const_cast<uint8_t*>(reports[i].data()), reports[i].size()};
        messages[i] = {};
        messages[i].msg_hdr.msg_iov = &parts[i];
        messages[i].msg_hdr.msg_iovlen = 1;
    }
    for (;;) {
        const int n = ::sendmmsg(fd, messages.data(), static_cast<unsigned>(count), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno == EAGAIN ? 0 : -1;
        return n;
    }
}

bool HidDevice::unpackInputReport() {
    return hid::unpackInputReport(collection_, inputReport_, inputItems_);
}

bool hidPathPresent(const std::string& path) {
    struct stat st {};
    return ::stat(pathNode(path).c_str(), &st) == 0;
}

}  // namespace talven::hid
