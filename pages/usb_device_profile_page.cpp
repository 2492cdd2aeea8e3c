// COrvaneUSBDevice: the page's profile panel and the profile it points at.

#include "editors/device_profile.h"
#include "pages/usb_device_page.h"
#include "platform/debug_output.h"
#include "profile/profile_list.h"
#include "ui/paint_manager.h"
#include "ui/window_impl_base.h"

#include <QMetaObject>

#include <utility>

namespace talven {

void COrvaneUSBDevice::initProfilePanel(int profileKind) {
    profileUi_ = qobject_cast<CDeviceProfileUI*>(FindControl(
        [this](ui::CControlUI* c) { return c != this && c->GetClass() == QLatin1String("DeviceProfile"); }));
    if (!profileUi_) return;
    profileUi_->SetProfileChosenHandler([this](const std::string& uuid) { selectProfile(uuid); });
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

// ---- damaged profiles and failed saves ---------------------------------------------

void COrvaneUSBDevice::takeProfileLoadStatus(ProfileStatus status) {
    profileDamaged_ = status == ProfileStatus::damagedFile;
    if (!profileDamaged_) {
        damageReportedFor_.clear();
        return;
    }
    // Every reload (a tab change is one) finds the same damage: once is enough.
    if (damageReportedFor_ == profileFileName_) return;
    damageReportedFor_ = profileFileName_;
    queueProfileNotice(ProfileNotice::Damaged);
}

void COrvaneUSBDevice::takeProfileSaveStatus(ProfileStatus status) {
    switch (status) {
    case ProfileStatus::ok:
    case ProfileStatus::completedFromDefault: return;
    // The user changed something that cannot be kept: asked again.
    case ProfileStatus::damagedFile:
        profileDamaged_ = true;
        damageReportedFor_ = profileFileName_;
        queueProfileNotice(ProfileNotice::Damaged);
        return;
    case ProfileStatus::writeFailed:
    case ProfileStatus::noFactoryEntry: queueProfileNotice(ProfileNotice::Unsaved); return;
    }
}

void COrvaneUSBDevice::queueProfileNotice(ProfileNotice notice) {
    const bool queued = pendingNotice_ != ProfileNotice::None;
    // The offer to reset says that changes are not saved as well.
    if (notice == ProfileNotice::Damaged || !queued) pendingNotice_ = notice;
    if (!queued) QMetaObject::invokeMethod(this, [this] { showProfileNotice(); }, Qt::QueuedConnection);
}

void COrvaneUSBDevice::showProfileNotice() {
    const ProfileNotice notice = std::exchange(pendingNotice_, ProfileNotice::None);
    if (notice == ProfileNotice::Unsaved) {
        askUser("message_text_profile_not_saved", false);
    } else if (notice == ProfileNotice::Damaged && profileDamaged_) {
        if (askUser("message_text_profile_damaged", true)) resetDamagedProfile();
    }
}

bool COrvaneUSBDevice::askUser(const char* key, bool offerCancel) {
    return askOwner(QString::fromLatin1(key), offerCancel);
}

void COrvaneUSBDevice::tellUser(const QString& text) { askOwner(text, false); }

bool COrvaneUSBDevice::askOwner(const QString& text, bool offerCancel) {
    auto* window = qobject_cast<ui::WindowImplBase*>(ownerWindow_);
    if (!window) return false;
    PageQuestion question{text, offerCancel};
    window->SendMessage(kPageQuestionMessage, reinterpret_cast<quintptr>(&question), 0);
    return question.confirmed;
}

int COrvaneUSBDevice::checkedWrite(const std::function<int()>& write, bool (*failed)(int), const char* key) {
    // Nothing goes to a device that is not there (or is held back): there
    // is no failure to tell of then.
    const bool sent = commandChannel_.isConnected() && !commandChannel_.refusal();
    const int result = write();
    if (sent && failed(result)) {
        deviceBehind_ = true;
        queueWriteNotice(key);
    }
    return result;
}

// Shown after the current event, as the profile notices are: the write may
// run inside a profile pick or a panel's notification, and the message box
// has a loop of its own.
void COrvaneUSBDevice::queueWriteNotice(const char* key) {
    if (pendingWriteNotice_) return;
    pendingWriteNotice_ = key;
    QMetaObject::invokeMethod(
        this, [this] { askUser(std::exchange(pendingWriteNotice_, nullptr), false); }, Qt::QueuedConnection);
}

void COrvaneUSBDevice::resetDamagedProfile() {
    // The panel resets its selected profile: it must be the damaged one.
    if (!profileUi_ || profileFileName_.empty() || profileUi_->GetCurrentUuid() != profileFileName_) {
        debugOutput("profile reset: the panel has another profile selected than the page shows");
        return;
    }
    const ProfileResult result = profileUi_->ResetProfile();
    if (!result.ok()) {
        if (const char* key = result.messageKey(); key && *key) askUser(key, false);
        return;
    }
    selectProfile(profileUi_->GetCurrentUuid());
}

}  // namespace talven
