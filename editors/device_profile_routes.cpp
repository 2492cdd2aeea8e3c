// CDeviceProfileUI: the profile panel's own routes — choosing a profile in
// the combo, the profile actions with their file dialogs and messages.

#include "editors/device_profile.h"
#include "editors/profile_dialogs.h"
#include "profile/user_names.h"
#include "ui/control_routes.h"
#include "ui/msg_buttons.h"

namespace talven {

using namespace ui;

namespace {

// Shown when an operation did not happen for a reason the user can act on.
void reportOutcome(const ProfileResult& result, const ProfileRouteHost& host) {
    const char* key = result.messageKey();
    if (key && *key && host.dialogs && host.dialogs->message)
        host.dialogs->message(host.window, QString::fromLatin1(key), kMsgButtonsConfirm);
}

bool confirmed(const ProfileRouteHost& host, const char* key) {
    return host.dialogs && host.dialogs->message &&
           host.dialogs->message(host.window, QString::fromLatin1(key), kMsgButtonsConfirmCancel) == 1;
}

// The panel a control belongs to; a control outside the panel (such as
// "default_btn" on a page) is the host's to resolve.
CDeviceProfileUI* panelOf(const ProfileRouteHost& host, TNotifyUI& msg) {
    if (auto* panel = ancestorOf<CDeviceProfileUI>(msg.pSender)) return panel;
    return host.panelOutside ? host.panelOutside(msg.pSender) : nullptr;
}

void addActionRoutes(ControlRoutes& routes, const ProfileRouteHost& host) {
    const QString click = QString::fromLatin1(kNotifyClick);
    using Action = ProfileResult (CDeviceProfileUI::*)();
    const std::pair<const char*, Action> actions[] = {
        {"device_add_btn", &CDeviceProfileUI::AddProfile},
        {"device_sub_btn", &CDeviceProfileUI::DeleteProfile},
        {"device_copy_btn", &CDeviceProfileUI::CopyProfile},
    };
    for (const auto& [name, action] : actions) {
        routes.add(click, QString::fromLatin1(name), [host, action](TNotifyUI& msg, int) {
            if (CDeviceProfileUI* panel = panelOf(host, msg)) reportOutcome((panel->*action)(), host);
        });
    }
    routes.add(click, QStringLiteral("device_profile_edit_save_btn"), [host](TNotifyUI& msg, int) {
        CDeviceProfileUI* panel = panelOf(host, msg);
        if (panel && panel->RenameProfile(panel->GetNameEditText().trimmed()) == 0)
            reportOutcome(panel->lastResult(), host);
    });
    routes.add(click, QStringLiteral("profile_fun_spread_btn"), [host](TNotifyUI& msg, int) {
        if (CDeviceProfileUI* panel = panelOf(host, msg)) panel->ShowProfileMenu(!panel->IsProfileMenuShown());
    });
}

void addFileRoutes(ControlRoutes& routes, const ProfileRouteHost& host) {
    const QString click = QString::fromLatin1(kNotifyClick);
    routes.add(click, QStringLiteral("device_import_btn"), [host](TNotifyUI& msg, int) {
        CDeviceProfileUI* panel = panelOf(host, msg);
        if (!panel || !host.dialogs || !host.dialogs->openFile) return;
        const QString path = host.dialogs->openFile(host.window);
        if (!path.isEmpty()) reportOutcome(panel->ImportProfile(path.toStdString()), host);
    });
    routes.add(click, QStringLiteral("device_export_btn"), [host](TNotifyUI& msg, int) {
        CDeviceProfileUI* panel = panelOf(host, msg);
        if (!panel || !host.dialogs || !host.dialogs->saveFile || panel->GetCurrentUuid().empty()) return;
        const std::string suggested = suggestedFileName(panel->GetCurrentName().toStdString(), ".json", "profile");
        const QString path = host.dialogs->saveFile(host.window, QString::fromStdString(suggested));
        if (!path.isEmpty()) reportOutcome(panel->ExportProfile(path.toStdString()), host);
    });
}

}  // namespace

void CDeviceProfileUI::AddRoutes(ControlRoutes& routes, const ProfileRouteHost& host) {
    // A profile chosen in the combo, by the user or by an action above: the
    // list records it and the page loads it.
    routes.add(QString::fromLatin1(kNotifyItemSelect), QStringLiteral("device_profile_combo"), [](TNotifyUI& msg, int) {
        auto* panel = ancestorOf<CDeviceProfileUI>(msg.pSender);
        if (!panel) return;
        panel->SelectProfile(static_cast<int>(msg.wParam), false);
        panel->announceProfileChosen();
    });
    addActionRoutes(routes, host);
    addFileRoutes(routes, host);

    // Both go back to the factory profile and put it on the page and the
    // device; the profile reset names the profile, "default_btn" the device.
    const std::pair<const char*, const char*> resets[] = {
        {"device_reset_btn", "message_text_profile_reset"},
        {"default_btn", "message_text_22"},
    };
    for (const auto& [name, question] : resets) {
        routes.add(QString::fromLatin1(kNotifyClick), QString::fromLatin1(name), [host, question](TNotifyUI& msg, int) {
            CDeviceProfileUI* panel = panelOf(host, msg);
            if (!panel || panel->GetCurrentUuid().empty() || !confirmed(host, question)) return;
            const ProfileResult result = panel->ResetProfile();
            if (!result.ok()) return reportOutcome(result, host);
            panel->announceProfileChosen();
        });
    }
}

}  // namespace talven
