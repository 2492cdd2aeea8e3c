#include "controls/key_button.h"

#include "ui/paint_manager.h"

#include <QPainter>

namespace talven {

using namespace ui;

CDeviceKeyButtonUI::CDeviceKeyButtonUI() = default;

void CDeviceKeyButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("lightimage")) SetLightImage(value);
    else if (name == QLatin1String("keysetimage")) SetKeySetImage(value);
    else if (name == QLatin1String("keyunsetimage")) SetKeyUnsetImage(value);
    else CButtonUI::SetAttribute(name, value);
}

void CDeviceKeyButtonUI::SetLightImage(const QString& image) {
    lightImage_ = image;
    Invalidate();
}

void CDeviceKeyButtonUI::SetKeySetImage(const QString& image) {
    keySetImage_ = image;
    Invalidate();
}

void CDeviceKeyButtonUI::SetKeyUnsetImage(const QString& image) {
    keyUnsetImage_ = image;
    Invalidate();
}

void CDeviceKeyButtonUI::SetLight(bool on, int fade, int hotFade) {
    lightOn_ = on;
    lightFade_ = std::clamp(fade, 0, 255);
    lightHotFade_ = std::clamp(hotFade, 0, 255);
    Invalidate();
}

void CDeviceKeyButtonUI::SetSelected(bool selected) {
    if (selected_ == selected) return;
    selected_ = selected;
    Invalidate();
}

void CDeviceKeyButtonUI::SetMarks(bool suppressSet, bool showUnset, bool unsetOnly) {
    setSuppressed_ = suppressSet;
    unsetShown_ = showUnset;
    unsetOnly_ = unsetOnly;
    Invalidate();
}

void CDeviceKeyButtonUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_DBLCLICK && IsEnabled() && GetPos().contains(event.ptMouse)) {
        SetButtonState(GetButtonState() | UISTATE_PUSHED);
        SendNotify(QStringLiteral("dbclick"));
        return;
    }
    // A drag that starts on a key still draws the rubber band of the panel
    // around it, so the panel sees the pointer too (moves the button does
    // not capture reach the panel on their own).
    const bool captured = (GetButtonState() & UISTATE_CAPTURED) != 0;
    CButtonUI::DoEvent(event);
    if (event.Type == UIEVENT_BUTTONDOWN || event.Type == UIEVENT_BUTTONUP ||
        (event.Type == UIEVENT_MOUSEMOVE && captured)) {
        if (CControlUI* panel = GetParent(); panel && panel->GetClass() == QLatin1String("SelectPanel")) {
            panel->DoEvent(event);
        }
    }
}

void CDeviceKeyButtonUI::PaintStatusImage(QPainter& painter) {
    CButtonUI::PaintStatusImage(painter);
    if (lightOn_ && !lightImage_.isEmpty()) {
        if (!IsHot()) {
            DrawImage(painter, lightImage_, QStringLiteral("fade='%1'").arg(lightFade_));
        } else if (lightKeptWhileHot_) {
            DrawImage(painter, lightImage_, QStringLiteral("fade='%1'").arg(lightHotFade_));
        } else {
            lightOn_ = false;
        }
    }
    if (unsetOnly_) {
        if (!keyUnsetImage_.isEmpty()) DrawImage(painter, keyUnsetImage_);
        return;
    }
    if (unsetShown_ && !keyUnsetImage_.isEmpty()) DrawImage(painter, keyUnsetImage_);
    if (!setSuppressed_ && !keySetImage_.isEmpty()) DrawImage(painter, keySetImage_);
}

void CDeviceKeyButtonUI::PaintBorder(QPainter& painter) {
    CButtonUI::PaintBorder(painter);
    if (!selected_) return;
    QPen pen(selectionColour_, ScaleValue(2));
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const int inset = ScaleValue(1);
    const int radius = ScaleValue(6);
    painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), radius, radius);
}

}  // namespace talven
