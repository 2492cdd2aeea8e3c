// COrvaneMouseDevice: the shoot panel's side of the page. The guns' working
// files live in the mouse's data folder, started from the factory copies of
// the default data; the panel opens on the first gun's first bullet.

#include "editors/shoot_control.h"
#include "pages/mouse/mouse_device_page.h"

namespace talven {

CShootControlUI* COrvaneMouseDevice::shootPanel() const {
    return qobject_cast<CShootControlUI*>(pageControl("ShootControlItem"));
}

void COrvaneMouseDevice::linkShootPanel() {
    CShootControlUI* panel = shootPanel();
    if (!panel) return;
    panel->setWorkingFolder(userDataFolder());
    panel->setFactoryFolder(defaultDataFolder());
    panel->provideWorkingFiles();
    if (!panel->bindControls()) return;
    // A damaged file is told when the user works on that gun, not at start-up.
    panel->selectGun(0);
    panel->selectBullet(0);
}

}  // namespace talven
