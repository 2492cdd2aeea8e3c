#include "ui/tray_icon.h"

#include "platform/debug_output.h"
#include "ui/paint_manager.h"
#include "ui/window_impl_base.h"

namespace talven::ui {

CTrayIcon::CTrayIcon() = default;

CTrayIcon::~CTrayIcon() { DeleteTrayIcon(); }

bool CTrayIcon::CreateTrayIcon(WindowImplBase* window, const QString& iconPath, const QString& tip,
                               uint message) {
    return CreateTrayIcon(window, QIcon(CPaintManagerUI::ResolveResourceFile(iconPath)), tip, message);
}

bool CTrayIcon::CreateTrayIcon(WindowImplBase* window, const QIcon& icon, const QString& tip, uint message) {
    DeleteTrayIcon();
    if (!window || !QSystemTrayIcon::isSystemTrayAvailable()) {
        debugOutput("tray: no notification area; running without a tray icon");
        return false;
    }
    window_ = window;
    message_ = message == 0 ? UIMSG_TRAYICON : message;
    icon_ = new QSystemTrayIcon(icon, this);
    icon_->setToolTip(tip);
    connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        const qintptr mouse = MouseMessageFor(reason);
        if (mouse != 0 && window_) window_->PostMessage(message_, 0, mouse);
    });
    icon_->show();
    return true;
}

qintptr CTrayIcon::MouseMessageFor(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger: return WM_LBUTTONUP;
    case QSystemTrayIcon::Context: return WM_RBUTTONUP;
    case QSystemTrayIcon::DoubleClick: return WM_LBUTTONDBLCLK;
    default: return 0;
    }
}

void CTrayIcon::DeleteTrayIcon() {
    if (!icon_) return;
    icon_->hide();
    delete icon_;
    icon_ = nullptr;
}

void CTrayIcon::SetTooltipText(const QString& tip) {
    if (icon_) icon_->setToolTip(tip);
}

QString CTrayIcon::GetTooltipText() const { return icon_ ? icon_->toolTip() : QString(); }

void CTrayIcon::SetIcon(const QIcon& icon) {
    if (icon_) icon_->setIcon(icon);
}

void CTrayIcon::SetShowIcon() {
    if (icon_) icon_->show();
}

void CTrayIcon::SetHideIcon() {
    if (icon_) icon_->hide();
}

void CTrayIcon::ShowMessage(const QString& title, const QString& text) {
    if (icon_) icon_->showMessage(title, text, QSystemTrayIcon::Information);
}

}  // namespace talven::ui
