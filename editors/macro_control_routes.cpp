// CMacroControlUI: the routes of its buttons, list and rows. Each handler
// finds the panel from the sender, so every device page's panel answers its
// own controls.

#include "editors/macro_control.h"

#include "platform/input/input_events.h"
#include "ui/control_routes.h"

namespace talven {

using namespace ui;

namespace {

using PanelAction = std::function<void(CMacroControlUI*)>;

void onClick(ControlRoutes& routes, const char* name, PanelAction act) {
    routes.add(QString::fromLatin1(kNotifyClick), QString::fromLatin1(name), [act](TNotifyUI& msg, int) {
        if (auto* panel = ancestorOf<CMacroControlUI>(msg.pSender)) act(panel);
    });
}

// An outcome the user should know about goes to the message window.
void tell(const MacroRouteHost& host, CMacroControlUI* panel, const QString& key) {
    if (!key.isEmpty() && host.message) host.message(panel, key, false);
}

void addStepRoutes(ControlRoutes& routes) {
    using Move = CMacroControlUI::StepMove;
    const std::pair<const char*, Move> moves[] = {
        {"macro_btn_up", Move::Up},
        {"macro_btn_down", Move::Down},
        {"macro_btn_uptop", Move::Top},
        {"macro_btn_downbottom", Move::Bottom},
    };
    for (const auto& [name, move] : moves) onClick(routes, name, [move](CMacroControlUI* p) { p->moveStep(move); });
    onClick(routes, "macro_btn_delete", [](CMacroControlUI* p) { p->deleteStep(); });
    onClick(routes, "macro_btn_deleteall", [](CMacroControlUI* p) { p->deleteAllSteps(); });
}

void addMoveRoutes(ControlRoutes& routes, const MacroRouteHost& host) {
    const char* const buttons[] = {"macro_inset_moveleftkey_btn", "macro_inset_moverightkey_btn",
                                   "macro_inset_moveupkey_btn", "macro_inset_movedownkey_btn"};
    for (int direction = 0; direction < 4; ++direction) {
        // A move inserted by hand is saved at once.
        onClick(routes, buttons[direction], [direction, host](CMacroControlUI* p) {
            p->InsertMouseMove(direction);
            tell(host, p, p->SaveMacro());
        });
    }
}

void addListRoutes(ControlRoutes& routes, const MacroRouteHost& host) {
    onClick(routes, "macro_btn_name_add", [host](CMacroControlUI* p) { tell(host, p, p->AddMacro()); });
    onClick(routes, "macro_btn_name_edit", [host](CMacroControlUI* p) { tell(host, p, p->RenameMacro()); });
    onClick(routes, "macro_btn_name_sub", [host](CMacroControlUI* p) {
        tell(host, p, p->DeleteMacro([&] {
            return host.message && host.message(p, QStringLiteral("message_text_4"), true);
        }));
    });
    onClick(routes, "macro_btn_import", [host](CMacroControlUI* p) {
        if (p->selectedMacro() < 0 || !host.chooseFile) return;
        tell(host, p, p->ImportMacro(host.chooseFile(p, false)));
    });
    onClick(routes, "macro_btn_export", [host](CMacroControlUI* p) {
        if (p->selectedMacro() < 0 || !host.chooseFile) return;
        tell(host, p, p->ExportMacro(host.chooseFile(p, true)));
    });
    onClick(routes, "macro_btn_save", [host](CMacroControlUI* p) { tell(host, p, p->SaveMacro()); });
    onClick(routes, "macro_btn_cancel", [](CMacroControlUI* p) { p->SelectMacro(); });
    routes.add(QString::fromLatin1(kNotifyItemSelect), QStringLiteral("macro_name_list"), [](TNotifyUI& msg, int) {
        if (auto* panel = ancestorOf<CMacroControlUI>(msg.pSender)) panel->SelectMacro();
    });
}

void addRecordRoutes(ControlRoutes& routes, const MacroRouteHost& host) {
    onClick(routes, "macro_btn_starredio", [host](CMacroControlUI* p) {
        const MacroDelayMode mode = p->IsConstantTimeChecked() ? MacroDelayMode::Constant : MacroDelayMode::Record;
        if (!p->StartRecording(mode, MacroInsertion::Append)) return;
        if (!host.installHook || !host.installHook(p, hookmode::kMacro)) {
            p->CaptureFailed();
            tell(host, p, QStringLiteral("macro_text_no_capture"));
        }
    });
    onClick(routes, "macro_btn_stopredio", [host](CMacroControlUI* p) {
        if (host.removeHook) host.removeHook(p);
        p->StopRecording();
    });
    onClick(routes, "macro_btn_menu", [host](CMacroControlUI* p) {
        if (host.openStepMenu && !p->capturing()) host.openStepMenu(p);
    });
    routes.add(QStringLiteral("itemactivate"), QStringLiteral("macro_action"), [host](TNotifyUI& msg, int) {
        auto* panel = ancestorOf<CMacroControlUI>(msg.pSender);
        if (panel && host.openStepMenu && !panel->capturing()) host.openStepMenu(panel);
    });
}

}  // namespace

void CMacroControlUI::AddRoutes(ControlRoutes& routes, const MacroRouteHost& host) {
    addListRoutes(routes, host);
    addStepRoutes(routes);
    addMoveRoutes(routes, host);
    addRecordRoutes(routes, host);
}

}  // namespace talven
