#include "device/device_scan.h"

#include "platform/debug_output.h"
#include "platform/hid/hid_device.h"
#include "platform/hid/hid_path.h"
#include "platform/hotplug_monitor.h"

#include <poll.h>

namespace talven {

namespace {

bool sameSite(const InterfaceEntry& a, const InterfaceEntry& b) {
    return a.vendorId == b.vendorId && a.productId == b.productId &&
           a.interfaceNumber == b.interfaceNumber && a.collectionNumber == b.collectionNumber;
}

bool sameIdentity(const InterfaceEntry& a, const InterfaceEntry& b) {
    return sameSite(a, b) && a.usagePage == b.usagePage && a.usage == b.usage;
}

}  // namespace

std::optional<InterfaceEntry> recognizeInterface(const std::string& path) {
    InterfaceEntry probe;
    probe.vendorId = hid::parseVendorId(path);
    probe.productId = hid::parseProductId(path);
    probe.interfaceNumber = hid::parseInterfaceNumber(path);
    probe.collectionNumber = hid::parseCollectionNumber(path);

    const auto& table = recognitionTable();
    bool candidate = false;
    for (const auto& row : table) candidate = candidate || sameSite(row, probe);
    if (!candidate) return std::nullopt;

    // The path may claim anything; the device's own attributes and usages decide.
    hid::HidDevice device;
    if (!device.open(path, true, false, true, false)) return std::nullopt;
    probe.vendorId = device.attributes().vendorId;
    probe.productId = device.attributes().productId;
    probe.usagePage = device.caps().usagePage;
    probe.usage = device.caps().usage;
    device.close();

    for (const auto& row : table) {
        if (!sameIdentity(row, probe)) continue;
        InterfaceEntry found = row;
        found.path = path;
        return found;
    }
    return std::nullopt;
}

DeviceScanner::DeviceScanner(Callbacks callbacks, std::vector<hid::HidRoot> roots)
    : callbacks_(std::move(callbacks)), roots_(std::move(roots)), slots_(makeDeviceSlots()) {}

std::vector<DeviceSlot> DeviceScanner::slotList() const {
    std::lock_guard lock(lock_);
    return slots_;
}

DeviceSlot DeviceScanner::slot(int index) const {
    std::lock_guard lock(lock_);
    if (index < 0 || static_cast<size_t>(index) >= slots_.size()) return {};
    return slots_[static_cast<size_t>(index)];
}

bool DeviceScanner::anySlotFree() const {
    std::lock_guard lock(lock_);
    for (const auto& s : slots_)
        if (s.free()) return true;
    return false;
}

bool DeviceScanner::pathHeld(const std::string& path) const {
    std::lock_guard lock(lock_);
    for (const auto& s : slots_)
        if (s.occupied && s.path == path) return true;
    return false;
}

// The first free slot in table order with the same identity takes the
// interface; a second identical product finds none and is ignored.
int DeviceScanner::claimSlot(const InterfaceEntry& entry) {
    std::lock_guard lock(lock_);
    for (size_t i = 0; i < slots_.size(); ++i) {
        DeviceSlot& s = slots_[i];
        if (!sameIdentity(s, entry) || s.occupied || !s.path.empty()) continue;
        s.occupied = 1;
        s.path = entry.path;
        return static_cast<int>(i);
    }
    return -1;
}

void DeviceScanner::discover() {
    hid::HidPathList list;
    hid::enumerate(list, roots_);
    while (const std::string* path = hid::nextPath(list)) {
        // An interface already in a slot must not be counted again: with the
        // rows that share an identity it would take a second slot.
        if (pathHeld(*path)) continue;
        auto entry = recognizeInterface(*path);
        if (!entry) continue;
        int index = claimSlot(*entry);
        if (index >= 0 && callbacks_.occupied) callbacks_.occupied(index);
    }
    hid::freeList(list);
}

void DeviceScanner::checkRemovals() {
    for (size_t i = 0; i < slots_.size(); ++i) {
        std::string path;
        {
            std::lock_guard lock(lock_);
            if (!slots_[i].occupied) continue;
            path = slots_[i].path;
        }
        if (hid::hidPathPresent(path)) continue;
        {
            std::lock_guard lock(lock_);
            slots_[i].occupied = 0;
            slots_[i].path.clear();
        }
        if (callbacks_.vacated) callbacks_.vacated(static_cast<int>(i));
    }
}

void DeviceScanner::scanOnce() {
    if (anySlotFree()) {
        discover();
        if (!firstPassReported_) {
            firstPassReported_ = true;
            if (callbacks_.firstPassDone) callbacks_.firstPassDone();
        }
    }
    checkRemovals();
}

void DeviceScanner::run(Event& stop) {
    std::vector<std::string> watched;
    bool realDevices = false;
    for (const auto& root : roots_) {
        if (root.classDir == "/sys/class/hidraw") realDevices = true;
        else watched.push_back(root.classDir);
    }
    HotplugMonitor monitor(watched, realDevices);
    const int pollMs = monitor.coversAll() ? kWatchedPollMs : kPollMs;

    std::vector<pollfd> fds{{stop.fd(), POLLIN, 0}};
    for (int fd : monitor.fds()) fds.push_back({fd, POLLIN, 0});

    for (;;) {
        if (stop.isSet()) break;
        scanOnce();
        for (auto& p : fds) p.revents = 0;
        ::poll(fds.data(), fds.size(), pollMs);
        if (fds[0].revents & POLLIN) break;
        monitor.drain();
    }
    debugOutput("抓取设备线程设定退出");
}

}  // namespace talven
