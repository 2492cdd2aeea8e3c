// COrvaneKeyboardDevice: the page itself — its controls, the key labels, the
// connection sequence and the preview painted on the keys.

#include "pages/keyboard/keyboard_device_page.h"

#include "controls/key_button.h"
#include "device/key_functions.h"
#include "device/keyboard/keyboard_layout.h"
#include "device/power_status.h"
#include "device/product_table.h"
#include "editors/power_indicator.h"
#include "platform/clock.h"
#include "profile/default_light.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace talven {

using namespace ui;

namespace {

// The COLOR and FN keys have lights but keep their functions: they can be
// picked on the lighting page, not on the key assignment page.
constexpr std::array<int, 2> kFixedFunctionKeys = {17, 110};
constexpr int kLightingPage = 1;
constexpr int kKeyAssignmentPage = 2;
enum class KeyMark { None, Default, Changed };

// Default: the key's "unset" image alone; changed: its "set" image.
void showMark(CControlUI* control, KeyMark mark) {
    auto* key = qobject_cast<CDeviceKeyButtonUI*>(control);
    if (!key) return;
    switch (mark) {
    case KeyMark::Default: key->SetMarks(true, true, true); break;
    case KeyMark::Changed: key->SetMarks(false, false, false); break;
    case KeyMark::None: key->SetMarks(true, false, false); break;
    }
}

}  // namespace

// The user's light effects live in "velko_light.config" beside the profiles.
COrvaneKeyboardDevice::COrvaneKeyboardDevice() {
    configFileName_ = std::string(kLightingPrefix);
    setDrivesDevice(true);
    setSendsFrames(false);
}

COrvaneKeyboardDevice::~COrvaneKeyboardDevice() {
    // Both threads call into this object: they end before any member goes.
    stopLightingThread();
    events_.close();
}

// ---- page builder -----------------------------------------------------------------

void COrvaneKeyboardDevice::bindPageControls() {
    COrvaneUSBDevice::bindPageControls();
    // The default data lists one entry per product, at its product row.
    if (const int variant = lightingIndexForFolder(deviceFolderName_); variant >= 0) setLayoutVariant(variant);
    textTest_ = pageControl("text_test");
    linkMacroPanel();
}

CControlUI* COrvaneKeyboardDevice::pageControl(const QString& name) const {
    CPaintManagerUI* manager = GetManager();
    return manager ? manager->FindSubControlByName(const_cast<COrvaneKeyboardDevice*>(this), name) : nullptr;
}

// Texts go through the page's hidden label, so they follow the language the
// page shows; without it, straight through the language file.
QString COrvaneKeyboardDevice::translate(const QString& key) const {
    if (textTest_ && textTest_->IsResourceText()) {
        textTest_->SetText(key);
        return textTest_->GetText();
    }
    return CResourceManager::GetInstance()->GetText(key);
}

// ---- key controls ---------------------------------------------------------------------

void COrvaneKeyboardDevice::updateKeyLabels() {
    const CControlUI* proSave = pageControl("key_butt_prosave");
    const bool unsaved = proSave && proSave->IsEnabled();
    for (size_t i = 0; i < keyButtons_.size() && i < keyboard::kOnScreenKeys; ++i) {
        CControlUI* control = keyButtons_[i];
        if (!control) continue;
        const keyfn::KeyFunction* factory = keyfn::keyboardKey(keyboard::kDefaultCodes[i]);
        const QString defaultName =
            factory ? translate(QString::fromUtf8(factory->name.data(), factory->name.size())) : QString();
        QString assignedName;
        if (i < keySlots_.size()) {
            if (const keyfn::KeyFunction* assigned = keyfn::keyboardKey(keySlots_[i].assignment))
                assignedName = translate(QString::fromUtf8(assigned->name.data(), assigned->name.size()));
        }
        const bool isDefault = !defaultName.isEmpty() && defaultName.compare(assignedName, Qt::CaseInsensitive) == 0;
        showMark(control, isDefault ? KeyMark::Default : unsaved ? KeyMark::Changed : KeyMark::None);
        control->SetToolTip(defaultName + QLatin1Char('\n') + translate(QStringLiteral("Key_Set")) + assignedName);
    }
}

