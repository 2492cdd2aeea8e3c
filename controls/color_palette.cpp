#include "controls/color_palette.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace talven {

using namespace ui;

namespace {

constexpr int kHueBarWidth = 18;  // design units
constexpr int kGap = 8;
constexpr int kMarkerRadius = 5;

double fraction(int offset, int length) { return length > 1 ? std::clamp(double(offset) / (length - 1), 0.0, 1.0) : 0; }

}  // namespace

QRect CColorPaletteUI::HueRect() const {
    const int bar = ScaleValue(kHueBarWidth);
    return QRect(width() - bar, 0, bar, height());
}

QRect CColorPaletteUI::SquareRect() const {
    return QRect(0, 0, std::max(0, width() - ScaleValue(kHueBarWidth) - ScaleValue(kGap)), height());
}

QRgb CColorPaletteUI::GetColor() const {
    if (!selected_) return kNoSelection;
    return 0xFF000000 | (QColor::fromHsvF(hue_, saturation_, value_).rgb() & 0xFFFFFF);
}

void CColorPaletteUI::SetColor(QRgb argb) {
    const QColor colour = QColor::fromRgb(argb | 0xFF000000);
    // A grey has no hue of its own: the square keeps the one it shows.
    if (colour.hsvHueF() >= 0) hue_ = colour.hsvHueF();
    saturation_ = colour.hsvSaturationF();
    value_ = colour.valueF();
    selected_ = true;
    Invalidate();
}

void CColorPaletteUI::PickAt(const QPoint& local) {
    if (drag_ == Drag::Hue) {
        const QRect bar = HueRect();
        hue_ = std::min(fraction(local.y() - bar.top(), bar.height()), 0.9999);
    } else {
        const QRect square = SquareRect();
        saturation_ = fraction(local.x() - square.left(), square.width());
        value_ = 1.0 - fraction(local.y() - square.top(), square.height());
    }
    selected_ = true;
    Invalidate();
}

void CColorPaletteUI::DoEvent(TEventUI& event) {
    const QPoint local = event.ptMouse - GetPos().topLeft();
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
        if (!IsEnabled()) return;
        drag_ = HueRect().contains(local) ? Drag::Hue : SquareRect().contains(local) ? Drag::Square : Drag::None;
        if (drag_ != Drag::None) PickAt(local);
        return;
    case UIEVENT_MOUSEMOVE:
        if (drag_ != Drag::None) PickAt(local);
        return;
    case UIEVENT_BUTTONUP:
        if (drag_ == Drag::None) return;
        PickAt(local);
        drag_ = Drag::None;
        SendNotify(QStringLiteral("colorchanged"), GetColor());
        return;
    default:
        CControlUI::DoEvent(event);
    }
}

void CColorPaletteUI::PaintSquare(QPainter& painter) {
    const QRect area = SquareRect();
    if (area.isEmpty()) return;
    if (square_.size() != area.size() || squareHue_ != hue_) {
        square_ = QImage(area.size(), QImage::Format_RGB32);
        for (int y = 0; y < area.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(square_.scanLine(y));
            const double v = 1.0 - fraction(y, area.height());
            for (int x = 0; x < area.width(); ++x)
                line[x] = QColor::fromHsvF(hue_, fraction(x, area.width()), v).rgb();
        }
        squareHue_ = hue_;
    }
    painter.drawImage(area.topLeft(), square_);
    if (!selected_) return;
    const QPointF at(area.left() + saturation_ * (area.width() - 1), area.top() + (1.0 - value_) * (area.height() - 1));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(value_ > 0.5 ? Qt::black : Qt::white, 2));
    painter.drawEllipse(at, ScaleValue(kMarkerRadius), ScaleValue(kMarkerRadius));
}

void CColorPaletteUI::PaintHue(QPainter& painter) {
    const QRect bar = HueRect();
    QLinearGradient gradient(bar.topLeft(), bar.bottomLeft());
    for (int i = 0; i <= 6; ++i) gradient.setColorAt(i / 6.0, QColor::fromHsvF(std::min(i / 6.0, 0.9999), 1, 1));
    painter.fillRect(bar, gradient);
    const int y = bar.top() + static_cast<int>(hue_ * (bar.height() - 1));
    painter.setPen(QPen(Qt::white, 2));
    painter.drawRect(QRect(bar.left() + 1, y - 2, bar.width() - 2, 4));
}

void CColorPaletteUI::DoPaint(QPainter& painter, const QRect& paintRect) {
    CControlUI::DoPaint(painter, paintRect);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintSquare(painter);
    PaintHue(painter);
    // Disabled, the palette is dimmed under the panel's background colour.
    if (!IsEnabled()) painter.fillRect(rect(), QColor(0x1F, 0x23, 0x2B, 190));
}

}  // namespace talven
