#include "device/keyboard/keyboard_profile_apply.h"

#include "profile/profile_data_keyboard.h"

namespace talven::keyboard {

bool loadKeyboardProfile(const std::string& profilePath, const std::string& defaultPath,
                         const std::string& dataFolder, KeyboardProfileValues& values, std::string* error) {
    CKeyboardProfiledata profile;
    profile.SetProfilePath(profilePath);
    profile.SetDefaultPath(defaultPath);
    profile.LoadDeviceEntry(profilePath);
    // A damaged file leaves the factory entry in memory, and so does a
    // profile that lacked its entry and could not be written: sending that
    // would overwrite the keyboard with settings the user never chose, and
    // the profile would still hold none.
    const ProfileStatus status = profile.lastStatus();
    const bool usable = status == ProfileStatus::ok || status == ProfileStatus::completedFromDefault;
    if (!usable || !profile.deviceEntry().isObject()) {
        if (error) {
            *error = profile.lastError().empty() ? profilePath + " holds no keyboard profile" : profile.lastError();
        }
        return false;
    }
    // A macro set with a file we cannot read would go out with macros
    // missing and the keys that play them pointing at others.
    if (!readEncodedMacrosChecked(dataFolder, values.macros, error)) return false;
    values.light = profile.ReadLightInfo();
    values.system = profile.ReadSystemStages();
    values.keys.clear();
    for (const KeySlot& slot : profile.ReadKeyList()) values.keys.push_back(slot.assignment);
    return true;
}

int macroOverflow(const KeyboardProtocol& keyboard, std::span<const EncodedMacro> macros) {
    const size_t total = macroBlobLength(macros);
    if (macros.empty() || total <= keyboard.macroCapacity()) return 0;
    return macroEventsToRemove(total, keyboard.macroCapacity());
}

ApplyOutcome applyKeyboardProfile(KeyboardProtocol& keyboard, const KeyboardProfileValues& values) {
    ApplyOutcome outcome;
    outcome.readResult = keyboard.readKeyboardData();
    if (outcome.readResult != channel_result::Success) return outcome;
    // The capacity is known once the information is read: macros that do
    // not fit refuse the whole profile before anything is written, rather
    // than leaving a key table that plays macros the keyboard does not hold.
    outcome.macroResult = macroOverflow(keyboard, values.macros);
    if (outcome.macroResult > 0) return outcome;
    outcome.recordResult = keyboard.writeProfileRecord(0, 0, values.light, switchesFromSystemWords(values.system));
    outcome.macroResult = keyboard.writeMacros(values.macros);
    // Keys that play macros the keyboard did not take would play whatever
    // it held before: the key table waits for a download that arrives.
    if (outcome.macroResult != 0) return outcome;
    outcome.keyResult = keyboard.writeKeyTable(0, values.keys);
    return outcome;
}

}  // namespace talven::keyboard
