// COrvaneMouseDevice: the macro panel's side of the page. The panel keeps
// the mouse's macro files; the names it lists are the ones the key
// assignment panel offers for the buttons, so every change reaches it too.

#include "editors/key_set_control.h"
#include "editors/macro_control.h"
#include "pages/mouse/mouse_device_page.h"

namespace talven {

CMacroControlUI* COrvaneMouseDevice::macroPanel() const {
    return qobject_cast<CMacroControlUI*>(pageControl("MacroControlItem"));
}

void COrvaneMouseDevice::linkMacroPanel() {
    CMacroControlUI* panel = macroPanel();
    if (!panel) return;
    connect(panel, &CMacroControlUI::macroNamesChanged, this, [this, panel] {
        const std::vector<QString> names = panel->macroNames();
        macroNames_.clear();
        for (const QString& name : names) macroNames_.push_back(name.toStdString());
        if (CKeySetControlUI* keys = keySetPanel()) keys->setMacroNames(names);
    });
    panel->SetDataFolder(userDataFolder());
    panel->LoadMacroList();
}

}  // namespace talven
