#pragma once
// The program's own controls that the shell's layouts use.

#include <QString>

namespace talven::ui {
class CControlUI;
}

namespace talven {

// Registers the controls' class names with the control factory.
void registerShellControlClasses();

// A new control for a layout tag the toolkit does not know (compared without
// regard to case); nullptr when the tag is not one of these controls.
ui::CControlUI* createShellControl(const QString& tag);

}  // namespace talven
