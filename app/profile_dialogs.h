#pragma once
// How the main window asks the user for a profile file to import, a place to
// export to, and confirmations. The window holds one set; tests replace it so
// that no modal dialog opens.

#include <QString>

#include <functional>

class QWidget;

namespace talven {

struct ProfileDialogs {
    // The file to import; empty when the user cancelled.
    std::function<QString(QWidget* parent)> openFile;
    // Where to export, starting from `suggestedName`; empty when cancelled.
    std::function<QString(QWidget* parent, const QString& suggestedName)> saveFile;
    // Shows the language text `key` in the message box with the button mode
    // of ShowMessageBox; 1 when confirmed.
    std::function<int(QWidget* parent, const QString& key, int buttonMode)> message;
};

// File dialogs with the filter "Profile Files(*.json)" and the program's
// message box.
ProfileDialogs defaultProfileDialogs();

}  // namespace talven
