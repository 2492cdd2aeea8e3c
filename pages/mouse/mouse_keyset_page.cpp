// COrvaneMouseDevice: the key assignment panel's side of the page — the
// selected button's function shown, stored in the profile, and the button
// table sent to the mouse.

#include "device/mouse/mouse_protocol.h"
#include "editors/key_set_control.h"
#include "pages/mouse/mouse_device_page.h"
#include "platform/debug_output.h"
#include "ui/resource_manager.h"

namespace talven {

CKeySetControlUI* COrvaneMouseDevice::keySetPanel() const {
    return qobject_cast<CKeySetControlUI*>(pageControl("KeySetControlItem"));
}

void COrvaneMouseDevice::showKeyAssignment() {
    CKeySetControlUI* panel = keySetPanel();
    if (!panel || selectedKey_ < 0 || selectedKey_ >= static_cast<int>(keySlots_.size())) return;
    panel->showSlot(keySlots_[static_cast<size_t>(selectedKey_)], macroNames_);
}

void COrvaneMouseDevice::showDefaultAssignment() {
    CKeySetControlUI* panel = keySetPanel();
    if (!panel || selectedKey_ < 0 || selectedKey_ >= static_cast<int>(keySlots_.size())) return;
    panel->showSlotDefault(keySlots_[static_cast<size_t>(selectedKey_)]);
}

void COrvaneMouseDevice::saveKeyAssignment() {
    CKeySetControlUI* panel = keySetPanel();
    if (!panel || selectedKey_ < 0 || selectedKey_ >= static_cast<int>(keySlots_.size())) return;
    // A damaged profile is held by the factory settings: saving them would
    // replace the user's file, which a reset may still recover.
    if (profileDamaged()) {
        debugOutput("按键设置: the profile is damaged; the assignment is not saved");
        return;
    }
    const int selected = selectedKey_;
    if (!panel->storeInto(keySlots_[static_cast<size_t>(selected)])) return;
    profile_.WriteKeyList(keySlots_);
    saveProfile();
    // The mouse does not have it yet: the apply button says so.
    if (ui::CControlUI* apply = pageControl("key_butt_prosave")) apply->SetEnabled(true);
    applyProfileToPage();
    selectKey(selected);
}

void COrvaneMouseDevice::clearKeyAssignment() {
    if (CKeySetControlUI* panel = keySetPanel()) panel->clearCapturedKey();
    saveKeyAssignment();
}

// Without the macros the mouse would play what it held before on the
// buttons assigned to them: the button table waits for them.
void COrvaneMouseDevice::saveKeysToMouse() {
    const int macros = writeMacros();
    // A macro file that cannot be read is told as a download that failed
    // (a damaged profile sends nothing, and was told of when it loaded).
    if (macros == mouse::kMacrosNotWritten && !profileDamaged()) queueWriteNotice(kMacrosNotWrittenKey);
    if (macros > 0) {
        const QString format = ui::CResourceManager::GetInstance()->GetText(QStringLiteral("message_text_16"));
        tellUser(QString(format).replace(QLatin1String("%d"), QString::number(macros)));
    }
    if (macros != 0) return;
    const int buttons = writeKeyTableFromProfile(0);
    saveProfile();
    // A table the mouse did not take leaves the button on: it still does
    // not have the buttons.
    if (ui::CControlUI* apply = pageControl("key_butt_prosave")) apply->SetEnabled(buttons != channel_result::Success);
}

}  // namespace talven
