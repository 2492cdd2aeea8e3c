// COrvaneKeyboardDevice: the key assignment panel's side of the page — the
// selected key's assignment shown, stored in the profile, and the key table
// sent to the keyboard.

#include "editors/key_set_control.h"
#include "pages/keyboard/keyboard_device_page.h"
#include "platform/debug_output.h"
#include "ui/control_routes.h"
#include "ui/window_impl_base.h"

namespace talven {

using namespace ui;

void COrvaneKeyboardDevice::AddKeySetRoutes(ControlRoutes& routes) {
    const std::pair<const char*, void (COrvaneKeyboardDevice::*)()> buttons[] = {
        {"key_butt_keysave", &COrvaneKeyboardDevice::saveKeyAssignment},
        {"key_butt_keydefalut", &COrvaneKeyboardDevice::showDefaultAssignment},
        {"key_butt_keycancel", &COrvaneKeyboardDevice::showKeyAssignment},
        {"key_butt_clear", &COrvaneKeyboardDevice::clearKeyAssignment},
        {"key_butt_prosave", &COrvaneKeyboardDevice::saveKeysToKeyboard},
    };
    for (const auto& [name, act] : buttons) {
        routes.add(QString::fromLatin1(kNotifyClick), QString::fromLatin1(name), [act](TNotifyUI& msg, int) {
            if (auto* page = ancestorOf<COrvaneKeyboardDevice>(msg.pSender)) (page->*act)();
        });
    }
}

CKeySetControlUI* COrvaneKeyboardDevice::keySetPanel() const {
    return qobject_cast<CKeySetControlUI*>(pageControl("KeySetControlItem"));
}

void COrvaneKeyboardDevice::showKeyAssignment() {
    CKeySetControlUI* panel = keySetPanel();
    if (!panel || selectedKey_ < 0 || selectedKey_ >= static_cast<int>(keySlots_.size())) return;
    panel->showSlot(keySlots_[static_cast<size_t>(selectedKey_)], names_.macroNames);
}

void COrvaneKeyboardDevice::showDefaultAssignment() {
    CKeySetControlUI* panel = keySetPanel();
    if (!panel || selectedKey_ < 0 || selectedKey_ >= static_cast<int>(keySlots_.size())) return;
    panel->showSlotDefault(keySlots_[static_cast<size_t>(selectedKey_)]);
}

void COrvaneKeyboardDevice::saveKeyAssignment() {
    CKeySetControlUI* panel = keySetPanel();
    if (!panel || selectedKey_ < 0 || selectedKey_ >= static_cast<int>(keySlots_.size())) return;
    // A damaged profile is held by the factory settings: saving them would
    // replace the user's file, which a reset may still recover.
    if (profileDamaged()) {
        debugOutput("按键设置: the profile is damaged; the assignment is not saved");
        return;
    }
    if (!panel->storeInto(keySlots_[static_cast<size_t>(selectedKey_)])) return;
    profile_.WriteKeyList(keySlots_);
    saveProfile();
    // The keyboard does not have it yet: the page marks the key as changed.
    if (CControlUI* proSave = pageControl("key_butt_prosave")) proSave->SetEnabled(true);
    applyProfileToPage();
    showKeyAssignment();
}

void COrvaneKeyboardDevice::clearKeyAssignment() {
    if (CKeySetControlUI* panel = keySetPanel()) panel->clearCapturedKey();
    saveKeyAssignment();
}

void COrvaneKeyboardDevice::saveKeysToKeyboard() {
    const int macros = writeMacros();
    if (macros == keyboard::kMacrosNotWritten) tellUser(translate(QStringLiteral("message_text_7")));
    if (macros > 0) tellUser(translate(QStringLiteral("message_text_16")).replace(QLatin1String("%d"), QString::number(macros)));
    // Without the macros the keyboard would play what it held before on
    // the keys assigned to them: the key table waits, and the button stays
    // on to say the keyboard does not have the keys yet.
    if (macros != 0) return;
    const int keys = writeKeyTableFromProfile(0);
    saveProfile();
    // A table the keyboard did not take leaves the button on: it still
    // does not have the keys.
    if (CControlUI* proSave = pageControl("key_butt_prosave")) proSave->SetEnabled(keys != channel_result::Success);
    applyProfileToPage();
}

}  // namespace talven
