// COrvaneKeyboardDevice: the profile — loading, saving, the light parameters
// it keeps — and the transactions that carry it to and from the keyboard.

#include "pages/keyboard/keyboard_device_page.h"

#include "platform/clock.h"
#include "platform/debug_output.h"
#include "profile/json_fields.h"
#include "profile/json_file.h"
#include "profile/macro_files.h"
#include "profile/profile_list.h"

namespace talven {

// ---- profile files ------------------------------------------------------------------

void COrvaneKeyboardDevice::saveProfileFiles() {
    const std::string folder = userDataFolder();
    if (!profileFileName_.empty()) profile_.SetProfilePath(folder + profileFileName_ + ".Json");
    if (!configFileName_.empty()) profile_.SetLightConfigPath(folder + configFileName_ + ".config");
}

// The profile the profile list has selected; empty without a usable list.
std::string COrvaneKeyboardDevice::currentProfileUuid() const {
    const SelectedProfile selected = readSelectedProfile(userDataFolder());
    return selected.path.empty() ? std::string() : selected.uuid;
}

int COrvaneKeyboardDevice::reloadProfile() {
    reloadProfileFiles(false);
    return 1;
}

void COrvaneKeyboardDevice::reloadProfileFiles(bool takeDesktopRepeat) {
    if (std::string uuid = currentProfileUuid(); !uuid.empty()) profileFileName_ = std::move(uuid);
    saveProfileFiles();
    // Without a profile the page works on the factory settings and keeps
    // nothing: the factory file is never written.
    loadProfileFrom(profileFileName_.empty() ? defaultProfilePath() : profile_.GetProfilePath(), takeDesktopRepeat);
}

void COrvaneKeyboardDevice::loadStoredProfile() {
    saveProfileFiles();
    loadProfileFrom(defaultProfilePath(), false);
}

void COrvaneKeyboardDevice::loadProfileFrom(const std::string& path, bool takeDesktopRepeat) {
    profile_.SetDefaultPath(defaultProfilePath());
    profile_.SetDeviceIndex(0);
    profile_.LoadDeviceEntry(path);
    if (path != defaultProfilePath()) takeProfileLoadStatus(profile_.lastStatus());
    profile_.ReadLightInfo();
    profile_.ReadLightConfig(profile_.GetLightConfigPath());
    keySlots_ = profile_.ReadKeyList();
    selectedKey_ = -1;
    applyProfileLighting();
    KeyboardSystemWords words = profile_.ReadSystemStages();
    // A damaged profile cannot keep the desktop's repeat: it is not saved.
    if (takeDesktopRepeat && !profileDamaged()) {
        if (const auto repeat = inputSettings().keyboardRepeat()) {
            words = profile_.ReadSystemStagesFromSystem({repeat->speed, repeat->delay});
            profile_.WriteSystemStages(words[0], words[1], words[2]);
            saveProfile();
        }
    }
    system_ = keyboard::KeyboardSystemSettings::fromWords(words);
}

void COrvaneKeyboardDevice::selectProfile(const std::string& uuid) {
    if (profileFilePath(userDataFolder(), uuid).empty()) return;
    setProfileUuid(uuid);
    loadProfileFrom(profile_.GetProfilePath(), false);
    if (profileDamaged()) {
        // What the page holds now is the factory profile, not the user's: the
        // desktop and the keyboard keep theirs, and the page shows the keyboard's.
        readDeviceSettings();
        return;
    }
    applyRepeatToDesktop();
    applyProfileToPage();
    takeDeviceBehind();
    writeProfileRecord(0, 0, false, 0, 0);
    writeKeyTableFromProfile(0);
}

std::string COrvaneKeyboardDevice::getProfileName() const {
    if (profileFileName_.empty()) return {};
    return json_fields::toText(json_fields::member(ReadJsonValue(profile_.GetProfilePath()), "profilename"));
}

void COrvaneKeyboardDevice::saveProfile() {
    if (!profileFileName_.empty()) takeProfileSaveStatus(profile_.Save());
}

void COrvaneKeyboardDevice::setLayoutVariant(int index) {
    COrvaneUSBDevice::setLayoutVariant(index);
    profile_.SetDeviceIndex(0);
}

void COrvaneKeyboardDevice::setLightParams(uint32_t word1, uint32_t word2, uint32_t word3) {
    COrvaneUSBDevice::setLightParams(word1, word2, word3);
    profile_.WriteLightInfo(word1, word2, word3);
}

// ---- lighting -------------------------------------------------------------------------

void COrvaneKeyboardDevice::applyProfileLighting() {
    std::vector<keyboard::SequenceStep> steps;
    for (const LedEffect& effect : profile_.ReadLedEffects()) steps.push_back(keyboard::sequenceStepFromEffect(effect));
    const std::vector<CustomLightColor> colours =
        profile_.ReadCustomLightColors(profile_.GetCustomLightGroup(), static_cast<int>(keyboard::kOnScreenKeys));
    {
        std::lock_guard<std::mutex> lock(frameLock_);
        for (size_t i = 0; i < colours.size(); ++i)
            keyPreview_.setCustomColour(static_cast<int>(i), {colours[i].red, colours[i].green, colours[i].blue});
        keyPreview_.setSequence(std::move(steps), tickCount());
    }
    applyLight(profile_.currentLightSettings());
}

void COrvaneKeyboardDevice::applyLight(const LightSettings& light) {
    bool entered = false;
    {
        std::lock_guard<std::mutex> lock(frameLock_);
        lighting_.lightParams() = light;
        if (light.selectItem != shownMode_) {
            keyPreview_.enterMode(tickCount());
            entered = true;
        }
    }
    shownMode_ = light.selectItem;
    if (entered && light.selectItem == keyboard::kCustomLightMode) writeCustomBitmap();
}

// ---- transactions ---------------------------------------------------------------------

int COrvaneKeyboardDevice::readKeyboardData() { return protocol_.readKeyboardData(); }

int COrvaneKeyboardDevice::readProfileRecord() {
    const keyboard::ProfileReading reading = protocol_.readProfileRecord();
    if (reading.result == channel_result::Success) recordRead_ = true;
    // Before the first good read the copy is all zeros, not the keyboard's.
    if (!recordRead_) return activeProfile_;
    activeProfile_ = reading.activeProfile;
    const LightSettings& light = reading.decoded.light;
    system_.sixKey = reading.decoded.switches.sixKey;
    system_.winLock = reading.decoded.switches.winLock;
    system_.wKey = reading.decoded.switches.wKey;
    profile_.WriteLightInfo(light.word1(), light.word2(), light.word3());
    const KeyboardSystemWords words = system_.toWords();
    profile_.WriteSystemStages(words[0], words[1], words[2]);
    // The keyboard keeps these itself; a damaged profile cannot take them.
    if (!profileDamaged()) saveProfile();
    applyLight(light);
    return activeProfile_;
}

// While the profile is damaged the page holds the factory settings in its
// place, and none of them may replace what the user has on the keyboard:
// the writes below send nothing until the profile is readable or reset.

int COrvaneKeyboardDevice::writeKeyTable(int profileIndex, std::vector<uint32_t> keyAssignments) {
    if (profileDamaged()) return 0;
    std::vector<KeyCode> codes;
    codes.reserve(keyAssignments.size());
    for (uint32_t value : keyAssignments) codes.push_back(keyCodeFromValue(value));
    return checkedWrite([&] { return protocol_.writeKeyTable(profileIndex, codes); });
}

int COrvaneKeyboardDevice::writeKeyTableFromProfile(int profileIndex) {
    std::vector<uint32_t> values;
    values.reserve(keySlots_.size());
    for (const KeySlot& slot : keySlots_) values.push_back(keyCodeValue(slot.assignment));
    return writeKeyTable(profileIndex, std::move(values));
}

// A macro file that is there but cannot be read would go out as a macro
// without steps, and a list that cannot be read as no macros at all while
// the keys still play them: neither is downloaded.
int COrvaneKeyboardDevice::writeMacros() {
    std::vector<keyboard::EncodedMacro> macros;
    std::string error;
    if (!readEncodedMacrosChecked(userDataFolder(), macros, &error)) {
        debugOutput("宏下载: " + error);
        return keyboard::kMacrosNotWritten;
    }
    return protocol_.writeMacros(macros);
}

int COrvaneKeyboardDevice::writeProfileRecord(int profileIndex, uint32_t value, bool, int, int) {
    if (profileDamaged()) return 0;
    LightSettings light;
    {
        std::lock_guard<std::mutex> lock(frameLock_);
        light = lighting_.lightParams();
    }
    return checkedWrite([&] {
        return protocol_.writeProfileRecord(profileIndex, static_cast<uint8_t>(value), light, system_.switches());
    });
}

// The bitmap follows the custom mode's key colours, not whatever the preview
// shows at the moment: a bitmap taken from another mode's animation would
// light random keys once the keyboard switches to the custom mode.
void COrvaneKeyboardDevice::writeCustomBitmap() {
    if (profileDamaged()) return;
    std::vector<bool> lit;
    {
        std::lock_guard<std::mutex> lock(frameLock_);
        lit = keyPreview_.customLit();
    }
    protocol_.writeCustomBitmap(keyboard::buildCustomBitmap(protocol_.maps(), lit));
    storeCustomColours();
}

void COrvaneKeyboardDevice::writeCustomBit(int led) {
    if (profileDamaged() || led < 0 || led >= static_cast<int>(keyboard::kOnScreenKeys)) return;
    bool on = false;
    {
        std::lock_guard<std::mutex> lock(frameLock_);
        if (lighting_.lightParams().selectItem != keyboard::kCustomLightMode) return;
        on = keyPreview_.state().customColours[static_cast<size_t>(led)].red == 255;
    }
    protocol_.writeCustomBit(protocol_.maps().lightPosition[static_cast<size_t>(led)], on);
}

void COrvaneKeyboardDevice::setAllCustomBits(bool on) {
    if (profileDamaged()) return;
    std::vector<CustomLightColor> colours;
    {
        std::lock_guard<std::mutex> lock(frameLock_);
        const lighting::Rgb colour = on ? lighting::userColour(lighting_.lightParams()) : lighting::Rgb{};
        for (size_t i = 0; i < keyboard::kOnScreenKeys; ++i) {
            keyPreview_.setCustomColour(static_cast<int>(i), colour);
            lighting_.setLedColour(static_cast<int>(i), lighting::makeLed(colour.red, colour.green, colour.blue, 0));
            colours.push_back({colour.red, colour.green, colour.blue, static_cast<uint8_t>(on ? 255 : 0)});
        }
    }
    protocol_.setAllCustomBits(on);
    profile_.WriteCustomLightColors(colours, profile_.GetCustomLightGroup());
}

}  // namespace talven
