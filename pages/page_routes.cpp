#include "pages/page_routes.h"

#include "editors/device_profile.h"
#include "editors/key_set_control.h"
#include "pages/headset/headset_device_page.h"
#include "pages/keyboard/keyboard_device_page.h"
#include "pages/light_panel_routes.h"
#include "pages/mouse/mouse_device_page.h"
#include "pages/usb_device_page.h"
#include "ui/control_routes.h"

namespace talven {

void AddPageRoutes(ui::ControlRoutes& routes, const ProfileRouteHost& profileHost, const MacroRouteHost& macroHost,
                   const ShootRouteHost& shootHost) {
    COrvaneUSBDevice::AddRoutes(routes);
    CDeviceProfileUI::AddRoutes(routes, profileHost);
    COrvaneKeyboardDevice::AddRoutes(routes);
    AddLightPanelRoutes(routes);
    COrvaneKeyboardDevice::AddLightingRoutes(routes);
    COrvaneKeyboardDevice::AddKeySetRoutes(routes);
    COrvaneMouseDevice::AddRoutes(routes);
    COrvaneHS6533Device::AddRoutes(routes);
    CKeySetControlUI::AddRoutes(routes);
    CMacroControlUI::AddRoutes(routes, macroHost);
    CShootControlUI::AddRoutes(routes, shootHost);
}

}  // namespace talven
