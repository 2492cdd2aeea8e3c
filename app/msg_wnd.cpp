#include "app/msg_wnd.h"

#include "app/dpi_change.h"
#include "platform/debug_output.h"
#include "ui/control.h"
#include "ui/dpi.h"

#include <QPointer>

namespace talven {

using namespace ui;

void CMsgWnd::InitWindow() { closeButton_ = m_pm.FindControl(QStringLiteral("closebtn")); }

void CMsgWnd::OnClick(TNotifyUI& msg) {
    if (!msg.pSender) return;
    const QString name = msg.pSender->GetName();
    if (name.compare(QLatin1String("confirm_btn"), Qt::CaseInsensitive) == 0) {
        Close(1);
    } else if (name.compare(QLatin1String("closebtn"), Qt::CaseInsensitive) == 0 ||
               name.compare(QLatin1String("cancel_btn"), Qt::CaseInsensitive) == 0) {
        Close(0);
    }
}

qintptr CMsgWnd::OnSysCommand(uint, quintptr, qintptr, bool& handled) {
    handled = false;
    return 0;
}

qintptr CMsgWnd::HandleCustomMessage(uint msg, quintptr wParam, qintptr lParam, bool& handled) {
    handled = false;
    if (msg != WM_DPICHANGED) return 0;
    applyDpiChange(m_pm, *this, wParam, lParam);
    m_pm.NeedUpdate();
    handled = true;
    return 0;
}

namespace {

void setVisible(CPaintManagerUI& pm, const char* name, bool visible) {
    if (CControlUI* control = pm.FindControl(QString::fromLatin1(name))) control->SetVisible(visible);
}

}  // namespace

int ShowMessageBox(QWidget* parent, const QString& title, const QString& text, int screenScale,
                   bool resourceText, int buttonMode) {
    QPointer<CMsgWnd> box = new CMsgWnd;
    if (!box->Create(parent, QStringLiteral("msgwnd"), WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW)) {
        delete box.data();
        return 0;
    }
    CPaintManagerUI& pm = box->GetPaintManager();
    if (!title.isEmpty()) {
        if (CControlUI* label = pm.FindControl(QStringLiteral("MessageTitle"))) label->SetText(title);
    }
    if (!text.isEmpty()) {
        if (CControlUI* label = pm.FindControl(QStringLiteral("MessageText"))) {
            label->SetResourceText(resourceText);
            label->SetText(text);
        }
    }
    if (screenScale != pm.GetDPI()) {
        int scale = screenScale;
        if (!CDPI::IsWindowScale(scale)) {
            debugOutput("MSG_WND DPI SET ERROR");
            scale = 96;
        }
        // Only the box: the other windows keep their own scale.
        pm.SetDPI(scale);
    }
    if (buttonMode == kMsgButtonsConfirm) {
        setVisible(pm, "confirm_btn", true);
        setVisible(pm, "cancel_btn", false);
    } else if (buttonMode == kMsgButtonsConfirmCancel) {
        setVisible(pm, "confirm_btn", true);
        setVisible(pm, "cancel_btn", true);
    }
    box->CenterWindow();
    return box->ShowModal();
}

}  // namespace talven
