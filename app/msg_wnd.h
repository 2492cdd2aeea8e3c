#pragma once
// CMsgWnd: the program's own message box, a small modal skin window with a
// title, a text (normally a language key) and one or two buttons.

#include "ui/msg_buttons.h"
#include "ui/window_impl_base.h"

namespace talven {

class CMsgWnd : public ui::WindowImplBase {
    Q_OBJECT
public:
    QString GetWindowClassName() const override { return QStringLiteral("MsgWnd"); }
    QString GetSkinFile() override { return QStringLiteral("XML_MSG"); }
    void InitWindow() override;
    void OnClick(ui::TNotifyUI& msg) override;
    qintptr OnSysCommand(uint msg, quintptr wParam, qintptr lParam, bool& handled) override;
    qintptr HandleCustomMessage(uint msg, quintptr wParam, qintptr lParam, bool& handled) override;
    void OnFinalMessage() override { deleteLater(); }

private:
    ui::CControlUI* closeButton_ = nullptr;
};

// Shows the box modal over `parent` and returns 1 when confirmed, 0 when
// cancelled or closed. An empty title or text keeps the layout's own.
int ShowMessageBox(QWidget* parent, const QString& title, const QString& text, int screenScale,
                   bool resourceText, int buttonMode);

}  // namespace talven
