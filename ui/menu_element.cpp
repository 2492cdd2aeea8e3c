// CMenuElementUI: one row of a popup menu.

#include <QPainter>
#include <QPainterPath>

#include "ui/attribute_parse.h"
#include "ui/menu_wnd.h"
#include "ui/render_engine.h"

namespace talven::ui {

namespace {

// Columns of a row in design units: icon or check mark, then the text, then
// the arrow of a submenu.
constexpr int kIconColumn = 30;
constexpr int kArrowColumn = 22;
constexpr int kRowHeight = 30;
constexpr int kLineHeight = 9;

}  // namespace

std::unique_ptr<MenuCmd> TakeMenuCmd(quintptr wParam) {
    return std::unique_ptr<MenuCmd>(reinterpret_cast<MenuCmd*>(wParam));
}

CMenuElementUI::CMenuElementUI() { SetTextStyle(DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS); }

QString CMenuElementUI::GetClass() const { return QStringLiteral("MenuElement"); }

void CMenuElementUI::SetChecked(bool checked) {
    checked_ = checked;
    Invalidate();
}

void CMenuElementUI::SetHasSubMenu(bool has) {
    hasSubMenu_ = has;
    Invalidate();
}

int CMenuElementUI::PreferredWidth() {
    if (line_) return 0;
    const QSize text = CRenderEngine::GetTextSize(GetManager(), GetText(), GetFont(), GetTextStyle());
    return text.width() + ScaleValue(kIconColumn + kArrowColumn);
}

QSize CMenuElementUI::EstimateSize(const QSize& available) {
    const QSize fixed = CButtonUI::EstimateSize(available);
    if (line_) return {fixed.width(), ScaleValue(kLineHeight)};
    return {fixed.width(), fixed.height() > 0 ? fixed.height() : ScaleValue(kRowHeight)};
}

void CMenuElementUI::SetAttribute(const QString& name, const QString& value) {
    const QString n = name.toLower();
    if (n == QLatin1String("icon")) icon_ = value;
    else if (n == QLatin1String("checkitem")) checkItem_ = ParseBool(value);
    else if (n == QLatin1String("checked")) checked_ = ParseBool(value);
    else if (n == QLatin1String("group")) group_ = value;
    else if (n == QLatin1String("line")) {
        line_ = ParseBool(value);
        if (line_) SetEnabled(false);
    } else if (n == QLatin1String("linecolor")) {
        if (auto c = ParseColor(value)) lineColor_ = *c;
        else ReportBadAttribute(name, value);
    } else {
        CButtonUI::SetAttribute(name, value);
        return;
    }
    Invalidate();
}

void CMenuElementUI::DoEvent(TEventUI& event) {
    CButtonUI::DoEvent(event);
    // The menu opens submenus on hover and moves the keyboard highlight.
    if (event.Type == UIEVENT_MOUSEENTER && IsEnabled()) SendNotify(QStringLiteral("msenter"));
}

void CMenuElementUI::PaintStatusImage(QPainter& painter) {
    if (line_) {
        const int y = height() / 2;
        painter.fillRect(QRect(ScaleValue(8), y, width() - ScaleValue(16), qMax(1, ScaleValue(1))), lineColor_);
        return;
    }
    CButtonUI::PaintStatusImage(painter);
    const int column = ScaleValue(kIconColumn);
    const QRect iconBox(0, 0, column, height());
    const QColor ink = StateTextColor();
    if (checkItem_ && checked_) {
        const double s = ScaleValue(10);
        const QPointF c = QRectF(iconBox).center();
        QPainterPath tick;
        tick.moveTo(c.x() - s / 2, c.y());
        tick.lineTo(c.x() - s / 8, c.y() + s * 0.375);
        tick.lineTo(c.x() + s / 2, c.y() - s * 0.375);
        painter.save();
        painter.setPen(QPen(ink, qMax(1.0, ScaleValue(15) / 10.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(tick);
        painter.restore();
    } else if (!icon_.isEmpty()) {
        const int side = qMin(ScaleValue(16), height());
        const QRect box(iconBox.center().x() - side / 2 + 1, iconBox.center().y() - side / 2 + 1, side, side);
        CRenderEngine::DrawImageString(painter, GetManager(), box, rect(), icon_);
    }
    if (hasSubMenu_) {
        const double s = ScaleValue(8);
        const double x = width() - ScaleValue(kArrowColumn) / 2.0;
        const double y = height() / 2.0;
        QPainterPath arrow;
        arrow.moveTo(x - s / 4, y - s / 2);
        arrow.lineTo(x + s / 4, y);
        arrow.lineTo(x - s / 4, y + s / 2);
        painter.save();
        painter.setPen(QPen(ink, qMax(1.0, ScaleValue(15) / 10.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(arrow);
        painter.restore();
    }
}

void CMenuElementUI::PaintText(QPainter& painter) {
    if (line_) return;
    const QRect r = rect().adjusted(ScaleValue(kIconColumn), 0, -ScaleValue(kArrowColumn), 0);
    CRenderEngine::DrawText(painter, GetManager(), r, GetText(), StateTextColor(), GetFont(), GetTextStyle());
}

}  // namespace talven::ui
