#include "sim/mousepad_model.h"

#include "sim/firmware_images.h"
#include "sim/profile_window.h"
#include "sim/sim_notifications.h"

#include <algorithm>
#include <charconv>

namespace talven::sim {

namespace {

constexpr size_t kPadLeds = 15;

std::optional<unsigned> parseIndex(const std::string& text) {
    unsigned value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

FirmwareImage mousePadImage() {
    FirmwareImage image;
    image.info = baseInfo(1, 1, DeviceType::MousePad, kPadLeds, 0, 0);
    image.config.assign(kOnboardProfiles * kLightingRecordSize, 0);
    for (size_t p = 0; p < kOnboardProfiles; ++p) {
        uint8_t* b = image.config.data() + p * kLightingRecordSize;
        b[1] = static_cast<uint8_t>(p);  // lighting mode: the wave on profile 0
        b[2] = 4;                         // brightness
        b[3] = 4 - 2;                     // speed level 2, stored inverted
        b[5] = 1;                         // spectrum colours
        b[6] = 0xFF;
        b[7] = static_cast<uint8_t>(0x30 * p);
    }
    image.status = {100, 0, 0, 0, 0, 0};
    return image;
}

bool MousePadModel::productCommand(const Frame& request, Frame& reply, ModelResponse&) {
    if (frameCommand(request) != cmd::WriteBlock) return false;
    writeWindow(request, reply);
    return true;
}

void MousePadModel::writeWindow(const Frame& request, Frame& reply) {
    if (!writeProfileWindow(bytes(Area::Config), request, kLightingRecordSize, kOnboardProfiles)) reply[7] = status::Failed;
}

void MousePadModel::afterWrite(Area area, size_t offset, size_t, ModelResponse&) {
    if (area == Area::LightFrame && offset == 0) ++frames_;
}

std::string MousePadModel::controlHelp() const { return "profile <name> <index>"; }

std::optional<std::string> MousePadModel::productControl(const std::vector<std::string>& words, ModelResponse& out) {
    if (words.empty() || words[0] != "profile") return std::nullopt;
    if (words.size() != 3) return "error usage: profile <name> <index>";
    const auto index = parseIndex(words[2]);
    if (!index || *index >= kOnboardProfiles)
        return "error no onboard profile '" + words[2] + "' (the pad has " + std::to_string(kOnboardProfiles) + ")";
    bytes(Area::Config)[0] = static_cast<uint8_t>(*index);
    if (auto reports = notificationReports(note::Synchronise))
        out.reports.insert(out.reports.end(), reports->begin(), reports->end());
    return "ok";
}

std::unique_ptr<FirmwareModel> makeMousePadModel(const FirmwareImage& image) {
    return std::make_unique<MousePadModel>(image);
}

}  // namespace talven::sim
