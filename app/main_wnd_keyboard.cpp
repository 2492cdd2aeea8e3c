// CMainWnd: the keyboard page's controls — its settings page (polling rate,
// key repeat, the key switches), the modifier options of its key assignment
// and the keys of the on-screen keyboard.

#include "app/main_wnd.h"
#include "app/route_helpers.h"
#include "pages/keyboard/keyboard_device_page.h"
#include "ui/option.h"
#include "ui/slider_progress.h"

namespace talven {

using namespace ui;

namespace {

COrvaneKeyboardDevice* keyboardOf(TNotifyUI& msg) { return ancestorOf<COrvaneKeyboardDevice>(msg.pSender); }

}  // namespace

void CMainWnd::AddKeyboardRoutes() {
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
        routes_.add(changed, QString::fromLatin1(prefix), [set](TNotifyUI& msg, int index) {
            if (COrvaneKeyboardDevice* page = keyboardOf(msg); page && chosen(msg)) (page->*set)(index);
        });
    }

    // The switches are check boxes: unchecking is a choice too.
    using KeySwitch = COrvaneKeyboardDevice::KeySwitch;
    const std::pair<const char*, KeySwitch> switches[] = {{"winlockflag_option", KeySwitch::WinLock},
                                                          {"wflag_option", KeySwitch::WKey},
                                                          {"6flag_option", KeySwitch::SixKey}};
    for (const auto& [name, which] : switches) {
        routes_.add(changed, QString::fromLatin1(name), [which](TNotifyUI& msg, int) {
            auto* check = qobject_cast<COptionUI*>(msg.pSender);
            if (COrvaneKeyboardDevice* page = keyboardOf(msg); page && check)
                page->setKeySwitch(which, check->IsSelected());
        });
    }

    routes_.add(value, QStringLiteral("repeat_rate_slider"), [](TNotifyUI& msg, int) {
        auto* slider = qobject_cast<CSliderUI*>(msg.pSender);
        if (COrvaneKeyboardDevice* page = keyboardOf(msg); page && slider) page->setRepeatRate(slider->GetValue());
    });
    routes_.add(click, QStringLiteral("reset_repeat_btn"), [](TNotifyUI& msg, int) {
        if (COrvaneKeyboardDevice* page = keyboardOf(msg)) page->resetRepeat();
    });
    // A key of the on-screen keyboard (or a mouse's button picture) picked
    // for assignment.
    routes_.add(click, QStringLiteral("key_"), [](TNotifyUI& msg, int index) {
        if (COrvaneUSBDevice* page = ancestorOf<COrvaneUSBDevice>(msg.pSender)) page->selectKey(index);
    });
}

}  // namespace talven
