#pragma once
// One simulated hidraw node.
//
// Plugged, it is an entry below the simulator directory laid out like a sysfs
// hidraw entry, so the ordinary enumerator finds it:
//
//   <dir>/<entry>/device/uevent              DRIVER, HID_ID, HID_NAME, HID_PHYS, ...
//   <dir>/<entry>/device/report_descriptor   the raw descriptor
//   <dir>/<entry>/node                       a listening SOCK_SEQPACKET socket
//
// Each connection to the node behaves like an open hidraw file: a packet the
// client writes is one output report (first byte the report ID) and goes to
// the handler; every input report the device emits reaches every connected
// client as one packet. The entry is built under a hidden name and renamed
// into place, so an enumeration never sees half of it; unplugging drops all
// connections first, so a client blocked in read() returns at once.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/event.h"

namespace talven::sim {

struct SimInterfaceConfig {
    std::string entryName;   // directory name below the simulator directory
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    std::string name;        // HID_NAME
    unsigned busIndex = 0;   // the n of HID_PHYS "usb-sim-<n>/input<interface>"
    std::vector<uint8_t> reportDescriptor;
    uint16_t releaseNumber = 0;  // the USB bcdDevice; its sysfs file is written when not 0
};

// The uevent text of an entry.
std::string makeSimUevent(const SimInterfaceConfig& config);

class SimHidInterface {
public:
    // What the device does with an output report. Runs on the service
    // thread; returning true removes the device (a simulated yank).
    using OutputHandler = std::function<bool(std::span<const uint8_t> report)>;

    SimHidInterface(std::string simDir, SimInterfaceConfig config, OutputHandler handler);
    ~SimHidInterface();
    SimHidInterface(const SimHidInterface&) = delete;
    SimHidInterface& operator=(const SimHidInterface&) = delete;

    // Creates the entry and starts serving. A leftover entry of the same name
    // (from a simulator that died) is replaced. False with a reason on failure.
    bool plug(std::string* error = nullptr);
    // Drops every connection and removes the entry. Safe to call when unplugged.
    void unplug();
    // The CPU the service thread keeps to from its next start; -1 (the
    // default) lets it run anywhere.
    void setServiceCpu(int cpu) { serviceCpu_ = cpu; }
    bool plugged() const { return plugged_.load(); }

    // Sends one input report to every connected client: every client whose
    // connect() returned before the call, as every file opened before a
    // report arrives gets it from hidraw. A client whose queue is full misses
    // the report, as a hidraw reader that does not keep up would. False when
    // unplugged.
    bool sendInput(std::span<const uint8_t> report);

    size_t clientCount() const;
    const SimInterfaceConfig& config() const { return config_; }
    std::string entryDir() const;
    std::string nodePath() const;

    // The kernel's id of the service thread while it runs (0 otherwise), so
    // that its wake-ups can be counted from outside.
    int serviceThreadId() const { return serviceTid_.load(); }

private:
    // Builds the entry under a hidden name and moves it into place; returns
    // the listening socket, or -1 with a reason.
    int createEntry(std::string* why);
    // The epoll sets: the service loop's (the stop event, the listening
    // socket and every client as it is taken) and one that holds only the
    // listening socket, to ask cheaply whether a connection waits.
    bool makeWaitSets(int listenFd, std::string* why);
    void serve();
    // Takes every connection waiting on the node; clientsLock_ held.
    void acceptPending();
    bool connectionWaiting() const;
    // The service loop's room for one burst of a client's reports.
    struct Burst;
    // True when the client is still connected after reading what it sent.
    bool serviceClient(int fd, Burst& burst);
    void dropClient(int fd);
    // Closes the sockets and removes the entry; idempotent.
    void teardown();
    void joinService();

    std::string dir_;
    SimInterfaceConfig config_;
    OutputHandler handler_;

    std::mutex stateLock_;  // serialises plug and unplug
    std::atomic<bool> plugged_{false};
    std::atomic<bool> yanked_{false};  // the service thread is removing the device itself
    std::thread service_;
    std::atomic<int> serviceTid_{0};
    int serviceCpu_ = -1;
    Event stop_{true};

    mutable std::mutex clientsLock_;  // guards the descriptors below
    int waitFd_ = -1;
    int listenWatchFd_ = -1;
    int listenFd_ = -1;
    std::vector<int> clients_;
};

}  // namespace talven::sim
