#include "controls/circle_progress.h"

#include "ui/paint_manager.h"
#include "ui/render_engine.h"

#include <QPainter>
#include <QTextDocument>

namespace talven {

using namespace ui;

// ---- circle progress -------------------------------------------------------

void CCircleProgressUI::PaintBkColor(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(GetBkColor());
    painter.drawEllipse(QRectF(rect()));
}

void CCircleProgressUI::PaintStatusImage(QPainter& painter) {
    const int range = GetMaxValue() - GetMinValue();
    const double fraction = range > 0 ? double(GetValue() - GetMinValue()) / range : 0.0;
    painter.setPen(Qt::NoPen);
    if (fraction > 0) {
        painter.setBrush(GetForeColor());
        // Qt counts angles anticlockwise from 3 o'clock in 1/16 degrees:
        // start at the bottom and sweep clockwise.
        painter.drawPie(QRectF(rect()), -90 * 16, -static_cast<int>(fraction * 360 * 16));
    }
    const int ring = ScaleValue(10);
    painter.setBrush(QColor::fromRgba(0xFFFFFFFF));
    painter.drawEllipse(QRectF(rect().adjusted(ring, ring, -ring, -ring)));
}

// ---- chart view -------------------------------------------------------------

void CChartViewUI::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("view")) view_ = value;
    else if (name == QLatin1String("shadowimage")) shadowImage_ = value;
    else if (name == QLatin1String("shadowimageheight")) shadowHeight_ = value.toInt();
    else if (name == QLatin1String("pillarimage")) pillarImage_ = value;
    else if (name == QLatin1String("pillarimagewidth")) pillarWidth_ = std::max(1, value.toInt());
    else if (name == QLatin1String("showtext")) showText_ = value == QLatin1String("true");
    else if (name == QLatin1String("showhtml")) showHtml_ = value == QLatin1String("true");
    else if (name == QLatin1String("font")) font_ = value.toInt();
    else CControlUI::SetAttribute(name, value);
    Invalidate();
}

void CChartViewUI::AddItem(double value, const QString& text) {
    items_.push_back({value, text});
    Invalidate();
}

void CChartViewUI::RemoveAllItems() {
    items_.clear();
    Invalidate();
}

void CChartViewUI::DoPaint(QPainter& painter, const QRect& paintRect) {
    CControlUI::DoPaint(painter, paintRect);
    if (view_ == QLatin1String("histpgram")) PaintBars(painter);
}

// Bars share the width evenly; each is centred in its share, scaled to the
// largest value, with its text under it when asked for.
void CChartViewUI::PaintBars(QPainter& painter) {
    if (items_.empty()) return;
    double largest = 0;
    for (const Item& item : items_) largest = std::max(largest, item.value);
    const int textHeight = (showText_ || showHtml_) ? ScaleValue(20) : 0;
    const QRect area = rect().adjusted(0, 0, 0, -textHeight - ScaleValue(shadowHeight_));
    const int share = area.width() / static_cast<int>(items_.size());
    const int width = std::min(ScaleValue(pillarWidth_), share);
    for (size_t i = 0; i < items_.size(); ++i) {
        const int height = largest > 0 ? static_cast<int>(area.height() * items_[i].value / largest) : 0;
        const int left = area.left() + static_cast<int>(i) * share + (share - width) / 2;
        const QRect bar(left, area.bottom() - height + 1, width, height);
        if (pillarImage_.isEmpty() || !CRenderEngine::DrawImageString(painter, GetManager(), bar, rect(), pillarImage_)) {
            painter.fillRect(bar, QColor(0x29, 0xB6, 0xF6));
        }
        if (!shadowImage_.isEmpty()) {
            const QRect shadow(left, area.bottom() + 1, width, ScaleValue(shadowHeight_));
            CRenderEngine::DrawImageString(painter, GetManager(), shadow, rect(), shadowImage_);
        }
        if (textHeight == 0) continue;
        const QRect label(area.left() + static_cast<int>(i) * share, rect().bottom() - textHeight + 1, share, textHeight);
        if (showHtml_) {
            QTextDocument doc;
            doc.setHtml(items_[i].text);
            painter.save();
            painter.translate(label.topLeft());
            doc.drawContents(&painter, QRectF(0, 0, label.width(), label.height()));
            painter.restore();
        } else {
            CRenderEngine::DrawText(painter, GetManager(), label, items_[i].text, GetTextColor(), font_,
                                    DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }
}

// ---- native window host ---------------------------------------------------------

void CWndUI::Attach(QWidget* window) {
    hosted_ = window;
    Follow();
}

QWidget* CWndUI::Detach() {
    QWidget* window = hosted_;
    hosted_ = nullptr;
    return window;
}

void CWndUI::SetPos(const QRect& rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    Follow();
}

void CWndUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    Follow();
}

void CWndUI::Follow() {
    if (!hosted_) return;
    // A child of our window is placed in window coordinates; a top-level
    // one on the screen.
    QWidget* paintWindow = GetManager() ? GetManager()->GetPaintWindow() : window();
    QRect place = GetPos();
    if (hosted_->isWindow() && paintWindow) place.moveTopLeft(paintWindow->mapToGlobal(place.topLeft()));
    else if (hosted_->parentWidget() && paintWindow && hosted_->parentWidget() != paintWindow) {
        place.moveTopLeft(hosted_->parentWidget()->mapFrom(paintWindow, place.topLeft()));
    }
    hosted_->setGeometry(place);
    hosted_->setVisible(IsVisible());
}

}  // namespace talven
