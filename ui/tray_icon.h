#pragma once
// CTrayIcon: the notification-area icon. Clicks reach the window as a
// message (UIMSG_TRAYICON unless told otherwise) with lParam the mouse
// message: WM_LBUTTONUP for a click, WM_RBUTTONUP for a right click,
// WM_LBUTTONDBLCLK for a double click. Without a notification area (a bare
// X server, the offscreen platform) there is simply no icon.

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include "ui/messages.h"

namespace talven::ui {

class WindowImplBase;

class CTrayIcon : public QObject {
    Q_OBJECT

public:
    CTrayIcon();
    ~CTrayIcon() override;

    // `iconPath` is a file, relative to the skin folder unless absolute.
    // A message of 0 means UIMSG_TRAYICON. False when there is no tray.
    bool CreateTrayIcon(WindowImplBase* window, const QString& iconPath, const QString& tip,
                        uint message = UIMSG_TRAYICON);
    bool CreateTrayIcon(WindowImplBase* window, const QIcon& icon, const QString& tip,
                        uint message = UIMSG_TRAYICON);
    void DeleteTrayIcon();
    bool IsCreated() const { return icon_ != nullptr; }
    void SetTooltipText(const QString& tip);
    QString GetTooltipText() const;
    void SetIcon(const QIcon& icon);
    void SetShowIcon();
    void SetHideIcon();
    // A balloon message at the icon; nothing when there is no icon.
    void ShowMessage(const QString& title, const QString& text);

    // The mouse message a tray activation stands for (0: none).
    static qintptr MouseMessageFor(QSystemTrayIcon::ActivationReason reason);

private:
    QPointer<WindowImplBase> window_;
    QSystemTrayIcon* icon_ = nullptr;
    uint message_ = UIMSG_TRAYICON;
};

}  // namespace talven::ui
