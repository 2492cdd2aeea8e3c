#pragma once
// The design scale of a window. Layout files are written in pixels at 96 dpi;
// a window set to another dpi multiplies every size, padding, position and
// font size from its skin by dpi / 96. This is on top of Qt's own device
// pixel ratio, which already maps logical pixels to the screen.

#include <QMargins>
#include <QRect>
#include <QSize>

#include <algorithm>
#include <array>
#include <cmath>

namespace talven::ui {

class CDPI {
public:
    // The scales the program's windows are fitted to, in dpi; a window asked
    // for any other scale keeps the design scale of 96.
    static constexpr std::array<int, 7> kWindowScales = {48, 72, 96, 120, 144, 168, 192};
    static constexpr bool IsWindowScale(int dpi) {
        return std::find(kWindowScales.begin(), kWindowScales.end(), dpi) != kWindowScales.end();
    }

    int GetDPI() const { return dpi_; }
    // Percent, 100 at 96 dpi.
    int GetScale() const { return dpi_ * 100 / 96; }
    double GetScaleFactor() const { return dpi_ / 96.0; }
    // Values outside 24..960 are refused (the caller keeps the old scale).
    bool SetDPI(int dpi) {
        if (dpi < 24 || dpi > 960) return false;
        dpi_ = dpi;
        return true;
    }

    int Scale(int value) const { return static_cast<int>(std::lround(value * GetScaleFactor())); }
    QSize Scale(const QSize& s) const { return {Scale(s.width()), Scale(s.height())}; }
    QMargins Scale(const QMargins& m) const {
        return {Scale(m.left()), Scale(m.top()), Scale(m.right()), Scale(m.bottom())};
    }
    // Scales both corners, so adjacent rectangles stay adjacent.
    QRect Scale(const QRect& r) const {
        return QRect(QPoint(Scale(r.left()), Scale(r.top())),
                     QPoint(Scale(r.left() + r.width()) - 1, Scale(r.top() + r.height()) - 1));
    }
    // From window pixels back to design units.
    int Unscale(int value) const { return static_cast<int>(std::lround(value / GetScaleFactor())); }

private:
    int dpi_ = 96;
};

}  // namespace talven::ui
