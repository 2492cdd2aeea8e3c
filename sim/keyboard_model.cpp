#include "sim/keyboard_model.h"

#include "sim/keyboard_firmware.h"

#include <charconv>

namespace talven::sim {

namespace {

// The game-mode key: the keyboard keeps the state in status byte 4 and
// tells the host that it changed (note::GameMode).
constexpr size_t kStatusGameMode = 4;

std::optional<unsigned> parseDecimal(const std::string& text) {
    unsigned value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

bool KeyboardModel::productCommand(const Frame& request, Frame& reply, ModelResponse& out) {
    if (frameCommand(request) != cmd::WriteTable) return false;
    transfer(Area::KeyAssignments, true, request, reply, out);
    return true;
}

std::string KeyboardModel::controlHelp() const {
    return "key <name> <position> [press|release|tap] | profile <name> <index> | gamemode <name> on|off";
}

std::optional<std::string> KeyboardModel::productControl(const std::vector<std::string>& words,
                                                         ModelResponse& out) {
    if (words.empty()) return std::nullopt;
    if (words[0] == "key") return keyCommand(words, out);
    if (words[0] == "profile") return profileCommand(words, out);
    if (words[0] == "gamemode") return gameModeCommand(words, out);
    return std::nullopt;
}

void KeyboardModel::announce(uint16_t usage, ModelResponse& out) const {
    if (auto reports = notificationReports(usage))
        out.reports.insert(out.reports.end(), reports->begin(), reports->end());
}

std::string KeyboardModel::keyCommand(const std::vector<std::string>& words, ModelResponse& out) {
    if (words.size() < 3 || words.size() > 4) return "error usage: key <name> <position> [press|release|tap]";
    const auto position = parseDecimal(words[2]);
    const unsigned keys = bytes(Area::Info)[kInfoKeyCount];
    if (!position || *position >= keys)
        return "error no key at position '" + words[2] + "' (the keyboard has " + std::to_string(keys) + ")";
    const std::string how = words.size() == 4 ? words[3] : "tap";
    if (how != "press" && how != "release" && how != "tap") return "error '" + how + "' is not press, release or tap";
    if (how != "release") announce(static_cast<uint16_t>(note::KeyPressBase + *position), out);
    if (how != "press") announce(static_cast<uint16_t>(note::KeyReleaseBase + *position), out);
    return "ok";
}

std::string KeyboardModel::profileCommand(const std::vector<std::string>& words, ModelResponse& out) {
    if (words.size() != 3) return "error usage: profile <name> <index>";
    const auto index = parseDecimal(words[2]);
    const unsigned profiles = bytes(Area::Info)[kInfoProfileCount];
    if (!index || *index >= profiles)
        return "error no onboard profile '" + words[2] + "' (the keyboard has " + std::to_string(profiles) + ")";
    bytes(Area::Config)[0] = static_cast<uint8_t>(*index);
    announce(note::Synchronise, out);
    return "ok";
}

std::string KeyboardModel::gameModeCommand(const std::vector<std::string>& words, ModelResponse& out) {
    if (words.size() != 3 || (words[2] != "on" && words[2] != "off")) return "error usage: gamemode <name> on|off";
    bytes(Area::Status)[kStatusGameMode] = words[2] == "on" ? 1 : 0;
    announce(note::GameMode, out);
    return "ok";
}

std::unique_ptr<FirmwareModel> makeKeyboardModel(const FirmwareImage& image) {
    return std::make_unique<KeyboardModel>(image);
}

}  // namespace talven::sim
