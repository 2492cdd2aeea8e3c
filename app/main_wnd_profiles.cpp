// CMainWnd: the profile panels of the device pages — choosing a profile in
// the combo, the profile actions with their file dialogs and messages, and
// the editor tabs.

#include "editors/device_profile.h"
#include "app/main_wnd.h"
#include "app/msg_wnd.h"
#include "app/route_helpers.h"
#include "pages/usb_device_page.h"
#include "ui/option.h"

#include <QFileDialog>

namespace talven {

using namespace ui;

namespace {

const QString kProfileFilter = QStringLiteral("Profile Files(*.json)");

// Shown when an operation did not happen for a reason the user can act on.
void reportOutcome(const ProfileResult& result, const std::function<void(const QString&)>& show) {
    if (const char* key = result.messageKey(); key && *key) show(QString::fromLatin1(key));
}

}  // namespace

ProfileDialogs defaultProfileDialogs() {
    ProfileDialogs dialogs;
    dialogs.openFile = [](QWidget* parent) {
        return QFileDialog::getOpenFileName(parent, QString(), QString(), kProfileFilter);
    };
    dialogs.saveFile = [](QWidget* parent, const QString& suggestedName) {
        QFileDialog dialog(parent, QString(), suggestedName, kProfileFilter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("json"));
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().front()
                                                                                       : QString();
    };
    dialogs.message = [](QWidget* parent, const QString& key, int buttonMode) {
        return ShowMessageBox(parent, QString(), key, 96, true, buttonMode);
    };
    return dialogs;
}

void CMainWnd::AddProfileRoutes() {
    const QString click = QString::fromLatin1(kNotifyClick);
    const QString itemSelect = QString::fromLatin1(kNotifyItemSelect);
    const QString changed = QString::fromLatin1(kNotifySelectChanged);

    // The panel a control belongs to; a control outside the panel (such as
    // "default_btn" on a page) uses its page's panel, else the current page's.
    auto panelOf = [this](TNotifyUI& msg) -> CDeviceProfileUI* {
        if (auto* panel = ancestorOf<CDeviceProfileUI>(msg.pSender)) return panel;
        COrvaneUSBDevice* page = ancestorOf<COrvaneUSBDevice>(msg.pSender);
        if (!page) page = CurrentDevicePage();
        return page ? page->profilePanel() : nullptr;
    };
    auto show = [this](const QString& key) {
        if (profileDialogs_.message) profileDialogs_.message(this, key, kMsgButtonsConfirm);
    };
    auto confirmed = [this](const char* key) {
        return profileDialogs_.message && profileDialogs_.message(this, QString::fromLatin1(key), kMsgButtonsConfirmCancel) == 1;
    };

    // A profile chosen in the combo, by the user or by an action above: the
    // list records it and the page loads it.
    routes_.add(itemSelect, QStringLiteral("device_profile_combo"), [](TNotifyUI& msg, int) {
        auto* panel = ancestorOf<CDeviceProfileUI>(msg.pSender);
        if (!panel) return;
        panel->SelectProfile(static_cast<int>(msg.wParam), false);
        if (COrvaneUSBDevice* page = ancestorOf<COrvaneUSBDevice>(panel)) page->selectProfile(panel->GetCurrentUuid());
    });

    using Action = ProfileResult (CDeviceProfileUI::*)();
    const std::pair<const char*, Action> actions[] = {
        {"device_add_btn", &CDeviceProfileUI::AddProfile},
        {"device_sub_btn", &CDeviceProfileUI::DeleteProfile},
        {"device_copy_btn", &CDeviceProfileUI::CopyProfile},
    };
    for (const auto& [name, action] : actions) {
        routes_.add(click, QString::fromLatin1(name), [panelOf, show, action](TNotifyUI& msg, int) {
            if (CDeviceProfileUI* panel = panelOf(msg)) reportOutcome((panel->*action)(), show);
        });
    }

    routes_.add(click, QStringLiteral("device_import_btn"), [this, panelOf, show](TNotifyUI& msg, int) {
        CDeviceProfileUI* panel = panelOf(msg);
        if (!panel || !profileDialogs_.openFile) return;
        const QString path = profileDialogs_.openFile(this);
        if (!path.isEmpty()) reportOutcome(panel->ImportProfile(path.toStdString()), show);
    });
    routes_.add(click, QStringLiteral("device_export_btn"), [this, panelOf, show](TNotifyUI& msg, int) {
        CDeviceProfileUI* panel = panelOf(msg);
        if (!panel || !profileDialogs_.saveFile || panel->GetCurrentUuid().empty()) return;
        const QString path = profileDialogs_.saveFile(this, panel->GetCurrentName() + QStringLiteral(".json"));
        if (!path.isEmpty()) reportOutcome(panel->ExportProfile(path.toStdString()), show);
    });
    routes_.add(click, QStringLiteral("device_profile_edit_save_btn"), [panelOf, show](TNotifyUI& msg, int) {
        CDeviceProfileUI* panel = panelOf(msg);
        if (!panel) return;
        if (panel->RenameProfile(panel->GetNameEditText().trimmed()) == 0) reportOutcome(panel->lastResult(), show);
    });

    // Both go back to the factory profile and put it on the page and the
    // device; the profile reset names the profile, "default_btn" the device.
    const std::pair<const char*, const char*> resets[] = {
        {"device_reset_btn", "message_text_profile_reset"},
        {"default_btn", "message_text_22"},
    };
    for (const auto& [name, question] : resets) {
        routes_.add(click, QString::fromLatin1(name), [panelOf, show, confirmed, question](TNotifyUI& msg, int) {
            CDeviceProfileUI* panel = panelOf(msg);
            if (!panel || panel->GetCurrentUuid().empty() || !confirmed(question)) return;
            const ProfileResult result = panel->ResetProfile();
            if (!result.ok()) return reportOutcome(result, show);
            if (COrvaneUSBDevice* page = ancestorOf<COrvaneUSBDevice>(panel)) page->selectProfile(panel->GetCurrentUuid());
        });
    }

    routes_.add(click, QStringLiteral("profile_fun_spread_btn"), [panelOf](TNotifyUI& msg, int) {
        if (CDeviceProfileUI* panel = panelOf(msg)) panel->ShowProfileMenu(!panel->IsProfileMenuShown());
    });

    // Tab n shows function page n of the page that holds it.
    for (size_t i = 0; i < kProfileTabNames.size(); ++i) {
        const int page = static_cast<int>(i) + 1;
        routes_.add(changed, QString::fromLatin1(kProfileTabNames[i]), [page](TNotifyUI& msg, int) {
            if (!chosen(msg)) return;
            if (COrvaneUSBDevice* owner = ancestorOf<COrvaneUSBDevice>(msg.pSender)) owner->setFunctionPage(page);
        });
    }
}

}  // namespace talven
