// CMainWnd: what the shoot panels ask of the window — the shoot file dialogs
// and the message window.

#include "app/file_dialog.h"
#include "app/main_wnd.h"
#include "ui/msg_buttons.h"

namespace talven {

namespace {

const QString kShootFilter = QStringLiteral("Shoot Files(*.Shoot)");

}  // namespace

ShootRouteHost CMainWnd::ShootHost() {
    ShootRouteHost host;
    host.chooseFile = [this](CShootControlUI*, bool save) {
        return shootFileDialog_ ? shootFileDialog_(this, save)
                                : chooseDataFile(this, save, kShootFilter, QStringLiteral("Shoot"));
    };
    host.message = [this](CShootControlUI*, const QString& key, bool ask) {
        if (!profileDialogs_.message) return false;
        return profileDialogs_.message(this, key, ask ? kMsgButtonsConfirmCancel : kMsgButtonsConfirm) == 1;
    };
    return host;
}

}  // namespace talven
