// COrvaneKeyboardDevice: the macro panel's side of the page. The panel
// keeps the keyboard's macro files; the names it lists are the ones the key
// assignment panel offers, so every change of them reaches that panel too.

#include "editors/key_set_control.h"
#include "editors/macro_control.h"
#include "pages/keyboard/keyboard_device_page.h"

namespace talven {

CMacroControlUI* COrvaneKeyboardDevice::macroPanel() const {
    return qobject_cast<CMacroControlUI*>(pageControl("MacroControlItem"));
}

void COrvaneKeyboardDevice::linkMacroPanel() {
    CMacroControlUI* panel = macroPanel();
    if (!panel) return;
    connect(panel, &CMacroControlUI::macroNamesChanged, this, [this, panel] {
        const std::vector<QString> names = panel->macroNames();
        names_.macroNames.clear();
        for (const QString& name : names) names_.macroNames.push_back(name.toStdString());
        if (CKeySetControlUI* keys = keySetPanel()) keys->setMacroNames(names);
    });
    panel->SetDataFolder(userDataFolder());
    panel->LoadMacroList();
}

}  // namespace talven
