#pragma once
// Small helpers the audio panels share: finding a named control of a type
// inside a panel, and enabling a group with everything in it (a disabled
// container alone still draws its children as enabled).

#include "ui/container.h"

#include <QString>

namespace talven::panel_controls {

template <typename T>
T* findIn(ui::CContainerUI* panel, const QString& name) {
    return qobject_cast<T*>(panel->FindSubControl(name));
}

void setTreeEnabled(ui::CControlUI* control, bool enabled);

// Selects or clears an option without sending a notification.
void showOption(ui::CContainerUI* panel, const QString& name, bool selected);

// The panel's line that says why its controls are disabled: a language
// key and a detail (the library's own words). An empty key hides the line.
void showUnavailableLine(ui::CContainerUI* panel, const QString& key, const QString& detail);

}  // namespace talven::panel_controls
