// CMainWnd: the secondary windows of the caption, the settings window
// ("setbtn") and the skin frame ("skinbtn"), and the background that the
// skin frame's broadcasts change.

#include "app/main_wnd.h"
#include "app/set_wnd.h"
#include "app/skin_settings.h"
#include "ui/control.h"

namespace talven {

using namespace ui;

namespace {

constexpr QSize kSettingsSize(595, 380);

}  // namespace

CSetWnd* CMainWnd::settingsWindow() const { return settingsWnd_.data(); }

void CMainWnd::OpenSettingsWindow(bool atUpdates) {
    Q_UNUSED(atUpdates);  // no update area yet: the window opens centred either way
    if (settingsWnd_) {
        settingsWnd_->ShowWindow(true);
        return;
    }
    auto* wnd = new CSetWnd(this, currentLanguage_);
    wnd->SetScreenScale(screenScale_);
    if (!wnd->Create(this, QStringLiteral("SetWnd"), WS_POPUP, WS_EX_TOOLWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                     kSettingsSize.width(), kSettingsSize.height())) {
        delete wnd;
        return;
    }
    settingsWnd_ = wnd;
    wnd->CenterWindow();
    wnd->ShowModal();
    settingsWnd_ = nullptr;
}

void CMainWnd::CloseSettingsWindow() {
    if (settingsWnd_) settingsWnd_->Close(0);
}

void CMainWnd::OpenSkinFrame() {
    // A second click while the frame is up leaves that one (the click itself
    // took the focus from it, so it is already closing).
    if (skinFrame_ && skinFrame_->isVisible()) return;
    skinFrame_ = CSkinFrame::Open(this, Find("skinbtn"), skinDialogs_);
}

int CMainWnd::Receive(SkinChangedParam param) {
    CControlUI* root = Find("root");
    if (!root) return 0;
    if (param.colour) {
        root->SetBkColor(QColor::fromRgba(param.bkColor));
        root->SetBkImage(QString());
    } else {
        root->SetBkColor(QColor::fromRgba(0));
        root->SetBkImage(param.bkImage);
    }
    return 1;
}

}  // namespace talven
