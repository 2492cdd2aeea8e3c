#include "app/main_wnd.h"
#include "app/sdk_bridge.h"

#include "app/app_messages.h"
#include "app/desktop_bus.h"
#include "app/skin_settings.h"
#include "pages/page_routes.h"
#include "pages/usb_device_page.h"
#include "platform/app_paths.h"
#include "platform/debug_output.h"
#include "platform/settings_store.h"
#include "ui/control.h"
#include "ui/resource_manager.h"

#include <QGuiApplication>
#include <QScreen>

namespace talven {

CMainWnd::CMainWnd(std::vector<hid::HidRoot> hidRoots) : hidRoots_(std::move(hidRoots)) {
    MapNotify(QStringLiteral("itemactivate"), &CMainWnd::OnItemActivate);
    MapNotify(QStringLiteral("setfocus"), &CMainWnd::OnControlSetFocus);
    AddShellRoutes();
    AddDeviceRoutes();
    AddPageRoutes(routes_, ProfileHost(), MacroHost(), ShootHost());
}

CMainWnd::~CMainWnd() {
    skinObserver().RemoveReceiver(this);
    Shutdown();
    auto* resources = ui::CResourceManager::GetInstance();
    if (resources->GetTextQueryInterface() == this) resources->SetTextQueryInterface(nullptr);
    ui::CMenuWnd::DestroyMenu();
    trayMenu_.reset();
}

void CMainWnd::InitWindow() {
    debugOutput("InitWindow");
    auto* resources = ui::CResourceManager::GetInstance();
    resources->SetTextQueryInterface(this);
    resources->LoadLanguage(QStringLiteral("lan_cn.xml"));
    const QString icon = QStringLiteral("common/app_icon.svg");
    setWindowIcon(QIcon(ui::CPaintManagerUI::ResolveResourceFile(icon)));
    tray_.CreateTrayIcon(this, ui::CPaintManagerUI::ResolveResourceFile(icon), applicationTitle(), 0);
    skinObserver().AddReceiver(this);
    // The background chosen last time; none (or a damaged main.ini) keeps the skin's.
    if (const auto saved = readSkinChoice(skinSettingsPath())) Receive(*saved);
}

void CMainWnd::setDesktopBus(DesktopBus* bus) {
    bus_ = bus;
    if (!bus_) return;
    connect(bus_, &DesktopBus::received, this,
            [this](DesktopBus::Message kind, quint32 wParam, qint32 lParam) {
                const AppMessages& m = appMessages();
                const uint msg = kind == DesktopBus::Message::LightControl   ? m.lightControl
                                 : kind == DesktopBus::Message::UpdateStatus ? m.updateStatus
                                                                             : 0;
                if (msg != 0) PostMessage(msg, wParam, lParam);
            });
}

std::vector<DeviceSlot> CMainWnd::deviceSlots() const {
    return scanner_ ? scanner_->slotList() : std::vector<DeviceSlot>{};
}

void CMainWnd::OnWindowInit() {
    AnnounceLighting(true);
    languages_ = readLanguageList(paths::defaultDataFolder() + "Language.config");
    SettingsStore settings;
    ApplyLanguage(ReadLanguageIndex(settings, languages_));
    SetLightStatusCaption();
    CreateScanner();
    DeviceSelector::Hooks hooks;
    hooks.bringToFront = [this] { BringToFront(); };
    // A capture for a device that is going away would hold the keyboard
    // with no box left to release it.
    hooks.beforeSelectedDeviceHidden = [this] {
        if (macroCapture_) macroCapture_->EndCapture();
        macroCapture_ = nullptr;
        if (hook_.installed()) SendMessage(mainmsg::kInputHook, 0, 0);
    };
    selector_ = std::make_unique<DeviceSelector>(m_pm, this, this, std::move(hooks));
    selector_->CreatePages(scanner_->slotList());
    ShowCloseHint();
    SetLightingControl(lightingControl_);  // another program may have spoken before the pages existed
    StartWantedSdkServer(settings);
    // The window itself holds the keyboard focus until the user clicks into
    // an edit; left to itself, activation would hand it to the first edit
    // (the profile name), and typing would rename the profile.
    setFocus(Qt::OtherFocusReason);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) screenSize_ = screen->size();
    ShowWindow(false);
    workers_.start(WorkerSlots::kScanSlot, [this](Event& stopEvent) { scanner_->run(stopEvent); });
    workers_.start(WorkerSlots::kLightingSyncSlot,
                   [this](Event& stopEvent) { selector_->lightingSync().run(stopEvent); });
    SetTimer(mainTimer::kFitAfterInit, 100);
    initialised_ = true;
}

