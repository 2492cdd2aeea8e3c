#pragma once
// The routes of every page class and of the panels they hold, registered on
// the window's route table. Adding a device kind adds one line to the list
// in page_routes.cpp; the window itself only dispatches.

#include "editors/macro_control.h"
#include "editors/profile_dialogs.h"
#include "editors/shoot_control.h"

namespace talven {

namespace ui {
class ControlRoutes;
}

void AddPageRoutes(ui::ControlRoutes& routes, const ProfileRouteHost& profileHost, const MacroRouteHost& macroHost,
                   const ShootRouteHost& shootHost);

}  // namespace talven
