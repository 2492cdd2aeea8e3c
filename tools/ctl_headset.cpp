#include "tools/ctl_headset.h"

#include "device/headset/headset_protocol.h"
#include "device/lighting/base_effects.h"
#include "device/lighting/light_tables.h"
#include "platform/app_paths.h"
#include "profile/profile_list.h"
#include "tools/ctl_device.h"
#include "tools/ctl_format.h"

#include <charconv>
#include <cstdio>
#include <stdexcept>

namespace talven::ctl {

namespace {

using channel_result::Success;
using namespace headset::audio_value;

constexpr uint8_t kLightingOff = 8;

std::optional<int> parseNumber(const std::string& text, int low, int high) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

void printBands(const headset::HeadsetAudio& audio) {
    std::printf("equaliser mode %d bands", audio.values()[EqMode]);
    for (int band : audio.equaliser().bands) std::printf(" %d", band);
    std::printf("\n");
}

int runEq(const HeadsetRequest& request) {
    const auto preset = request.args.size() == 2 ? parseNumber(request.args[1], 1, headset::kPresetCount)
                                                 : std::nullopt;
    if (!preset) return fail("headset eq needs a preset 1..12", 2);
    std::string error;
    auto session = openHeadsetAudio(request.trace, &error);
    if (!session) return fail(error);
    if (!session->audio->selectEqualiser(*preset)) return fail("the headset did not take every band");
    printBands(*session->audio);
    return 0;
}

int runMic(const HeadsetRequest& request) {
    const auto level = request.args.size() == 2 ? parseNumber(request.args[1], 0, 100) : std::nullopt;
    if (!level) return fail("headset mic needs a level 0..100", 2);
    std::string error;
    auto session = openHeadsetAudio(request.trace, &error);
    if (!session) return fail(error);
    if (!session->audio->setInputLevel(*level)) return fail("the headset did not take the input level");
    std::printf("microphone input level %d%% volume %s\n", *level,
                headset::volumeText(session->audio->inputLevels()).c_str());
    return 0;
}

// False with `error` set when the profile cannot be read: a damaged file is
// not replaced by the factory settings on the headset.
bool loadProfile(const std::string& path, const std::string& defaultPath, CHs6533Profiledata& profile,
                 std::string* error) {
    profile.SetDefaultPath(defaultPath);
    profile.LoadDeviceEntry(path);
    if (profile.lastStatus() == ProfileStatus::damagedFile || profile.lastStatus() == ProfileStatus::noFactoryEntry) {
        *error = "cannot read " + path + ": " + profile.lastError();
        return false;
    }
    return true;
}

// The block is read first so the bytes the program does not own go back as
// the headset holds them. The frame (the profile's colour, the first the
// lighting shows) goes before the block write: the headset answers the write
// only after it took the frame's reports, so when apply ends all of it is
// on the headset.
int applyLighting(headset::HeadsetProtocol& link, const LightSettings& light) {
    headset::SettingsReading reading = link.readSettings();
    if (reading.result != Success) return fail("settings block: " + describeResult(reading.result) + "; nothing written");
    std::vector<uint32_t> frame(headset::kHeadsetLeds, 0);
    if (light.selectItem != kLightingOff)
        lighting::fillFrame(frame, {light.red, light.green, light.blue}, lighting::brightnessForLevel(light.light));
    if (const int r = link.sendFrame(frame); r != Success) return fail("lighting frame: " + describeResult(r));
    mousepad::storeLight(reading.block, light);
    if (const int r = link.writeSettings(0, reading.block); r != Success)
        return fail("settings block: " + describeResult(r));
    std::printf("mode %u brightness %u speed %u direction %u spectrum %u colour %u %u %u\n", light.selectItem,
                light.light, light.speed, light.fx, light.multiColor, light.red, light.green, light.blue);
    return 0;
}

std::string dataFolder(const FoundInterface& target, const std::vector<std::string>& options, std::string* error) {
    if (options.empty()) {
        try {
            return paths::deviceDataFolder(target.productName);
        } catch (const std::invalid_argument& e) {
            *error = e.what();
            return {};
        }
    }
    return options[1].back() == '/' ? options[1] : options[1] + '/';
}

int runApply(const HeadsetRequest& request) {
    const std::vector<std::string> options(request.args.begin() + 1, request.args.end());
    const bool dataDirGiven = options.size() == 2 && options[0] == "--data-dir" && !options[1].empty();
    if (!options.empty() && !dataDirGiven) return fail("headset apply takes only --data-dir DIR", 2);
    std::string error;
    const auto target = findInterfaceOfKind(kind::Headset, "headset", request.device, &error);
    if (!target) return fail(error);
    const std::string folder = dataFolder(*target, options, &error);
    if (folder.empty()) return fail(error);
    const SelectedProfile selected = readSelectedProfile(folder);
    if (selected.path.empty()) return fail(selected.error);
    CHs6533Profiledata profile;
    if (!loadProfile(selected.path, paths::defaultDataFolder() + target->productName + ".Json", profile, &error))
        return fail(error + "; nothing written");
    auto session = openHeadsetAudio(request.trace, &error);
    if (!session) return fail(error + "; nothing written");
    CommandChannel channel;
    if (!openChannel(channel, *target, request.trace, &error)) return fail(error);
    headset::HeadsetProtocol link(channel);
    std::printf("applied %s\n", selected.path.c_str());
    if (const int r = applyLighting(link, profile.ReadLightInfo()); r != 0) return r;
    headset::applyAudioValues(*session->audio, profile.ReadSystemSetStages(), headset::readCurves(profile));
    const HeadsetSystemRecord v = session->audio->values();
    std::printf("input %s %d%% monitoring %s %d%% voice changer %s type %d\n", v[InputOn] ? "on" : "muted",
                v[InputLevel], v[MonitorOn] ? "on" : "muted", v[MonitorLevel], v[VoiceChangerOn] ? "on" : "off",
                v[VoiceType]);
    printBands(*session->audio);
    return 0;
}

}  // namespace

int runHeadsetCommand(const HeadsetRequest& request) {
    const std::string command = request.args.empty() ? std::string() : request.args[0];
    if (command == "apply") return runApply(request);
    if (command == "eq") return runEq(request);
    if (command == "mic") return runMic(request);
    return fail(command.empty() ? "headset needs apply, eq or mic"
                                : "unknown headset command '" + command + "' (apply, eq, mic)",
                2);
}

}  // namespace talven::ctl
