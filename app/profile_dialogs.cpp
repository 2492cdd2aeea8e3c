// The profile panels' file dialogs and messages as the program shows them,
// and what their routes ask of the main window.

#include "editors/device_profile.h"
#include "app/main_wnd.h"
#include "app/msg_wnd.h"
#include "pages/usb_device_page.h"
#include "ui/control_routes.h"

#include <QFileDialog>

namespace talven {

namespace {
const QString kProfileFilter = QStringLiteral("Profile Files(*.json)");
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

ProfileRouteHost CMainWnd::ProfileHost() {
    ProfileRouteHost host;
    host.window = this;
    host.dialogs = &profileDialogs_;
    host.panelOutside = [this](ui::CControlUI* sender) -> CDeviceProfileUI* {
        COrvaneUSBDevice* page = ui::ancestorOf<COrvaneUSBDevice>(sender);
        if (!page) page = CurrentDevicePage();
        return page ? page->profilePanel() : nullptr;
    };
    return host;
}

}  // namespace talven
