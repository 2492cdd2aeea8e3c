#pragma once
// CColorPaletteUI: a colour picker of hue, saturation and value. The left
// part is a square of saturation (left to right) and value (top to bottom)
// for the current hue; the bar at the right picks the hue. Releasing the
// button after a pick sends "colorchanged"; a drag repaints as it goes but
// sends once, so the device is not written on every pointer move.

#include "ui/control.h"

#include <QImage>

namespace talven {

class CColorPaletteUI : public ui::CControlUI {
    Q_OBJECT
public:
    // What GetColor() reads before any colour was picked or set.
    static constexpr QRgb kNoSelection = 0xFF000000;

    QString GetClass() const override { return QStringLiteral("ColorPalette"); }
    void DoEvent(ui::TEventUI& event) override;
    void DoPaint(QPainter& painter, const QRect& paintRect) override;

    // 0xFF000000 | red << 16 | green << 8 | blue; kNoSelection before a pick.
    QRgb GetColor() const;
    // Shows `argb` (its alpha is ignored) as the picked colour; sends nothing.
    void SetColor(QRgb argb);
    bool HasSelection() const { return selected_; }

    // The parts, in control coordinates.
    QRect SquareRect() const;
    QRect HueRect() const;

private:
    enum class Drag { None, Square, Hue };
    void PickAt(const QPoint& local);
    void PaintSquare(QPainter& painter);
    void PaintHue(QPainter& painter);

    double hue_ = 0;         // 0..1
    double saturation_ = 0;  // 0..1
    double value_ = 0;       // 0..1
    bool selected_ = false;
    Drag drag_ = Drag::None;
    QImage square_;          // the square for squareHue_, at its current size
    double squareHue_ = -1;
};

}  // namespace talven
