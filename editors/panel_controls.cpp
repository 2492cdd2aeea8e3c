#include "editors/panel_controls.h"

#include "ui/option.h"

namespace talven::panel_controls {

void setTreeEnabled(ui::CControlUI* control, bool enabled) {
    if (!control) return;
    control->SetEnabled(enabled);
    if (auto* container = qobject_cast<ui::CContainerUI*>(control)) {
        for (int i = 0; i < container->GetCount(); ++i) setTreeEnabled(container->GetItemAt(i), enabled);
    }
}

void showOption(ui::CContainerUI* panel, const QString& name, bool selected) {
    if (auto* option = findIn<ui::COptionUI>(panel, name)) option->Selected(selected, false);
}

void showUnavailableLine(ui::CContainerUI* panel, const QString& key, const QString& detail) {
    ui::CControlUI* line = panel->FindSubControl(QStringLiteral("hs_audio_unavailable_layout"));
    if (!line) return;
    line->SetVisible(!key.isEmpty());
    if (ui::CControlUI* reason = panel->FindSubControl(QStringLiteral("hs_audio_unavailable_text")))
        reason->SetText(key);
    if (ui::CControlUI* words = panel->FindSubControl(QStringLiteral("hs_audio_error_text"))) {
        words->SetText(detail);
        words->SetToolTip(detail);
    }
}

}  // namespace talven::panel_controls
