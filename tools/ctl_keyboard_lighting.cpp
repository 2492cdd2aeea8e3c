#include "tools/ctl_keyboard_lighting.h"

#include "device/keyboard/keyboard_profile_apply.h"
#include "device/lighting/light_change.h"
#include "platform/app_paths.h"
#include "profile/profile_data_keyboard.h"
#include "profile/profile_list.h"
#include "tools/ctl_device.h"
#include "tools/ctl_format.h"

#include <charconv>
#include <cstdio>

namespace talven::ctl {

namespace {

using namespace keyboard;
using lighting::LightChange;

// The keyboard's modes: 0..20 its own, 21 the custom sequence, 22 off.
constexpr unsigned kLastMode = 22;

std::optional<uint8_t> number(const std::string& text, unsigned max, int base = 10) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > max) return std::nullopt;
    return static_cast<uint8_t>(value);
}

std::optional<lighting::Rgb> colour(const std::string& text) {
    if (text.size() != 6) return std::nullopt;
    const auto r = number(text.substr(0, 2), 255, 16), g = number(text.substr(2, 2), 255, 16),
               b = number(text.substr(4, 2), 255, 16);
    if (!r || !g || !b) return std::nullopt;
    return lighting::Rgb{*r, *g, *b};
}

struct LightingArgs {
    LightChange change;
    std::string dataFolder;  // empty: the keyboard's own
};

// One option and its value into `args`; false with `error` set.
bool takeOption(const std::string& name, const std::string& value, LightingArgs& args, std::string* error) {
    const auto level = [&](std::optional<uint8_t>& field, unsigned max) {
        field = number(value, max);
        if (!field) *error = name + " takes a number from 0 to " + std::to_string(max);
        return field.has_value();
    };
    if (name == "--brightness") return level(args.change.brightness, lighting::kMaxLightLevel);
    if (name == "--speed") return level(args.change.speed, lighting::kMaxLightLevel);
    if (name == "--direction") return level(args.change.direction, 1);
    if (name == "--colour") {
        args.change.colour = colour(value);
        if (!args.change.colour) *error = "--colour takes six hexadecimal digits, RRGGBB";
        return args.change.colour.has_value();
    }
    if (name == "--spectrum") {
        if (value == "on" || value == "off") args.change.spectrum = value == "on";
        else *error = "--spectrum takes on or off";
        return args.change.spectrum.has_value();
    }
    if (name == "--data-dir" && !value.empty()) {
        args.dataFolder = value.back() == '/' ? value : value + '/';
        return true;
    }
    *error = "unknown lighting option '" + name + "'";
    return false;
}

std::optional<LightingArgs> parse(const std::vector<std::string>& rest, std::string* error) {
    LightingArgs args;
    if (rest.empty() || !(args.change.mode = number(rest[0], kLastMode))) {
        *error = "lighting needs MODE, a number from 0 to " + std::to_string(kLastMode);
        return std::nullopt;
    }
    for (size_t i = 1; i < rest.size(); i += 2) {
        if (i + 1 >= rest.size()) {
            *error = rest[i] + " needs a value";
            return std::nullopt;
        }
        if (!takeOption(rest[i], rest[i + 1], args, error)) return std::nullopt;
    }
    return args;
}

// The custom mode lights the keys whose stored colour has red 255.
CustomBitmap customBitmap(CKeyboardProfiledata& profile, const KeyMaps& maps) {
    std::vector<bool> lit;
    for (const CustomLightColor& c :
         profile.ReadCustomLightColors(profile.GetCustomLightGroup(), static_cast<int>(kOnScreenKeys)))
        lit.push_back(c.red == 255);
    return buildCustomBitmap(maps, lit);
}

int setLighting(KeyboardProtocol& kb, const FoundInterface& target, const LightingArgs& args) {
    std::string dataFolder = args.dataFolder, error;
    if (!keyboardDataFolder(target, dataFolder, &error)) return fail(error);
    const SelectedProfile selected = readSelectedProfile(dataFolder);
    if (selected.path.empty()) return fail(selected.error);
    const std::string defaultPath = paths::defaultDataFolder() + target.productName + ".Json";
    // Refused as "apply" refuses: a damaged profile is not the user's.
    KeyboardProfileValues values;
    if (!loadKeyboardProfile(selected.path, defaultPath, dataFolder, values, &error)) return fail(error);

    const LightSettings light = lighting::applyLightChange(values.light, args.change);
    CKeyboardProfiledata profile;
    profile.SetProfilePath(selected.path);
    profile.SetDefaultPath(defaultPath);
    profile.LoadDeviceEntry(selected.path);
    profile.WriteLightInfo(light.word1(), light.word2(), light.word3());
    // A profile without the custom keys gets the factory ones on its first
    // read, and keeps them, as the program's first read does.
    profile.ReadCustomLightColors(profile.GetCustomLightGroup(), static_cast<int>(kOnScreenKeys));
    if (profile.Save() != ProfileStatus::ok) return fail(profile.lastError() + " Nothing was sent to the keyboard.");

    // Entering the custom mode, the program sends the keys it lights first.
    if (light.selectItem == kCustomLightMode && values.light.selectItem != kCustomLightMode) {
        const int read = kb.readKeyboardData();
        if (read != channel_result::Success) return fail(describeResult(read) + "; the profile was saved");
        kb.writeCustomBitmap(customBitmap(profile, kb.maps()));
    }
    if (const int sent = kb.writeProfileRecord(0, 0, light, switchesFromSystemWords(values.system)); sent != channel_result::Success)
        return fail("profile record: " + describeResult(sent) + "; the profile was saved");
    std::printf("mode %u\nbrightness %u\nspeed %u\ndirection %u\nspectrum %u\ncolour %02x %02x %02x\n",
                light.selectItem, light.light, light.speed, light.fx, light.multiColor, light.red, light.green,
                light.blue);
    return 0;
}

}  // namespace

int runKeyboardLighting(const KeyboardRequest& request) {
    std::string error;
    const std::vector<std::string> rest(request.args.begin() + 1, request.args.end());
    const auto args = parse(rest, &error);
    if (!args) return fail(error, 2);
    const auto target = findKeyboardInterface(request.device, &error);
    if (!target) return fail(error);
    CommandChannel channel;
    if (!openChannel(channel, *target, request.trace, &error)) return fail(error);
    KeyboardProtocol kb(channel);
    return setLighting(kb, *target, *args);
}

}  // namespace talven::ctl
