// COrvaneMouseDevice: the routes of the mouse page's own controls. Other
// pages use some of the same names ("polling_rate_option_", the key
// assignment buttons); each handler acts only on a mouse page.

#include "editors/key_set_control.h"
#include "pages/mouse/mouse_device_page.h"
#include "ui/control_routes.h"
#include "ui/list.h"
#include "ui/option.h"
#include "ui/slider_progress.h"

namespace talven {

using namespace ui;

namespace {

COrvaneMouseDevice* mouseOf(TNotifyUI& msg) { return ancestorOf<COrvaneMouseDevice>(msg.pSender); }

void addPerformanceRoutes(ControlRoutes& routes) {
    const QString changed = QString::fromLatin1(kNotifySelectChanged);
    // Option rows: the option's number is the value.
    const std::pair<const char*, void (COrvaneMouseDevice::*)(int)> rows[] = {
        {"polling_rate_option_", &COrvaneMouseDevice::choosePollingRate},
        {"Height_rate_option_", &COrvaneMouseDevice::chooseLiftOff},
        {"DPI_rank_check_", &COrvaneMouseDevice::chooseActiveStage},
        {"mouse_device_seting_option_", &COrvaneMouseDevice::selectTab},
    };
    for (const auto& [prefix, set] : rows) {
        routes.add(changed, QString::fromLatin1(prefix), [set](TNotifyUI& msg, int index) {
            if (COrvaneMouseDevice* page = mouseOf(msg); page && chosen(msg)) (page->*set)(index);
        });
    }
    // A check box: clearing it is a choice too.
    routes.add(changed, QStringLiteral("DPI_enable_check_"), [](TNotifyUI& msg, int stage) {
        auto* check = qobject_cast<COptionUI*>(msg.pSender);
        if (COrvaneMouseDevice* page = mouseOf(msg); page && check) page->chooseStageEnabled(stage, check->IsSelected());
    });
    routes.add(QString::fromLatin1(kNotifyValueChanged), QStringLiteral("DPI_slider_"), [](TNotifyUI& msg, int stage) {
        auto* slider = qobject_cast<CSliderUI*>(msg.pSender);
        if (COrvaneMouseDevice* page = mouseOf(msg); page && slider) page->moveStageSlider(stage, slider->GetValue());
    });
    for (const char* event : {kNotifyKillFocus, kNotifyReturn}) {
        routes.add(QString::fromLatin1(event), QStringLiteral("DPI_edit_"), [](TNotifyUI& msg, int stage) {
            if (COrvaneMouseDevice* page = mouseOf(msg)) page->commitStageEdit(stage);
        });
    }
}

// The desktop's pointer settings.
void addPointerRoutes(ControlRoutes& routes) {
    const QString value = QString::fromLatin1(kNotifyValueChanged);
    const QString changed = QString::fromLatin1(kNotifySelectChanged);
    const std::pair<const char*, void (COrvaneMouseDevice::*)(int)> sliders[] = {
        {"pointer_speed_slider", &COrvaneMouseDevice::setPointerSpeed},
        {"double_click_slider", &COrvaneMouseDevice::setDoubleClickLevel},
    };
    for (const auto& [name, set] : sliders) {
        routes.add(value, QString::fromLatin1(name), [set](TNotifyUI& msg, int) {
            auto* slider = qobject_cast<CSliderUI*>(msg.pSender);
            if (COrvaneMouseDevice* page = mouseOf(msg); page && slider) (page->*set)(slider->GetValue());
        });
    }
    routes.add(changed, QStringLiteral("pointer_precision_check"), [](TNotifyUI& msg, int) {
        auto* check = qobject_cast<COptionUI*>(msg.pSender);
        if (COrvaneMouseDevice* page = mouseOf(msg); page && check) page->setPointerPrecision(check->IsSelected());
    });
    // Lines and page scrolling are one desktop setting: each edit sends both.
    auto wheel = [](TNotifyUI& msg, int) {
        if (COrvaneMouseDevice* page = mouseOf(msg)) page->wheelEdited();
    };
    routes.add(value, QStringLiteral("scroll_speed_slider"), wheel);
    routes.add(changed, QStringLiteral("scrolls_page_check"), wheel);
}

void addKeySetRoutes(ControlRoutes& routes) {
    const std::pair<const char*, void (COrvaneMouseDevice::*)()> buttons[] = {
        {"key_butt_keysave", &COrvaneMouseDevice::saveKeyAssignment},
        {"key_butt_keydefalut", &COrvaneMouseDevice::showDefaultAssignment},
        {"key_butt_keycancel", &COrvaneMouseDevice::showKeyAssignment},
        {"key_butt_clear", &COrvaneMouseDevice::clearKeyAssignment},
        {"key_butt_prosave", &COrvaneMouseDevice::saveKeysToMouse},
    };
    for (const auto& [name, act] : buttons) {
        routes.add(QString::fromLatin1(kNotifyClick), QString::fromLatin1(name), [act](TNotifyUI& msg, int) {
            if (COrvaneMouseDevice* page = mouseOf(msg)) (page->*act)();
        });
    }
    routes.add(QString::fromLatin1(kNotifySelectChanged), QStringLiteral("key_ComBox_check_"),
               [](TNotifyUI& msg, int index) {
                   auto* panel = ancestorOf<CKeySetControlUI>(msg.pSender);
                   if (mouseOf(msg) && panel && chosen(msg)) panel->selectModifier(index);
               });
    // The button list picks a button as the picture does.
    routes.add(QString::fromLatin1(kNotifyItemSelect), QStringLiteral("device_setkeyinfo_list"), [](TNotifyUI& msg, int) {
        auto* list = qobject_cast<CListUI*>(msg.pSender);
        COrvaneMouseDevice* page = mouseOf(msg);
        if (page && list && list->GetCurSel() >= 0) page->selectKey(list->GetCurSel());
    });
}

}  // namespace

void COrvaneMouseDevice::AddRoutes(ControlRoutes& routes) {
    addPerformanceRoutes(routes);
    addPointerRoutes(routes);
    addKeySetRoutes(routes);
}

}  // namespace talven
