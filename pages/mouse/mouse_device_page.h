#pragma once
// COrvaneMouseDevice: the mouse's page and device object. It runs the mouse's
// transactions, keeps its five DPI stages, polling-rate and lift-off choices
// and the functions of its eleven buttons, and animates its LEDs: the frames
// are previewed on the page and streamed to the mouse.
//
// Threads: the UI thread runs every transaction and page change; the base's
// animation thread steps the lighting mode (under the frame lock), waiting
// its step period between steps; the notification reader hands the mouse's
// request to be read again to the UI thread.

#include "device/mouse/mouse_protocol.h"
#include "device/notification_reader.h"
#include "device/lighting/light_panel_rules.h"
#include "pages/usb_device_page.h"
#include "platform/pointer_settings.h"
#include "profile/profile_data_mouse.h"

#include <string>
#include <vector>

namespace talven {

class CKeySetControlUI;
class CMacroControlUI;
class CShootControlUI;

class COrvaneMouseDevice : public COrvaneUSBDevice {
    Q_OBJECT
public:
    COrvaneMouseDevice();
    ~COrvaneMouseDevice() override;

    QString GetClass() const override { return QStringLiteral("OrvaneMouseDevice"); }
    // The performance tab, the button list and the key assignment buttons.
    static void AddRoutes(ui::ControlRoutes& routes);

    // ---- base operations, the mouse's way ----------------------------------
    void bindPageControls() override;
    void applyProfileLighting() override;
    void onConnected() override;
    void readDeviceSettings() override;
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
        return {lightNames_, lightVisible_, lighting::panel_variant::Mouse};
    }
    void selectKey(int index) override;
    void selectProfile(const std::string& uuid) override;
    void onEventInterfaceArrived(const DeviceSlot& slot) override;
    void onEventInterfaceRemoved(const DeviceSlot& slot) override;
    void animationStep(uint32_t nowMs) override;
    int animationPeriodMs() const override;

    // ---- the mouse's own ------------------------------------------------------
    // Binds the picture's button and LED controls of every select panel.
    void bindMousePage();
    // reloadProfile, with the profile's pointer record kept as the system record.
    void reloadWithSystemSettings();
    // The profile to its file.
    void resetProfileData() { saveProfile(); }
    // The mouse asked to be read again (UI thread).
    void onNotification(uint16_t code);

    // ---- performance tab (mouse_settings_page.cpp) --------------------------
    void setStageEnabled(int stage, bool on);
    bool stageEnabled(int stage) const;
    // The slider's step index; the edit shows its DPI.
    void setStageSlider(int stage, int index);
    int stageSlider(int stage) const;
    int stageEditValue(int stage) const;
    void markActiveStage(int stage);
    void selectPollingOption(int index);
    void selectLiftOffOption(int index);
    // Shows tab n of "mouse_device_seting_layout" (0 when out of range).
    void selectTab(int tab);

    // The user's edits: each is kept in the profile, saved and sent at once.
    void choosePollingRate(int option);
    void chooseLiftOff(int option);
    void chooseActiveStage(int stage);
    void chooseStageEnabled(int stage, bool on);
    void moveStageSlider(int stage, int index);
    void commitStageEdit(int stage);

    // ---- the desktop's pointer settings (mouse_pointer_page.cpp) ------------
    // Each edit goes to the desktop, the profile's system record and this
    // program's own widgets.
    void setPointerSpeed(int speed);
    void setPointerPrecision(bool on);
    void setWheel(int lines, bool pageScroll);
    // The wheel's lines slider or page option changed: both go together.
    void wheelEdited();
    void setDoubleClickLevel(int level);
    // Tests give the page settings of their own (a settings file only).
    void setPointerSettings(std::unique_ptr<PointerSettings> settings);

    // ---- key assignment (mouse_keyset_page.cpp) -----------------------------
    CKeySetControlUI* keySetPanel() const;
    void showKeyAssignment();
    void showDefaultAssignment();
    void saveKeyAssignment();
    void clearKeyAssignment();
    // The macros and the button table to the mouse, then the profile saved.
    void saveKeysToMouse();

    // ---- macro and shoot tabs (mouse_macro_page.cpp, mouse_shoot_page.cpp) ----
    CMacroControlUI* macroPanel() const;
    CShootControlUI* shootPanel() const;

    // ---- observers ------------------------------------------------------------
    mouse::MouseProtocol& protocol() { return protocol_; }
    CMouseProfiledata& profileData() { return profile_; }
    const std::vector<KeySlot>& keySlots() const { return keySlots_; }
    const std::vector<DpiStage>& dpiStages() const { return stages_; }
    const MouseSystemWords& systemRecord() const { return system_; }
    bool eventReaderRunning() const { return events_.running(); }

private:
    static QString numbered(const char* prefix, int index) {
        return QString::fromLatin1(prefix) + QString::number(index);
    }
    ui::CControlUI* pageControl(const QString& name) const;
    ui::CControlUI* pageControl(const char* name) const { return pageControl(QString::fromLatin1(name)); }
    void loadProfileFrom(const std::string& path);
    void takeProfileLists();
    void setSystemRecord(const MouseSystemWords& words);
    void showSystemRecord();
    PointerSettings& pointerSettings();
    void readDesktopPointer();
    void applyPointerToDesktop();
    void pointerEdited(const char* control, PointerApplied applied);
    int doubleClickSliderMax() const;
    void showStages();
    void showLiftOffReading();
    void showLightingPanel();
    void rebuildButtonList();
    void linkMacroPanel();
    void linkShootPanel();
    // Profile 0's settings block with the primary screen's size.
    int sendSettingsBlock();
    // The profile's settings block, macros and buttons to the mouse.
    void sendProfileToMouse();
    // Kept, saved and sent: the end of every edit of the performance tab.
    void storeAndSend();
    // The stage list reaches stage `stage` (new stages off, at step 0).
    DpiStage& stageRecord(int stage);
    std::string currentProfileUuid() const;

    mouse::MouseProtocol protocol_{commandChannel_};
    CMouseProfiledata profile_;
    std::vector<KeySlot> keySlots_;
    std::vector<DpiStage> stages_;
    MouseSystemWords system_{};
    std::unique_ptr<PointerSettings> pointer_;
    std::vector<std::string> macroNames_;
    std::vector<std::string> lightNames_;
    std::vector<bool> lightVisible_;
    int shownMode_ = -1;
    NotificationReader events_{"MS设备同步线程设定退出"};
};

}  // namespace talven
