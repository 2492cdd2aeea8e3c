#pragma once
// Text laid out once and drawn many times. Shaping a label's text costs more
// than the rest of its paint; animated pages repaint the same labels (the
// keys of a keyboard) twenty times a second, so the layout is kept, keyed by
// everything that decides it.

#include <QFont>
#include <QPointF>
#include <QRect>
#include <QStaticText>
#include <QString>

#include <functional>

class QColor;
class QPainter;

namespace talven::ui {

struct PreparedText {
    QStaticText text;
    QPointF offset;     // from the box's top left to where the text starts
    bool overflows = false;  // reaches outside the box, so it is clipped to it
};

// The layout of `text` in a box of `box` with Qt alignment and wrap `flags`.
// `shown` gives the text as it is drawn (elided, for instance); it is called
// only when the layout is not kept yet, and `elided` tells the two apart.
PreparedText PrepareText(const QString& text, const QFont& font, const QSize& box, int flags, bool elided,
                         const std::function<QString()>& shown);

// Draws it as QPainter::drawText(box, flags, shown) would.
void DrawPreparedText(QPainter& painter, const QRect& box, const PreparedText& prepared, const QFont& font,
                      const QColor& color);

}  // namespace talven::ui
