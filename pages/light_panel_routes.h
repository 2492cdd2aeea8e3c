#pragma once
// The lighting panel's edits, for every page that holds a panel: each turns
// into a change of the page's light parameters, which the page keeps in its
// profile and hands to its device the way its kind does (a kind that drives
// no device sends nothing).

#include "device/lighting/light_change.h"

namespace talven {

class COrvaneUSBDevice;
namespace ui {
class ControlRoutes;
}

void AddLightPanelRoutes(ui::ControlRoutes& routes);

// The page's lighting thread computes frames again (a page paused by the
// same-mode operation resumes when the user edits its own lighting).
void resumePageLighting(COrvaneUSBDevice& page);

// Reads the page's light parameters, applies `change`, hands them back and
// stores them: setLightParams, saveProfile, applyProfileLighting and the
// record of profile 0.
void changePageLighting(COrvaneUSBDevice& page, const lighting::LightChange& change);

}  // namespace talven
