#pragma once
// The 64-byte request/reply channel over a device's command interface.
//
// Every configurable device is read and written through it. Each command is
// one or more exchanges of a 64-byte frame (see command_frame.h); long
// buffers are cut into chunks of 56 bytes. Results are small integers so the
// device code can pass them up unchanged.

#include "device/command_frame.h"
#include "platform/hid/hid_device.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

namespace talven {

namespace channel_result {
inline constexpr int Success = 1;
inline constexpr int Refused = 0;         // not connected, refusal set, or no reply in time
inline constexpr int WriteFailed = -1;
inline constexpr int StatusFailed = -102;   // reply status 0xFF
inline constexpr int StatusRejected = -103; // reply status 0xFE
inline constexpr int BadTableIndex = -201;
}  // namespace channel_result

// The result of a transaction of several commands: every command still runs
// (a transaction once begun is ended), and the caller learns the first one
// the device did not take. A refused begin or end means the device may not
// have kept what came between, so those count like the data commands.
class FirstFailure {
public:
    int operator()(int result) {
        if (result_ == channel_result::Success) result_ = result;
        return result;
    }
    int result() const { return result_; }

private:
    int result_ = channel_result::Success;
};

// The device information record: 32 bytes and a 16-bit value, 34 in all.
using DeviceInfo = std::array<uint8_t, 34>;

class CommandChannel {
public:
    static constexpr uint16_t kMaxTableSize = 512;
    static constexpr int kTimeoutMs = 1000;
    static constexpr int kSlowLinkTimeoutMs = 5000;

    CommandChannel() = default;
    CommandChannel(const CommandChannel&) = delete;
    CommandChannel& operator=(const CommandChannel&) = delete;

    // The logged request/reply exchange: 1, 0 (refused or no reply), -1.
    int exchange(const uint8_t* request, size_t requestLength, uint8_t* reply, size_t replyLength,
                 size_t* bytesRead);
    // Lighting frames only: no log, no busy flag, no check of the echoed command.
    int exchangeQuiet(const uint8_t* request, size_t requestLength, uint8_t* reply,
                      size_t replyLength, size_t* bytesRead);

    int begin();
    int end();
    int readInfo(DeviceInfo& info);
    int readBlock(uint8_t* buffer, size_t length, uint16_t offset);
    int writeBlock(const uint8_t* buffer, size_t length, uint16_t offset);
    int readTable(uint8_t* buffer);
    int writeTable(const uint8_t* buffer, int index);
    int writeShort(const uint8_t* data, uint8_t length, uint16_t value);
    int writeLightFrame(const uint8_t* buffer, size_t length);
    int writeBuffer(const uint8_t* buffer, size_t length);
    int readShort(uint8_t* buffer, uint8_t length, uint16_t offset);
    int readThirdTable(uint8_t* buffer);
    bool isOnline();

    bool setTableSize(uint16_t size);
    uint16_t tableSize() const { return tableSize_; }

    bool isConnected() const { return connected_.load() != 0; }
    void setConnected(bool on) { connected_ = on ? 1 : 0; }
    // While set, every exchange is refused without I/O.
    void setRefusal(bool on) { refusal_ = on ? 1 : 0; }
    bool refusal() const { return refusal_.load() != 0; }
    // A wireless link: longer waits, and no lighting frames.
    void setSlowLink(bool on) { slowLink_ = on ? 1 : 0; }
    bool slowLink() const { return slowLink_.load() != 0; }
    // While set, the device's lighting thread computes no frames.
    void setPaused(bool on) { paused_ = on ? 1 : 0; }
    bool paused() const { return paused_.load() != 0; }
    bool busy() const { return busy_.load() != 0; }

    hid::HidDevice& device() { return device_; }
    std::mutex& ioLock() { return ioLock_; }
    std::mutex& transactionLock() { return transactionLock_; }
    std::mutex& lightingLock() { return lightingLock_; }

private:
    int timeoutMs() const { return slowLink() ? kSlowLinkTimeoutMs : kTimeoutMs; }
    bool refused() const { return !isConnected() || refusal(); }
    bool writeReport(const Frame& frame, int timeoutMs);
    bool readReport(Frame& reply, int timeoutMs, size_t* bytesRead);
    // One frame under the transaction lock; status bytes mapped to results.
    int transact(const Frame& request, Frame& reply);
    // Exactly one of source (a write) and destination (a read) is given.
    int chunked(uint8_t command, const uint8_t* source, uint8_t* destination, size_t length,
                uint16_t offset);

    std::atomic<uint16_t> tableSize_{kMaxTableSize};
    std::atomic<uint8_t> busy_{0};
    std::atomic<int32_t> refusal_{0};
    std::atomic<int32_t> connected_{0};
    std::atomic<int32_t> paused_{0};
    std::atomic<int32_t> slowLink_{0};
    hid::HidDevice device_;
    std::mutex ioLock_;
    std::mutex transactionLock_;
    std::mutex lightingLock_;
};

}  // namespace talven
