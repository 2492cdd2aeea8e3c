#pragma once
// How the profile panel asks the user for a profile file to import, a place
// to export to, and confirmations. The main window holds one set; tests
// replace it so that no modal dialog opens.

#include <QString>

#include <functional>

class QWidget;

namespace talven {

class CDeviceProfileUI;

namespace ui {
class CControlUI;
}

struct ProfileDialogs {
    // The file to import; empty when the user cancelled.
    std::function<QString(QWidget* parent)> openFile;
    // Where to export, starting from `suggestedName`; empty when cancelled.
    std::function<QString(QWidget* parent, const QString& suggestedName)> saveFile;
    // Shows the language text `key` in the message box with the button mode
    // of ShowMessageBox; 1 when confirmed.
    std::function<int(QWidget* parent, const QString& key, int buttonMode)> message;
};

// What the profile panel's routes need from the window that dispatches them.
struct ProfileRouteHost {
    QWidget* window = nullptr;               // parent of the dialogs
    const ProfileDialogs* dialogs = nullptr;  // the window's set, read at each use
    // The panel of the page that holds `sender`, else of the current page:
    // for profile controls that sit on a page outside its panel.
    std::function<CDeviceProfileUI*(ui::CControlUI* sender)> panelOutside;
};

}  // namespace talven
