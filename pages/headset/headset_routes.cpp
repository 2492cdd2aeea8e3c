// COrvaneHS6533Device: the routes of its two audio panels. Each handler
// acts on the headset page that holds the control the event came from; on
// any other page the names mean nothing.

#include "editors/magic_control.h"
#include "editors/voice6533_control.h"
#include "pages/headset/headset_device_page.h"
#include "ui/control_routes.h"
#include "ui/slider_progress.h"

namespace talven {

using namespace ui;

namespace {

COrvaneHS6533Device* headsetOf(TNotifyUI& msg) { return ancestorOf<COrvaneHS6533Device>(msg.pSender); }

int sliderValue(TNotifyUI& msg) {
    auto* slider = qobject_cast<CSliderUI*>(msg.pSender);
    return slider ? slider->GetValue() : 0;
}

using IndexedAction = void (COrvaneHS6533Device::*)(int);
using PlainAction = void (COrvaneHS6533Device::*)();

// A slider's value handed to the page.
void addSlider(ControlRoutes& routes, const char* name, IndexedAction action) {
    routes.add(QString::fromLatin1(kNotifyValueChanged), QString::fromLatin1(name), [action](TNotifyUI& msg, int) {
        if (COrvaneHS6533Device* page = headsetOf(msg)) (page->*action)(sliderValue(msg));
    });
}

void addClick(ControlRoutes& routes, const char* name, PlainAction action) {
    routes.add(QString::fromLatin1(kNotifyClick), QString::fromLatin1(name), [action](TNotifyUI& msg, int) {
        if (COrvaneHS6533Device* page = headsetOf(msg)) (page->*action)();
    });
}

// One of a row of options chosen: its number handed to the page.
void addChoice(ControlRoutes& routes, const char* prefix, IndexedAction action) {
    routes.add(QString::fromLatin1(kNotifySelectChanged), QString::fromLatin1(prefix),
               [action](TNotifyUI& msg, int n) {
                   if (!chosen(msg)) return;
                   if (COrvaneHS6533Device* page = headsetOf(msg)) (page->*action)(n);
               });
}

}  // namespace

void COrvaneHS6533Device::AddRoutes(ControlRoutes& routes) {
    addChoice(routes, "6533_eq_option_", &COrvaneHS6533Device::selectEqualiser);
    routes.add(QString::fromLatin1(kNotifyValueChanged), QStringLiteral("6533_eq_hz_slider_"),
               [](TNotifyUI& msg, int band) {
                   if (COrvaneHS6533Device* page = headsetOf(msg)) page->setBand(band, sliderValue(msg));
               });
    routes.add(QString::fromLatin1(kNotifyItemSelect), QStringLiteral("custom_eq_name_combo"), [](TNotifyUI& msg, int) {
        COrvaneHS6533Device* page = headsetOf(msg);
        auto* panel = ancestorOf<CVoice6533ControlUI>(msg.pSender);
        if (page && panel) page->pickCurve(panel->selectedCurve());
    });
    routes.add(QString::fromLatin1(kNotifyClick), QStringLiteral("hs_EQ_btn_save"), [](TNotifyUI& msg, int) {
        if (COrvaneHS6533Device* page = headsetOf(msg)) page->saveCurve();
    });
    addClick(routes, "hs_EQ_btn_delete", &COrvaneHS6533Device::deleteCurve);
    addClick(routes, "6533_MicIn_option", &COrvaneHS6533Device::toggleInputMute);
    addSlider(routes, "6533_MicIn_slider", &COrvaneHS6533Device::setInputLevel);
    addClick(routes, "6533_MicMoniter_option", &COrvaneHS6533Device::toggleMonitorMute);
    addSlider(routes, "6533_MicMoniter_slider", &COrvaneHS6533Device::setMonitorLevel);
    addClick(routes, "magic_enable_option", &COrvaneHS6533Device::toggleVoiceChanger);
    addChoice(routes, "magic_option_", &COrvaneHS6533Device::selectVoiceType);
}

}  // namespace talven
