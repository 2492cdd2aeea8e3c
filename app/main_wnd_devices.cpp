// CMainWnd: the device pages and the selector strip.

#include "app/custom_controls.h"
#include "app/device_option.h"
#include "editors/device_profile.h"
#include "app/main_wnd.h"
#include "app/sdk_bridge.h"
#include "pages/keyboard/keyboard_device_page.h"
#include "pages/usb_device_page.h"
#include "editors/power_indicator.h"
#include "ui/control.h"
#include "ui/dialog_builder.h"

#include <QEvent>

namespace talven {

using namespace ui;

CControlUI* CMainWnd::CreateControl(const QString& tag) { return createShellControlOrSubtree(tag, this, &m_pm); }

void CMainWnd::OnSlotOccupied(int slot) {
    if (!scanner_ || !selector_ || slot < 0 || slot >= static_cast<int>(scanner_->slotList().size())) return;
    selector_->OnSlotOccupied(scanner_->slot(slot));
    ApplyActivationState();
    if (sdk_) sdk_->devicesChanged();
}

void CMainWnd::OnSlotVacated(int slot) {
    if (!scanner_ || !selector_ || slot < 0 || slot >= static_cast<int>(scanner_->slotList().size())) return;
    selector_->OnSlotVacated(scanner_->slot(slot));
    UpdateNoDeviceOverlay();
    if (sdk_) sdk_->devicesChanged();
}

bool CMainWnd::AnyDeviceVisible() const { return selector_ && selector_->FirstVisibleEntry(nullptr) > 0; }

COrvaneUSBDevice* CMainWnd::CurrentDevicePage() const { return selector_ ? selector_->CurrentDevicePage() : nullptr; }

void CMainWnd::ApplyActivationState() {
    if (!selector_) return;
    const bool shown = awake_ && isVisible() && !isMinimized();
    for (COrvaneUSBDevice* page : selector_->pages()) page->setPreview(shown && lightingControl_);
}

void CMainWnd::showEvent(QShowEvent* event) {
    WindowImplBase::showEvent(event);
    ApplyActivationState();
}

void CMainWnd::hideEvent(QHideEvent* event) {
    WindowImplBase::hideEvent(event);
    ApplyActivationState();
}

void CMainWnd::changeEvent(QEvent* event) {
    WindowImplBase::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) ApplyActivationState();
}

void CMainWnd::AddDeviceRoutes() {
    const QString changed = QString::fromLatin1(kNotifySelectChanged);
    for (const char* name : {"device_select", "synchro_device_select"}) {
        routes_.add(changed, QString::fromLatin1(name), [this](TNotifyUI&, int) {
            if (selector_) selector_->OnDeviceSelected();
        });
    }
}

}  // namespace talven
