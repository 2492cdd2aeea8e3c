#pragma once
// Wakes the device scan early when HID devices come or go: a udev monitor on
// the hidraw subsystem (where udev is available) and an inotify watch on each
// simulator directory. Without either, the scan's regular poll still finds
// every change.

#include <string>
#include <vector>

namespace talven {

class HotplugMonitor {
public:
    // Directories other than the real sysfs class folder that should be
    // watched for entries appearing or vanishing; `realDevices` when the real
    // devices are scanned too (they need udev).
    HotplugMonitor(const std::vector<std::string>& watchedDirs, bool realDevices);
    ~HotplugMonitor();
    HotplugMonitor(const HotplugMonitor&) = delete;
    HotplugMonitor& operator=(const HotplugMonitor&) = delete;

    // Descriptors to poll for readability.
    std::vector<int> fds() const;
    // Reads and discards what woke the poll.
    void drain();
    bool hasUdev() const { return udevFd_ >= 0; }
    // Whether every source of changes wakes the poll: udev for the real
    // devices and a watch on each simulator directory. Only then may the
    // scan wait long between passes.
    bool coversAll() const { return coversAll_; }

private:
    void* udev_ = nullptr;
    void* monitor_ = nullptr;
    int udevFd_ = -1;
    int inotifyFd_ = -1;
    bool coversAll_ = false;
};

}  // namespace talven
