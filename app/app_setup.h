#pragma once
// Start-up pieces the entry runs in order: resources and control classes,
// the command-line options, and demo mode's simulated devices.

#include <QString>

#include <memory>
#include <cstdint>
#include <optional>

namespace talven {

namespace sim {
class Simulator;
}

// Points the toolkit at the skin below the resource root, reads "res.xml"
// and registers the program's control classes.
void setupResources();

struct AppOptions {
    bool demo = false;           // simulated devices in this process
    bool tray = false;           // start hidden in the tray: the first scan pass does not show the window
    QString screenshotFile;      // save the window after the first scan pass, then quit
    QString page;                // the device page to show first ("keyboard", "mouse", ...)
    int tab = 0;                 // the editor tab of that page to show (1 lighting .. 7), 0 to leave it
    QString open;                // a window to open once the main window is up: "settings" or "skin"
    bool sdkServer = false;      // --sdk-server[=PORT]: the lighting network server on for this run
    std::optional<uint16_t> sdkPort;
    bool help = false;
    QString error;               // set when the command line is wrong
};

AppOptions parseAppOptions(const QStringList& arguments);
QString appUsage();

// Simulated devices for --demo, served on the simulator directory
// (TALVEN_SIM_DIR, else the default one, which then becomes TALVEN_SIM_DIR so
// the scan finds it). When talven-devsim already serves that directory its
// devices are used and nothing is started here (the result is then empty).
std::unique_ptr<sim::Simulator> startDemoDevices(QString* error);

}  // namespace talven
