#pragma once
// CSkinFrame: the popup below the main window's "skinbtn" that changes the
// main window's background: a preset picture, a plain colour, a PNG of the
// user's own or the skin's own background. The choice goes out through the
// skin observer and is kept in main.ini for the next start. The frame
// closes as soon as it loses the focus (a click anywhere else) and deletes
// itself.

#include "app/skin_observer.h"
#include "ui/window_impl_base.h"

#include <functional>

namespace talven {

struct SkinFrameDialogs {
    // The picture the user chose for "skin_Custom"; empty when cancelled.
    std::function<QString(QWidget* parent)> chooseImage;
    // Tells the user about a problem; `key` is a language key.
    std::function<void(QWidget* parent, const QString& key)> tell;
};

// A file dialog for PNG files (all files selectable) and the message box.
SkinFrameDialogs defaultSkinFrameDialogs();

class CSkinFrame : public ui::WindowImplBase {
    Q_OBJECT
public:
    // Builds the frame, puts its top-right corner at the bottom-right corner
    // of `button` and shows it with the focus. Null when the skin could not
    // be built. The frame owns itself.
    static CSkinFrame* Open(QWidget* owner, ui::CControlUI* button, SkinFrameDialogs dialogs);

    QString GetWindowClassName() const override { return QStringLiteral("UISkinFrame"); }
    QString GetSkinFile() override { return QStringLiteral("XML_SKINFRAME"); }
    void Notify(ui::TNotifyUI& msg) override;
    qintptr HandleCustomMessage(uint msg, quintptr wParam, qintptr lParam, bool& handled) override;
    void OnFinalMessage() override { deleteLater(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    CSkinFrame(QWidget* owner, SkinFrameDialogs dialogs);
    void PlaceBelow(ui::CControlUI* button);
    void SelectTab(int page);
    void ChooseCustomImage();

    QWidget* owner_;
    SkinFrameDialogs dialogs_;
};

// Broadcasts `choice` and keeps it in main.ini (a write failure is only
// logged: the change is shown all the same).
void applySkinChoice(const SkinChangedParam& choice);

// The user's own picture: read, copied as PNG into the data folder and
// applied. A file that is not a picture is told with "skin_custom_bad" and
// changes nothing; one that cannot be kept with "skin_custom_not_saved".
// True when the background changed.
bool applyCustomImage(QWidget* parent, const QString& chosen, const SkinFrameDialogs& dialogs);

}  // namespace talven