void COrvaneKeyboardDevice::selectKey(int index) {
    COrvaneUSBDevice::selectKey(index);
    for (size_t i = 0; i < keyButtons_.size(); ++i) {
        if (auto* key = qobject_cast<CDeviceKeyButtonUI*>(keyButtons_[i]))
            key->SetSelected(static_cast<int>(i) == index);
    }
    showKeyAssignment();
}

void COrvaneKeyboardDevice::setFunctionPage(int page) {
    COrvaneUSBDevice::setFunctionPage(page);
    if (page == kLightingPage || page == kKeyAssignmentPage) {
        for (int key : kFixedFunctionKeys)
            if (CControlUI* control = keyButton(key)) control->SetEnabled(page == kLightingPage);
    }
    // The key assignment page works on the keys as they are being edited.
    if (page != kKeyAssignmentPage) reloadProfile();
}

// ---- connection ---------------------------------------------------------------------

void COrvaneKeyboardDevice::onConnected() {
    readKeyboardData();
    {
        std::lock_guard<std::mutex> lock(frameLock_);
        keyPreview_.setLayoutCode(protocol_.layoutCode());
    }
    reloadProfileFiles(true);
    // Instead of a damaged profile's stand-in, the page shows what the
    // keyboard holds, and sends nothing (the writes check).
    if (profileDamaged()) readProfileRecord();
    applyProfileToPage();
    // Keys that did not all reach the keyboard (unplugged half way) go
    // again, after the macros they may play.
    const bool keysBehind = takeDeviceBehind();
    writeProfileRecord(0, 0, false, 0, 0);
    if (keysBehind && writeMacros() == 0) writeKeyTableFromProfile(0);
    startLightingThread();
    // The game mode is shown from the start, not only after its key is used.
    readDeviceStatus();
}

void COrvaneKeyboardDevice::readDeviceSettings() {
    readProfileRecord();
    applyProfileToPage();
}

void COrvaneKeyboardDevice::readDeviceStatus() {
    keyboard::StatusRecord status{};
    if (protocol_.readStatus(status) != channel_result::Success) return;
    publishStatus(status);
    // The byte handed to the main window is the keyboard's game mode.
    showGameMode(status[power_byte::MainWindow] != 0);
}

// A resource-text label: it follows the language by itself.
void COrvaneKeyboardDevice::showGameMode(bool on) {
    if (CControlUI* label = pageControl("kb_game_mode_label")) {
        label->SetResourceText(true);
        label->SetText(on ? QStringLiteral("kb_game_mode_on") : QStringLiteral("kb_game_mode_off"));
        label->SetVisible(true);
    }
}

// ---- preview ----------------------------------------------------------------------------

// The keyboard's keys have one colour, so the page shows each key in red at
// the brightness the preview gives it; the keyboard is sent nothing.
void COrvaneKeyboardDevice::paintLed(CControlUI* control, uint32_t value) {
    paintLightControl(control, 0xFF, lighting::ledBrightness(value));
}

void COrvaneKeyboardDevice::setLedColour(int index, uint32_t colour) {
    COrvaneUSBDevice::setLedColour(index, colour);
    std::lock_guard<std::mutex> lock(frameLock_);
    if (lighting_.lightParams().selectItem == keyboard::kCustomLightMode)
        keyPreview_.setCustomColour(index,
                                    {lighting::ledRed(colour), lighting::ledGreen(colour), lighting::ledBlue(colour)});
}

uint8_t COrvaneKeyboardDevice::previewIntensity(int led) const {
    std::lock_guard<std::mutex> lock(frameLock_);
    const auto& levels = lighting_.ripple().rippleLevel;
    return led >= 0 && led < static_cast<int>(levels.size()) ? levels[static_cast<size_t>(led)] : 0;
}

}  // namespace talven
