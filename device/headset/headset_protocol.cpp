#include "device/headset/headset_protocol.h"

#include <algorithm>
#include <array>
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
    std::array<std::span<const uint8_t>, kFrameReports> burst;
    std::copy(reports.begin(), reports.end(), burst.begin());
    std::lock_guard lock(channel_.ioLock());
    if (!channel_.device().writeReports(burst, kReportTimeoutMs, nullptr)) return channel_result::WriteFailed;
    return channel_result::Success;
}

}  // namespace talven::headset
