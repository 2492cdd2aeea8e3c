#pragma once
// The command side of a simulated device: the memory areas its firmware keeps
// and the answers it gives to 64-byte command frames.
//
// The model is transport-free: a report goes in, the reports the device would
// send back come out (replies, stale replies, notifications). The simulated
// HID interface moves them. Products that behave differently (a keyboard that
// announces changes, a headset with its own lighting reports) derive from the
// model and override the hooks near the end of the class.

#include "sim/sim_protocol.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace talven::sim {

using Report = std::vector<uint8_t>;

// Memory areas of the firmware, addressed by the commands below.
enum class Area : uint8_t {
    Info,            // 0x03 read: the 34-byte information record
    KeyTable,        // 0x07 read, 0x09 write (the factory key table)
    LightPositions,  // 0x1B read
    Config,          // 0x05 read, 0x06 write
    Macro,           // 0x15 write; info byte 6 x 128 bytes
    Short,           // 0x0B write: offset = the frame's value field
    Status,          // 0x1A read
    LightFrame,      // 0x12 write
    // The keys' current functions, where products that keep the factory key
    // table apart (the keyboards) take 0x09; it starts as the factory table.
    KeyAssignments,
};
inline constexpr size_t kAreaCount = 9;

inline constexpr size_t kInfoSize = 34;
inline constexpr size_t kTableSize = 512;
inline constexpr size_t kShortAreaSize = 64;
inline constexpr size_t kStatusSize = 6;
inline constexpr size_t kMacroUnit = 128;
inline constexpr size_t kInfoKeyCount = 5;
inline constexpr size_t kInfoMacroUnits = 6;
inline constexpr size_t kInfoProfileCount = 7;  // onboard profiles

std::string_view areaName(Area area);

// Initial contents of a device's memory. Areas are zero past what is given.
struct FirmwareImage {
    std::array<uint8_t, kInfoSize> info{};
    std::vector<uint8_t> keyTable;
    std::vector<uint8_t> lightPositions;
    std::vector<uint8_t> config;
    size_t configSize = 4096;
    std::array<uint8_t, kStatusSize> status{};
};

enum class FaultKind : uint8_t {
    None,
    NoReply,   // the request is swallowed
    Stale,     // a reply with a wrong command byte goes out before the right one
    StatusFF,  // the request is refused with status 0xFF
    StatusFE,  // the request is refused with status 0xFE
    Remove,    // the device disappears instead of answering
};

std::string_view faultName(FaultKind kind);
std::optional<FaultKind> parseFaultName(std::string_view name);

struct FaultState {
    FaultKind kind = FaultKind::None;
    unsigned remaining = 0;  // requests still affected; 0 with a kind = until cleared
    unsigned after = 0;      // requests still answered normally before the fault starts
    // Aimed at the plain output reports (a lighting stream that gets no
    // reply) instead of the command frames; each side counts only its own.
    bool onReports = false;
};

// A plain output report gets no reply, so only the faults that need none can
// hit it: lost (noreply) and the device gone (remove).
bool faultFitsReports(FaultKind kind);

// What the device does in answer to one output report.
struct ModelResponse {
    std::vector<Report> reports;  // input reports, in sending order
    bool removeDevice = false;    // the device must vanish now
};

class FirmwareModel {
public:
    explicit FirmwareModel(const FirmwareImage& image);
    virtual ~FirmwareModel() = default;
    FirmwareModel(const FirmwareModel&) = delete;
    FirmwareModel& operator=(const FirmwareModel&) = delete;

    // One output report from the host; the first byte is the report ID.
    ModelResponse handleOutputReport(std::span<const uint8_t> report);

    // The input reports that announce `usage` on the device's notification
    // collection (press, then release); nullopt when the device cannot send it.
    virtual std::optional<std::vector<Report>> notificationReports(uint16_t usage) const;

    // Test and tool access; all of it is safe against the service thread.
    size_t areaSize(Area area) const;
    std::vector<uint8_t> area(Area area) const;
    std::optional<std::vector<uint8_t>> read(Area area, size_t offset, size_t length) const;
    // False (and nothing changed) when the bytes do not fit in the area. Writing
    // the information record resizes the macro memory to its byte 6.
    bool write(Area area, size_t offset, std::span<const uint8_t> bytes);
    uint8_t keyCount() const;
    size_t macroCapacity() const;

