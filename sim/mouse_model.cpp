#include "sim/mouse_model.h"

#include "sim/firmware_images.h"
#include "sim/sim_notifications.h"

#include <algorithm>
#include <charconv>

namespace talven::sim {

namespace {

constexpr size_t kDpiStages = 5;
constexpr uint8_t kOnline = 0xFF;          // link check answer, data byte 0
constexpr uint8_t kOffline = 0x00;

// Button slots in the mouse's own order; the last slot is unassigned.
constexpr uint8_t kFactoryButtons[] = {
    0x10, 0x01, 0x00,  // left
    0x10, 0x02, 0x00,  // right
    0x10, 0x04, 0x00,  // middle
    0x10, 0x08, 0x00,  // back
    0x10, 0x10, 0x00,  // forward
    0x13, 0x01, 0x00,  // DPI up
    0x13, 0x02, 0x00,  // DPI down
    0x13, 0x03, 0x00,  // DPI cycle
    0xD0, 0x00, 0x00,  // G key
    0xA0, 0x1B, 0x00,  // game mode
    0x16, 0x90, 0x01,  // M8
    0x00, 0x00, 0x00,  // unassigned
};

std::optional<unsigned> parseDecimal(const std::string& text) {
    unsigned value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

FirmwareImage mouseImage() {
    constexpr uint16_t kDpiStep = 50, kDpiSteps = 519, kDpiBase = 100;
    FirmwareImage image;
    image.info = baseInfo(1, 4, DeviceType::Mouse, 8, sizeof kFactoryButtons / 3, 16);
    image.info[11] = kDpiStep;
    image.info[12] = kDpiSteps & 0xFF;
    image.info[13] = kDpiSteps >> 8;
    image.info[14] = kDpiBase & 0xFF;
    image.info[15] = kDpiBase >> 8;
    image.keyTable.assign(std::begin(kFactoryButtons), std::end(kFactoryButtons));

    constexpr uint16_t kStageDpi[kDpiStages] = {400, 800, 1600, 3200, 6400};
    constexpr uint8_t kStageColour[kDpiStages][3] = {
        {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {255, 255, 255}};
    image.config.assign(kOnboardProfiles * kMouseBlockStride, 0);
    for (size_t p = 0; p < kOnboardProfiles; ++p) {
        const size_t b = p * kMouseBlockStride;
        image.config[b + 0] = static_cast<uint8_t>(p);  // block 0: the active profile
        image.config[b + 1] = 1;                        // lighting mode
        image.config[b + 2] = 3;                        // brightness
        image.config[b + 3] = 4 - 2;                    // speed
        image.config[b + 5] = 1;                        // multi-colour
        image.config[b + 6] = 0xFF;
        image.config[b + 11] = 3;                       // polling-rate index
        image.config[b + kMouseBlockActiveStage] = 1;
        for (size_t s = 0; s < kDpiStages; ++s) {
            const size_t at = b + 14 + 9 * s;
            const uint16_t index = (kStageDpi[s] - kDpiBase) / kDpiStep;
            image.config[at] = 1;
            put16(image.config, at + 2, index);
            put16(image.config, at + 4, index);
            std::copy_n(kStageColour[s], 3, image.config.begin() + at + 6);
        }
        image.config[b + 59] = 1;
        put16(image.config, b + 60, 1920);
        put16(image.config, b + 62, 1080);
        image.config[b + 70] = 0x33;  // sensor model, read only
    }
    image.status = {100, 0, 0, 0, 0, 0};
    return image;
}

bool MouseModel::productCommand(const Frame& request, Frame& reply, ModelResponse& out) {
    if (frameCommand(request) != cmd::WriteTable) return false;
    transfer(Area::KeyAssignments, true, request, reply, out);
    return true;
}

std::string MouseModel::controlHelp() const { return "profile <name> <index> | dpi <name> <stage>"; }

std::optional<std::string> MouseModel::productControl(const std::vector<std::string>& words, ModelResponse& out) {
    if (words.empty()) return std::nullopt;
    if (words[0] == "profile") return profileCommand(words, out);
    if (words[0] == "dpi") return dpiCommand(words, out);
    return std::nullopt;
}

void MouseModel::announce(uint16_t usage, ModelResponse& out) const {
    if (auto reports = notificationReports(usage))
        out.reports.insert(out.reports.end(), reports->begin(), reports->end());
}

std::string MouseModel::profileCommand(const std::vector<std::string>& words, ModelResponse& out) {
    if (words.size() != 3) return "error usage: profile <name> <index>";
    const auto index = parseDecimal(words[2]);
    const unsigned profiles = bytes(Area::Info)[kInfoProfileCount];
    if (!index || *index >= profiles || (*index + 1) * kMouseBlockStride > bytes(Area::Config).size())
        return "error no onboard profile '" + words[2] + "' (the mouse has " + std::to_string(profiles) + ")";
    bytes(Area::Config)[0] = static_cast<uint8_t>(*index);
    announce(note::Synchronise, out);
    return "ok";
}

std::string MouseModel::dpiCommand(const std::vector<std::string>& words, ModelResponse& out) {
    if (words.size() != 3) return "error usage: dpi <name> <stage>";
    const auto stage = parseDecimal(words[2]);
    if (!stage || *stage >= kDpiStages) return "error no DPI stage '" + words[2] + "' (stages 0..4)";
    std::vector<uint8_t>& config = bytes(Area::Config);
    config[config[0] * kMouseBlockStride + kMouseBlockActiveStage] = static_cast<uint8_t>(*stage);
    announce(note::Synchronise, out);
    return "ok";
}

bool WirelessMouseModel::productCommand(const Frame& request, Frame& reply, ModelResponse& out) {
    if (frameCommand(request) == cmd::IsOnline) {
        reply[kFrameDataOffset] = linked_ ? kOnline : kOffline;
        return true;
    }
    if (!linked_) {
        reply[7] = status::Failed;
        return true;
    }
    return MouseModel::productCommand(request, reply, out);
}

std::string WirelessMouseModel::controlHelp() const { return MouseModel::controlHelp() + " | link <name> up|down"; }

std::optional<std::string> WirelessMouseModel::productControl(const std::vector<std::string>& words,
                                                              ModelResponse& out) {
    if (words.empty() || words[0] != "link") return MouseModel::productControl(words, out);
    if (words.size() != 3 || (words[2] != "up" && words[2] != "down")) return "error usage: link <name> up|down";
    linked_ = words[2] == "up";
    return "ok";
}

std::unique_ptr<FirmwareModel> makeMouseModel(const FirmwareImage& image) {
    return std::make_unique<MouseModel>(image);
}

std::unique_ptr<FirmwareModel> makeWirelessMouseModel(const FirmwareImage& image) {
    return std::make_unique<WirelessMouseModel>(image);
}

}  // namespace talven::sim
