// COrvaneMouseDevice: the page itself — binding the picture, the connection
// sequence, the button list, the lighting thread's steps and the mouse's
// notifications.

#include "pages/mouse/mouse_device_page.h"

#include "controls/key_button.h"
#include "device/keyboard/keyboard_notifications.h"
#include "device/mouse/mouse_lighting.h"
#include "device/mouse/mouse_page_rules.h"
#include "device/product_table.h"
#include "pages/entry_timers.h"
#include "platform/clock.h"
#include "platform/debug_output.h"
#include "ui/control_routes.h"
#include "ui/label_button.h"
#include "ui/list.h"
#include "ui/paint_manager.h"
#include "ui/queued_call.h"

#include <QMetaObject>

#include <algorithm>

namespace talven {

using namespace ui;

namespace {

constexpr int kPicturePages[] = {1, 2, 4};  // function pages that show the selection tip
constexpr int kKeyAssignmentPage = 2;
// While the mouse is away the lighting thread only looks now and then.
constexpr int kDisconnectedPeriodMs = 100;
// The mouse's request to be read again is answered this much later.
constexpr uint kReadSettingsDelayMs = 500;
constexpr int kButtonRowHeight = 36;
const QColor kButtonNameColour(0xFF, 0xFF, 0xFF);
const QColor kButtonFunctionColour(0x45, 0xD5, 0xBC);

}  // namespace

COrvaneMouseDevice::COrvaneMouseDevice() {
    configFileName_ = std::string(kLightingPrefix);
    setDrivesDevice(true);
}

COrvaneMouseDevice::~COrvaneMouseDevice() {
    // Both threads call into this object: they end before any member goes.
    events_.close();
    if (animating()) {
        stopAnimation();
        debugOutput("MS灯光线程设定退出");
    }
}

CControlUI* COrvaneMouseDevice::pageControl(const QString& name) const {
    CPaintManagerUI* manager = GetManager();
    return manager ? manager->FindSubControlByName(const_cast<COrvaneMouseDevice*>(this), name) : nullptr;
}

// ---- binding ------------------------------------------------------------------------

void COrvaneMouseDevice::bindPageControls() { bindMousePage(); }

// Every select panel of the picture tab: "key_" n previews logical button n,
// the user data "light_" n LED n. Each preview starts white at full brightness.
void COrvaneMouseDevice::bindMousePage() {
    // Every logical button can be picked, from the picture or the list.
    if (keyCount_ < static_cast<int>(mouse::kLogicalButtons)) setKeyCount(static_cast<int>(mouse::kLogicalButtons));
    COrvaneUSBDevice::bindPageControls();
    // The key assignment panel applies to the mouse here.
    if (CControlUI* apply = pageControl("key_butt_prosave")) {
        apply->SetResourceText(true);
        apply->SetText(QStringLiteral("keyset_prosave_mouse"));
    }
    linkMacroPanel();
    linkShootPanel();
    CPaintManagerUI* manager = GetManager();
    CControlUI* tabs = pageControl("mouse_device_seting_layout");
    if (!manager || !tabs) return;
    for (CControlUI* panel : manager->FindSubControlsByClass(tabs, QStringLiteral("SelectPanel"))) {
        for (CControlUI* button : manager->FindSubControlsByClass(panel, QStringLiteral("DeviceKeyButton"))) {
            const ControlName key = splitControlName(button->GetName());
            if (key.index >= 0 && key.index < keyCount_ &&
                key.prefix.compare(QLatin1String("key_"), Qt::CaseInsensitive) == 0)
                keyButtons_[static_cast<size_t>(key.index)] = button;
        }
    }
}

// ---- connection ---------------------------------------------------------------------

void COrvaneMouseDevice::onConnected() {
    protocol_.attach();
    reloadWithSystemSettings();
    applyProfileToPage();
    // A profile that did not all reach the mouse (unplugged half way) goes
    // again: the mouse then holds what the page shows.
    if (takeDeviceBehind() && !profileDamaged()) sendProfileToMouse();
    if (!animating()) startAnimation();
}

void COrvaneMouseDevice::readDeviceSettings() {
    const mouse::SettingsReading reading = protocol_.readSettings();
    if (reading.result == channel_result::Success) {
        const mouse::DecodedMouseSettings& d = reading.decoded;
        setLightParams(d.light.word1(), d.light.word2(), d.light.word3());
        applyProfileLighting();
        std::vector<DpiStage> stages(d.stages.begin(), d.stages.end());
        profile_.WriteDpiStages(stages);
        profile_.SetDpiStageActive(d.activeStage);
        stages_ = std::move(stages);
        system_[2] = (system_[2] & 0xFFFF) | static_cast<uint32_t>(d.pollingRate) << 16;
        system_[3] = d.liftOff;
        setSystemRecord(system_);
        // What the mouse holds is kept; a damaged profile's stand-in is not saved.
        if (!profileDamaged()) saveProfile();
    }
    applyProfileToPage();
}

void COrvaneMouseDevice::onNotification(uint16_t code) {
    if (code != keyboard::notification::Synchronise) return;
    if (optionEntry_ && optionEntry_->GetManager())
        optionEntry_->GetManager()->SetTimer(optionEntry_, entryTimer::kReadSettings, kReadSettingsDelayMs);
}

void COrvaneMouseDevice::onEventInterfaceArrived(const DeviceSlot& slot) {
    if (slot.kind != kind::Mouse && slot.kind != kind::WirelessMouse) return;
    events_.open(slot.path, [this](uint16_t code) {
        ui::queueCall(this, [this, code] { onNotification(code); });
    });
}

void COrvaneMouseDevice::onEventInterfaceRemoved(const DeviceSlot&) { events_.close(); }

// ---- lighting thread ----------------------------------------------------------------

// One step of the mode's effect, one step period of the speed after the last;
// a paused channel (another page's lighting holds the mouse) or an absent
// mouse computes nothing.
void COrvaneMouseDevice::animationStep(uint32_t nowMs) {
    if (!commandChannel_.isConnected() || commandChannel_.paused()) return;
    std::lock_guard<std::mutex> lock(frameLock_);
    const lighting::LightParams params = lighting_.lightParams();
    mouse::stepMouseLightMode(params.selectItem, lighting_.ledFrame(), params, lighting_.animation(),
                              lighting_.ripple(), false, nowMs);
}

int COrvaneMouseDevice::animationPeriodMs() const {
    if (!commandChannel_.isConnected()) return kDisconnectedPeriodMs;
    std::lock_guard<std::mutex> lock(frameLock_);
    return static_cast<int>(mouse::stepPeriodMs(lighting_.lightParams().speed));
}

// ---- buttons ----------------------------------------------------------------------------

void COrvaneMouseDevice::selectKey(int index) {
    COrvaneUSBDevice::selectKey(index);
    for (size_t i = 0; i < keyButtons_.size(); ++i) {
        if (auto* key = qobject_cast<CDeviceKeyButtonUI*>(keyButtons_[i])) key->SetSelected(static_cast<int>(i) == index);
    }
    if (auto* list = qobject_cast<CListUI*>(pageControl("device_setkeyinfo_list")); list && index >= 0)
        list->SelectItem(index, false);
    showKeyAssignment();
}

void COrvaneMouseDevice::setFunctionPage(int page) {
    COrvaneUSBDevice::setFunctionPage(page);
    if (CControlUI* tip = pageControl("device_tishi_info"))
        tip->SetVisible(std::find(std::begin(kPicturePages), std::end(kPicturePages), page) != std::end(kPicturePages));
    // The key assignment page works on the buttons as they are being edited.
    if (page != kKeyAssignmentPage) reloadProfile();
}

// One row per logical button: its name, and what it does now.
void COrvaneMouseDevice::rebuildButtonList() {
    auto* list = qobject_cast<CListUI*>(pageControl("device_setkeyinfo_list"));
    if (!list) return;
    list->RemoveAll();
    for (size_t i = 0; i < mouse::kLogicalButtons; ++i) {
        const KeyCode factory = mouse::kMouseButtons[i].factoryCode;
        const KeyCode current = i < keySlots_.size() ? keySlots_[i].assignment : factory;
        const std::string_view function = mouse::buttonFunctionName(i, current, factory);
        auto* row = new CListContainerElementUI;
        row->SetFixedHeight(kButtonRowHeight);
        const std::pair<std::string_view, QColor> texts[] = {{mouse::kMouseButtons[i].label, kButtonNameColour},
                                                             {function, kButtonFunctionColour}};
        for (const auto& [key, colour] : texts) {
            auto* label = new CLabelUI;
            label->SetResourceText(true);
            label->SetText(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())));
            label->SetTextColor(colour);
            row->Add(label);
        }
        list->Add(row);
    }
}

}  // namespace talven
