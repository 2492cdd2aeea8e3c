// The routes of the lighting panel's controls. Each handler acts on the page
// that holds the panel the event came from: it resumes the page's lighting,
// brings the panel up to date, then changes the light parameters.

#include "pages/light_panel_routes.h"

#include "controls/color_palette.h"
#include "editors/light_control.h"
#include "pages/usb_device_page.h"
#include "ui/control_routes.h"
#include "ui/option.h"
#include "ui/slider_progress.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <mutex>

namespace talven {

using namespace ui;
using lighting::LightChange;
using lighting::Rgb;

namespace {

struct PanelEvent {
    COrvaneUSBDevice* page = nullptr;
    CLightControlUI* panel = nullptr;
    explicit operator bool() const { return page && panel; }
};

PanelEvent panelEvent(TNotifyUI& msg) {
    return {ancestorOf<COrvaneUSBDevice>(msg.pSender), ancestorOf<CLightControlUI>(msg.pSender)};
}

Rgb rgbOf(uint32_t argb) {
    return {static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8), static_cast<uint8_t>(argb)};
}

int sliderValue(TNotifyUI& msg) {
    auto* slider = qobject_cast<CSliderUI*>(msg.pSender);
    return slider ? slider->GetValue() : 0;
}

uint8_t level(int value) { return static_cast<uint8_t>(std::clamp<int>(value, 0, 255)); }

// A slider's value as the named field; the panel already shows it.
void addSlider(ControlRoutes& routes, const char* name, std::optional<uint8_t> LightChange::*field) {
    routes.add(QString::fromLatin1(kNotifyValueChanged), QString::fromLatin1(name), [field](TNotifyUI& msg, int) {
        const PanelEvent e = panelEvent(msg);
        if (!e) return;
        resumePageLighting(*e.page);
        LightChange change;
        change.*field = level(sliderValue(msg));
        changePageLighting(*e.page, change);
    });
}

void addDirection(ControlRoutes& routes, const char* name, int direction) {
    routes.add(QString::fromLatin1(kNotifySelectChanged), QString::fromLatin1(name),
               [direction](TNotifyUI& msg, int) {
                   const PanelEvent e = panelEvent(msg);
                   if (!e) return;
                   // A click on the selected option leaves it selected.
                   if (!chosen(msg)) return e.panel->selectDirection(direction);
                   resumePageLighting(*e.page);
                   e.panel->selectDirection(direction);
                   LightChange change;
                   change.direction = static_cast<uint8_t>(direction);
                   changePageLighting(*e.page, change);
               });
}

// A colour picked: the other colour controls show it before it is stored.
void pickColour(const PanelEvent& e, Rgb colour) {
    e.panel->showColour(colour);
    LightChange change;
    change.colour = colour;
    changePageLighting(*e.page, change);
}

void addColourRoutes(ControlRoutes& routes) {
    routes.add(QStringLiteral("colorchanged"), QStringLiteral("deng_Color_Pallet"), [](TNotifyUI& msg, int) {
        const PanelEvent e = panelEvent(msg);
        if (!e) return;
        resumePageLighting(*e.page);
        pickColour(e, rgbOf(e.panel->paletteColour()));
    });
    // A preset leaves the pause flag as it is.
    routes.add(QString::fromLatin1(kNotifyClick), QStringLiteral("color_option_"), [](TNotifyUI& msg, int n) {
        if (const PanelEvent e = panelEvent(msg)) pickColour(e, rgbOf(e.panel->presetColour(n)));
    });
    using Component = CLightControlUI::Component;
    const std::pair<const char*, Component> edits[] = {
        {"deng_edit_R", Component::Red}, {"deng_edit_G", Component::Green}, {"deng_edit_B", Component::Blue}};
    for (const auto& [name, component] : edits) {
        routes.add(QString::fromLatin1(kNotifyKillFocus), QString::fromLatin1(name),
                   [component](TNotifyUI& msg, int) {
                       const PanelEvent e = panelEvent(msg);
                       if (!e) return;
                       resumePageLighting(*e.page);
                       lighting::LightParams params;
                       {
                           std::lock_guard<std::mutex> lock(e.page->frameLock());
                           params = e.page->lighting().lightParams();
                       }
                       Rgb colour{params.red, params.green, params.blue};
                       const uint8_t value = e.panel->takeEditComponent(component);
                       if (component == Component::Red) colour.red = value;
                       if (component == Component::Green) colour.green = value;
                       if (component == Component::Blue) colour.blue = value;
                       pickColour(e, colour);
                   });
    }
}

}  // namespace

void resumePageLighting(COrvaneUSBDevice& page) { page.commandChannel().setPaused(false); }

void changePageLighting(COrvaneUSBDevice& page, const LightChange& change) {
    lighting::LightParams params;
    {
        std::lock_guard<std::mutex> lock(page.frameLock());
        params = page.lighting().lightParams();
    }
    params = lighting::applyLightChange(params, change);
    page.setLightParams(params.word1(), params.word2(), params.word3());
    page.saveProfile();
    page.applyProfileLighting();
    // The mouse's settings block carries the screen's size; the keyboard's
    // record does not.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->size() : QSize();
    page.writeProfileRecord(0, 0, true, size.width(), size.height());
}

void AddLightPanelRoutes(ControlRoutes& routes) {
    routes.add(QString::fromLatin1(kNotifyItemSelect), QStringLiteral("light_combo_modeSelect"),
               [](TNotifyUI& msg, int) {
                   const PanelEvent e = panelEvent(msg);
                   if (!e) return;
                   resumePageLighting(*e.page);
                   const int mode = e.panel->selectedMode();
                   if (mode < 0) return;
                   e.panel->applyModeRules(mode);
                   LightChange change;
                   change.mode = static_cast<uint8_t>(mode);
                   changePageLighting(*e.page, change);
               });
    addSlider(routes, "deng_light_slider", &LightChange::brightness);
    addSlider(routes, "deng_speed_slider", &LightChange::speed);
    addDirection(routes, "deng_FXL_check", 1);
    addDirection(routes, "deng_FXR_check", 0);
    routes.add(QString::fromLatin1(kNotifySelectChanged), QStringLiteral("deng_7color_check"), [](TNotifyUI& msg, int) {
        const PanelEvent e = panelEvent(msg);
        if (!e) return;
        resumePageLighting(*e.page);
        LightChange change;
        change.spectrum = e.panel->spectrum();
        changePageLighting(*e.page, change);
    });
    addColourRoutes(routes);
}

}  // namespace talven
