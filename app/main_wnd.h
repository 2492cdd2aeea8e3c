#pragma once
// CMainWnd: the program's only top-level window and the hub of its traffic.
// It builds "XML_MAIN", owns the shell's worker threads (slot 0 scans for
// devices), routes control notifications by name, answers the tray icon,
// menus, power and display changes, and the messages of the scan thread and
// of other programs.

#include "app/device_selector.h"
#include "app/skin_frame.h"
#include "app/skin_observer.h"
#include "app/worker_slots.h"
#include "device/device_scan.h"
#include "editors/device_hook.h"
#include "editors/macro_control.h"
#include "editors/profile_dialogs.h"
#include "editors/shoot_control.h"
#include "profile/language_config.h"
#include "ui/control_routes.h"
#include "ui/menu_wnd.h"
#include "ui/tray_icon.h"
#include "ui/window_impl_base.h"
#include "update/update_check.h"

#include <QPointer>
#include <QSize>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace talven {

// File dialogs with the filter "Profile Files(*.json)" and the program's
// message box.
ProfileDialogs defaultProfileDialogs();

class DesktopBus;
class CSetWnd;
class SdkBridge;
class SettingsStore;

class CMainWnd : public ui::WindowImplBase, public SkinReceiver {
    Q_OBJECT
public:
    // hidRoots: where the scan looks for devices (tests pass their own).
    explicit CMainWnd(std::vector<hid::HidRoot> hidRoots = hid::defaultHidRoots());
    ~CMainWnd() override;

    QString GetWindowClassName() const override { return QStringLiteral("MainWnd"); }
    QString GetSkinFile() override { return QStringLiteral("XML_MAIN"); }
    void InitWindow() override;
    void Notify(ui::TNotifyUI& msg) override;
    qintptr HandleCustomMessage(uint msg, quintptr wParam, qintptr lParam, bool& handled) override;
    ui::CControlUI* CreateControl(const QString& tag) override;
    QString QueryControlText(const QString& id, const QString& type) override { return {}; }

    // Shows the window in front: overlay updated, restored, raised.
    void BringToFront();
    // Keeps the window at its design size at the kept screen scale, centred.
    void FitToScreen();
    // Applies the language at `index` of Language.config.
    void ApplyLanguage(int index);
    // Replaces the window's font slots with `face` (or the closest installed
    // face when it is missing).
    void SetSkinFonts(const QString& face);
    void SetLightingControl(bool on);
    // The settings window, modal until it closes; while it is open a second
    // call only brings it to the front. atUpdates: opened to show updates.
    void OpenSettingsWindow(bool atUpdates);
    // Asks the settings window to close (it may refuse while busy).
    void CloseSettingsWindow();
    CSetWnd* settingsWindow() const;
    // The skin frame below "skinbtn"; its dialogs can be replaced (tests).
    void OpenSkinFrame();
    void setSkinFrameDialogs(SkinFrameDialogs dialogs) { skinDialogs_ = std::move(dialogs); }
    CSkinFrame* skinFrame() const { return skinFrame_.data(); }
    // The update service the settings window asks (tests give a local one);
    // by default the one of the settings file.
    void setUpdateService(update::UpdateService service) { updateService_ = std::move(service); }
    // A skin-changed broadcast: the background of "root".
    int Receive(SkinChangedParam param) override;

    bool lightingControl() const { return lightingControl_; }
    bool initialised() const { return initialised_; }
    bool firstScanDone() const { return firstScanDone_; }
    bool awake() const { return awake_; }
    int currentLanguage() const { return currentLanguage_; }
    // The interface slots of the scan (empty before "windowinit").
    std::vector<DeviceSlot> deviceSlots() const;
    // Where other programs' messages come from; the window listens on it.
    void setDesktopBus(DesktopBus* bus);
    // The notification area as the window uses it: whether there is one to
    // close to, and its balloon message. The default asks the tray icon;
    // tests give their own.
    struct TrayAccess {
        std::function<bool()> available;
        std::function<void(const QString& title, const QString& text)> showMessage;
    };
    void setTrayAccess(TrayAccess access) {
        trayAccess_ = std::move(access);
        ShowCloseHint();
    }

    ui::ControlRoutes& routes() { return routes_; }
    // The profile panel's file dialogs and confirmations (tests set their own).
    void setProfileDialogs(ProfileDialogs dialogs) { profileDialogs_ = std::move(dialogs); }
    DeviceSelector* selector() { return selector_.get(); }
    // The lighting network server: off unless settings.ini's "SdkServer" is
    // 1 or the command line asks for it (on for this run, at `port` when
    // given). It listens where "SdkServerAddress" and "SdkServerPort" say,
    // 127.0.0.1 port 6742 by default.
    void setSdkServerOption(bool on, std::optional<uint16_t> port) {
        sdkOption_ = on;
        sdkPort_ = port;
    }
    // Starts or stops the server; false with the reason when it cannot start.
    bool SetSdkServer(bool on, QString* error = nullptr);
    SdkBridge* sdkBridge() const { return sdk_.get(); }
    // The page of the selected, visible selector entry, or null.
    COrvaneUSBDevice* CurrentDevicePage() const;

