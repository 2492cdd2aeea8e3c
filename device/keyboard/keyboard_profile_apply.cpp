#include "device/keyboard/keyboard_profile_apply.h"

#include "profile/profile_data_keyboard.h"

namespace talven::keyboard {

bool loadKeyboardProfile(const std::string& profilePath, const std::string& defaultPath,
                         const std::string& dataFolder, KeyboardProfileValues& values, std::string* error) {
    CKeyboardProfiledata profile;
    profile.SetProfilePath(profilePath);
    profile.SetDefaultPath(defaultPath);
    profile.LoadDeviceEntry(profilePath);
    // A damaged file leaves the factory entry in memory; sending that would
    // overwrite the keyboard with settings the user never chose.
    if (profile.lastStatus() == ProfileStatus::damagedFile || !profile.deviceEntry().isObject()) {
        if (error) {
            *error = profile.lastError().empty() ? profilePath + " holds no keyboard profile" : profile.lastError();
        }
        return false;
    }
    values.light = profile.ReadLightInfo();
    values.system = profile.ReadSystemStages();
    values.keys.clear();
    for (const KeySlot& slot : profile.ReadKeyList()) values.keys.push_back(slot.assignment);
    values.macros = ReadEncodedMacros(dataFolder);
    return true;
}

ApplyOutcome applyKeyboardProfile(KeyboardProtocol& keyboard, const KeyboardProfileValues& values) {
    ApplyOutcome outcome;
    outcome.readResult = keyboard.readKeyboardData();
    if (outcome.readResult != channel_result::Success) return outcome;
    keyboard.writeProfileRecord(0, 0, values.light, switchesFromSystemWords(values.system));
    outcome.macroResult = keyboard.writeMacros(values.macros);
    keyboard.writeKeyTable(0, values.keys);
    return outcome;
}

}  // namespace talven::keyboard
