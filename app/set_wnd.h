#pragma once
// CSetWnd: the modal settings window of the main window's "setbtn": the UI
// language (the list of Language.config; a choice goes to the main window
// as message 0xC11) and starting with the desktop session (an XDG
// autostart entry that starts the program hidden in the tray).

#include "profile/language_config.h"
#include "ui/window_impl_base.h"

#include <functional>
#include <vector>

namespace talven {

class CSetWnd : public ui::WindowImplBase {
    Q_OBJECT
public:
    // `mainWnd` receives 0xC11; `languageIndex` is the language shown now.
    CSetWnd(ui::WindowImplBase* mainWnd, int languageIndex);

    QString GetWindowClassName() const override { return QStringLiteral("SetWnd"); }
    QString GetSkinFile() override { return QStringLiteral("XML_SETWND"); }
    void InitWindow() override;
    void OnClick(ui::TNotifyUI& msg) override;
    qintptr OnSysCommand(uint msg, quintptr wParam, qintptr lParam, bool& handled) override;
    qintptr HandleCustomMessage(uint msg, quintptr wParam, qintptr lParam, bool& handled) override;
    void OnFinalMessage() override { deleteLater(); }

    // The screen scale of the main window (48 .. 192 in steps of 24; anything
    // else is logged and taken as 96).
    void SetScreenScale(int scale);
    int currentLanguage() const { return currentLanguage_; }

    // Where the autostart entry is kept and which program it starts; the
    // user's autostart folder and this program unless a test says otherwise.
    // Set before Create, since InitWindow shows the entry's state.
    void setAutostart(std::string entryFile, std::string executable) {
        autostartEntry_ = std::move(entryFile);
        executable_ = std::move(executable);
    }
    // Tells the user about a problem; `key` is a language key. The message
    // box unless a test gives its own.
    void setTell(std::function<void(const QString& key)> tell) { tell_ = std::move(tell); }

private:
    void OnSelectChanged(ui::TNotifyUI& msg);
    void OnItemSelect(ui::TNotifyUI& msg);
    void FillLanguageList();
    void ShowAutostartState();
    void SetAutostart(bool on);

    ui::WindowImplBase* mainWnd_;
    int currentLanguage_;
    std::vector<LanguageEntry> languages_;
    std::string autostartEntry_;
    std::string executable_;
    std::function<void(const QString& key)> tell_;
};

}  // namespace talven
