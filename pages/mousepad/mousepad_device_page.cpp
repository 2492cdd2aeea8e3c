// COrvaneMousePadDevice: the page, its profile and the transactions that
// carry the profile's lighting to the pad.

#include "pages/mousepad/mousepad_device_page.h"

#include "device/lighting/light_change.h"
#include "device/lighting/light_panel_rules.h"
#include "device/product_table.h"
#include "editors/light_control.h"
#include "platform/clock.h"
#include "profile/default_light.h"
#include "profile/json_fields.h"
#include "profile/json_file.h"
#include "profile/profile_list.h"
#include "ui/paint_manager.h"
#include "ui/window_impl_base.h"

namespace talven {

using namespace ui;

// The user's light effects live in "velko_light.config" beside the profiles.
COrvaneMousePadDevice::COrvaneMousePadDevice()
    : COrvaneMousePadDevice(std::make_unique<CBasicProfiledata>(), lighting::panel_variant::MousePad,
                            mousepad::kPadShapes) {}

COrvaneMousePadDevice::COrvaneMousePadDevice(std::unique_ptr<CBasicProfiledata> profile, int panelVariant,
                                             const mousepad::LitShapes& shapes)
    : profile_(std::move(profile)), panelVariant_(panelVariant), shapes_(shapes), customPlayer_(shapes) {
    configFileName_ = std::string(kLightingPrefix);
    setDrivesDevice(true);
}

COrvaneMousePadDevice::~COrvaneMousePadDevice() {
    // Both threads call into this object: they end before any member goes.
    stopAnimation();
    events_.close();
}

void COrvaneMousePadDevice::bindPageControls() {
    COrvaneUSBDevice::bindPageControls();
    // The default data lists one entry per product, at its product row.
    if (const int variant = lightingIndexForFolder(deviceFolderName_); variant >= 0) setLayoutVariant(variant);
}

CControlUI* COrvaneMousePadDevice::pageControl(const char* name) const {
    CPaintManagerUI* manager = GetManager();
    return manager ? manager->FindSubControlByName(const_cast<COrvaneMousePadDevice*>(this), QString::fromLatin1(name))
                   : nullptr;
}

mousepad::SettingsBlock COrvaneMousePadDevice::settingsBlock() const {
    std::lock_guard<std::mutex> lock(frameLock_);
    return block_;
}

// ---- connection and the pad's settings ---------------------------------------------

void COrvaneMousePadDevice::onConnected() {
    if (!commandChannel_.isConnected()) return;
    protocol_.attach();
    // Every write sends bytes 0..20: the copy starts from the pad's block,
    // or the first write would switch the pad to profile 0 and zero the
    // bytes the pad keeps for itself.
    takeSettings(protocol_.readSettings());
    reloadProfile();
    applyProfileToPage();
    // Lighting that did not reach the pad (unplugged half way) goes again:
    // the pad then holds what the page shows.
    if (takeDeviceBehind()) writeProfileRecord(0, 0, false, 0, 0);
    startAnimation();
}

// Only the block copy and the main window learn what the pad holds: the
// page keeps showing its profile, which the user may have changed since.
void COrvaneMousePadDevice::readDeviceSettings() {
    const mousepad::SettingsReading reading = protocol_.readSettings();
    if (!takeSettings(reading)) return;
    if (auto* window = qobject_cast<WindowImplBase*>(ownerWindow_))
        window->SendMessage(kDeviceProfileMessage, reading.activeProfile, 0);
}

bool COrvaneMousePadDevice::takeSettings(const mousepad::SettingsReading& reading) {
    if (reading.result != channel_result::Success) return false;
    std::lock_guard<std::mutex> lock(frameLock_);
    block_ = reading.block;
    return true;
}

// While the profile is damaged the page holds the factory settings in its
// place; none of them may replace what the user has on the pad.
int COrvaneMousePadDevice::writeProfileRecord(int profileIndex, uint32_t, bool, int, int) {
    if (profileDamaged() || profileIndex < 0 || profileIndex > 0xFF) return 0;
    const mousepad::SettingsBlock block = settingsBlock();
    return checkedWrite([&] { return protocol_.writeSettings(static_cast<uint8_t>(profileIndex), block); });
}

// ---- profile ------------------------------------------------------------------------

void COrvaneMousePadDevice::saveProfileFiles() {
    const std::string folder = userDataFolder();
    if (!profileFileName_.empty()) profile_->SetProfilePath(folder + profileFileName_ + ".Json");
    if (!configFileName_.empty()) profile_->SetLightConfigPath(folder + configFileName_ + ".config");
}

std::string COrvaneMousePadDevice::currentProfileUuid() const {
    const SelectedProfile selected = readSelectedProfile(userDataFolder());
    return selected.path.empty() ? std::string() : selected.uuid;
}

int COrvaneMousePadDevice::reloadProfile() {
    if (std::string uuid = currentProfileUuid(); !uuid.empty()) profileFileName_ = std::move(uuid);
    saveProfileFiles();
    // Without a profile the page works on the factory settings and keeps
    // nothing: the factory file is never written.
    loadProfileFrom(profileFileName_.empty() ? defaultProfilePath() : profile_->GetProfilePath());
    return 1;
}

void COrvaneMousePadDevice::loadStoredProfile() {
    saveProfileFiles();
    loadProfileFrom(profileFileName_.empty() ? defaultProfilePath() : profile_->GetProfilePath());
    saveProfile();
    applyProfileToPage();
}

void COrvaneMousePadDevice::loadProfileFrom(const std::string& path) {
    profile_->SetDefaultPath(defaultProfilePath());
    profile_->SetDeviceIndex(0);
    profile_->LoadDeviceEntry(path);
    if (path != defaultProfilePath()) takeProfileLoadStatus(profile_->lastStatus());
    profile_->ReadLightInfo();
    profile_->ReadLightConfig(profile_->GetLightConfigPath());
    applyProfileLighting();
    profileLoaded();
}

void COrvaneMousePadDevice::selectProfile(const std::string& uuid) {
    COrvaneUSBDevice::selectProfile(uuid);
    // The pad keeps its lighting itself: the chosen profile's goes there.
    takeDeviceBehind();
    writeProfileRecord(0, 0, false, 0, 0);
}

std::string COrvaneMousePadDevice::getProfileName() const {
    if (profileFileName_.empty()) return {};
    return json_fields::toText(json_fields::member(ReadJsonValue(profile_->GetProfilePath()), "profilename"));
}

void COrvaneMousePadDevice::saveProfile() {
    if (!profileFileName_.empty()) takeProfileSaveStatus(profile_->Save());
}

void COrvaneMousePadDevice::setLightParams(uint32_t word1, uint32_t word2, uint32_t word3) {
    COrvaneUSBDevice::setLightParams(word1, word2, word3);
    profile_->WriteLightInfo(word1, word2, word3);
}

// ---- lighting -----------------------------------------------------------------------

void COrvaneMousePadDevice::applyProfileLighting() {
    const LightSettings light = profile_->currentLightSettings();
    std::vector<LedEffect> steps = profile_->ReadLedEffects();
    std::vector<LedEntry> areas = profile_->ReadLightList();
    std::lock_guard<std::mutex> lock(frameLock_);
    lighting_.lightParams() = light;
    mousepad::storeLight(block_, light);
    customPlayer_.setSteps(std::move(steps), tickCount());
    areas_ = std::move(areas);
    // A new mode starts from the beginning of its effect.
    if (light.selectItem != shownMode_) {
        lighting_.resetAnimation();
        lighting_.rippleClear();
        shownMode_ = light.selectItem;
    }
}

void COrvaneMousePadDevice::loadDefaultData() {
    DefaultLightNames defaults =
        readDefaultLightNames(defaultDataFolder() + std::string(kDefaultLightFileName), getLayoutVariant());
    modeNames_ = std::move(defaults.modeNames);
    modeVisible_ = std::move(defaults.modeVisible);
}

void COrvaneMousePadDevice::applyProfileToPage() {
    loadDefaultData();
    showLightingPanel();
}

void COrvaneMousePadDevice::showLightingPanel() {
    auto* panel = qobject_cast<CLightControlUI*>(pageControl("LightControlItem"));
    if (!panel) return;
    panel->setVariant(panelVariant_);
    panel->setModeList(modeNames_, modeVisible_, lighting::kMaxLightLevel, lighting::kMaxLightLevel);
    LightSettings light;
    {
        std::lock_guard<std::mutex> lock(frameLock_);
        light = lighting_.lightParams();
    }
    panel->showLightParams(light.word1(), light.word2());
}

}  // namespace talven
