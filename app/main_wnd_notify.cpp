// CMainWnd: notification routing. The window's own controls are handled
// here; controls of device pages and editors reach their owners through the
// route table, keyed by type and control name (or name prefix).

#include "app/app_messages.h"
#include "app/device_selector.h"
#include "app/main_wnd.h"
#include "pages/usb_device_page.h"
#include "platform/debug_output.h"
#include "ui/control.h"
#include "ui/resource_manager.h"

#include <QSystemTrayIcon>

namespace talven {

using namespace ui;

namespace {

bool isIgnoredPageClick(const QString& type) {
    return type == QLatin1String("click_wpremove") || type == QLatin1String("click_wpedit");
}

}  // namespace

void CMainWnd::Notify(TNotifyUI& msg) {
    const QString name = msg.pSender ? msg.pSender->GetName() : QString();
    if (msg.sType != QLatin1String(kNotifyTimer)) {
        debugOutputf("%s %s", msg.sType.toUtf8().constData(), name.toUtf8().constData());
    }
    if (isIgnoredPageClick(msg.sType)) return;
    if (msg.sType == QLatin1String(kNotifyWindowInit)) {
        OnWindowInit();
    } else if (msg.sType == QLatin1String(kNotifyWindowSize)) {
        if (name == QLatin1String("root") && displayChanged_) {
            displayChanged_ = false;
            FitToScreen();
        }
    } else if (msg.sType == QLatin1String(kNotifyClick)) {
        RouteClick(msg);
    } else if (msg.sType != QLatin1String("itemactivate") && msg.sType != QLatin1String("setfocus")) {
        // The message map below runs these two; everything else by name.
        routes_.dispatch(msg);
    }
    WindowImplBase::Notify(msg);
}

void CMainWnd::RouteClick(TNotifyUI& msg) {
    if (routes_.dispatch(msg)) return;
    const QString name = msg.pSender ? msg.pSender->GetName() : QString();
    if (name == QLatin1String("minbtn")) {
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
    } else if (name == QLatin1String("maxbtn")) {
        SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE);
    } else if (name == QLatin1String("restorebtn")) {
        SendMessage(WM_SYSCOMMAND, SC_RESTORE);
    }
}

void CMainWnd::AddShellRoutes() {
    const QString click = QString::fromLatin1(kNotifyClick);
    // Closing keeps the program in the tray; only the tray's "exit" ends it.
    routes_.add(click, QStringLiteral("closebtn"), [this](TNotifyUI&, int) {
        CloseSettingsWindow();
        CloseToTray();
    });
    routes_.add(click, QStringLiteral("setbtn"), [this](TNotifyUI&, int) { OpenSettingsWindow(false); });
    routes_.add(click, QStringLiteral("skinbtn"), [this](TNotifyUI&, int) { OpenSkinFrame(); });
    routes_.add(click, QStringLiteral("deng_same_mode"), [this](TNotifyUI&, int) {
        if (COrvaneUSBDevice* page = CurrentDevicePage()) selector_->lightingSync().sameMode(*page);
    });
    routes_.add(click, QStringLiteral("nodevice_ok_btn"), [this](TNotifyUI&, int) { CloseToTray(); });
    routes_.add(click, QStringLiteral("control_light_status"),
                [this](TNotifyUI&, int) { ToggleLightingControl(); });

    // The key capture box holds the input hook while it has the focus. Losing
    // the focus removes it: were it installed again then, every key of the
    // desktop would stay captured after the user moved on.
    const QString box = QStringLiteral("keyset_keyboard_text_edit");
    routes_.add(QString::fromLatin1(kNotifySetFocus), box, [this](TNotifyUI& msg, int) {
        captureBox_ = msg.pSender;
        SendMessage(mainmsg::kInputHook, 1, 0);
    });
    routes_.add(QString::fromLatin1(kNotifyKillFocus), box, [this](TNotifyUI&, int) {
        SendMessage(mainmsg::kInputHook, 0, 0);
        captureBox_ = nullptr;
    });
}

bool CMainWnd::TrayShown() const {
    return trayAccess_.available ? trayAccess_.available()
                                 : tray_.IsCreated() && QSystemTrayIcon::isSystemTrayAvailable();
}

// The footer tells what closing does, which depends on the tray.
void CMainWnd::ShowCloseHint() {
    if (CControlUI* footer = Find("talven_footer"))
        footer->SetText(TrayShown() ? QStringLiteral("footer_text") : QStringLiteral("footer_text_notray"));
}

void CMainWnd::CloseToTray() {
    // Hidden with nowhere to come back from, the program would run on
    // unseen and unreachable: without a tray, closing ends it.
    if (!TrayShown()) {
        Close(0);
        return;
    }
    ShowWindow(false);
    if (trayNoticeShown_) return;
    trayNoticeShown_ = true;
    CResourceManager* texts = CResourceManager::GetInstance();
    const QString title = texts->GetText(QStringLiteral("tray_notice_title"));
    const QString text = texts->GetText(QStringLiteral("tray_notice_text"));
    if (trayAccess_.showMessage) trayAccess_.showMessage(title, text);
    else tray_.ShowMessage(title, text);
}

}  // namespace talven
