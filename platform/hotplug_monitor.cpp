#include "platform/hotplug_monitor.h"

#include <sys/inotify.h>
#include <unistd.h>

#ifdef TALVEN_HAVE_UDEV
#include <libudev.h>
#endif

namespace talven {

HotplugMonitor::HotplugMonitor(const std::vector<std::string>& watchedDirs, bool realDevices) {
#ifdef TALVEN_HAVE_UDEV
    if (udev* u = udev_new()) {
        udev_monitor* m = udev_monitor_new_from_netlink(u, "udev");
        if (m && udev_monitor_filter_add_match_subsystem_devtype(m, "hidraw", nullptr) >= 0 &&
            udev_monitor_enable_receiving(m) >= 0) {
            udev_ = u;
            monitor_ = m;
            udevFd_ = udev_monitor_get_fd(m);
        } else {
            if (m) udev_monitor_unref(m);
            udev_unref(u);
        }
    }
#endif
    bool watchedAll = true;
    if (!watchedDirs.empty()) {
        inotifyFd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        for (const auto& dir : watchedDirs) {
            watchedAll = watchedAll && inotifyFd_ >= 0 &&
                         inotify_add_watch(inotifyFd_, dir.c_str(),
                                           IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM) >= 0;
        }
    }
    coversAll_ = watchedAll && (!realDevices || udevFd_ >= 0);
}

HotplugMonitor::~HotplugMonitor() {
#ifdef TALVEN_HAVE_UDEV
    if (monitor_) udev_monitor_unref(static_cast<udev_monitor*>(monitor_));
    if (udev_) udev_unref(static_cast<udev*>(udev_));
#endif
    if (inotifyFd_ >= 0) ::close(inotifyFd_);
}

std::vector<int> HotplugMonitor::fds() const {
    std::vector<int> out;
    if (udevFd_ >= 0) out.push_back(udevFd_);
    if (inotifyFd_ >= 0) out.push_back(inotifyFd_);
    return out;
}

void HotplugMonitor::drain() {
#ifdef TALVEN_HAVE_UDEV
    if (monitor_) {
        while (udev_device* d = udev_monitor_receive_device(static_cast<udev_monitor*>(monitor_)))
            udev_device_unref(d);
    }
#endif
    if (inotifyFd_ >= 0) {
        char buffer[4096];
        while (::read(inotifyFd_, buffer, sizeof buffer) > 0) {
        }
    }
}

}  // namespace talven
