#include "sim/headset_model.h"

#include "sim/firmware_images.h"
#include "sim/profile_window.h"
#include "sim/report_descriptors.h"

#include <algorithm>
#include <cstdio>

namespace talven::sim {

namespace {

constexpr size_t kReportSize = 17;
constexpr uint8_t kFrameReport = 0xFF;
constexpr size_t kFirstHalf = 7;  // LEDs 0..6 in the first command of a pair
// (tag, command) of the twelve reports in sending order.
constexpr uint8_t kOrder[12][2] = {{0x22, 0xAA}, {0x22, 0xAD}, {0x44, 0xAA}, {0x44, 0xAD},
                                   {0x22, 0xAB}, {0x22, 0xAE}, {0x44, 0xAB}, {0x44, 0xAE},
                                   {0x22, 0xAC}, {0x22, 0xAF}, {0x44, 0xAC}, {0x44, 0xAF}};
constexpr uint16_t kButtons[] = {0xE9, 0xEA, 0xE2};  // volume up, down, mute: bits 0..2 of report 1

}  // namespace

FirmwareImage headsetImage() {
    FirmwareImage image;
    image.info = baseInfo(2, 3, DeviceType::Headset, HeadsetModel::kLeds, 0, 0);
    image.config = lightingRecords(0, 0, 0, 0);
    image.status = {100, 0, 0, 0, 0, 0};
    return image;
}

// The headset has no notification collection: its ear-cup buttons are bits
// of report 1 in its only (consumer) collection.
std::optional<std::vector<Report>> HeadsetModel::notificationReports(uint16_t usage) const {
    for (size_t bit = 0; bit < std::size(kButtons); ++bit) {
        if (kButtons[bit] == usage)
            return std::vector<Report>{{report::HeadsetButtons, static_cast<uint8_t>(1u << bit)}, {report::HeadsetButtons, 0x00}};
    }
    return std::nullopt;
}

bool HeadsetModel::productCommand(const Frame& request, Frame& reply, ModelResponse&) {
    if (frameCommand(request) != cmd::WriteBlock) return false;
    if (!writeProfileWindow(bytes(Area::Config), request, kLightingRecordSize, kOnboardProfiles)) reply[7] = status::Failed;
    return true;
}

void HeadsetModel::otherReport(std::span<const uint8_t> report, ModelResponse&) {
    std::lock_guard guard(frameLock_);
    if (!takeReport(report)) {
        ++broken_;
        next_ = 0;
        // A report that opens a frame starts the next one at once.
        if (report.size() == kReportSize && report[1] == kOrder[0][0] && report[2] == kOrder[0][1])
            takeReport(report);
    }
}

bool HeadsetModel::takeReport(std::span<const uint8_t> report) {
    if (report.size() != kReportSize || report[0] != kFrameReport || report[3] != 0) return false;
    if (report[1] != kOrder[next_][0] || report[2] != kOrder[next_][1]) return false;
    std::copy_n(report.begin() + 4, kFirstHalf, pending_[next_].begin());
    if (++next_ < std::size(kOrder)) return true;
    next_ = 0;
    return finishFrame();
}

// Reports 4c..4c+3 carry component c: tag 0x22 at 4c and 4c+1, tag 0x44 at
// 4c+2 and 4c+3, each pair LEDs 0..6 then 7..12.
bool HeadsetModel::finishFrame() {
    LedColours frame{};
    for (size_t c = 0; c < 3; ++c) {
        const auto& low = pending_[4 * c];
        const auto& high = pending_[4 * c + 1];
        if (low != pending_[4 * c + 2] || high != pending_[4 * c + 3]) return false;
        for (size_t led = 0; led < kLeds; ++led)
            frame[led][c] = led < kFirstHalf ? low[led] : high[led - kFirstHalf];
    }
    last_ = frame;
    ++frames_;
    return true;
}

unsigned HeadsetModel::framesReceived() const {
    std::lock_guard guard(frameLock_);
    return frames_;
}

unsigned HeadsetModel::framesBroken() const {
    std::lock_guard guard(frameLock_);
    return broken_;
}

HeadsetModel::LedColours HeadsetModel::lastFrame() const {
    std::lock_guard guard(frameLock_);
    return last_;
}

std::string HeadsetModel::controlHelp() const { return "frames <name>"; }

std::optional<std::string> HeadsetModel::productControl(const std::vector<std::string>& words, ModelResponse&) {
    if (words.empty() || words[0] != "frames") return std::nullopt;
    if (words.size() != 2) return "error usage: frames <name>";
    std::lock_guard guard(frameLock_);
    std::string line = "ok frames " + std::to_string(frames_) + " broken " + std::to_string(broken_) + " leds";
    for (const Colour& led : last_) {
        char hex[8];
        std::snprintf(hex, sizeof hex, " %02x%02x%02x", led[0], led[1], led[2]);
        line += hex;
    }
    return line;
}

std::unique_ptr<FirmwareModel> makeHeadsetModel(const FirmwareImage& image) {
    return std::make_unique<HeadsetModel>(image);
}

}  // namespace talven::sim
