// CMainWnd: what the macro panels ask of the window — the input hook for a
// recording or a replacement, the hook's key and button records handed to
// the panel that holds it, the step menu and the macro file dialogs.

#include "app/file_dialog.h"
#include "app/main_wnd.h"
#include "app/msg_wnd.h"
#include "platform/debug_output.h"
#include "ui/msg_buttons.h"

#include <QCursor>

namespace talven {

namespace {

const QString kMacroFilter = QStringLiteral("Macro Files(*.mac)");
const QString kMacroMenu = QStringLiteral("XML\\Menus\\macro_action_menu.xml");

}  // namespace

MacroRouteHost CMainWnd::MacroHost() {
    MacroRouteHost host;
    host.installHook = [this](CMacroControlUI* panel, int mode) { return StartMacroCapture(panel, mode); };
    host.removeHook = [this](CMacroControlUI*) { StopMacroCapture(); };
    host.chooseFile = [this](CMacroControlUI*, bool save) {
        return macroFileDialog_ ? macroFileDialog_(this, save)
                                : chooseDataFile(this, save, kMacroFilter, QStringLiteral("mac"));
    };
    host.message = [this](CMacroControlUI*, const QString& key, bool ask) {
        if (!profileDialogs_.message) return false;
        return profileDialogs_.message(this, key, ask ? kMsgButtonsConfirmCancel : kMsgButtonsConfirm) == 1;
    };
    host.openStepMenu = [this](CMacroControlUI* panel) { OpenMacroMenu(panel); };
    return host;
}

bool CMainWnd::StartMacroCapture(CMacroControlUI* panel, int mode) {
    if (hook_.Install(0, mode, this, true, true) != 1) return false;
    macroCapture_ = panel;
    return true;
}

void CMainWnd::StopMacroCapture() {
    hook_.Uninstall();
    macroCapture_ = nullptr;
}

bool CMainWnd::HandleMacroHookMessage(uint msg, quintptr wParam, qintptr lParam) {
    static constexpr int kModes[] = {hookmode::kMacro, hookmode::kMacroPrevious, hookmode::kMacroLater,
                                     hookmode::kMacroSingle};
    for (int mode : kModes) {
        const bool keys = msg == hookKeyboardMessage(mode);
        const bool mouse = !keys && msg == hookMouseMessage(mode);
        if (!keys && !mouse) continue;
        if (mouse && mode == hookmode::kMacro) debugOutput("WM_HOOK_KEY_MSMACRO");
        if (lParam == 0 || !macroCapture_) return true;
        const bool goesOn = keys ? macroCapture_->hookKeyEvent(wParam, *reinterpret_cast<const KeyHookRecord*>(lParam))
                                 : macroCapture_->hookMouseEvent(wParam, *reinterpret_cast<const MouseHookRecord*>(lParam));
        if (!goesOn) StopMacroCapture();
        return true;
    }
    return false;
}

void CMainWnd::OpenMacroMenu(CMacroControlUI* panel) {
    macroMenuPanel_ = panel;
    macroMenu_ = std::make_unique<ui::CMenuWnd>();
    macroMenu_->Init(kMacroMenu, QCursor::pos(), &m_pm, nullptr);
}

bool CMainWnd::RunMacroMenuCommand(const QString& name) {
    CMacroControlUI* panel = macroMenuPanel_.data();
    if (!panel) return false;
    const int mode = panel->runMenuCommand(name);
    if (mode != 0 && !StartMacroCapture(panel, mode)) {
        panel->CaptureFailed();
        if (profileDialogs_.message)
            profileDialogs_.message(this, QStringLiteral("macro_text_no_capture"), kMsgButtonsConfirm);
    }
    return true;
}

}  // namespace talven
