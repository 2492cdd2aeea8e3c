#include "controls/hand_buttons.h"

#include "ui/paint_manager.h"

#include <QCursor>

#include <array>
#include <utility>

namespace talven {

using namespace ui;

// ---- hand image button with a delete icon -------------------------------------

void CHandImgButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("handimage")) handImage_ = value;
    else if (name == QLatin1String("deletenormalimage")) currentDelete_ = deleteNormal_ = value;
    else if (name == QLatin1String("deletehotimage")) deleteHot_ = value;
    else return CButtonUI::SetAttribute(name, value);
    Invalidate();
}

QRect CHandImgButtonUI::DeleteRect() const {
    const QRect pos = GetPos();
    const int size = ScaleValue(20);
    return QRect(pos.right() + 1 - ScaleValue(30), pos.bottom() + 1 - ScaleValue(29), size, size);
}

void CHandImgButtonUI::DoEvent(TEventUI& event) {
    const bool inIcon = DeleteRect().contains(event.ptMouse);
    switch (event.Type) {
    case UIEVENT_MOUSEMOVE: {
        const QString wanted = inIcon ? deleteHot_ : deleteNormal_;
        if (wanted != currentDelete_) {
            currentDelete_ = wanted;
            Invalidate();
        }
        break;
    }
    case UIEVENT_BUTTONUP:
        if ((GetButtonState() & UISTATE_CAPTURED) && inIcon) {
            SetButtonState(GetButtonState() & ~(UISTATE_PUSHED | UISTATE_CAPTURED));
            SendNotify(QStringLiteral("click_handdelete"));
            return;
        }
        break;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
        if (!IsEnabled()) return;
        inside_ = event.Type == UIEVENT_MOUSEENTER;
        CButtonUI::DoEvent(event);
        SendNotify(inside_ ? QStringLiteral("msenter") : QStringLiteral("msleave"));
        Invalidate();
        return;
    default:
        break;
    }
    CButtonUI::DoEvent(event);
}

void CHandImgButtonUI::PaintStatusImage(QPainter& painter) {
    CButtonUI::PaintStatusImage(painter);
    if (!handImage_.isEmpty()) DrawImage(painter, handImage_);
    if (inside_ && !currentDelete_.isEmpty()) {
        const QRect icon = DeleteRect().translated(-GetPos().topLeft());
        DrawImage(painter, currentDelete_,
                  QStringLiteral("dest='%1,%2,%3,%4'").arg(icon.left()).arg(icon.top()).arg(icon.right() + 1).arg(icon.bottom() + 1));
    }
}

// ---- selectable hand image button ----------------------------------------------------

namespace {

const std::array<std::pair<const char*, Qt::CursorShape>, 14> kCursors = {{
    {"arrow", Qt::ArrowCursor},     {"ibeam", Qt::IBeamCursor},     {"wait", Qt::WaitCursor},
    {"cross", Qt::CrossCursor},     {"uparrow", Qt::UpArrowCursor}, {"size", Qt::SizeAllCursor},
    {"icon", Qt::ArrowCursor},      {"sizenwse", Qt::SizeFDiagCursor}, {"sizenesw", Qt::SizeBDiagCursor},
    {"sizewe", Qt::SizeHorCursor},  {"sizens", Qt::SizeVerCursor},  {"sizeall", Qt::SizeAllCursor},
    {"no", Qt::ForbiddenCursor},    {"hand", Qt::PointingHandCursor},
}};

}  // namespace

void CHandImgSelectButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("handimage")) {
        handImage_ = value;
        Invalidate();
    } else if (name == QLatin1String("cursor")) {
        for (const auto& [text, shape] : kCursors) {
            if (value.compare(QLatin1String(text), Qt::CaseInsensitive) == 0) setCursor(shape);
        }
    } else {
        CButtonUI::SetAttribute(name, value);
    }
}

void CHandImgSelectButtonUI::SetHandSource(const QRect& source) {
    source_ = source;
    Invalidate();
}

void CHandImgSelectButtonUI::DoEvent(TEventUI& event) {
    if ((event.Type == UIEVENT_MOUSEENTER || event.Type == UIEVENT_MOUSELEAVE) && IsEnabled()) {
        CButtonUI::DoEvent(event);
        SendNotify(event.Type == UIEVENT_MOUSEENTER ? QStringLiteral("msenter") : QStringLiteral("msleave"));
        return;
    }
    CButtonUI::DoEvent(event);
}

void CHandImgSelectButtonUI::PaintStatusImage(QPainter& painter) {
    CButtonUI::PaintStatusImage(painter);
    if (handImage_.isEmpty()) return;
    if (source_.isEmpty()) {
        DrawImage(painter, handImage_);
        return;
    }
    DrawImage(painter, handImage_,
              QStringLiteral("source='%1,%2,%3,%4'").arg(source_.left()).arg(source_.top()).arg(source_.right() + 1).arg(source_.bottom() + 1));
}

// ---- record button ---------------------------------------------------------------------------

void CRedioMacroButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("redioimage")) recordImage_ = value;
    else CButtonUI::SetAttribute(name, value);
}

void CRedioMacroButtonUI::SetRecording(bool on) {
    recording_ = on;
    CPaintManagerUI* manager = GetManager();
    if (on) {
        fade_ = 255;
        step_ = -20;
        if (manager) manager->SetTimer(this, kPulseTimer, kPulseMs);
        Pulse();
    } else {
        if (manager) manager->KillTimer(this, kPulseTimer);
        SetForeImage(QString());
    }
}

void CRedioMacroButtonUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_TIMER && event.wParam == kPulseTimer) {
        if (recording_) Pulse();
        else if (GetManager()) GetManager()->KillTimer(this, kPulseTimer);
        return;
    }
    CButtonUI::DoEvent(event);
}

// The fade swings between 80 and 255 in steps of 20.
void CRedioMacroButtonUI::Pulse() {
    fade_ += step_;
    if (fade_ <= 80) {
        fade_ = 80;
        step_ = 20;
    } else if (fade_ >= 255) {
        fade_ = 255;
        step_ = -20;
    }
    SetForeImage(QStringLiteral("res='%1' fade='%2'").arg(recordImage_).arg(fade_));
}

}  // namespace talven
