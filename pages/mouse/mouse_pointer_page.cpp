// COrvaneMouseDevice: the desktop's pointer settings that the mouse page shows
// and edits beside the mouse's own — pointer speed, precision, wheel lines or
// page scrolling, double-click time. They are read from the desktop when the
// mouse arrives, written to it on every edit and on every profile choice, kept
// in the profile's system record, and applied to this program's own widgets.

#include "pages/mouse/mouse_device_page.h"
#include "profile/profile_records.h"
#include "ui/control.h"
#include "ui/option.h"
#include "ui/pointer_hints.h"
#include "ui/resource_manager.h"
#include "ui/slider_progress.h"

namespace talven {

using namespace ui;

namespace {


constexpr char kDoubleClickSlider[] = "double_click_slider";
constexpr char kProgramOnlyText[] = "mouse_pointer_program_only";

}  // namespace

void COrvaneMouseDevice::setPointerSettings(std::unique_ptr<PointerSettings> settings) {
    pointer_ = std::move(settings);
}

PointerSettings& COrvaneMouseDevice::pointerSettings() {
    if (!pointer_) pointer_ = openPointerSettings();
    return *pointer_;
}

// The desktop's values as the profile's system record.
void COrvaneMouseDevice::readDesktopPointer() {
    const PointerValues v = pointerSettings().values();
    SystemInputValues system;
    system.doubleClickTimeMs = v.doubleClickMs;
    system.mouseSpeed = v.speed;
    system.mouseAcceleration = v.precision;
    system.wheelScrollLines = v.pageScroll ? kWheelPageScroll : v.wheelLines;
    setSystemRecord(profile_.ReadMouseSystemFromSystem(system));
    applyPointerHints(v);
}

int COrvaneMouseDevice::doubleClickSliderMax() const {
    auto* slider = qobject_cast<CSliderUI*>(pageControl(kDoubleClickSlider));
    return slider ? slider->GetMaxValue() : 10;
}

// A chosen profile's record goes to the desktop as it is.
void COrvaneMouseDevice::applyPointerToDesktop() {
    PointerSettings& settings = pointerSettings();
    settings.setSpeed(highHalf(system_[0]));
    settings.setDoubleClickMs(doubleClickMsFromLevel(static_cast<uint32_t>(doubleClickSliderMax()), lowHalf(system_[0])));
    settings.setPrecision(lowHalf(system_[1]));
    settings.setWheel(lowHalf(system_[2]), highHalf(system_[1]) != 0);
    applyPointerHints(settings.values());
}

void COrvaneMouseDevice::setPointerSpeed(int speed) {
    const PointerApplied applied = pointerSettings().setSpeed(static_cast<uint32_t>(std::max(speed, 0)));
    system_[0] = packHalves(lowHalf(system_[0]), static_cast<uint16_t>(pointerSettings().values().speed));
    pointerEdited("pointer_speed_slider", applied);
}

void COrvaneMouseDevice::setPointerPrecision(bool on) {
    const PointerApplied applied = pointerSettings().setPrecision(on ? 1 : 0);
    system_[1] = packHalves(on ? 1 : 0, highHalf(system_[1]));
    pointerEdited("pointer_precision_check", applied);
}

void COrvaneMouseDevice::setWheel(int lines, bool pageScroll) {
    const PointerApplied applied = pointerSettings().setWheel(static_cast<uint32_t>(std::max(lines, 1)), pageScroll);
    system_[1] = packHalves(lowHalf(system_[1]), pageScroll ? 1 : 0);
    system_[2] = packHalves(static_cast<uint16_t>(std::max(lines, 1)), highHalf(system_[2]));
    pointerEdited(pageScroll ? "scrolls_page_check" : "scroll_speed_slider", applied);
}

void COrvaneMouseDevice::wheelEdited() {
    auto* lines = qobject_cast<CSliderUI*>(pageControl("scroll_speed_slider"));
    auto* pageCheck = qobject_cast<COptionUI*>(pageControl("scrolls_page_check"));
    if (lines && pageCheck) setWheel(lines->GetValue(), pageCheck->IsSelected());
}

void COrvaneMouseDevice::setDoubleClickLevel(int level) {
    const uint32_t max = static_cast<uint32_t>(doubleClickSliderMax());
    const PointerApplied applied =
        pointerSettings().setDoubleClickMs(doubleClickMsFromLevel(max, static_cast<uint32_t>(std::max(level, 0))));
    system_[0] = packHalves(static_cast<uint16_t>(std::max(level, 0)), highHalf(system_[0]));
    pointerEdited(kDoubleClickSlider, applied);
}

// Kept in the profile and used by this program in every case; the control
// tells when the desktop did not take it, and a refused value goes back to
// what the desktop has.
void COrvaneMouseDevice::pointerEdited(const char* control, PointerApplied applied) {
    if (applied == PointerApplied::Refused) {
        readDesktopPointer();
        showSystemRecord();
        return;
    }
    setSystemRecord(system_);
    if (!profileDamaged()) saveProfile();
    applyPointerHints(pointerSettings().values());
    if (CControlUI* c = pageControl(control)) {
        c->SetToolTip(applied == PointerApplied::ThisProgramOnly
                          ? CResourceManager::GetInstance()->GetText(QString::fromLatin1(kProgramOnlyText))
                          : QString());
    }
}

}  // namespace talven
