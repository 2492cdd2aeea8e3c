#include "device/mouse/mouse_profile_apply.h"

#include "profile/macro_files.h"
#include "profile/profile_data_mouse.h"

namespace talven::mouse {

MouseSettings settingsFromProfile(CMouseProfiledata& profile) {
    MouseSettings s;
    s.light = profile.ReadLightInfo();
    s.stages = profile.ReadDpiStages();
    s.activeStage = static_cast<uint8_t>(profile.GetDpiStageActive());
    const MouseSystemWords words = profile.ReadMouseSystem();
    s.pollingRate = static_cast<uint8_t>(words[2] >> 16);
    s.liftOff = static_cast<uint8_t>(words[3]);
    s.corrections = profile.ReadCorrectInfo();
    return s;
}

bool loadMouseProfile(const std::string& profilePath, const std::string& defaultPath, const std::string& dataFolder,
                      MouseProfileValues& values, std::string* error) {
    CMouseProfiledata profile;
    profile.SetProfilePath(profilePath);
    profile.SetDefaultPath(defaultPath);
    profile.LoadDeviceEntry(profilePath);
    const ProfileStatus status = profile.lastStatus();
    const bool usable = status == ProfileStatus::ok || status == ProfileStatus::completedFromDefault;
    if (!usable || !profile.deviceEntry().isObject()) {
        if (error)
            *error = profile.lastError().empty() ? profilePath + " holds no mouse profile" : profile.lastError();
        return false;
    }
    if (!readEncodedMacrosChecked(dataFolder, values.macros, error)) return false;
    values.settings = settingsFromProfile(profile);
    values.buttons.clear();
    for (const KeySlot& slot : profile.ReadKeyList()) {
        if (values.buttons.size() == kLogicalButtons) break;
        values.buttons.push_back(slot.assignment);
    }
    return true;
}

MouseApplyOutcome applyMouseProfile(MouseProtocol& mouse, const MouseProfileValues& values, const ScreenSize& screen) {
    MouseApplyOutcome outcome;
    outcome.attachResult = mouse.attach();
    if (outcome.attachResult != channel_result::Success) return outcome;
    const size_t total = keyboard::macroBlobLength(values.macros);
    const size_t capacity = mouse.capabilities().macroCapacity;
    if (!values.macros.empty() && total > capacity) {
        outcome.macroResult = keyboard::macroEventsToRemove(total, capacity);
        return outcome;
    }
    outcome.settingsResult = mouse.writeSettings(0, 0, values.settings, screen);
    outcome.macroResult = mouse.writeMacros(values.macros);
    if (outcome.macroResult != 0) return outcome;
    outcome.buttonResult = mouse.writeButtons(0, values.buttons);
    return outcome;
}

}  // namespace talven::mouse
