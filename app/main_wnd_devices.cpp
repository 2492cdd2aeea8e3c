// CMainWnd: the device pages and the selector strip.

#include "app/custom_controls.h"
#include "app/device_option.h"
#include "editors/device_profile.h"
#include "app/main_wnd.h"
#include "pages/keyboard/keyboard_device_page.h"
#include "pages/usb_device_page.h"
#include "editors/power_indicator.h"
#include "ui/control.h"
#include "ui/dialog_builder.h"

namespace talven {

using namespace ui;

namespace {

// Page tags of the layouts. Kinds whose own page class has not been
// written yet are built as the base page: they show their controls, preview
// the base effects and send frames.
bool isDevicePageTag(const QString& tag) {
    for (const char* name : {"OrvaneUSBDevice", "OrvaneMousePadDevice", "OrvaneHS6533Device", "OrvaneMouseDevice"}) {
        if (tag.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

}  // namespace

CControlUI* CMainWnd::CreateControl(const QString& tag) {
    if (CControlUI* control = createShellControl(tag)) return control;
    if (tag.compare(QLatin1String("OrvaneKeyboardDevice"), Qt::CaseInsensitive) == 0) return new COrvaneKeyboardDevice;
    if (isDevicePageTag(tag)) return new COrvaneUSBDevice;
    if (tag.compare(QLatin1String("DeviceOption"), Qt::CaseInsensitive) == 0) return new CDeviceOptionUI;
    if (tag.compare(QLatin1String("MpDevicePower"), Qt::CaseInsensitive) == 0) return new CMpDevicePowerUI;
    if (tag.compare(QLatin1String("DeviceProfile"), Qt::CaseInsensitive) == 0) return new CDeviceProfileUI;
    if (tag.compare(QLatin1String("DeviceProfileUI"), Qt::CaseInsensitive) == 0) {
        CDialogBuilder builder;
        return builder.Create(QStringLiteral("XML\\CustomControlXML\\DeviceProfile.xml"), {}, this, &m_pm);
    }
    return nullptr;
}

void CMainWnd::OnSlotOccupied(int slot) {
    if (!scanner_ || !selector_ || slot < 0 || slot >= static_cast<int>(scanner_->slotList().size())) return;
    selector_->OnSlotOccupied(scanner_->slot(slot));
    ApplyActivationState();
}

void CMainWnd::OnSlotVacated(int slot) {
    if (!scanner_ || !selector_ || slot < 0 || slot >= static_cast<int>(scanner_->slotList().size())) return;
    selector_->OnSlotVacated(scanner_->slot(slot));
    UpdateNoDeviceOverlay();
}

bool CMainWnd::AnyDeviceVisible() const { return selector_ && selector_->FirstVisibleEntry(nullptr) > 0; }

COrvaneUSBDevice* CMainWnd::CurrentDevicePage() const { return selector_ ? selector_->CurrentDevicePage() : nullptr; }

void CMainWnd::ApplyActivationState() {
    if (!selector_) return;
    const bool shown = awake_ && isVisible() && !isMinimized();
    for (COrvaneUSBDevice* page : selector_->pages()) page->setPreview(shown && lightingControl_);
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
