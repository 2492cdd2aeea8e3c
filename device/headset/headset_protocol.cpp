#include "device/headset/headset_protocol.h"

#include <mutex>

namespace talven::headset {

namespace {
// A frame is streamed many times a second; a report the node cannot take
// within this time is dropped with its frame rather than stalling the UI.
constexpr int kReportTimeoutMs = 100;
}  // namespace

int HeadsetProtocol::sendFrame(std::span<const uint32_t> leds) {
    if (!channel_.isConnected() || channel_.refusal()) return channel_result::Refused;
    const FrameReports reports = buildFrameReports(leds);
    std::lock_guard lock(channel_.ioLock());
    for (const FrameReport& report : reports) {
        size_t written = 0;
        if (!channel_.device().write(report.data(), report.size(), kReportTimeoutMs, &written) ||
            written != report.size())
            return channel_result::WriteFailed;
    }
    return channel_result::Success;
}

}  // namespace talven::headset
