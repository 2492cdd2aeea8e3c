#pragma once
// COrvaneKeyboardDevice: the keyboard's page and device object. It builds the
// on-screen keyboard from the skin, runs the keyboard's transactions, keeps
// the settings page (polling rate, key repeat, the three key switches), reads
// the keyboard's notifications on a thread of its own and animates the
// on-screen keys to preview the lighting mode. The keyboard renders its
// lighting itself: nothing of the preview is ever sent to it.
//
// Threads: the UI thread runs every transaction and every page change; the
// base's animation thread steps the preview (under the frame lock); the event
// reader waits for notifications and hands each to the UI thread.

#include "device/keyboard/keyboard_lighting.h"
#include "device/keyboard/keyboard_protocol.h"
#include "device/keyboard/keyboard_settings.h"
#include "device/notification_reader.h"
#include "device/lighting/light_panel_rules.h"
#include "pages/usb_device_page.h"
#include "platform/input_settings.h"
#include "profile/profile_data_keyboard.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace talven {

class CKeySetControlUI;
class CMacroControlUI;

// The names the keyboard's panels list, from the data files.
struct KeyboardNameLists {
    std::vector<std::string> macroNames;
    std::vector<std::string> defaultLightNames;  // language keys, mode i at i
    std::vector<bool> defaultLightVisible;
    std::vector<std::string> areaLightNames;
    std::vector<std::string> customLightNames;
};

class COrvaneKeyboardDevice : public COrvaneUSBDevice {
    Q_OBJECT
public:
    // Which switch of the settings page.
    enum class KeySwitch { WinLock, WKey, SixKey };

    COrvaneKeyboardDevice();
    ~COrvaneKeyboardDevice() override;

    QString GetClass() const override { return QStringLiteral("OrvaneKeyboardDevice"); }
    // The keyboard page's own controls: settings page and modifier options.
    static void AddRoutes(ui::ControlRoutes& routes);

    // ---- base operations, the keyboard's way ---------------------------------
    void bindPageControls() override;
    void applyProfileLighting() override;
    // The keyboard renders its lighting itself: its keys preview the mode in
    // red at each LED's brightness, and no frame is sent.
    void paintLed(ui::CControlUI* control, uint32_t value) override;
    void setLedColour(int index, uint32_t colour) override;
    void onConnected() override;
    void readDeviceSettings() override;
    void readDeviceStatus() override;
    int reloadProfile() override;
    void applyProfileToPage() override;
    void loadStoredProfile() override;
    int writeKeyTable(int profileIndex, std::vector<uint32_t> keyAssignments) override;
    int writeKeyTableFromProfile(int profileIndex) override;
    int writeMacros() override;
    int writeProfileRecord(int profileIndex, uint32_t value, bool screenSizeFlag, int screenWidth,
                           int screenHeight) override;
    void loadDefaultData() override;
    void setFunctionPage(int page) override;
    void saveProfileFiles() override;
    std::string getProfileName() const override;
    void saveProfile() override;
    void setLayoutVariant(int index) override;
    void setLightParams(uint32_t word1, uint32_t word2, uint32_t word3) override;
    LightModeList lightModeList() const override {
        return {names_.defaultLightNames, names_.defaultLightVisible, lighting::panel_variant::Keyboard};
    }
    void selectKey(int index) override;
    void reloadLanguageTexts() override;
    void onEventInterfaceArrived(const DeviceSlot& slot) override;
    void onEventInterfaceRemoved(const DeviceSlot& slot) override;
    void animationStep(uint32_t nowMs) override;
    int animationPeriodMs() const override;

    // ---- the keyboard's transactions (keyboard_protocol.h) --------------------
    int readKeyboardData();
    // The active onboard profile's record into the light parameters and the
    // profile's switches; a new mode starts its preview. Returns the index.
    int readProfileRecord();
    // The custom mode's bitmap from the keys it lights.
    void writeCustomBitmap();
    // One key of the custom mode, after it was switched on or off.
    void writeCustomBit(int led);
    void setAllCustomBits(bool on);

    // A notification code from the event interface (UI thread).
    void onNotification(uint16_t code);
    // A key went down (kind 1) or up (kind 2) on the keyboard.
    void onKeyEvent(int key, int kind);

    // ---- profiles -----------------------------------------------------------
    // The profile list chose `uuid`: load it, apply its key repeat to the
    // desktop, show it and put its record and key table into the keyboard.
    void selectProfile(const std::string& uuid) override;
    // The profile's key repeat to the desktop.
    void applyRepeatToDesktop();

