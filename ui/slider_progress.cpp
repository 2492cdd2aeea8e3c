#include "ui/slider_progress.h"

#include <QPainter>

#include "ui/attribute_parse.h"
#include "ui/messages.h"
#include "ui/render_engine.h"

namespace talven::ui {

// ---------------------------------------------------------------- progress

CProgressUI::CProgressUI() { SetTextStyle(DT_SINGLELINE | DT_VCENTER | DT_CENTER); }

QString CProgressUI::GetClass() const { return QStringLiteral("Progress"); }

void CProgressUI::SetHorizontal(bool horizontal) {
    horizontal_ = horizontal;
    Invalidate();
}

void CProgressUI::SetStretchForeImage(bool stretch) {
    stretchFore_ = stretch;
    Invalidate();
}

void CProgressUI::SetMinValue(int min) {
    min_ = min;
    if (max_ < min_) max_ = min_;
    SetValue(value_);
    Invalidate();
}

void CProgressUI::SetMaxValue(int max) {
    max_ = max;
    if (min_ > max_) min_ = max_;
    SetValue(value_);
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    const int clamped = qBound(min_, value, max_);
    if (clamped == value_) return;
    value_ = clamped;
    Invalidate();
}

void CProgressUI::SetForeColor(const QColor& color) {
    foreColor_ = color;
    Invalidate();
}

int CProgressUI::GetTrackHeight() const { return ScaleValue(trackHeight_); }

void CProgressUI::SetTrackHeight(int height) {
    trackHeight_ = qMax(0, height);
    Invalidate();
}

void CProgressUI::SetAttribute(const QString& name, const QString& value) {
    const QString n = name.toLower();
    auto number = [&](void (CProgressUI::*set)(int)) {
        if (auto v = ParseInt(value)) (this->*set)(*v);
        else ReportBadAttribute(name, value);
    };
    if (n == QLatin1String("hor")) SetHorizontal(ParseBool(value));
    else if (n == QLatin1String("min")) number(&CProgressUI::SetMinValue);
    else if (n == QLatin1String("max")) number(&CProgressUI::SetMaxValue);
    else if (n == QLatin1String("value")) number(&CProgressUI::SetValue);
    else if (n == QLatin1String("trackheight")) number(&CProgressUI::SetTrackHeight);
    else if (n == QLatin1String("isstretchfore")) SetStretchForeImage(ParseBool(value));
    else if (n == QLatin1String("forecolor")) {
        if (auto c = ParseColor(value)) SetForeColor(*c);
        else ReportBadAttribute(name, value);
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

double CProgressUI::Fraction() const {
    if (max_ <= min_) return 0.0;
    return static_cast<double>(value_ - min_) / (max_ - min_);
}

QRect CProgressUI::TrackRect() const {
    const int t = GetTrackHeight();
    if (t <= 0) return rect();
    if (horizontal_) return QRect(0, (height() - t) / 2, width(), t);
    return QRect((width() - t) / 2, 0, t, height());
}

QRect CProgressUI::ForeRect() const {
    const QRect track = TrackRect();
    if (horizontal_) {
        return QRect(track.left(), track.top(), qRound(track.width() * Fraction()), track.height());
    }
    const int h = qRound(track.height() * Fraction());
    return QRect(track.left(), track.bottom() + 1 - h, track.width(), h);
}

void CProgressUI::PaintBkColor(QPainter& painter) {
    if (GetTrackHeight() <= 0) {
        CLabelUI::PaintBkColor(painter);
        return;
    }
    if (!GetBkColor().isValid()) return;
    const QRect track = TrackRect();
    const double r = qMin(track.width(), track.height()) / 2.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(GetBkColor());
    painter.drawRoundedRect(QRectF(track), r, r);
}

void CProgressUI::PaintStatusImage(QPainter& painter) {
    const QRect fore = ForeRect();
    if (fore.isEmpty()) return;
    if (foreColor_.isValid()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(foreColor_);
        if (GetTrackHeight() > 0) {
            const double r = qMin(TrackRect().width(), TrackRect().height()) / 2.0;
            painter.drawRoundedRect(QRectF(fore), r, r);
        } else {
            painter.drawRect(fore);
        }
    }
    const QString image = GetForeImage();
    if (image.isEmpty()) return;
    if (stretchFore_) {
        CRenderEngine::DrawImageString(painter, GetManager(), fore, rect(), image);
        return;
    }
    // Not stretched: show the part of the image that lies under the filled part.
    TDrawInfo info;
    info.Parse(image);
    const QSizeF size = CRenderEngine::GetImageSize(info.sImageName);
    const QRect track = TrackRect();
    if (size.isEmpty() || track.isEmpty()) return;
    const double f = horizontal_ ? static_cast<double>(fore.width()) / track.width()
                                 : static_cast<double>(fore.height()) / track.height();
    const QRect source = horizontal_
        ? QRect(0, 0, qMax(1, qRound(size.width() * f)), qRound(size.height()))
        : QRect(0, qRound(size.height() * (1 - f)), qRound(size.width()), qMax(1, qRound(size.height() * f)));
    const QString modify = QStringLiteral("source='%1,%2,%3,%4'")
                               .arg(source.left()).arg(source.top())
                               .arg(source.left() + source.width()).arg(source.top() + source.height());
    CRenderEngine::DrawImageString(painter, GetManager(), fore, rect(), image, modify);
}

void CProgressUI::PaintForeImage(QPainter&) {}  // the fore image is the filled part

// ---------------------------------------------------------------- slider

CSliderUI::CSliderUI() = default;

QString CSliderUI::GetClass() const { return QStringLiteral("Slider"); }

QSize CSliderUI::GetThumbSize() const { return {ScaleValue(thumbSize_.width()), ScaleValue(thumbSize_.height())}; }

void CSliderUI::SetThumbSize(const QSize& size) {
    thumbSize_ = size.expandedTo(QSize(0, 0));
    Invalidate();
}

void CSliderUI::SetThumbImage(const QString& image) { thumbImage_ = image; Invalidate(); }
void CSliderUI::SetThumbHotImage(const QString& image) { thumbHotImage_ = image; Invalidate(); }
void CSliderUI::SetThumbPushedImage(const QString& image) { thumbPushedImage_ = image; Invalidate(); }
void CSliderUI::SetThumbColor(const QColor& color) { thumbColor_ = color; Invalidate(); }

QRect CSliderUI::GetThumbRect() const {
    const QSize t = GetThumbSize();
    if (IsHorizontal()) {
        const int left = qRound((width() - t.width()) * Fraction());
        return QRect(left, (height() - t.height()) / 2, t.width(), t.height());
    }
    const int top = qRound((height() - t.height()) * (1.0 - Fraction()));
    return QRect((width() - t.width()) / 2, top, t.width(), t.height());
}

QRect CSliderUI::ForeRect() const {
    // The filled part reaches the middle of the thumb.
    const QRect track = TrackRect();
    const QPoint centre = GetThumbRect().center();
    if (IsHorizontal()) return QRect(track.left(), track.top(), centre.x() + 1 - track.left(), track.height());
    return QRect(track.left(), centre.y(), track.width(), track.bottom() + 1 - centre.y());
}

int CSliderUI::ValueAt(const QPoint& windowPoint) const {
    const QPoint p = windowPoint - GetPos().topLeft();
    const QSize t = GetThumbSize();
    const int range = GetMaxValue() - GetMinValue();
    double f = 0;
    if (IsHorizontal()) {
        const int span = width() - t.width();
        f = span > 0 ? static_cast<double>(p.x() - t.width() / 2) / span : 0;
    } else {
        const int span = height() - t.height();
        f = span > 0 ? static_cast<double>(height() - p.y() - t.height() / 2) / span : 0;
    }
    return qBound(GetMinValue(), GetMinValue() + qRound(f * range), GetMaxValue());
}

void CSliderUI::StepBy(int delta) {
    const int before = GetValue();
    SetValue(before + delta);
    if (GetValue() != before) SendNotify(QString::fromLatin1(kNotifyValueChanged));
}

void CSliderUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK: {
        if (!IsEnabled()) return;
        const QPoint local = event.ptMouse - GetPos().topLeft();
        if (!GetThumbRect().contains(local)) SetValue(ValueAt(event.ptMouse));
        state_ |= UISTATE_CAPTURED | UISTATE_PUSHED;
        Invalidate();
        return;
    }
    case UIEVENT_MOUSEMOVE:
        if (state_ & UISTATE_CAPTURED) {
            const int value = ValueAt(event.ptMouse);
            if (value != GetValue()) {
                SetValue(value);
                SendNotify(QString::fromLatin1(kNotifyMoveValueChanged));
            }
            return;
        }
        break;
    case UIEVENT_BUTTONUP:
        if (state_ & UISTATE_CAPTURED) {
            state_ &= ~(UISTATE_CAPTURED | UISTATE_PUSHED);
            Invalidate();
            SendNotify(QString::fromLatin1(kNotifyValueChanged));
        }
        return;
    case UIEVENT_MOUSEENTER:
        state_ |= UISTATE_HOT;
        Invalidate();
        return;
    case UIEVENT_MOUSELEAVE:
        state_ &= ~UISTATE_HOT;
        Invalidate();
        return;
    case UIEVENT_KEYDOWN: {
        const int page = qMax(step_, (GetMaxValue() - GetMinValue()) / 10);
        switch (event.chKey) {
        case VK_LEFT:
        case VK_DOWN: StepBy(-step_); return;
        case VK_RIGHT:
        case VK_UP: StepBy(step_); return;
        case VK_PRIOR: StepBy(page); return;
        case VK_NEXT: StepBy(-page); return;
        case VK_HOME: StepBy(GetMinValue() - GetValue()); return;
        case VK_END: StepBy(GetMaxValue() - GetValue()); return;
        default: break;
        }
        break;
    }
    default:
        break;
    }
    CProgressUI::DoEvent(event);
}

void CSliderUI::SetAttribute(const QString& name, const QString& value) {
    const QString n = name.toLower();
    if (n == QLatin1String("step")) {
        if (auto v = ParseInt(value)) SetChangeStep(*v);
        else ReportBadAttribute(name, value);
    } else if (n == QLatin1String("thumbsize")) {
        if (auto s = ParseSize(value)) SetThumbSize(*s);
        else ReportBadAttribute(name, value);
    } else if (n == QLatin1String("thumbimage")) SetThumbImage(value);
    else if (n == QLatin1String("thumbhotimage")) SetThumbHotImage(value);
    else if (n == QLatin1String("thumbpushedimage")) SetThumbPushedImage(value);
    else if (n == QLatin1String("thumbcolor")) {
        if (auto c = ParseColor(value)) SetThumbColor(*c);
        else ReportBadAttribute(name, value);
    } else {
        CProgressUI::SetAttribute(name, value);
    }
}

void CSliderUI::PaintStatusImage(QPainter& painter) {
    CProgressUI::PaintStatusImage(painter);
    const QRect thumb = GetThumbRect();
    QString image = thumbImage_;
    if ((state_ & UISTATE_PUSHED) && !thumbPushedImage_.isEmpty()) image = thumbPushedImage_;
    else if ((state_ & UISTATE_HOT) && !thumbHotImage_.isEmpty()) image = thumbHotImage_;
    if (!image.isEmpty() && CRenderEngine::DrawImageString(painter, GetManager(), thumb, rect(), image)) return;
    if (!thumbColor_.isValid() || thumbColor_.alpha() == 0) return;
    // No image: a plain round thumb, a little lighter while pressed.
    painter.setPen(Qt::NoPen);
    painter.setBrush((state_ & UISTATE_PUSHED) ? thumbColor_.lighter(115) : thumbColor_);
    painter.drawEllipse(QRectF(thumb).adjusted(0.5, 0.5, -0.5, -0.5));
}

}  // namespace talven::ui
