#pragma once
// CDeviceProfileUI: the profile panel of a device page — the combo of the
// device's profiles, the name edit, the menu of profile actions and the
// page's editor tabs. The files behind it belong to ProfileList; the panel
// keeps its combo in the list's order. When an operation leaves another
// profile in use, the panel selects it in the combo with the combo's
// "itemselect", and its page loads it.

#include "profile/profile_list.h"
#include "ui/layouts.h"

#include <QPointer>
#include <QString>

#include <array>
#include <functional>
#include <string>

namespace talven {

namespace ui {
class CComboUI;
class CEditUI;
class COptionUI;
class ControlRoutes;
}  // namespace ui

struct ProfileRouteHost;

class CDeviceProfileUI : public ui::CHorizontalLayoutUI {
    Q_OBJECT
public:
    QString GetClass() const override { return QStringLiteral("DeviceProfile"); }

    // The panel's controls: combo, actions, file import and export, resets.
    static void AddRoutes(ui::ControlRoutes& routes, const ProfileRouteHost& host);
    // Who loads the profile the panel has chosen (its page).
    void SetProfileChosenHandler(std::function<void(const std::string& uuid)> handler) {
        profileChosen_ = std::move(handler);
    }
    void announceProfileChosen() {
        if (profileChosen_) profileChosen_(GetCurrentUuid());
    }

    // 1 keyboard, 2 mouse, 3 mouse pad, 7 headset.
    void SetDeviceKind(int kind);
    // The device's data folder (ending in '/') and its factory profile.
    void SetFolders(const std::string& dataFolder, const std::string& defaultProfilePath);
    // Reads the list (creating "Profile1" on first start), fills the combo,
    // selects the listed profile without an event and shows the kind's tabs.
    void InitProfiles();

    // Selects combo entry `index` ("itemselect" only when `fire` is set),
    // shows its name in the edit and records it as the selected profile.
    void SelectProfile(int index, bool fire);
    int GetSelectedIndex();
    QString GetNameEditText();
    void SetNameEditText(const QString& text);
    void ShowProfileMenu(bool show);
    bool IsProfileMenuShown();

    // The operations. Each returns its outcome so the main window can tell
    // the user why nothing happened. After add, copy, import and delete the
    // profile now in use is selected with the event fired.
    ProfileResult AddProfile();
    ProfileResult DeleteProfile();
    ProfileResult CopyProfile();
    ProfileResult ImportProfile(const std::string& path);
    ProfileResult ExportProfile(const std::string& path);
    // 1 renamed, 0 refused or failed (lastResult() says which).
    int RenameProfile(const QString& name);
    ProfileResult ResetProfile();
    const ProfileResult& lastResult() const { return last_; }

    // Selects tab 1..7 (lighting, keys, macros, system, cursor, sound, voice
    // changer) alone; any other number selects none. `notify` sends the
    // option's "selectchanged" so the page follows.
    void SelectTab(int tab, bool notify = false);

    std::string GetCurrentUuid() const { return list_.currentUuid(); }
    std::string GetCurrentProfilePath() const { return list_.currentProfilePath(); }
    QString GetCurrentName() const;
    const ProfileList& profiles() const { return list_; }

private:
    ui::CComboUI* Combo();
    ui::CEditUI* NameEdit();
    ui::CControlUI* Menu();
    // The seven tab options, or nullptr for a number outside 1..7.
    ui::COptionUI* Tab(int tab);
    // The combo's entries anew from the list; `selected` without an event.
    void FillCombo(int selected);
    // After an operation: the combo follows the list, and when the
    // operation changed the profile in use it is selected with the event.
    ProfileResult Finish(ProfileResult result, bool profileChanged);
    void ApplyTabVisibility();

    ProfileList list_;
    ProfileResult last_;
    QPointer<ui::CComboUI> combo_;
    QPointer<ui::CEditUI> nameEdit_;
    QPointer<ui::CControlUI> menu_;
    std::array<QPointer<ui::COptionUI>, kProfileTabNames.size()> tabs_;
    bool tabsLookedUp_ = false;
    std::function<void(const std::string&)> profileChosen_;
};

}  // namespace talven
