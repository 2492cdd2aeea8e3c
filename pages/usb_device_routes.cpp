// COrvaneUSBDevice: the routes every page shares — a key of the device
// picture picked for assignment, and the editor tabs of its profile panel.

#include "editors/device_profile.h"
#include "pages/usb_device_page.h"
#include "ui/control_routes.h"

namespace talven {

using namespace ui;

void COrvaneUSBDevice::AddRoutes(ControlRoutes& routes) {
    routes.add(QString::fromLatin1(kNotifyClick), QStringLiteral("key_"), [](TNotifyUI& msg, int index) {
        if (COrvaneUSBDevice* page = ancestorOf<COrvaneUSBDevice>(msg.pSender)) page->selectKey(index);
    });
    // Tab n shows function page n of the page that holds it.
    for (size_t i = 0; i < kProfileTabNames.size(); ++i) {
        const int functionPage = static_cast<int>(i) + 1;
        routes.add(QString::fromLatin1(kNotifySelectChanged), QString::fromLatin1(kProfileTabNames[i]),
                   [functionPage](TNotifyUI& msg, int) {
                       if (!chosen(msg)) return;
                       if (COrvaneUSBDevice* owner = ancestorOf<COrvaneUSBDevice>(msg.pSender))
                           owner->setFunctionPage(functionPage);
                   });
    }
}

}  // namespace talven
