#include "app/app_setup.h"

#include "app/custom_controls.h"
#include "platform/app_paths.h"
#include "platform/debug_output.h"
#include "platform/worker_thread.h"
#include "sim/sim_control.h"
#include "sim/simulator.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

#include <QStringList>

#include <cstdlib>

namespace talven {

void setupResources() {
    const QString root = QString::fromStdString(paths::resourceRoot());
    ui::CPaintManagerUI::SetInstancePath(root);
    ui::CPaintManagerUI::SetResourcePath(root + QStringLiteral("skin/"));
    if (!ui::CResourceManager::GetInstance()->LoadResource(QStringLiteral("res.xml"))) {
        debugOutput("res.xml could not be read; the skin is incomplete");
    }
    registerShellControlClasses();
}

AppOptions parseAppOptions(const QStringList& arguments) {
    AppOptions options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--demo")) {
            options.demo = true;
        } else if (arg == QLatin1String("--tray")) {
            options.tray = true;
        } else if (arg == QLatin1String("--screenshot")) {
            if (i + 1 >= arguments.size()) {
                options.error = QStringLiteral("--screenshot needs a file name");
                break;
            }
            options.screenshotFile = arguments[++i];
        } else if (arg == QLatin1String("--page")) {
            if (i + 1 >= arguments.size()) {
                options.error = QStringLiteral("--page needs a device folder name");
                break;
            }
            options.page = arguments[++i];
        } else if (arg == QLatin1String("--tab")) {
            bool ok = false;
            options.tab = i + 1 < arguments.size() ? arguments[++i].toInt(&ok) : 0;
            if (!ok || options.tab < 1 || options.tab > 7) {
                options.error = QStringLiteral("--tab needs an editor tab number from 1 to 7");
                break;
            }
        } else if (arg == QLatin1String("--open")) {
            options.open = i + 1 < arguments.size() ? arguments[++i] : QString();
            if (options.open != QLatin1String("settings") && options.open != QLatin1String("skin")) {
                options.error = QStringLiteral("--open needs settings or skin");
                break;
            }
        } else if (arg == QLatin1String("--sdk-server") || arg.startsWith(QLatin1String("--sdk-server="))) {
            options.sdkServer = true;
            if (arg.contains(QLatin1Char('='))) {
                bool ok = false;
                const uint port = arg.section(QLatin1Char('='), 1).toUInt(&ok);
                if (!ok || port == 0 || port > 65535) {
                    options.error = QStringLiteral("--sdk-server=PORT needs a port from 1 to 65535");
                    break;
                }
                options.sdkPort = static_cast<uint16_t>(port);
            }
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            options.help = true;
        } else {
            options.error = QStringLiteral("unknown option: ") + arg;
            break;
        }
    }
    return options;
}

QString appUsage() {
    return QStringLiteral(
        "usage: talven-k88 [--demo] [--tray] [--page NAME [--tab N]] [--open WINDOW] [--screenshot FILE]\n"
        "                  [--sdk-server[=PORT]]\n"
        "  --demo             also show simulated devices (every product)\n"
        "  --tray             start hidden in the tray (its icon or a second start shows the window)\n"
        "  --page NAME        show this device's page first: mouse, keyboard, MousePad, HD, keyboard7440\n"
        "  --tab N            on that page, open editor tab N (1 lighting, 2 keys, 3 macros, 4 settings, ...)\n"
        "  --open WINDOW      then open a window of the main window: settings or skin\n"
        "  --screenshot FILE  save the window as PNG after the first device scan, then quit\n"
        "  --sdk-server[=PORT] let lighting programs drive the devices over the network protocol,\n"
        "                     on 127.0.0.1 (port 6742 unless given) for this run\n"
        "  --help             show this text; --version: show the version\n");
}

std::unique_ptr<sim::Simulator> startDemoDevices(QString* error) {
    const std::string dir = sim::defaultSimDir();
    ::setenv("TALVEN_SIM_DIR", dir.c_str(), 1);
    auto simulator = std::make_unique<sim::Simulator>(dir);
    simulator->addAllProducts();
    // The demo's devices are not the machine's work: their sides of the
    // exchanges stay on one CPU, where they cost the least.
    simulator->keepServiceOnOneCpu();
    std::string why;
    if (!simulator->startControl(&why)) {
        // Another simulator serves the directory: show its devices instead.
        debugOutputf("demo: %s", why.c_str());
        return nullptr;
    }
    if (!simulator->plugAll(&why)) {
        if (error) *error = QString::fromStdString(why);
        return nullptr;
    }
    // The UI thread talks to these devices all the time the demo animates:
    // on their CPU, each exchange hands the CPU over and back on the spot,
    // where one that crossed to the other CPU would cost an interrupt and an
    // idle CPU's wake-up each way. Threads the program starts from now on
    // begin on it too; none of them is busy.
    (void)keepThisThreadOn(simulator->serviceCpu());
    return simulator;
}

}  // namespace talven
