// COrvaneKeyboardDevice: the routes of the keyboard page's own controls —
// its settings page (polling rate, key repeat, the key switches) and the
// modifier options of its key assignment. The mouse page uses some of the
// same names; each handler acts only on a keyboard page.

#include "pages/keyboard/keyboard_device_page.h"
#include "ui/control_routes.h"
#include "ui/option.h"
#include "ui/slider_progress.h"

namespace talven {

using namespace ui;

namespace {

COrvaneKeyboardDevice* keyboardOf(TNotifyUI& msg) { return ancestorOf<COrvaneKeyboardDevice>(msg.pSender); }

}  // namespace

void COrvaneKeyboardDevice::AddRoutes(ControlRoutes& routes) {
    const QString changed = QString::fromLatin1(kNotifySelectChanged);
    const QString click = QString::fromLatin1(kNotifyClick);
    const QString value = QString::fromLatin1(kNotifyValueChanged);

    // One handler per numbered row of options: the option's number is the value.
    const std::pair<const char*, void (COrvaneKeyboardDevice::*)(int)> rows[] = {
        {"polling_rate_option_", &COrvaneKeyboardDevice::setPollingRate},
        {"repeat_delay_check_", &COrvaneKeyboardDevice::setRepeatDelay},
        {"repeat_rate_check_", &COrvaneKeyboardDevice::setRepeatRateCheck},
        {"key_ComBox_check_", &COrvaneKeyboardDevice::selectModifierOption},
    };
    for (const auto& [prefix, set] : rows) {
        routes.add(changed, QString::fromLatin1(prefix), [set](TNotifyUI& msg, int index) {
            if (COrvaneKeyboardDevice* page = keyboardOf(msg); page && chosen(msg)) (page->*set)(index);
        });
    }

    // The switches are check boxes: unchecking is a choice too.
    using KeySwitch = COrvaneKeyboardDevice::KeySwitch;
    const std::pair<const char*, KeySwitch> switches[] = {{"winlockflag_option", KeySwitch::WinLock},
                                                          {"wflag_option", KeySwitch::WKey},
                                                          {"6flag_option", KeySwitch::SixKey}};
    for (const auto& [name, which] : switches) {
        routes.add(changed, QString::fromLatin1(name), [which](TNotifyUI& msg, int) {
            auto* check = qobject_cast<COptionUI*>(msg.pSender);
            if (COrvaneKeyboardDevice* page = keyboardOf(msg); page && check)
                page->setKeySwitch(which, check->IsSelected());
        });
    }

    routes.add(value, QStringLiteral("repeat_rate_slider"), [](TNotifyUI& msg, int) {
        auto* slider = qobject_cast<CSliderUI*>(msg.pSender);
        if (COrvaneKeyboardDevice* page = keyboardOf(msg); page && slider) page->setRepeatRate(slider->GetValue());
    });
    routes.add(click, QStringLiteral("reset_repeat_btn"), [](TNotifyUI& msg, int) {
        if (COrvaneKeyboardDevice* page = keyboardOf(msg)) page->resetRepeat();
    });
}

}  // namespace talven