    // The command frames received, in order, bad ones included: the newest
    // kRequestLogLimit of them. A device that runs for hours in the demo
    // takes hundreds of lighting frames a second; an unbounded log would
    // grow by tens of megabytes an hour.
    static constexpr size_t kRequestLogLimit = 8192;
    std::vector<Frame> requests() const;
    // The other output reports (not report ID 0x04), the newest
    // kRequestLogLimit of them.
    std::vector<Report> otherReports() const;
    void clearRequests();

    unsigned beginCount() const;
    unsigned endCount() const;
    bool inTransaction() const;

    // A simulator command aimed at this product ("<verb> <name> ..."), for
    // what only the product can do, such as pressing one of its keys, and
    // "memory <name> <area> <offset> <length>" (the area's bytes in
    // hexadecimal, no spaces) for every product. The
    // answer line ("ok ..." or "error ..."); nullopt when the product does
    // not know the verb. Reports the product sends go into `out.reports`.
    std::optional<std::string> control(const std::vector<std::string>& words, ModelResponse& out);
    // The product's own verbs, for the simulator's help text.
    virtual std::string controlHelp() const { return {}; }

    // count = number of coming requests affected; 0 = until cleared. The
    // first `after` command frames are answered normally, so a fault can be
    // aimed at one chunk in the middle of a transaction. With `onReports`
    // the fault counts and hits the plain output reports instead; false
    // (and nothing set) for a kind that needs a reply there.
    bool setFault(FaultKind kind, unsigned count = 1, unsigned after = 0, bool onReports = false);
    void clearFault() { setFault(FaultKind::None, 0); }
    FaultState fault() const;

protected:
    // Hooks for product models; all run with the model's lock held, so they
    // may use bytes() freely but must not call the public accessors.

    // Handles a command frame with a good checksum before the common table
    // does. `reply` arrives with the header echoed and status 0; return true
    // after completing it. Reports the device sends after the reply (such as
    // notifications) go into `out.reports`.
    virtual bool productCommand(const Frame& request, Frame& reply, ModelResponse& out);
    // Runs after a write command changed an area.
    virtual void afterWrite(Area area, size_t offset, size_t length, ModelResponse& out);
    // Output reports other than command frames; the default only logs them.
    virtual void otherReport(std::span<const uint8_t> report, ModelResponse& out);
    // The product's control verbs (see control); the default knows none.
    virtual std::optional<std::string> productControl(const std::vector<std::string>& words, ModelResponse& out);

    // Moves the frame's chunk (length byte, offset field) between the frame
    // and the area, as the common commands do; status 0xFF when it does not
    // fit. Writes end in afterWrite.
    void transfer(Area area, bool write, const Frame& request, Frame& reply, ModelResponse& out);

    std::vector<uint8_t>& bytes(Area area) { return areas_[static_cast<size_t>(area)]; }
    const std::vector<uint8_t>& bytes(Area area) const { return areas_[static_cast<size_t>(area)]; }

private:
    std::optional<std::string> memoryControl(const std::vector<std::string>& words) const;
    void handleFrame(const Frame& request, ModelResponse& out);
    // Consumes one request's worth of the pending fault when it is aimed at
    // this kind of report (a command frame, or a plain report).
    FaultKind takeFault(bool plainReport);
    void runCommand(const Frame& request, Frame& reply, ModelResponse& out);
    void fitMacroMemory();

    mutable std::mutex lock_;
    std::array<std::vector<uint8_t>, kAreaCount> areas_;
    std::deque<Frame> requests_;
    std::deque<Report> otherReports_;
    FaultState fault_;
    unsigned begins_ = 0;
    unsigned ends_ = 0;
    bool inTransaction_ = false;
};

// A reply frame for `request`: report ID, command, length and offset echoed,
// the given status, no data, not yet sealed.
Frame replyFrame(const Frame& request, uint8_t status);

}  // namespace talven::sim
