// The process entry: private fonts, one running instance, resources and
// control classes, the registered messages, the main window and its loop,
// then tear-down in reverse order.

#include "app/app_messages.h"
#include "app/app_setup.h"
#include "app/desktop_bus.h"
#include "app/font_resources.h"
#include "app/main_wnd.h"
#include "app/power_monitor.h"
#include "app/single_instance.h"
#include "app/unix_signals.h"
#include "pages/usb_device_page.h"
#include "profile/profile_list.h"
#include "sim/simulator.h"
#include "ui/messages.h"
#include "ui/option.h"
#include "ui/resource_manager.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <string_view>

using namespace talven;

namespace {

// --page and --tab: bring a device page up and open one of its editor tabs
// the way a click on the tab would. False while the page is not there yet.
bool showPage(CMainWnd& window, const AppOptions& options) {
    if (options.page.isEmpty() || !window.selector()) return true;
    if (!window.selector()->SelectByFolder(options.page.toStdString())) return false;
    COrvaneUSBDevice* page = window.selector()->CurrentDevicePage();
    if (options.tab < 1 || !page) return true;
    const QString name = QString::fromLatin1(kProfileTabNames[static_cast<size_t>(options.tab - 1)]);
    if (auto* tab = qobject_cast<ui::COptionUI*>(window.GetPaintManager().FindSubControlByName(page, name)))
        tab->Selected(true);
    return true;
}

// --open: the settings window or the skin frame, from the event loop (the
// settings window is modal and runs its own).
void openWindow(CMainWnd& window, const AppOptions& options) {
    if (options.open.isEmpty()) return;
    QTimer::singleShot(0, &window, [&window, open = options.open] {
        if (open == QLatin1String("settings")) window.OpenSettingsWindow(false);
        else window.OpenSkinFrame();
    });
}

// The main window as the screen shows it, with the settings window or the
// skin frame on top when one is open.
QPixmap grabShown(CMainWnd& window, bool withPopups) {
    QScreen* screen = window.screen();
    if (!withPopups || !screen) return window.grab();
    const QRect area = window.frameGeometry();
    return screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
}

// --screenshot: once the first scan pass has shown the window, let the
// pages settle, save the window and end the program.
void scheduleScreenshot(CMainWnd& window, const AppOptions& options) {
    auto* poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, &window, [&window, poll, options] {
        if (!window.firstScanDone() || !window.isVisible()) return;
        poll->stop();
        showPage(window, options);
        openWindow(window, options);
        QTimer::singleShot(1500, &window, [&window, file = options.screenshotFile, popups = !options.open.isEmpty()] {
            const bool saved = grabShown(window, popups).save(file, "PNG");
            std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "saved" : "could not save",
                         file.toLocal8Bit().constData());
            window.Close(0);
        });
    });
    poll->start(50);
}

// --page or --open without --screenshot: once the devices are shown, bring
// that page up and open the window asked for.
void schedulePage(CMainWnd& window, const AppOptions& options) {
    auto* poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, &window, [&window, poll, options] {
        if (!window.firstScanDone() || !window.isVisible() || !showPage(window, options)) return;
        poll->stop();
        openWindow(window, options);
    });
    poll->start(100);
    QTimer::singleShot(5000, poll, [poll] { poll->stop(); });
}

// --tray: when the first scan pass shows the window, hide it again. Unlike
// the close button this keeps running where no tray icon can be shown: the
// user asked for it, and a second start still brings the window back.
void scheduleTray(CMainWnd& window) {
    auto* poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, &window, [&window, poll] {
        if (!window.firstScanDone() || !window.isVisible()) return;
        poll->stop();
        window.ShowWindow(false);
    });
    poll->start(10);
}

void connectPlatform(CMainWnd& window, SingleInstance& instance, PowerMonitor& power) {
    QObject::connect(&instance, &SingleInstance::instanceMessage, &window,
                     [&window](quint32 wParam, qint32 lParam) {
                         window.PostMessage(appMessages().instance, wParam, lParam);
                     });
    QObject::connect(&power, &PowerMonitor::suspending, &window, [&window](bool aboutToSleep) {
        window.SendMessage(ui::WM_POWERBROADCAST, aboutToSleep ? ui::PBT_APMSUSPEND : ui::PBT_APMRESUMEAUTOMATIC);
    });
}

int runMainWindow(const AppOptions& options) {
    SingleInstance instance;
    if (!instance.tryBecomePrimary()) return 0;
    setupResources();
    registerAppMessages();
    std::unique_ptr<sim::Simulator> demo;
    if (options.demo) {
        QString error;
        demo = startDemoDevices(&error);
        if (!error.isEmpty()) std::fprintf(stderr, "demo devices: %s\n", error.toLocal8Bit().constData());
    }
    int result = 0;
    {
        DesktopBus bus;
        PowerMonitor power;
        CMainWnd window;
        window.setDesktopBus(&bus);
        window.setSdkServerOption(options.sdkServer, options.sdkPort);
        connectPlatform(window, instance, power);
        // Created hidden: the first scan pass shows it.
        const quint32 style = ui::WS_POPUP | ui::WS_CLIPSIBLINGS | ui::WS_CLIPCHILDREN | ui::WS_CAPTION |
                              ui::WS_SYSMENU | ui::WS_MINIMIZEBOX;
        if (!window.Create(nullptr, applicationTitle(), style, 0, 0, 0, 800, 572)) {
            std::fprintf(stderr, "talven-k88: the skin could not be loaded\n");
            return 0;
        }
        window.CenterWindow();
        QObject::connect(&window, &CMainWnd::quitRequested, qApp, &QApplication::quit, Qt::QueuedConnection);
        UnixSignals stopSignals([&window](int) { window.Close(0); });
        if (!options.screenshotFile.isEmpty()) scheduleScreenshot(window, options);
        else if (!options.page.isEmpty() || !options.open.isEmpty()) schedulePage(window, options);
        if (options.tray && options.screenshotFile.isEmpty()) scheduleTray(window);
        result = QApplication::exec();
    }
    ui::CResourceManager::GetInstance()->Release();
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    // Help and version are answered before Qt starts, so they need no display.
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(appUsage().toLocal8Bit().constData(), stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("talven-k88 %s\n", TALVEN_VERSION);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("talven-k88"));
    QApplication::setDesktopFileName(QStringLiteral("talven-k88"));
    const AppOptions options = parseAppOptions(QApplication::arguments());
    if (!options.error.isEmpty() || options.help) {
        const QString text = (options.error.isEmpty() ? QString() : options.error + QLatin1Char('\n')) + appUsage();
        std::fputs(text.toLocal8Bit().constData(), options.help ? stdout : stderr);
        return options.help ? 0 : 2;
    }
    PrivateFonts fonts;
    fonts.load();
    registerInstanceMessage();
    return runMainWindow(options);
}
