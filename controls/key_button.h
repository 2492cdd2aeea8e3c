#pragma once
// CDeviceKeyButtonUI: one key or LED on a device picture. Over the button's
// own images it can draw a light overlay (the key's lighting colour in the
// lighting editor) and a "set"/"unset" mark (whether the key carries an
// assignment); the select panel around it marks it selected.

#include "ui/label_button.h"

namespace talven {

class CDeviceKeyButtonUI : public ui::CButtonUI {
    Q_OBJECT
public:
    CDeviceKeyButtonUI();
    QString GetClass() const override { return QStringLiteral("DeviceKeyButton"); }
    void SetAttribute(const QString& name, const QString& value) override;
    void DoEvent(ui::TEventUI& event) override;
    void PaintStatusImage(QPainter& painter) override;
    void PaintBorder(QPainter& painter) override;

    QString GetLightImage() const { return lightImage_; }
    void SetLightImage(const QString& image);
    QString GetKeySetImage() const { return keySetImage_; }
    void SetKeySetImage(const QString& image);
    QString GetKeyUnsetImage() const { return keyUnsetImage_; }
    void SetKeyUnsetImage(const QString& image);

    // The light overlay: shown with a fade (0..255) while `on`.
    void SetLight(bool on, int fade = 255, int hotFade = 200);
    bool IsLightOn() const { return lightOn_; }
    void SetLightKeptWhileHot(bool kept) { lightKeptWhileHot_ = kept; }

    void SetSelected(bool selected);
    bool IsSelected() const { return selected_; }

    // The assignment mark: `suppressSet` hides the set image, `showUnset`
    // adds the unset image, `unsetOnly` draws only the unset image.
    void SetMarks(bool suppressSet, bool showUnset, bool unsetOnly);

private:
    QString lightImage_;
    QString keySetImage_;
    QString keyUnsetImage_;
    QColor keyColour_ = QColor::fromRgba(0xFF000000);
    QColor textColour_ = QColor::fromRgba(0xFFFFFFFF);
    QColor selectionColour_ = QColor::fromRgba(0xFF0099FF);
    bool lightOn_ = false;
    int lightFade_ = 255;
    int lightHotFade_ = 200;
    bool selected_ = false;
    bool setSuppressed_ = true;
    bool unsetShown_ = false;
    bool unsetOnly_ = false;
    bool lightKeptWhileHot_ = true;
};

}  // namespace talven