void CMainWnd::CreateScanner() {
    DeviceScanner::Callbacks callbacks;
    // The scanner calls these on its own thread; the window answers on the UI
    // thread while the scanner waits, unless the program is stopping.
    Event& stop = workers_.stopEvent(WorkerSlots::kScanSlot);
    callbacks.occupied = [this, &stop](int slot) {
        SendMessageFromWorker(mainmsg::kSlotOccupied, static_cast<quintptr>(slot), 0, stop);
    };
    callbacks.vacated = [this, &stop](int slot) {
        SendMessageFromWorker(mainmsg::kSlotVacated, static_cast<quintptr>(slot), 0, stop);
    };
    callbacks.firstPassDone = [this] { PostMessage(appMessages().instance, 0, 0); };
    scanner_ = std::make_unique<DeviceScanner>(std::move(callbacks), hidRoots_);
}

void CMainWnd::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    debugOutput("退出测试");
    KillTimer(mainTimer::kFitAfterInit);
    KillTimer(mainTimer::kTrayMenu);
    CloseSettingsWindow();
    hide();
    sdk_.reset();  // no client request reaches a page after this
    workers_.stopAll(1000);
    if (selector_) {
        for (COrvaneUSBDevice* page : selector_->pages()) page->stopAnimation();
    }
    tray_.DeleteTrayIcon();
}

void CMainWnd::OnItemActivate(ui::TNotifyUI& msg) { routes_.dispatch(msg); }

void CMainWnd::OnControlSetFocus(ui::TNotifyUI& msg) { routes_.dispatch(msg); }

ui::CControlUI* CMainWnd::Find(const char* name) const {
    return m_pm.FindControl(QString::fromLatin1(name));
}

// ---- lighting control ----------------------------------------------------

void CMainWnd::AnnounceLighting(bool controlling) {
    if (bus_) bus_->broadcast(DesktopBus::Message::LightAnnounce, 1, controlling ? 1 : 0);
}

// The caption names the current state on every path: "控制灯光" while we
// drive the lighting, "不控制灯光" while another program may.
void CMainWnd::SetLightStatusCaption() {
    if (ui::CControlUI* status = Find("control_light_status")) {
        status->SetResourceText(true);
        status->SetText(lightingControl_ ? QStringLiteral("控制灯光") : QStringLiteral("不控制灯光"));
    }
}

void CMainWnd::ToggleLightingControl() {
    lightingControl_ = !lightingControl_;
    AnnounceLighting(lightingControl_);
    SetLightStatusCaption();
    SetLightingControl(lightingControl_);
}

// The mice, mouse pads and keyboards learn the flag (the headset's lighting
// is its own); the activation state then stops or resumes every page's
// preview and frames.
void CMainWnd::SetLightingControl(bool on) {
    lightingControl_ = on;
    if (selector_) {
        for (const uint16_t k : {kind::Mouse, kind::MousePad, kind::Keyboard}) {
            for (COrvaneUSBDevice* page : selector_->pagesOfKind(k)) page->setLightingControl(on);
        }
    }
    ApplyActivationState();
}

void CMainWnd::OnLightControlMessage(quintptr wParam, qintptr lParam) {
    if (wParam != 1 || (lParam != 0 && lParam != 1)) return;
    SetLightingControl(lParam == 1);
    SetLightStatusCaption();
}

}  // namespace talven
