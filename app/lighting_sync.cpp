#include "app/lighting_sync.h"

#include "app/device_selector.h"
#include "device/hid_records.h"
#include "device/lighting/light_change.h"
#include "editors/light_control.h"
#include "pages/light_panel_routes.h"
#include "pages/usb_device_page.h"
#include "platform/clock.h"
#include "platform/debug_output.h"
#include "ui/paint_manager.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <optional>

namespace talven {

namespace {

constexpr int kInactiveWaitMs = 1000;

// A page a network client drives directly stays out of the sync.
bool takesPart(COrvaneUSBDevice& page) {
    return page.drivesDevice() && page.commandChannel().isConnected() && !page.clientDriven();
}

// Taking part and paused by the same-mode operation: the page shows the sync.
bool inSync(COrvaneUSBDevice& page) { return takesPart(page) && page.commandChannel().paused(); }

lighting::LightParams lightOf(COrvaneUSBDevice& page, uint8_t* breathStep = nullptr) {
    std::lock_guard<std::mutex> lock(page.frameLock());
    if (breathStep) *breathStep = page.lighting().animation().step;
    return page.lighting().lightParams();
}

CLightControlUI* panelOf(COrvaneUSBDevice& page) {
    ui::CPaintManagerUI* manager = page.GetManager();
    if (!manager) return nullptr;
    return qobject_cast<CLightControlUI*>(manager->FindSubControlByName(&page, "LightControlItem"));
}

void showOnPanel(COrvaneUSBDevice& page, const lighting::LightParams& params) {
    if (CLightControlUI* panel = panelOf(page)) panel->showLightParams(params.word1(), params.word2());
}

}  // namespace

std::vector<COrvaneUSBDevice*> LightingSync::walkOrder() const {
    std::vector<COrvaneUSBDevice*> pages;
    for (const uint16_t kind : {kind::Keyboard, kind::Mouse, kind::MousePad, kind::Headset})
        for (COrvaneUSBDevice* page : selector_.pagesOfKind(kind)) pages.push_back(page);
    return pages;
}

bool LightingSync::sameMode(COrvaneUSBDevice& current) {
    uint8_t breathStep = 0;
    const lighting::LightParams light = lightOf(current, &breathStep);
    const std::optional<uint8_t> syncMode = lighting::syncModeOf(current.kind(), light.selectItem);
    if (!syncMode) return false;
    // The keyboards come first and have no colour cycle: such a sync ends
    // before any page is changed.
    if (!lighting::pageModeOf(kind::Keyboard, *syncMode)) return false;

    lighting::SyncSettings settings;
    settings.mode = *syncMode;
    settings.brightness = light.light;
    settings.speed = light.speed;
    settings.breathStep = breathStep;
    settings.wheel = light.multiColor != 0;
    settings.colour = {light.red, light.green, light.blue};
    state_.store(settings);

    for (COrvaneUSBDevice* page : walkOrder()) {
        if (!takesPart(*page)) continue;
        const std::optional<uint8_t> mode = lighting::pageModeOf(page->kind(), *syncMode);
        if (!mode) continue;
        page->commandChannel().setPaused(true);
        lighting::LightChange change;
        change.mode = *mode;
        change.brightness = light.light;
        change.speed = light.speed;
        change.direction = light.fx;
        change.colour = settings.colour;
        change.spectrum = settings.wheel;
        showOnPanel(*page, lighting::applyLightChange(lightOf(*page), change));
        changePageLighting(*page, change);
    }
    wake_.set();
    return true;
}

void LightingSync::offerSameMode() {
    const std::vector<COrvaneUSBDevice*> pages = walkOrder();
    const auto sharing = std::count_if(pages.begin(), pages.end(), [](COrvaneUSBDevice* page) { return takesPart(*page); });
    for (COrvaneUSBDevice* page : pages) {
        CLightControlUI* panel = panelOf(*page);
        if (panel && panel->sameModeOption() != (sharing >= 2)) panel->setSameModeOption(sharing >= 2);
    }
}

bool LightingSync::active() const {
    for (COrvaneUSBDevice* page : selector_.pages())
        if (inSync(*page)) return true;
    return false;
}

void LightingSync::broadcast(uint32_t value) const {
    for (COrvaneUSBDevice* page : selector_.pages())
        if (inSync(*page)) page->showSyncColour(value);
}

// Waits for each step instead of counting milliseconds: a sync that runs
// wakes once a step, one that does not once a second (or when the same-mode
// operation wakes it).
void LightingSync::run(Event& stop) {
    lighting::SyncAnimator animator;
    uint32_t generation = state_.generation() - 1;
    for (;;) {
        const bool running = active();
        lighting::SyncSettings settings = state_.load();
        const int waitMs = running ? static_cast<int>(lighting::syncStepPeriodMs(settings.mode, settings.speed))
                                   : kInactiveWaitMs;
        if (waitAny({&stop, &wake_}, waitMs) == 0) break;
        passes_.fetch_add(1, std::memory_order_relaxed);
        if (!running || !active()) continue;
        settings = state_.load();
        if (const uint32_t now = state_.generation(); now != generation) {
            generation = now;
            animator.restart(settings, tickCount());
        }
        broadcast(animator.step(settings, tickCount()));
    }
    debugOutput("同步灯光线程设定退出");
}

}  // namespace talven
