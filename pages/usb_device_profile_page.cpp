// COrvaneUSBDevice: the page's profile panel and the profile it points at.

#include "editors/device_profile.h"
#include "pages/usb_device_page.h"
#include "profile/profile_list.h"
#include "ui/paint_manager.h"

namespace talven {

void COrvaneUSBDevice::initProfilePanel(int profileKind) {
    profileUi_ = qobject_cast<CDeviceProfileUI*>(FindControl(
        [this](ui::CControlUI* c) { return c != this && c->GetClass() == QLatin1String("DeviceProfile"); }));
    if (!profileUi_) return;
    profileUi_->SetDeviceKind(profileKind);
    profileUi_->SetFolders(userDataFolder(), defaultProfilePath());
    profileUi_->InitProfiles();
    setProfileUuid(profileUi_->GetCurrentUuid());
}

void COrvaneUSBDevice::setProfileUuid(const std::string& uuid) {
    if (profileFilePath(userDataFolder(), uuid).empty()) return;
    profileFileName_ = uuid;
    saveProfileFiles();
}

std::string COrvaneUSBDevice::profilePath() const {
    return profileFileName_.empty() ? std::string() : profileFilePath(userDataFolder(), profileFileName_);
}

void COrvaneUSBDevice::selectProfile(const std::string& uuid) {
    setProfileUuid(uuid);
    reloadProfile();
    applyProfileToPage();
}

}  // namespace talven
