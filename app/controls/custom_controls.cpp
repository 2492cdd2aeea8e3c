#include "app/controls/custom_controls.h"

#include "ui/control.h"

namespace talven {

void registerShellControlClasses() {}

ui::CControlUI* createShellControl(const QString&) { return nullptr; }

}  // namespace talven
