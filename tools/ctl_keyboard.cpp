#include "tools/ctl_keyboard.h"

#include "device/keyboard/keyboard_profile_apply.h"
#include "platform/app_paths.h"
#include "profile/profile_list.h"
#include "tools/ctl_device.h"
#include "tools/ctl_format.h"

#include <cstdio>
#include <stdexcept>

namespace talven::ctl {

namespace {

using namespace keyboard;
using channel_result::Success;

std::optional<FoundInterface> findKeyboard(const std::string& selector, std::string* error) {
    const auto found = findSupportedInterfaces();
    if (selector.empty()) {
        for (const auto& f : found)
            if (f.entry.role == role::Command && f.entry.kind == kind::Keyboard) return f;
        *error = "no keyboard found";
        return std::nullopt;
    }
    auto target = selectCommandInterface(found, selector, error);
    if (target && target->entry.kind != kind::Keyboard) {
        *error = "'" + selector + "' is not a keyboard";
        return std::nullopt;
    }
    return target;
}

std::string codeText(const uint8_t* code) { return hexBytes(std::span<const uint8_t>(code, 3)); }

int showInfo(KeyboardProtocol& kb) {
    DeviceInfo info{};
    const int r = kb.channel().readInfo(info);
    if (r != Success) return fail(describeResult(r));
    std::printf("key count %u\nmacro capacity %zu bytes\n", infoKeyCount(info), infoMacroCapacity(info));
    std::fputs(hexDump(info, 0).c_str(), stdout);
    return 0;
}

int showKeys(KeyboardProtocol& kb) {
    const int r = kb.readKeyboardData();
    if (r == kTableTooLarge) return fail("the key count " + std::to_string(kb.keyCount()) + " needs a table above 512 bytes");
    if (r != Success) return fail(describeResult(r));
    std::printf("key count %u\n%-4s %-8s %-9s %s\n", kb.keyCount(), "key", "position", "code", "light");
    const KeyMaps& maps = kb.maps();
    for (size_t key = 0; key < kOnScreenKeys; ++key) {
        const uint8_t pos = maps.keyPosition[key];
        const uint8_t light = maps.lightPosition[key];
        const std::string posText = pos == kNoPosition ? "-" : std::to_string(pos);
        const std::string code = pos == kNoPosition ? "-" : codeText(kb.keyTableCopy().data() + 3 * pos);
        const std::string lightText = light == kNoPosition ? "-" : std::to_string(light);
        std::printf("%-4zu %-8s %-9s %s\n", key, posText.c_str(), code.c_str(), lightText.c_str());
    }
    return 0;
}

int showProfile(KeyboardProtocol& kb) {
    const ProfileReading reading = kb.readProfileRecord();
    if (reading.result != Success) return fail(describeResult(reading.result));
    const LightSettings& l = reading.decoded.light;
    const KeyboardSwitches& s = reading.decoded.switches;
    std::printf("active profile %u\nmode %u\nbrightness %u\nspeed %u\ndirection %u\nspectrum %u\n"
                "colour %02x %02x %02x\nw-key %u\n6-key %u\nwin-lock %u\n",
                reading.activeProfile, l.selectItem, l.light, l.speed, l.fx, l.multiColor, l.red, l.green, l.blue,
                s.wKey, s.sixKey, s.winLock);
    std::printf("record %s\n", hexBytes(kb.record()).c_str());
    return 0;
}

// The data folder "apply" works on: --data-dir DIR, else the device's own.
std::optional<std::string> applyDataFolder(const std::vector<std::string>& args, std::string* error) {
    if (args.size() == 2 && args[0] == "--data-dir" && !args[1].empty())
        return args[1].back() == '/' ? args[1] : args[1] + '/';
    *error = "apply takes only --data-dir DIR";
    return std::nullopt;
}

int applyProfile(KeyboardProtocol& kb, const FoundInterface& target, std::string dataFolder) {
    if (dataFolder.empty()) {
        try {
            dataFolder = paths::deviceDataFolder(target.productName);
        } catch (const std::invalid_argument& e) {
            return fail(e.what());
        }
    }
    const SelectedProfile selected = readSelectedProfile(dataFolder);
    if (selected.path.empty()) return fail(selected.error);
    if (selected.fellBack)
        std::fputs("note: profileselect names no listed profile; the first is applied, as the program does\n", stderr);
    const std::string& profilePath = selected.path;
    std::string error;
    KeyboardProfileValues values;
    const std::string defaultPath = paths::defaultDataFolder() + target.productName + ".Json";
    if (!loadKeyboardProfile(profilePath, defaultPath, dataFolder, values, &error)) return fail(error);

    const ApplyOutcome outcome = applyKeyboardProfile(kb, values);
    if (outcome.readResult == kTableTooLarge) return fail("the keyboard's key table is too long to read; nothing written");
    if (outcome.readResult != Success) return fail(describeResult(outcome.readResult) + "; nothing written");
    if (outcome.macroResult > 0) {
        return fail("the macros do not fit the keyboard: remove " + std::to_string(outcome.macroResult) +
                    " events; nothing written");
    }
    std::printf("applied %s\n", profilePath.c_str());
    std::printf("macros %zu\n", values.macros.size());
    return 0;
}

}  // namespace

int runKeyboardCommand(const KeyboardRequest& request) {
    if (request.args.empty()) return fail("keyboard needs info, keys, profile or apply", 2);
    const std::string& what = request.args[0];
    const std::vector<std::string> rest(request.args.begin() + 1, request.args.end());
    if (what != "info" && what != "keys" && what != "profile" && what != "apply")
        return fail("unknown keyboard command '" + what + "' (info, keys, profile, apply)", 2);
    if (what != "apply" && !rest.empty()) return fail("keyboard " + what + " takes no arguments", 2);
    std::string error, dataFolder;
    if (what == "apply" && !rest.empty()) {
        auto folder = applyDataFolder(rest, &error);
        if (!folder) return fail(error, 2);
        dataFolder = *folder;
    }

    const auto target = findKeyboard(request.device, &error);
    if (!target) return fail(error);
    CommandChannel channel;
    if (!openChannel(channel, *target, request.trace, &error)) return fail(error);
    KeyboardProtocol kb(channel);
    if (what == "info") return showInfo(kb);
    if (what == "keys") return showKeys(kb);
    if (what == "profile") return showProfile(kb);
    return applyProfile(kb, *target, dataFolder);
}

}  // namespace talven::ctl
