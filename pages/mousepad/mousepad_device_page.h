#pragma once
// COrvaneMousePadDevice: the lit mouse pad's page and device object. The pad
// has lighting only: its settings block in configuration memory, and the
// frames of the base class's lighting stream, which this page computes with
// the pad's own modes (its wave, two ripples, custom lighting sets).
//
// Threads: the UI thread runs every transaction and page change; the base's
// animation thread steps the pad's effects under the frame lock, waiting
// out each step's period; the event reader waits for the pad's
// notifications and only asks the selector entry for its read timer.

#include "device/mousepad/mousepad_lighting.h"
#include "device/mousepad/mousepad_protocol.h"
#include "device/notification_reader.h"
#include "pages/usb_device_page.h"
#include "profile/profile_data_basic.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace talven {

// Sent to the main window after the pad's settings were read (wParam: the
// pad's active profile).
inline constexpr uint kDeviceProfileMessage = 0x0D00;

class COrvaneMousePadDevice : public COrvaneUSBDevice {
    Q_OBJECT
public:
    COrvaneMousePadDevice();
    ~COrvaneMousePadDevice() override;

    QString GetClass() const override { return QStringLiteral("OrvaneMousePadDevice"); }

    // ---- base operations, the pad's way ---------------------------------------
    void bindPageControls() override;
    // The profile's lighting into the light parameters, the settings block
    // copy and the custom lighting set.
    void applyProfileLighting() override;
    LightModeList lightModeList() const override { return {modeNames_, modeVisible_, panelVariant_}; }
    void onConnected() override;
    void readDeviceSettings() override;
    int reloadProfile() override;
    void applyProfileToPage() override;
    void loadStoredProfile() override;
    int writeProfileRecord(int profileIndex, uint32_t value, bool screenSizeFlag, int screenWidth,
                           int screenHeight) override;
    void loadDefaultData() override;
    void saveProfileFiles() override;
    std::string getProfileName() const override;
    void saveProfile() override;
    void setLightParams(uint32_t word1, uint32_t word2, uint32_t word3) override;
    void selectProfile(const std::string& uuid) override;
    void onEventInterfaceArrived(const DeviceSlot& slot) override;
    void onEventInterfaceRemoved(const DeviceSlot& slot) override;
    void animationStep(uint32_t nowMs) override;
    int animationPeriodMs() const override;

    // ---- observers ------------------------------------------------------------
    mousepad::MousePadProtocol& protocol() { return protocol_; }
    // The settings block copy (speed as a level), under the frame lock.
    mousepad::SettingsBlock settingsBlock() const;
    CBasicProfiledata& profileData() { return *profile_; }
    bool eventReaderRunning() const { return events_.running(); }

protected:
    // For a device lit the same way (a settings block, the pad's modes): its
    // profile object, its lighting panel variant and its effect shapes.
    COrvaneMousePadDevice(std::unique_ptr<CBasicProfiledata> profile, int panelVariant,
                          const mousepad::LitShapes& shapes);
    // After a profile was read into the profile object and its lighting
    // applied; the page's other settings are taken from it here.
    virtual void profileLoaded() {}
    ui::CControlUI* pageControl(const char* name) const;

private:
    void showLightingPanel();
    // A good reading becomes the block copy; false when the read failed.
    bool takeSettings(const mousepad::SettingsReading& reading);
    // The profile at `path` into the page: lighting, block copy, custom set.
    void loadProfileFrom(const std::string& path);
    std::string currentProfileUuid() const;
    void requestSettingsRead();

    mousepad::MousePadProtocol protocol_{commandChannel_};
    std::unique_ptr<CBasicProfiledata> profile_;
    int panelVariant_;
    const mousepad::LitShapes& shapes_;
    // Guarded by the frame lock: the animation thread reads them.
    mousepad::SettingsBlock block_{};
    mousepad::CustomLightPlayer customPlayer_;
    std::vector<LedEntry> areas_;
    int shownMode_ = -1;

    std::vector<std::string> modeNames_;
    std::vector<bool> modeVisible_;

    NotificationReader events_{"MP设备同步线程设定退出"};
};

}  // namespace talven
