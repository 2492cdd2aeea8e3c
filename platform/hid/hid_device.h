#pragma once
// One opened HID interface (one top-level collection of it).
//
// Reads wait with epoll on the node and on the stop event, both registered
// once at open, so a pending read ends the moment stop is signalled or the
// node goes away. A write is tried at once (the node is non-blocking and a
// report almost always fits) and waits only when the node is full. Transfers
// are plain read()/write() calls on a ready node: when they return, the
// kernel no longer touches the caller's buffer.
//
// hidraw delivers every input report of the interface to every open file;
// a device opened on one collection drops the reports whose ID belongs to
// another collection, so the command channel never sees key events and the
// event reader never sees command replies.

#include "platform/event.h"
#include "platform/hid/hid_enumerator.h"
#include "platform/hid/report_descriptor.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace talven::hid {

struct HidAttributes {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t version = 0;
};

class HidDevice {
public:
    HidDevice();
    ~HidDevice();
    HidDevice(const HidDevice&) = delete;
    HidDevice& operator=(const HidDevice&) = delete;

    // Closes what is open, then opens `path` and reads its capabilities.
    bool open(const std::string& path, bool read, bool write, bool overlapped, bool exclusive);
    // Ends a pending read or write (through the stop event) and closes.
    void close();
    bool isOpen() const;

    // Time-outs in milliseconds, -1 waits without limit. `transferred` is the
    // byte count (0 on failure). A read fills at most `length` bytes with one
    // report whose first byte is the report ID (0 for unnumbered reports).
    bool read(uint8_t* buffer, size_t length, int timeoutMs, size_t* transferred);
    bool write(const uint8_t* buffer, size_t length, int timeoutMs, size_t* transferred);
    // Writes the reports in order, as one burst where the node allows it.
    // True when every report went; `written` (if given) counts those that did. The
    // time-out applies to each wait for room, not to the whole burst.
    bool writeReports(std::span<const std::span<const uint8_t>> reports, int timeoutMs, size_t* written);

    // Decodes the last report placed in inputReport() into inputItems().
    bool unpackInputReport();

    // Sees every report this device writes ('>') and accepts ('<'); for the
    // command-line tool's trace. Set before I/O starts.
    using TraceHook = std::function<void(char direction, std::span<const uint8_t> report)>;
    void setTraceHook(TraceHook hook) { trace_ = std::move(hook); }

    Event& stopEvent() { return stop_; }
    const std::string& path() const { return path_; }
    const HidAttributes& attributes() const { return attributes_; }
    const TopLevelCollection& caps() const { return collection_; }
    uint16_t interfaceNumber() const { return interfaceNumber_; }
    uint16_t collectionNumber() const { return collectionNumber_; }
    std::vector<uint8_t>& inputReport() { return inputReport_; }
    const std::vector<DataItem>& inputItems() const { return inputItems_; }

private:
    enum class Wait { Ready, Stopped, TimedOut, Failed };
    Wait waitReadable(int timeoutMs, uint32_t start);
    Wait waitWritable(int fd, int timeoutMs, uint32_t start);
    // Sends what the node takes at once from the front of `reports`: their
    // count, 0 when it is full, -1 when it failed or went away.
    ssize_t sendSome(int fd, std::span<const std::span<const uint8_t>> reports);
    // Reads one report into `into` (room for kMaxReport bytes); its size,
    // 0 when nothing was there, -1 when the node failed or went away.
    ssize_t receive(int fd, uint8_t* into);
    bool acceptsReport(const uint8_t* report, size_t size) const;
    int openNode(const std::string& node);
    bool loadCapabilities(int fd, const std::string& node);
    bool makeWaitSet(int fd);
    int enterTransfer();
    void leaveTransfer();
    void closeLocked(std::unique_lock<std::mutex>& lock);

    std::string path_;
    bool optRead_ = false, optWrite_ = false, optOverlapped_ = false, optExclusive_ = false;
    bool isSocket_ = false;
    bool unnumbered_ = false;  // the interface uses no report IDs
    HidAttributes attributes_;
    TopLevelCollection collection_;
    std::vector<uint8_t> inputReport_;
    std::vector<DataItem> inputItems_;
    uint16_t interfaceNumber_ = 0;
    uint16_t collectionNumber_ = 0;
    TraceHook trace_;

    Event stop_{false};
    // open() and close() serialise on stateLock_. Transfers do not take it:
    // each one counts itself in transfers_ before it looks at fd_, and
    // close() sets closing_ before it looks at the count, so either the
    // transfer sees the close coming and backs off, or close() sees the
    // transfer and waits for it. The descriptor is published only once its
    // capabilities are known and closed only once no transfer can use it.
    mutable std::mutex stateLock_;
    std::condition_variable transfersDone_;
    std::atomic<int> fd_{-1};
    int waitFd_ = -1;  // epoll set: the node and the stop event
    std::atomic<int> transfers_{0};
    std::atomic<bool> closing_{false};
};

// Whether the node behind a path is still present (the scan loop's removal
// probe). Does not need permission to open the node.
bool hidPathPresent(const std::string& path);

}  // namespace talven::hid
