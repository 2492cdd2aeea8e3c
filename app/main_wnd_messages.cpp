// CMainWnd: window messages, timers, the tray icon and its menu.

#include "app/app_messages.h"
#include "app/dpi_change.h"
#include "app/main_wnd.h"
#include "app/msg_wnd.h"
#include "app/set_wnd.h"
#include "editors/key_set_control.h"
#include "pages/usb_device_page.h"
#include "platform/debug_output.h"
#include "platform/input/input_events.h"
#include "ui/control.h"
#include "ui/resource_manager.h"

#include <QCursor>

namespace talven {

using namespace ui;

qintptr CMainWnd::HandleCustomMessage(uint msg, quintptr wParam, qintptr lParam, bool& handled) {
    handled = false;
    if (msg == WM_ACTIVATE) {
        windowActive_ = mouseInside_ = wParam != WA_INACTIVE;
        ApplyActivationState();
        return 0;
    }
    if (msg == WM_MOUSELEAVE || msg == WM_MOUSEHOVER) {
        debugOutput(msg == WM_MOUSELEAVE ? "鼠标移出" : "鼠标移入");
        if (!windowActive_) {
            mouseInside_ = msg == WM_MOUSEHOVER;
            ApplyActivationState();
        }
        return 0;
    }
    if (HandleRegisteredMessage(msg, wParam, lParam)) {
        handled = true;
        return 0;
    }
    if (msg == WM_DESTROY) {
        Shutdown();
        emit quitRequested();
        handled = true;
        return 0;
    }
    if (msg == WM_POWERBROADCAST) {
        OnPowerBroadcast(wParam);
        handled = true;
        return 0;
    }
    // Asleep, the devices are gone or about to go: nothing else is answered
    // until the machine has resumed.
    if (!awake_) return 0;
    if (msg == WM_DISPLAYCHANGE) {
        debugOutput("显示器分辨率发生变化");
        displayChanged_ = true;
        FitToScreen();
        return 0;
    }
    if (msg == WM_TIMER) {
        OnTimer(static_cast<uint>(wParam));
        return 0;
    }
    if (msg == WM_DPICHANGED) {
        applyDpiChange(m_pm, *this, wParam, lParam);
        CenterWindow();
        m_pm.NeedUpdate();
        debugOutput("界面 DPI 发生变化");
        handled = true;
        return 0;
    }
    handled = HandlePrivateMessage(msg, wParam, lParam);
    return 0;
}

bool CMainWnd::HandleRegisteredMessage(uint msg, quintptr wParam, qintptr lParam) {
    const AppMessages& m = appMessages();
    if (msg == 0) return false;
    if (msg == m.instance) {
        debugOutputf("软件标示 %u，%xd%xd", msg, static_cast<unsigned>(wParam), static_cast<unsigned>(lParam));
        firstScanDone_ = true;
        BringToFront();
        return true;
    }
    if (msg == m.updateStatus) {
        // The settings window shows the transfer; without it nobody does.
        if (settingsWnd_) settingsWnd_->PostMessage(msg, wParam, lParam);
        return true;
    }
    if (msg == m.lightControl) {
        OnLightControlMessage(wParam, lParam);
        return true;
    }
    return HandleHookMessage(msg, wParam, lParam);
}

bool CMainWnd::HandleHookMessage(uint msg, quintptr wParam, qintptr lParam) {
    if (msg == hookKeyboardMessage(hookmode::kSingleKey)) {
        if (lParam == 0) return true;
        const auto& record = *reinterpret_cast<const KeyHookRecord*>(lParam);
        if (capturedKey_) capturedKey_(wParam, record);
        // A key pressed goes into the box that asked for it.
        if (wParam != input::kWmKeyDown && wParam != input::kWmSysKeyDown) return true;
        if (auto* panel = ancestorOf<CKeySetControlUI>(captureBox_.data()))
            panel->captureVirtualKey(static_cast<uint16_t>(record.vkCode));
        return true;
    }
    if (HandleMacroHookMessage(msg, wParam, lParam)) return true;
    return msg == hookKeyboardMessage(hookmode::kHitKey);  // nobody asks for it
}

void CMainWnd::OnInputHookMessage(quintptr wParam) {
    if (wParam == 0) {
        hook_.Uninstall();
        return;
    }
    hook_.Install(0, hookmode::kSingleKey, this, true, true);
    // Without a system-wide capture the capture box tells the user that
    // keys typed into other programs are not seen.
    if (CControlUI* box = Find("keyset_keyboard_text_edit")) {
        box->SetToolTip(hook_.systemWide() ? QString()
                                           : CResourceManager::GetInstance()->GetText(
                                                 QString::fromLatin1(CDeviceHook::kOwnWindowsOnlyText)));
    }
}

bool CMainWnd::HandlePrivateMessage(uint msg, quintptr wParam, qintptr lParam) {
    switch (msg) {
    case UIMSG_TRAYICON:
        OnTrayMessage(lParam);
        return true;
    case UIMSG_MENUCLICK:
        OnMenuCommand(wParam);
        return true;
    case mainmsg::kInputHook:
        OnInputHookMessage(wParam);
        return true;
    case mainmsg::kDpiLogged:
        debugOutput("界面 DPI 1发生变化");
        return true;
    case mainmsg::kShowProgress:
        if (CControlUI* progress = Find("setting_progress")) progress->SetVisible(true);
        return true;
    case mainmsg::kApplyLanguage:
        ApplyLanguage(static_cast<int>(wParam));
        // Texts a page put together from translations do not follow alone.
        if (selector_) {
            for (COrvaneUSBDevice* page : selector_->pages()) page->reloadLanguageTexts();
        }
        return true;
    case kPageQuestionMessage:
        if (auto* question = reinterpret_cast<PageQuestion*>(wParam); question && profileDialogs_.message) {
            const int buttons = question->offerCancel ? kMsgButtonsConfirmCancel : kMsgButtonsConfirm;
            question->confirmed = profileDialogs_.message(this, question->key, buttons) == 1;
        }
        return true;
    case mainmsg::kSlotOccupied:
        OnSlotOccupied(static_cast<int>(wParam));
        CloseSettingsWindow();
        return true;
    case mainmsg::kSlotVacated:
        OnSlotVacated(static_cast<int>(wParam));
        CloseSettingsWindow();
        return true;
    case mainmsg::kOpenSettingsUpdate:
        OpenSettingsWindow(true);
        return true;
    case mainmsg::kSdkServer: {
        const bool running = wParam == 2 ? sdk_ != nullptr : SetSdkServer(wParam != 0);
        if (auto* answer = reinterpret_cast<bool*>(lParam)) *answer = running;
        return true;
    }
    case mainmsg::kClearUpdateBadge:
        if (CControlUI* set = Find("setbtn")) set->SetForeImage(QString());
        return true;
    default:
        return false;
    }
}

void CMainWnd::OnPowerBroadcast(quintptr wParam) {
    if (wParam == PBT_APMRESUMEAUTOMATIC) {
        awake_ = true;
        ApplyActivationState();
    } else if (wParam == PBT_APMSUSPEND) {
        awake_ = false;
        ApplyActivationState();
    }
}

void CMainWnd::OnTimer(uint id) {
    if (id == mainTimer::kFitAfterInit) {
        KillTimer(id);
        FitToScreen();
        update();
    } else if (id == mainTimer::kTrayMenu) {
        KillTimer(id);
        OpenTrayMenu();
    }
}

void CMainWnd::OnTrayMessage(qintptr mouseMessage) {
    if (mouseMessage == WM_LBUTTONUP) {
        UpdateNoDeviceOverlay();
        CloseSettingsWindow();
        if (isVisible() && !isMinimized()) {
            ShowWindow(false);
            return;
        }
        ShowWindow(true);
        FitToScreen();
        BringToFront();
        m_pm.NeedUpdate();
    } else if (mouseMessage == WM_RBUTTONUP) {
        SetTimer(mainTimer::kTrayMenu, 10);
    }
}

void CMainWnd::OpenTrayMenu() {
    trayMenu_ = std::make_unique<CMenuWnd>();
    const QPoint at = QCursor::pos() - QPoint(0, 50);
    trayMenu_->Init(QStringLiteral("menu.xml"), at, &m_pm, &menuChecks_);
}

void CMainWnd::OnMenuCommand(quintptr wParam) {
    const std::unique_ptr<MenuCmd> command = TakeMenuCmd(wParam);
    if (!command) return;
    if (command->szName == QLatin1String("exit")) {
        Close(0);
        return;
    }
    debugOutputf("menu command %s", command->szName.toUtf8().constData());
    RunMacroMenuCommand(command->szName);
}

}  // namespace talven
