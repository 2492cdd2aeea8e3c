// COrvaneMouseDevice: the profile — loading, saving, the lighting it keeps —
// and the transactions that carry it to the mouse.

#include "pages/mouse/mouse_device_page.h"

#include "device/mouse/mouse_profile_apply.h"
#include "device/product_table.h"
#include "platform/debug_output.h"
#include "profile/default_light.h"
#include "profile/json_fields.h"
#include "profile/json_file.h"
#include "profile/macro_files.h"
#include "profile/profile_list.h"

#include <QGuiApplication>
#include <QScreen>

namespace talven {

namespace {

// The settings block carries the size of the screen the pointer moves on.
mouse::ScreenSize primaryScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->size() : QSize();
    return {1, static_cast<uint16_t>(size.width()), static_cast<uint16_t>(size.height())};
}

}  // namespace

void COrvaneMouseDevice::saveProfileFiles() {
    const std::string folder = userDataFolder();
    if (!profileFileName_.empty()) profile_.SetProfilePath(folder + profileFileName_ + ".Json");
    if (!configFileName_.empty()) profile_.SetLightConfigPath(folder + configFileName_ + ".config");
}

std::string COrvaneMouseDevice::currentProfileUuid() const {
    const SelectedProfile selected = readSelectedProfile(userDataFolder());
    return selected.path.empty() ? std::string() : selected.uuid;
}

int COrvaneMouseDevice::reloadProfile() {
    if (std::string uuid = currentProfileUuid(); !uuid.empty()) profileFileName_ = std::move(uuid);
    saveProfileFiles();
    // Without a profile the page works on the factory settings and keeps
    // nothing: the factory file is never written.
    loadProfileFrom(profileFileName_.empty() ? defaultProfilePath() : profile_.GetProfilePath());
    return 1;
}

// The desktop's pointer settings become the profile's system record.
void COrvaneMouseDevice::reloadWithSystemSettings() {
    reloadProfile();
    readDesktopPointer();
    if (!profileDamaged()) saveProfile();
}

void COrvaneMouseDevice::loadStoredProfile() {
    saveProfileFiles();
    loadProfileFrom(defaultProfilePath());
    saveProfile();
    applyProfileToPage();
}

void COrvaneMouseDevice::loadProfileFrom(const std::string& path) {
    profile_.SetDefaultPath(defaultProfilePath());
    profile_.SetDeviceIndex(0);
    // Stages a profile does not list must not come from the one before it.
    profile_.setHeldDpiStages({});
    profile_.LoadDeviceEntry(path);
    if (path != defaultProfilePath()) takeProfileLoadStatus(profile_.lastStatus());
    takeProfileLists();
}

// The loaded entry into the page's lists: buttons, lighting, stages, record.
void COrvaneMouseDevice::takeProfileLists() {
    profile_.ReadLightInfo();
    keySlots_ = profile_.ReadKeyList();
    selectKey(-1);
    applyProfileLighting();
    stages_ = profile_.ReadDpiStages();
    system_ = profile_.ReadMouseSystem();
}

void COrvaneMouseDevice::selectProfile(const std::string& uuid) {
    if (profileFilePath(userDataFolder(), uuid).empty()) return;
    setProfileUuid(uuid);
    loadProfileFrom(profile_.GetProfilePath());
    if (profileDamaged()) {
        // The page holds the factory profile in place of the user's: the mouse
        // keeps its settings, and the page shows them.
        readDeviceSettings();
        return;
    }
    applyPointerToDesktop();
    applyProfileToPage();
    sendProfileToMouse();
}

void COrvaneMouseDevice::sendProfileToMouse() {
    takeDeviceBehind();
    sendSettingsBlock();
    // The buttons may play the macros: they go only after the macros arrived.
    if (writeMacros() == 0) writeKeyTableFromProfile(0);
}

std::string COrvaneMouseDevice::getProfileName() const {
    if (profileFileName_.empty()) return {};
    return json_fields::toText(json_fields::member(ReadJsonValue(profile_.GetProfilePath()), "profilename"));
}

void COrvaneMouseDevice::saveProfile() {
    if (!profileFileName_.empty()) takeProfileSaveStatus(profile_.Save());
}

