// COrvaneKeyboardDevice: its lighting panel — what the panel shows of the
// keyboard, and the custom mode (20), in which the user lights keys one by
// one: a click on a key, a rubber band over several, or the panel's switch
// for all of them. Each key edit sends one bit, the switch the whole bitmap.

#include "pages/keyboard/keyboard_device_page.h"

#include "controls/key_button.h"
#include "device/function_page.h"
#include "device/lighting/light_change.h"
#include "device/lighting/light_panel_rules.h"
#include "editors/light_control.h"
#include "pages/light_panel_routes.h"
#include "ui/control_routes.h"
#include "ui/option.h"

#include <algorithm>

namespace talven {

using namespace ui;

namespace {

COrvaneKeyboardDevice* keyboardOf(TNotifyUI& msg) { return ancestorOf<COrvaneKeyboardDevice>(msg.pSender); }

bool inCustomMode(COrvaneKeyboardDevice& page) {
    std::lock_guard<std::mutex> lock(page.frameLock());
    return page.lighting().lightParams().selectItem == keyboard::kCustomLightMode;
}

// Key edits count only where the user sees the lighting editor in the
// custom mode; elsewhere a click on a key picks it for assignment.
bool editsCustomKeys(COrvaneKeyboardDevice& page) { return page.lightingShown() && inCustomMode(page); }

// The keys the select panel marked, as LED numbers.
std::vector<int> selectedLeds(COrvaneKeyboardDevice& page) {
    std::vector<int> leds;
    for (int i = 0; i < page.ledCount(); ++i) {
        auto* key = qobject_cast<CDeviceKeyButtonUI*>(page.lightButton(i));
        if (key && key->IsSelected()) leds.push_back(i);
    }
    return leds;
}

}  // namespace


bool COrvaneKeyboardDevice::lightingShown() const { return functionPageTabs(getFunctionPage()) == FunctionPageTabs{0, 0}; }

void COrvaneKeyboardDevice::showLightingPanel() {
    auto* panel = qobject_cast<CLightControlUI*>(pageControl("LightControlItem"));
    if (!panel) return;
    panel->setVariant(lighting::panel_variant::Keyboard);
    panel->setModeList(names_.defaultLightNames, names_.defaultLightVisible, lighting::kMaxLightLevel,
                       lighting::kMaxLightLevel);
    panel->setCustomList(names_.customLightNames);
    panel->showCustomEntry(profile_.GetCustomLightGroup());
    LightSettings light;
    bool allLit = false;
    {
        std::lock_guard<std::mutex> lock(frameLock_);
        light = lighting_.lightParams();
        const std::vector<bool> lit = keyPreview_.customLit();
        allLit = !lit.empty() && std::all_of(lit.begin(), lit.end(), [](bool on) { return on; });
    }
    panel->showCustomKeysOn(allLit);
    panel->showLightParams(light.word1(), light.word2());
}

void COrvaneKeyboardDevice::selectCustomLight(int entry) {
    if (entry < 0) return;
    profile_.SetCustomLightGroup(entry);
    // The entry's keys into the preview; the keyboard gets them at once when
    // it shows the custom mode.
    applyProfileLighting();
    if (inCustomMode(*this)) writeCustomBitmap();
    saveProfile();
}

void COrvaneKeyboardDevice::storeCustomColours() {
    std::vector<CustomLightColor> colours;
    {
        std::lock_guard<std::mutex> lock(frameLock_);
        for (const lighting::Rgb& c : keyPreview_.state().customColours)
            colours.push_back({c.red, c.green, c.blue, static_cast<uint8_t>(c.red == 255 ? 255 : 0)});
    }
    profile_.WriteCustomLightColors(colours, profile_.GetCustomLightGroup());
}

// A lit key is red: the custom mode lights the keys whose red byte is 255.
void COrvaneKeyboardDevice::setCustomKeys(const std::vector<int>& leds, bool on) {
    if (!inCustomMode(*this)) return;
    for (int led : leds) {
        if (led < 0 || led >= static_cast<int>(keyboard::kOnScreenKeys)) continue;
        setLedColour(led, lighting::makeLed(on ? 255 : 0, 0, 0, 0));
        writeCustomBit(led);
    }
    storeCustomColours();
    saveProfile();
}

bool COrvaneKeyboardDevice::customKeyLit(int led) const {
    std::lock_guard<std::mutex> lock(frameLock_);
    const auto& colours = keyPreview_.state().customColours;
    return led >= 0 && static_cast<size_t>(led) < colours.size() && colours[led].red == 255;
}

void COrvaneKeyboardDevice::toggleCustomKeys(const std::vector<int>& leds) {
    bool allLit = true;
    for (int led : leds)
        if (led >= 0 && led < static_cast<int>(keyboard::kOnScreenKeys)) allLit = allLit && customKeyLit(led);
    setCustomKeys(leds, !allLit);
}

void COrvaneKeyboardDevice::AddLightingRoutes(ControlRoutes& routes) {
    routes.add(QString::fromLatin1(kNotifyItemSelect), QStringLiteral("light_combo_custommodeSelect"),
               [](TNotifyUI& msg, int) {
                   COrvaneKeyboardDevice* page = keyboardOf(msg);
                   auto* panel = ancestorOf<CLightControlUI>(msg.pSender);
                   if (page && panel) page->selectCustomLight(panel->selectedCustom());
               });
    routes.add(QString::fromLatin1(kNotifySelectChanged), QStringLiteral("deng_on_or_off"), [](TNotifyUI& msg, int) {
        COrvaneKeyboardDevice* page = keyboardOf(msg);
        auto* check = qobject_cast<COptionUI*>(msg.pSender);
        if (!page || !check || !inCustomMode(*page)) return;
        resumePageLighting(*page);
        page->setAllCustomBits(check->IsSelected());
        page->saveProfile();
    });
    routes.add(QString::fromLatin1(kNotifyClick), QStringLiteral("key_"), [](TNotifyUI& msg, int key) {
        if (COrvaneKeyboardDevice* page = keyboardOf(msg); page && editsCustomKeys(*page))
            page->toggleCustomKeys({key});
    });
    routes.add(QStringLiteral("click_select_end"), QStringLiteral("keyboard_device_key_light"), [](TNotifyUI& msg, int) {
        if (COrvaneKeyboardDevice* page = keyboardOf(msg); page && editsCustomKeys(*page))
            page->toggleCustomKeys(selectedLeds(*page));
    });
}

}  // namespace talven
