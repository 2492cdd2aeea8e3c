#pragma once
// Small pieces the main window's route files share.

#include "ui/control.h"
#include "ui/notify.h"
#include "ui/option.h"

namespace talven {

// The nearest control of type Target that holds `control` (itself
// included). Pages of one kind share control names, so a route finds its
// page from the sender, not from the current selection.
template <typename Target>
Target* ancestorOf(ui::CControlUI* control) {
    for (ui::CControlUI* c = control; c; c = c->GetParent())
        if (auto* found = qobject_cast<Target*>(c)) return found;
    return nullptr;
}

// Options report their deselection too; only a selection is a choice.
inline bool chosen(ui::TNotifyUI& msg) {
    auto* option = qobject_cast<ui::COptionUI*>(msg.pSender);
    return option && option->IsSelected();
}

}  // namespace talven