void COrvaneMouseDevice::setLayoutVariant(int index) {
    COrvaneUSBDevice::setLayoutVariant(index);
    profile_.SetDeviceIndex(0);
}

void COrvaneMouseDevice::setLightParams(uint32_t word1, uint32_t word2, uint32_t word3) {
    COrvaneUSBDevice::setLightParams(word1, word2, word3);
    profile_.WriteLightInfo(word1, word2, word3);
}

// The profile's lighting into the animation; a new mode starts afresh.
void COrvaneMouseDevice::applyProfileLighting() {
    const LightSettings light = profile_.currentLightSettings();
    std::lock_guard<std::mutex> lock(frameLock_);
    lighting_.lightParams() = light;
    if (light.selectItem != shownMode_) {
        lighting_.resetAnimation();
        lighting_.rippleClear();
        shownMode_ = light.selectItem;
    }
}

void COrvaneMouseDevice::loadDefaultData() {
    macroNames_.clear();
    for (const MacroListEntry& macro : ReadMacroList(userDataFolder() + kMacroListFileName))
        macroNames_.push_back(macro.name);
    const int variant = lightingIndexForFolder(deviceFolderName_);
    DefaultLightNames defaults = readDefaultLightNames(defaultDataFolder() + std::string(kDefaultLightFileName),
                                                       variant < 0 ? 0 : variant);
    lightNames_ = std::move(defaults.modeNames);
    lightVisible_ = std::move(defaults.modeVisible);
}

// ---- transactions ---------------------------------------------------------------------

// While the profile is damaged the page holds the factory settings in its
// place: none of them may replace what the user has on the mouse.

int COrvaneMouseDevice::writeKeyTable(int profileIndex, std::vector<uint32_t> keyAssignments) {
    if (profileDamaged()) return 0;
    std::vector<KeyCode> codes;
    codes.reserve(keyAssignments.size());
    for (uint32_t value : keyAssignments) codes.push_back(keyCodeFromValue(value));
    return checkedWrite([&] { return protocol_.writeButtons(profileIndex, codes); });
}

int COrvaneMouseDevice::writeKeyTableFromProfile(int profileIndex) {
    std::vector<uint32_t> values;
    for (const KeySlot& slot : keySlots_) values.push_back(keyCodeValue(slot.assignment));
    return writeKeyTable(profileIndex, std::move(values));
}

// A macro file that is there but cannot be read would go out as a macro
// without steps: nothing is downloaded then.
int COrvaneMouseDevice::writeMacros() {
    if (profileDamaged()) return mouse::kMacrosNotWritten;
    std::vector<keyboard::EncodedMacro> macros;
    std::string error;
    if (!readEncodedMacrosChecked(userDataFolder(), macros, &error)) {
        debugOutput("宏下载: " + error);
        return mouse::kMacrosNotWritten;
    }
    // A positive result (too many events) sent nothing: the caller tells it.
    return checkedWrite([&] { return protocol_.writeMacros(macros); },
                        [](int result) { return result == mouse::kMacrosNotWritten; }, kMacrosNotWrittenKey);
}

int COrvaneMouseDevice::sendSettingsBlock() {
    const mouse::ScreenSize screen = primaryScreenSize();
    return writeProfileRecord(0, 0, true, screen.width, screen.height);
}

int COrvaneMouseDevice::writeProfileRecord(int profileIndex, uint32_t value, bool screenSizeFlag, int screenWidth,
                                           int screenHeight) {
    if (profileDamaged()) return 0;
    mouse::MouseSettings settings = mouse::settingsFromProfile(profile_);
    {
        std::lock_guard<std::mutex> lock(frameLock_);
        settings.light = lighting_.lightParams();
    }
    const mouse::ScreenSize screen = screenSizeFlag ? mouse::ScreenSize{1, static_cast<uint16_t>(screenWidth),
                                                                        static_cast<uint16_t>(screenHeight)}
                                                    : mouse::ScreenSize{};
    return checkedWrite([&] { return protocol_.writeSettings(profileIndex, static_cast<uint8_t>(value), settings, screen); });
}

}  // namespace talven