    // The key capture of the key assignment panel connects here. While its
    // capture box holds the input hook (message 0x41E with wParam 1 until
    // wParam 0), every key pressed anywhere arrives once, on the UI thread,
    // before the next input event: the key message (WM_KEYDOWN 256,
    // WM_SYSKEYDOWN 260, WM_KEYUP 257, WM_SYSKEYUP 261) and its record
    // (virtual key, scan code, kKeyHookExtended in flags).
    using CapturedKeyHandler = std::function<void(quintptr message, const KeyHookRecord& record)>;
    void setCapturedKeyHandler(CapturedKeyHandler handler) { capturedKey_ = std::move(handler); }
    // Whether keys are seen system-wide or in this program's windows only
    // (CDeviceHook::kOwnWindowsOnlyText then says so in the capture box).
    CDeviceHook& deviceHook() { return hook_; }
    // Where the macro panels import from and export to: "Macro Files(*.mac)"
    // dialogs unless replaced (tests give their own); empty when cancelled.
    using MacroFileDialog = std::function<QString(QWidget* parent, bool save)>;
    void setMacroFileDialog(MacroFileDialog dialog) { macroFileDialog_ = std::move(dialog); }
    // The same for the shoot panels' "Shoot Files(*.Shoot)" dialogs.
    void setShootFileDialog(MacroFileDialog dialog) { shootFileDialog_ = std::move(dialog); }

signals:
    // The window has been destroyed: the program's message loop should end.
    void quitRequested();

protected:
    virtual void OnTimer(uint id);
    virtual void OnItemActivate(ui::TNotifyUI& msg);
    virtual void OnControlSetFocus(ui::TNotifyUI& msg);
    // Device interface slots taken and freed by the scan thread.
    void OnSlotOccupied(int slot);
    void OnSlotVacated(int slot);
    std::vector<update::UpdateRecord> UpdateRecords() const;
    // Whether any device page is shown in the selector.
    bool AnyDeviceVisible() const;
    // Tells the pages whether to preview their lighting: only while the
    // window is awake and shown, so a hidden window costs no painting.
    void ApplyActivationState();
    // Hidden, shown, minimised or restored: the preview follows at once,
    // whether or not the desktop also moves the activation.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void OnWindowInit();
    void StartWantedSdkServer(const SettingsStore& settings);
    void CreateScanner();
    void Shutdown();
    void UpdateNoDeviceOverlay();
    void OnTrayMessage(qintptr mouseMessage);
    // "closebtn": into the tray when there is one (saying so once per run),
    // otherwise the program ends the way the tray menu's "exit" ends it.
    void CloseToTray();
    bool TrayShown() const;
    void ShowCloseHint();
    void OpenTrayMenu();
    void OnMenuCommand(quintptr wParam);
    void OnLightControlMessage(quintptr wParam, qintptr lParam);
    void OnPowerBroadcast(quintptr wParam);
    void ToggleLightingControl();
    void SetLightStatusCaption();
    void AnnounceLighting(bool controlling);
    bool HandleRegisteredMessage(uint msg, quintptr wParam, qintptr lParam);
    bool HandlePrivateMessage(uint msg, quintptr wParam, qintptr lParam);
    bool HandleHookMessage(uint msg, quintptr wParam, qintptr lParam);
    void OnInputHookMessage(quintptr wParam);
    // The macro panels' captures and step menu (macro_host.cpp).
    MacroRouteHost MacroHost();
    bool StartMacroCapture(CMacroControlUI* panel, int mode);
    void StopMacroCapture();
    void OpenMacroMenu(CMacroControlUI* panel);
    bool HandleMacroHookMessage(uint msg, quintptr wParam, qintptr lParam);
    bool RunMacroMenuCommand(const QString& name);
    // The shoot panels' file dialogs and messages (shoot_host.cpp).
    ShootRouteHost ShootHost();
    void AddShellRoutes();
    void AddDeviceRoutes();
    // What the profile panels' routes ask of the window.
    ProfileRouteHost ProfileHost();
    void RouteClick(ui::TNotifyUI& msg);
    ui::CControlUI* Find(const char* name) const;

    std::vector<hid::HidRoot> hidRoots_;
    std::vector<LanguageEntry> languages_;
    ui::ControlRoutes routes_;
    ProfileDialogs profileDialogs_ = defaultProfileDialogs();
    ui::CTrayIcon tray_;
    TrayAccess trayAccess_;
    bool trayNoticeShown_ = false;
    std::unique_ptr<ui::CMenuWnd> trayMenu_;
    ui::MenuCheckInfo menuChecks_;
    std::unique_ptr<DeviceScanner> scanner_;
    std::unique_ptr<DeviceSelector> selector_;
    std::unique_ptr<SdkBridge> sdk_;
    bool sdkOption_ = false;
    std::optional<uint16_t> sdkPort_;
    WorkerSlots workers_;
    DesktopBus* bus_ = nullptr;
    QSize screenSize_;
    int currentLanguage_ = -1;
    int screenScale_ = 96;
    bool lightingControl_ = true;
    bool initialised_ = false;
    bool firstScanDone_ = false;
    bool awake_ = true;
    bool displayChanged_ = false;
    bool windowActive_ = false;
    bool mouseInside_ = false;
    bool shutDown_ = false;
    CDeviceHook hook_;
    CapturedKeyHandler capturedKey_;
    QPointer<ui::CControlUI> captureBox_;  // the capture box holding the input hook
    QPointer<CMacroControlUI> macroCapture_;  // the macro panel holding the input hook
    QPointer<CMacroControlUI> macroMenuPanel_;  // the panel whose step menu is open
    std::unique_ptr<ui::CMenuWnd> macroMenu_;
    MacroFileDialog macroFileDialog_;
    MacroFileDialog shootFileDialog_;
    QPointer<CSetWnd> settingsWnd_;
    QPointer<CSkinFrame> skinFrame_;
    SkinFrameDialogs skinDialogs_ = defaultSkinFrameDialogs();
    std::optional<update::UpdateService> updateService_;
};

}  // namespace talven
