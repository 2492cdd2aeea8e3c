#include "tools/ctl_keyboard.h"

#include "device/keyboard/keyboard_layout.h"
#include "device/keyboard/keyboard_profile_apply.h"
#include "platform/app_paths.h"
#include "profile/profile_data_keyboard.h"
#include "profile/profile_list.h"
#include "tools/ctl_device.h"
#include "tools/ctl_format.h"
#include "tools/ctl_keyboard_lighting.h"
#include "tools/ctl_keyboard_macros.h"
#include "tools/ctl_key_function.h"

#include <charconv>

#include <cstdio>
#include <stdexcept>

namespace talven::ctl {

namespace {

using namespace keyboard;
using channel_result::Success;

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

// The selected profile of the data folder and the values it gives the
// keyboard, loaded as the program loads them. False with `error` set.
struct LoadedProfile {
    std::string path;
    std::string defaultPath;
    KeyboardProfileValues values;
};
bool loadSelectedProfile(const FoundInterface& target, std::string dataFolder, LoadedProfile& loaded,
                         std::string* error) {
    if (!keyboardDataFolder(target, dataFolder, error)) return false;
    const SelectedProfile selected = readSelectedProfile(dataFolder);
    if (selected.path.empty()) {
        *error = selected.error;
        return false;
    }
    if (selected.fellBack)
        std::fputs("note: profileselect names no listed profile; the first is used, as the program does\n", stderr);
    loaded.path = selected.path;
    loaded.defaultPath = paths::defaultDataFolder() + target.productName + ".Json";
    return loadKeyboardProfile(loaded.path, loaded.defaultPath, dataFolder, loaded.values, error);
}

int applyProfile(KeyboardProtocol& kb, const FoundInterface& target, const std::string& dataFolder) {
    std::string error;
    LoadedProfile loaded;
    if (!loadSelectedProfile(target, dataFolder, loaded, &error)) return fail(error);
    const std::string& profilePath = loaded.path;
    const KeyboardProfileValues& values = loaded.values;

    const ApplyOutcome outcome = applyKeyboardProfile(kb, values);
    if (outcome.readResult == kTableTooLarge) return fail("the keyboard's key table is too long to read; nothing written");
    if (outcome.readResult != Success) return fail(describeResult(outcome.readResult) + "; nothing written");
    if (outcome.macroResult > 0) {
        return fail("the macros do not fit the keyboard: remove " + std::to_string(outcome.macroResult) +
                    " events; nothing written");
    }
    if (outcome.macroResult != 0) return fail("the keyboard did not take the macros; the key table was not sent");
    if (outcome.recordResult != Success) return fail("profile record: " + describeResult(outcome.recordResult));
    if (outcome.keyResult != Success) return fail("key table: " + describeResult(outcome.keyResult));
    std::printf("applied %s\n", profilePath.c_str());
    std::printf("macros %zu\n", values.macros.size());
    return 0;
}

// KEY: a key number as "keyboard keys" lists it, or the name of the key
// whose factory function it is ("A", "F1", "Esc").
std::optional<size_t> keyNumber(const std::string& text, std::string* error) {
    size_t number = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number, 10);
    if (!text.empty() && ec == std::errc() && end == text.data() + text.size() && number < kOnScreenKeys)
        return number;
    if (const auto row = keyfn::findName(keyfn::kKeyboardKeys, "keyboard_key_" + text)) {
        const KeyCode& code = keyfn::kKeyboardKeys[*row].record.code;
        for (size_t key = 0; key < kOnScreenKeys; ++key)
            if (kDefaultCodes[key] == code) return key;
    }
    *error = "'" + text + "' is no key: a number below " + std::to_string(kOnScreenKeys) + " or a key's name";
    return std::nullopt;
}

// The function into the selected profile's key list, saved as the program
// saves it, then the macros and the key table to the keyboard as its
// "apply to keyboard" button sends them. Nothing is saved or sent when the
// keyboard cannot be read or the macros do not fit.
int setKey(KeyboardProtocol& kb, const FoundInterface& target, size_t key, const keyfn::AssignmentState& state,
           const std::string& dataFolder) {
    std::string error;
    LoadedProfile loaded;
    if (!loadSelectedProfile(target, dataFolder, loaded, &error)) return fail(error);
    CKeyboardProfiledata profile;
    profile.SetProfilePath(loaded.path);
    profile.SetDefaultPath(loaded.defaultPath);
    profile.LoadDeviceEntry(loaded.path);
    std::vector<KeySlot> slots = profile.ReadKeyList();
    if (key >= slots.size() || key >= loaded.values.keys.size())
        return fail("the profile lists no key " + std::to_string(key) + "; nothing written");
    const auto record = keyfn::encodeAssignment(state, keyfn::storedRecord(slots[key].defaultAssignment));
    if (!record) return fail("the function names no function");

    const int read = kb.readKeyboardData();
    if (read == kTableTooLarge) return fail("the keyboard's key table is too long to read; nothing written");
    if (read != Success) return fail(describeResult(read) + "; nothing written");
    const std::vector<EncodedMacro>& macros = loaded.values.macros;
    if (const int over = macroOverflow(kb, macros); over > 0)
        return fail("the macros do not fit the keyboard: remove " + std::to_string(over) + " events; nothing written");
    slots[key].assignment = record->code;
    profile.WriteKeyList(slots);
    if (profile.Save() != ProfileStatus::ok) return fail(profile.lastError() + " Nothing was sent to the keyboard.");
    loaded.values.keys[key] = record->code;
    if (kb.writeMacros(macros) != 0) return fail("the keyboard did not take the macros; the key is saved, the key table not sent");
    if (const int sent = kb.writeKeyTable(0, loaded.values.keys); sent != Success)
        return fail("key table: " + describeResult(sent) + "; the key is saved");
    std::printf("key %zu %s\n", key, codeText(record->code.data()).c_str());
    return 0;
}

}  // namespace

