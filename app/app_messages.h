#pragma once
// The message numbers of the program: the registered ones shared with other
// programs and the scan thread, and the private ones the main window answers.

#include <QString>
#include <QtGlobal>

namespace talven {

// The application title as Qt text: window title, tray tip, instance
// message name.
QString applicationTitle();

// Registered once at start-up; 0 until then.
struct AppMessages {
    uint instance = 0;       // show the running instance / first scan pass done
    uint updateStatus = 0;   // progress of an external device-update program
    uint lightAnnounce = 0;  // we say whether we drive device lighting
    uint lightControl = 0;   // another program asks us to take or release it
};

// The process-wide numbers. registerInstanceMessage() gives `instance` (it is
// needed before the single-instance check); registerAppMessages() the rest.
const AppMessages& appMessages();
uint registerInstanceMessage();
void registerAppMessages();

inline constexpr char kUpdateStatusName[] = "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}";
inline constexpr char kLightAnnounceName[] = "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}";
inline constexpr char kLightControlName[] = "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}";

// Private messages of the main window.
namespace mainmsg {
inline constexpr uint kInputHook = 0x41E;         // wParam 1 install, 0 remove
inline constexpr uint kDpiLogged = 0x4C8;         // only logged
inline constexpr uint kShowProgress = 0xC00;      // show "setting_progress"
inline constexpr uint kApplyLanguage = 0xC11;     // wParam: language index
inline constexpr uint kSlotOccupied = 0xC12;      // wParam: interface slot
inline constexpr uint kSlotVacated = 0xC13;       // wParam: interface slot
inline constexpr uint kOpenSettingsUpdate = 0xC15;
inline constexpr uint kClearUpdateBadge = 0xC16;
// Settings window: wParam 1 start the lighting network server, 0 stop it,
// 2 leave it as it is; lParam points to a bool that tells whether it runs
// afterwards.
inline constexpr uint kSdkServer = 0xC17;
}  // namespace mainmsg

// Window timers of the main window.
namespace mainTimer {
inline constexpr uint kFitAfterInit = 1011;
inline constexpr uint kTrayMenu = 1032;
}  // namespace mainTimer

}  // namespace talven
