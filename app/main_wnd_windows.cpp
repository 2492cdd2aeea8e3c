// CMainWnd: the secondary windows of the caption, the settings window
// ("setbtn") and the skin frame ("skinbtn"), and the background that the
// skin frame's broadcasts change.

#include "app/main_wnd.h"
#include "app/set_wnd.h"
#include "app/skin_settings.h"
#include "pages/usb_device_page.h"
#include "ui/control.h"
#include "update/update_check.h"

namespace talven {

using namespace ui;

namespace {

constexpr QSize kSettingsSize(595, 380);

}  // namespace

// The update rows: each product row's connected device with its USB release
// number, and the program with the version it was built as.
std::vector<update::UpdateRecord> CMainWnd::UpdateRecords() const {
    std::array<uint32_t, kProductTable.size()> versions{};
    for (size_t i = 0; selector_ && i < kProductTable.size(); ++i) {
        for (COrvaneUSBDevice* page : selector_->pages()) {
            if (page->deviceFolderName() != kProductTable[i].kindName) continue;
            CommandChannel& channel = page->commandChannel();
            if (channel.isConnected()) versions[i] = channel.device().attributes().version;
        }
    }
    return update::updateRecords(versions, update::applicationVersionNumber(TALVEN_VERSION));
}

CSetWnd* CMainWnd::settingsWindow() const { return settingsWnd_.data(); }

void CMainWnd::OpenSettingsWindow(bool atUpdates) {
    Q_UNUSED(atUpdates);  // the updates are on the window's first page: it opens centred either way
    if (settingsWnd_) {
        settingsWnd_->ShowWindow(true);
        return;
    }
    auto* wnd = new CSetWnd(this, currentLanguage_);
    wnd->SetScreenScale(screenScale_);
    wnd->setUpdateRecords(UpdateRecords());
    if (updateService_) wnd->setUpdateService(*updateService_);
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