    // ---- settings page (routed by the main window) ---------------------------
    void setPollingRate(int option);
    void setRepeatDelay(int check);
    void setRepeatRateCheck(int check);
    void setRepeatRate(int rate);
    void setKeySwitch(KeySwitch which, bool on);
    // The desktop's default repeat rate and delay.
    void resetRepeat();
    // Keeps one modifier option ("key_ComBox_check_" 0..4) selected.
    void selectModifierOption(int index);

    // Where key repeat is read and set; the desktop's unless replaced.
    void setInputSettings(std::unique_ptr<InputSettings> settings);

    // ---- key assignment (keyboard_keyset_page.cpp) --------------------------
    // The buttons of the key assignment panel.
    static void AddKeySetRoutes(ui::ControlRoutes& routes);
    CKeySetControlUI* keySetPanel() const;
    // The selected key's stored assignment into the panel.
    void showKeyAssignment();
    void showDefaultAssignment();
    // The panel's assignment for the selected key into the profile (saved).
    void saveKeyAssignment();
    void clearKeyAssignment();
    // The macros and the key table to the keyboard, then the profile saved.
    void saveKeysToKeyboard();

    // ---- macro panel (keyboard_macro_page.cpp) --------------------------------
    CMacroControlUI* macroPanel() const;
    // The panel on the keyboard's data folder; its macro names follow into
    // the key assignment panel whenever they change.
    void linkMacroPanel();

    // ---- lighting panel (keyboard_lighting_panel.cpp) ------------------------
    // The custom mode's routes: its list, its switch and the keys it lights.
    static void AddLightingRoutes(ui::ControlRoutes& routes);
    // The mode list, the custom list and the light parameters on the panel.
    void showLightingPanel();
    // Custom entry `entry` becomes the set of keys the custom mode lights.
    void selectCustomLight(int entry);
    // Custom mode: the keys' LEDs on or off, each sent as one bit; nothing
    // in another mode.
    void setCustomKeys(const std::vector<int>& leds, bool on);
    // Custom mode: the LEDs of `leds` all off when all are lit, else all on.
    void toggleCustomKeys(const std::vector<int>& leds);
    // Whether the custom mode lights this key's LED.
    bool customKeyLit(int led) const;
    // Whether the lighting editor is the one the page shows.
    bool lightingShown() const;

    // ---- observers ----------------------------------------------------------
    keyboard::KeyboardProtocol& protocol() { return protocol_; }
    keyboard::KeyboardSystemSettings systemSettings() const { return system_; }
    int activeProfile() const { return activeProfile_; }
    const KeyboardNameLists& nameLists() const { return names_; }
    CKeyboardProfiledata& profileData() { return profile_; }
    bool eventInterfaceOpen() const { return events_.running(); }
    bool eventReaderRunning() const { return events_.running(); }
    // The preview's intensity of an LED (0..255), under the frame lock.
    uint8_t previewIntensity(int led) const;

private:
    ui::CControlUI* pageControl(const QString& name) const;
    ui::CControlUI* pageControl(const char* name) const { return pageControl(QString::fromLatin1(name)); }
    QString translate(const QString& key) const;
    void updateKeyLabels();
    void updateSettingsPage();
    void showRepeatDelayLabel(int check);
    void showRepeatHint();
    // The game mode as the keyboard's status report gives it.
    void showGameMode(bool on);
    void storeSystemSettings();
    // Loads the profile at `path` and takes its keys, lighting and settings;
    // with `takeDesktopRepeat` the desktop's key repeat goes into the profile.
    void loadProfileFrom(const std::string& path, bool takeDesktopRepeat);
    void reloadProfileFiles(bool takeDesktopRepeat);
    // The light parameters into the preview; a new mode starts afresh.
    void applyLight(const LightSettings& light);
    std::string currentProfileUuid() const;
    InputSettings& inputSettings();

    // The custom mode's key colours into the profile (not saved).
    void storeCustomColours();
    void startLightingThread();
    void stopLightingThread();

    keyboard::KeyboardProtocol protocol_{commandChannel_};
    keyboard::KeyboardPreview keyPreview_{lighting_};
    CKeyboardProfiledata profile_;
    std::vector<KeySlot> keySlots_;
    keyboard::KeyboardSystemSettings system_;
    int activeProfile_ = 0;
    bool recordRead_ = false;  // a profile record has been read from the keyboard
    int shownMode_ = -1;       // the mode the preview was last started in
    uint8_t notificationCounter_ = 0;
    KeyboardNameLists names_;
    std::unique_ptr<InputSettings> input_;

    // The hidden label that translates texts in the page's language.
    ui::CControlUI* textTest_ = nullptr;

    // The notification interface and its reader.
    NotificationReader events_{"MS设备同步线程设定退出"};
};

}  // namespace talven
