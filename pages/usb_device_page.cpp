#include "pages/usb_device_page.h"

#include "device/power_status.h"
#include "editors/power_indicator.h"
#include "platform/app_paths.h"
#include "ui/control_routes.h"
#include "ui/paint_manager.h"
#include "ui/window_impl_base.h"

#include <array>

namespace talven {

using namespace ui;

COrvaneUSBDevice::COrvaneUSBDevice() {
    // Until a profile says otherwise: a full-brightness breathing spectrum,
    // so a connected device shows it is alive.
    lighting::LightParams& params = lighting_.lightParams();
    params.selectItem = 0;
    params.light = 4;
    params.speed = 2;
    params.fx = 1;
    params.multiColor = 1;
    params.red = 255;
}

COrvaneUSBDevice::~COrvaneUSBDevice() {
    stopAnimation();
    std::lock_guard<std::mutex> lock(commandChannel_.ioLock());
    commandChannel_.setConnected(false);
    commandChannel_.device().close();
}

void COrvaneUSBDevice::setKeyCount(int count) {
    keyCount_ = std::max(0, count);
    keyButtons_.assign(static_cast<size_t>(keyCount_), nullptr);
}

void COrvaneUSBDevice::setIdentity(const InterfaceEntry& entry) {
    identity_ = entry;
    kind_ = entry.kind;
    role_ = entry.role;
}

void COrvaneUSBDevice::setPowerIndicator(CMpDevicePowerUI* indicator) {
    powerIndicator_ = indicator;
    if (powerIndicator_) powerIndicator_->SetPowerMode(powerMode_);
}

void COrvaneUSBDevice::setPowerMode(int mode) {
    powerMode_ = mode;
    if (powerIndicator_) powerIndicator_->SetPowerMode(mode);
}

CControlUI* COrvaneUSBDevice::keyButton(int index) const {
    return index >= 0 && index < static_cast<int>(keyButtons_.size()) ? keyButtons_[index] : nullptr;
}

CControlUI* COrvaneUSBDevice::lightButton(int index) const {
    return index >= 0 && index < static_cast<int>(lightButtons_.size()) ? lightButtons_[index] : nullptr;
}

std::string COrvaneUSBDevice::defaultDataFolder() const { return paths::defaultDataFolder(); }

std::string COrvaneUSBDevice::defaultProfilePath() const {
    return defaultDataFolder() + deviceFolderName_ + ".Json";
}

std::string COrvaneUSBDevice::userDataFolder() const { return paths::deviceDataFolder(deviceFolderName_); }

// The battery poll of pages with a power mode: the six-byte power report,
// its link byte filled in from the channel, goes to the indicator and its
// byte 4 to the main window.
void COrvaneUSBDevice::readDeviceStatus() {
    if (!drivesDevice() || !powerPollActive(powerMode_, commandChannel_.isConnected()) || !powerIndicator_) return;
    std::array<uint8_t, kPowerReportSize> read{};
    if (commandChannel_.readShort(read.data(), kPowerReportSize, 0) != channel_result::Success) return;
    publishStatus(indicatorReport(read, commandChannel_.slowLink()));
}

void COrvaneUSBDevice::publishStatus(std::span<const uint8_t> report) {
    if (powerIndicator_) powerIndicator_->ShowPower(report);
    if (auto* window = qobject_cast<ui::WindowImplBase*>(ownerWindow_); window && report.size() > power_byte::MainWindow)
        window->PostMessage(kPowerStatusMessage, report[power_byte::MainWindow], 0);
}

void COrvaneUSBDevice::bindPageControls() {
    if (pageName_.empty()) {
        keyCount_ = ledCount_ = 0;
        keyButtons_.clear();
        lightButtons_.clear();
        setLedCount(0);
        return;
    }
    CPaintManagerUI* manager = GetManager();
    selectPanel_ = manager ? manager->FindSubControlByClass(this, QStringLiteral("SelectPanel")) : nullptr;
    if (!selectPanel_) return;
    const QList<CControlUI*> buttons = manager->FindSubControlsByClass(selectPanel_, QStringLiteral("DeviceKeyButton"));
    // The pad and the headset list no LEDs in the product table: each of
    // their key controls is one LED. Until their own pages take over, the
    // base previews one LED per key control.
    if (ledCount_ == 0) setLedCount(keyCount_);
    for (CControlUI* button : buttons) {
        if (const ControlName key = splitControlName(button->GetName());
            key.index >= 0 && key.prefix.compare(QLatin1String("key_"), Qt::CaseInsensitive) == 0 &&
            key.index < keyCount_) {
            keyButtons_[key.index] = button;
        }
        if (const ControlName light = splitControlName(button->GetUserData());
            light.index >= 0 && light.prefix.compare(QLatin1String("light_"), Qt::CaseInsensitive) == 0 &&
            light.index < ledCount_) {
            lightButtons_[light.index] = button;
            paintLightControl(button, 0xFF, 255);
            paintLightControl(button, 0xFFFFFF, 255);
        }
    }
}

}  // namespace talven