std::optional<std::string> dataFolderOption(const std::string& command, const std::vector<std::string>& args,
                                            std::string* error) {
    if (args.size() == 2 && args[0] == "--data-dir" && !args[1].empty())
        return args[1].back() == '/' ? args[1] : args[1] + '/';
    *error = command + " takes only --data-dir DIR";
    return std::nullopt;
}

bool keyboardDataFolder(const FoundInterface& target, std::string& dataFolder, std::string* error) {
    if (!dataFolder.empty()) return true;
    try {
        dataFolder = paths::deviceDataFolder(target.productName);
    } catch (const std::invalid_argument& e) {
        *error = e.what();
        return false;
    }
    return true;
}

int runKeyboardCommand(const KeyboardRequest& request) {
    if (!request.args.empty() && request.args[0] == "lighting") return runKeyboardLighting(request);
    if (!request.args.empty() && (request.args[0] == "macros" || request.args[0] == "write-macros"))
        return runKeyboardMacros(request);
    if (request.args.empty())
        return fail("keyboard needs info, keys, profile or apply, or set-key KEY FUNCTION, lighting MODE, macros "
                    "or write-macros", 2);
    const std::string& what = request.args[0];
    std::vector<std::string> rest(request.args.begin() + 1, request.args.end());
    if (what != "info" && what != "keys" && what != "profile" && what != "apply" && what != "set-key")
        return fail("unknown keyboard command '" + what + "' (info, keys, profile, apply, set-key, macros, write-macros, lighting)", 2);
    if (what != "apply" && what != "set-key" && !rest.empty()) return fail("keyboard " + what + " takes no arguments", 2);
    std::string error, dataFolder;
    std::optional<size_t> key;
    std::optional<keyfn::AssignmentState> function;
    if (what == "set-key") {
        if (rest.size() < 2) return fail("set-key needs KEY FUNCTION", 2);
        if (!(key = keyNumber(rest[0], &error)) || !(function = parseKeyFunction(rest[1], &error)))
            return fail(error, 2);
        rest.erase(rest.begin(), rest.begin() + 2);
    }
    if (!rest.empty()) {
        auto folder = dataFolderOption(what, rest, &error);
        if (!folder) return fail(error, 2);
        dataFolder = *folder;
    }

    const auto target = findKeyboardInterface(request.device, &error);
    if (!target) return fail(error);
    CommandChannel channel;
    if (!openChannel(channel, *target, request.trace, &error)) return fail(error);
    KeyboardProtocol kb(channel);
    if (what == "info") return showInfo(kb);
    if (what == "keys") return showKeys(kb);
    if (what == "profile") return showProfile(kb);
    if (what == "set-key") return setKey(kb, *target, *key, *function, dataFolder);
    return applyProfile(kb, *target, dataFolder);
}

}  // namespace talven::ctl
