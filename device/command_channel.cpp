#include "device/command_channel.h"

#include "platform/clock.h"
#include "platform/debug_output.h"

#include <algorithm>
#include <cstring>

namespace talven {

using namespace channel_result;

namespace {

// Builds the 64-byte request from whatever the caller passed: truncated at
// 64 bytes, zero-padded.
Frame padRequest(const uint8_t* request, size_t length) {
    Frame frame{};
    std::memcpy(frame.data(), request, std::min(length, kFrameSize));
    return frame;
}

int statusResult(const Frame& reply) {
    switch (frameStatus(reply)) {
        case status::Failed: return StatusFailed;
        case status::Rejected: return StatusRejected;
        default: return Success;
    }
}

}  // namespace

bool CommandChannel::writeReport(const Frame& frame, int timeout) {
    std::lock_guard lock(ioLock_);
    size_t written = 0;
    return device_.write(frame.data(), frame.size(), timeout, &written) && written > 0;
}

bool CommandChannel::readReport(Frame& reply, int timeout, size_t* bytesRead) {
    std::lock_guard lock(ioLock_);
    reply.fill(0);
    return device_.read(reply.data(), reply.size(), timeout, bytesRead);
}

int CommandChannel::exchange(const uint8_t* request, size_t requestLength, uint8_t* reply,
                             size_t replyLength, size_t* bytesRead) {
    busy_ = 1;
    if (bytesRead) *bytesRead = 0;
    if (refused()) {
        busy_ = 0;
        return Refused;
    }
    const Frame out = padRequest(request, requestLength);
    debugDumpReport("命令", out);
    if (!writeReport(out, timeoutMs())) {
        busy_ = 0;
        return WriteFailed;
    }
    // A reply left over from an earlier, timed-out exchange may come first:
    // read past one reply whose command byte is not ours.
    Frame in{};
    size_t got = 0;
    bool ok = readReport(in, timeoutMs(), &got);
    if (ok && in[3] != out[3]) ok = readReport(in, timeoutMs(), &got);
    std::memcpy(reply, in.data(), std::min(replyLength, kFrameSize));
    if (bytesRead) *bytesRead = got;
    debugDumpReport("返回", in);
    busy_ = 0;
    return ok ? Success : Refused;
}

int CommandChannel::exchangeQuiet(const uint8_t* request, size_t requestLength, uint8_t* reply,
                                  size_t replyLength, size_t* bytesRead) {
    if (bytesRead) *bytesRead = 0;
    if (refused()) return Refused;
    const Frame out = padRequest(request, requestLength);
    if (!writeReport(out, kTimeoutMs)) return WriteFailed;
    Frame in{};
    size_t got = 0;
    bool ok = readReport(in, kTimeoutMs, &got);
    std::memcpy(reply, in.data(), std::min(replyLength, kFrameSize));
    if (bytesRead) *bytesRead = got;
    return ok ? Success : Refused;
}

int CommandChannel::transact(const Frame& request, Frame& reply) {
    int result;
    {
        std::lock_guard lock(transactionLock_);
        result = exchange(request.data(), request.size(), reply.data(), reply.size(), nullptr);
    }
    return result == Success ? statusResult(reply) : result;
}

// Sends `length` bytes (writes) or asks for them (reads) in chunks of 56,
// each chunk's offset advancing from `offset`. The transaction lock is taken
// per chunk, so another thread's frame may fall between two chunks.
int CommandChannel::chunked(uint8_t command, const uint8_t* source, uint8_t* destination,
                            size_t length, uint16_t offset) {
    size_t done = 0;
    int result = Success;
    while (done < length) {
        const size_t chunk = std::min(kFrameMaxData, length - done);
        const auto at = static_cast<uint16_t>(offset + done);
        std::span<const uint8_t> data;
        if (source) data = {source + done, chunk};
        Frame reply{};
        result = transact(makeFrame(command, static_cast<uint8_t>(chunk), at, data), reply);
        if (result != Success) return result;
        if (destination) std::memcpy(destination + done, reply.data() + kFrameDataOffset, chunk);
        done += chunk;
    }
    return result;
}

int CommandChannel::begin() {
    Frame reply{};
    return transact(makeFrame(cmd::Begin, 0, 0), reply);
}

int CommandChannel::end() {
    // The firmware needs a moment after the last write of a transaction.
    sleepMs(10);
    Frame reply{};
    return transact(makeFrame(cmd::End, 0, 0), reply);
}

int CommandChannel::readInfo(DeviceInfo& info) {
    return chunked(cmd::ReadInfo, nullptr, info.data(), info.size(), 0);
}

int CommandChannel::readBlock(uint8_t* buffer, size_t length, uint16_t offset) {
    return chunked(cmd::ReadBlock, nullptr, buffer, length, offset);
}

int CommandChannel::writeBlock(const uint8_t* buffer, size_t length, uint16_t offset) {
    return chunked(cmd::WriteBlock, buffer, nullptr, length, offset);
}

int CommandChannel::readTable(uint8_t* buffer) {
    return chunked(cmd::ReadTable, nullptr, buffer, tableSize_, 0);
}

int CommandChannel::writeTable(const uint8_t* buffer, int index) {
    // The firmware holds a single table; any other index is a caller error.
    if (index != 0) return BadTableIndex;
    return chunked(cmd::WriteTable, buffer, nullptr, tableSize_,
                   static_cast<uint16_t>(index * kMaxTableSize));
}

int CommandChannel::writeShort(const uint8_t* data, uint8_t length, uint16_t value) {
    const auto n = static_cast<uint8_t>(std::min<size_t>(length, kFrameMaxData));
    Frame reply{};
    return transact(makeFrame(cmd::WriteShort, n, value, {data, n}), reply);
}

int CommandChannel::readShort(uint8_t* buffer, uint8_t length, uint16_t offset) {
    const size_t n = std::min<size_t>(length, kFrameMaxData);
    Frame reply{};
    int result = transact(makeFrame(cmd::ReadShort, static_cast<uint8_t>(n), offset), reply);
    if (result == Success) std::memcpy(buffer, reply.data() + kFrameDataOffset, n);
    return result;
}

int CommandChannel::readThirdTable(uint8_t* buffer) {
    return chunked(cmd::ReadThirdTable, nullptr, buffer, tableSize_ / 3, 0);
}

int CommandChannel::writeBuffer(const uint8_t* buffer, size_t length) {
    return chunked(cmd::WriteBuffer, buffer, nullptr, length, 0);
}

// Lighting frames never wait for configuration: a chunk that finds a logged
// exchange running is dropped, and a slow link gets no frames at all.
int CommandChannel::writeLightFrame(const uint8_t* buffer, size_t length) {
    for (size_t done = 0; done < length; done += kFrameMaxData) {
        const size_t chunk = std::min(kFrameMaxData, length - done);
        if (busy()) {
            debugOutput("放弃灯光数据");
            continue;
        }
        if (slowLink()) continue;
        const Frame request = makeFrame(cmd::WriteLightFrame, static_cast<uint8_t>(chunk),
                                        static_cast<uint16_t>(done), {buffer + done, chunk});
        Frame reply{};
        int result;
        {
            std::lock_guard lock(lightingLock_);
            result = exchangeQuiet(request.data(), request.size(), reply.data(), reply.size(), nullptr);
        }
        if (result == Success) result = statusResult(reply);
        if (result != Success) return result;
    }
    return Success;
}

bool CommandChannel::isOnline() {
    const Frame request = makeFrame(cmd::IsOnline, 0, 0);
    Frame reply{};
    int result;
    {
        std::lock_guard lock(transactionLock_);
        result = exchange(request.data(), request.size(), reply.data(), reply.size(), nullptr);
    }
    return result == Success && reply[8] == 0xFF && reply[7] != status::Failed &&
           reply[7] != status::Rejected;
}

bool CommandChannel::setTableSize(uint16_t size) {
    if (size > kMaxTableSize) return false;
    tableSize_ = size;
    return true;
}

}  // namespace talven
