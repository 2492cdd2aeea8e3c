#include "app/set_wnd.h"

#include "app/app_messages.h"
#include "app/dpi_change.h"
#include "app/msg_wnd.h"
#include "app/sdk_bridge.h"
#include "platform/app_paths.h"
#include "platform/autostart.h"
#include "platform/debug_output.h"
#include "platform/settings_store.h"
#include "ui/control.h"
#include "ui/dpi.h"
#include "ui/list.h"
#include "ui/option.h"

#include <cstring>

namespace talven {

using namespace ui;

namespace {

constexpr QSize kWindowSize(595, 380);
const QString kLanguageList = QStringLiteral("Language_combox_info");
const QString kLaunchOption = QStringLiteral("device_launch_app");
const QString kSdkServerOption = QStringLiteral("sdk_server_check");

}  // namespace

CSetWnd::CSetWnd(WindowImplBase* mainWnd, int languageIndex)
    : mainWnd_(mainWnd),
      currentLanguage_(languageIndex),
      autostartEntry_(autostart::entryPath()),
      executable_(autostart::ownExecutable()) {
    MapNotify(QStringLiteral("itemselect"), &CSetWnd::OnItemSelect);
    MapNotify(QStringLiteral("selectchanged"), &CSetWnd::OnSelectChanged);
    MapNotify(QStringLiteral("windowinit"), &CSetWnd::StartUpdateCheck);
    tell_ = [this](const QString& key) { ShowMessageBox(this, QString(), key, m_pm.GetDPI(), true, kMsgButtonsConfirm); };
}

void CSetWnd::InitWindow() {
    resize(m_pm.GetDPIObj()->Scale(kWindowSize));
    FillLanguageList();
    ShowAutostartState();
    ShowSdkServerState(askSdkServer(2));
}

void CSetWnd::SetScreenScale(int scale) {
    if (!CDPI::IsWindowScale(scale)) {
        debugOutput("SET_WND DPI SET ERROR");
        scale = 96;
    }
    m_pm.SetDPI(scale);
}

// Each row names its language in that language ("Language_text"); an entry
// without one shows its resource name rather than an empty row.
void CSetWnd::FillLanguageList() {
    auto* list = qobject_cast<CListUI*>(m_pm.FindControl(kLanguageList));
    if (!list) return;
    languages_ = readLanguageList(paths::defaultDataFolder() + "Language.config");
    for (const LanguageEntry& entry : languages_) {
        auto* row = new CListLabelElementUI;
        row->SetText(QString::fromStdString(entry.text.empty() ? entry.name : entry.text));
        list->Add(row);
    }
    if (currentLanguage_ >= 0 && currentLanguage_ < static_cast<int>(languages_.size()))
        list->SelectItem(currentLanguage_, false);
}

void CSetWnd::ShowAutostartState() {
    if (auto* option = qobject_cast<COptionUI*>(m_pm.FindControl(kLaunchOption)))
        option->Selected(autostart::isEnabled(autostartEntry_), false);
}

// A choice that could not be stored is told and the option shows what is
// really there, so it never claims a start the desktop will not do.
void CSetWnd::SetAutostart(bool on) {
    const int error = on ? autostart::enable(autostartEntry_, executable_) : autostart::disable(autostartEntry_);
    if (error != 0) {
        debugOutputf("autostart %s: %s", autostartEntry_.c_str(), std::strerror(error));
        ShowAutostartState();
        if (tell_) tell_(on ? QStringLiteral("set_autostart_failed") : QStringLiteral("set_autostart_remove_failed"));
        return;
    }
    ShowAutostartState();
}

bool CSetWnd::askSdkServer(quintptr request) {
    bool running = false;
    if (mainWnd_) mainWnd_->SendMessage(mainmsg::kSdkServer, request, reinterpret_cast<qintptr>(&running));
    return running;
}

void CSetWnd::ShowSdkServerState(bool running) {
    if (auto* option = qobject_cast<COptionUI*>(m_pm.FindControl(kSdkServerOption))) option->Selected(running, false);
}

// The choice is kept for the next start only when it took effect: a server
// that could not start is told and stays off in settings.ini as well.
void CSetWnd::SetSdkServer(bool on) {
    const bool running = askSdkServer(on ? 1 : 0);
    ShowSdkServerState(running);
    if (!SettingsStore().set(kSdkServerSetting, running ? "1" : "0"))
        debugOutput("settings.ini: the lighting server choice could not be stored");
    if (on && !running && tell_) tell_(QStringLiteral("set_sdk_server_failed"));
}

void CSetWnd::OnClick(TNotifyUI& msg) {
    if (!msg.pSender) return;
    const QString name = msg.pSender->GetName();
    if (name == QLatin1String("closebtn") || name == QLatin1String("laterbtn")) Close(0);
    else if (name == QLatin1String("update_fw_and_ap")) SelectUpdatePage(1);
    else if (name == QLatin1String("update_back_btn")) {
        SelectUpdatePage(0);
        ShowDownloadButton(updates_.anyTicked());
    }
    else if (name == QLatin1String("update_OK_btn")) ConfirmUpdates();
}

void CSetWnd::OnSelectChanged(TNotifyUI& msg) {
    if (!msg.pSender) return;
    if (msg.pSender->GetName() == QLatin1String("check_name_select")) {
        OnRowTicked(msg.pSender);
        return;
    }
    auto* option = qobject_cast<COptionUI*>(msg.pSender);
    if (!option) return;
    if (msg.pSender->GetName() == kLaunchOption) SetAutostart(option->IsSelected());
    else if (msg.pSender->GetName() == kSdkServerOption) SetSdkServer(option->IsSelected());
}

void CSetWnd::OnItemSelect(TNotifyUI& msg) {
    if (!msg.pSender || msg.pSender->GetName() != kLanguageList) return;
    currentLanguage_ = static_cast<int>(msg.wParam);
    if (mainWnd_) mainWnd_->SendMessage(mainmsg::kApplyLanguage, msg.wParam, 0);
}

// Closing from the desktop (Alt+F4, the window menu) closes this window
// only; the program goes on in the main window.
qintptr CSetWnd::OnSysCommand(uint, quintptr wParam, qintptr, bool& handled) {
    handled = (wParam & 0xFFF0) == SC_CLOSE;
    if (handled) Close(0);
    return 0;
}

qintptr CSetWnd::HandleCustomMessage(uint msg, quintptr wParam, qintptr lParam, bool& handled) {
    handled = false;
    if (msg != 0 && msg == appMessages().updateStatus) {
        OnUpdateStatusMessage(wParam, lParam);
        handled = true;
    } else if (msg == WM_CLOSE) {
        // A download under way would be cut off: the window stays.
        handled = !updates_.canClose();
        if (!handled) StopWorkers();
    } else if (msg == mainmsg::kApplyLanguage) {
        // Resource texts follow by themselves; the date line is put together.
        if (updateStatus_ == update::kStatusLatest) SetUpdateStatus(updateStatus_);
        m_pm.NeedUpdate();
        update();
        handled = true;
    } else if (msg == WM_DPICHANGED) {
        applyDpiChange(m_pm, *this, wParam, lParam);
        m_pm.NeedUpdate();
        handled = true;
    }
    return 0;
}

}  // namespace talven
