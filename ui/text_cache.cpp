#include "ui/text_cache.h"

#include <QCache>
#include <QFontMetrics>
#include <QHashFunctions>
#include <QPainter>
#include <QTextOption>

namespace talven::ui {

namespace {

struct TextKey {
    QString text;
    QFont font;
    QSize box;
    int flags = 0;
    bool elided = false;

    friend bool operator==(const TextKey&, const TextKey&) = default;
};

size_t qHash(const TextKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.text, key.font, key.box.width(), key.box.height(), key.flags, key.elided);
}

// Enough for every label of the pages that are open; a long-lived program
// with many languages and sizes drops the least recently drawn.
constexpr int kKeptLayouts = 2048;

PreparedText Lay(const QString& shown, const QFont& font, const QSize& box, int flags) {
    PreparedText prepared;
    prepared.text.setText(shown);
    prepared.text.setTextFormat(Qt::PlainText);
    prepared.text.setPerformanceHint(QStaticText::AggressiveCaching);
    QTextOption option(Qt::Alignment(flags & Qt::AlignHorizontal_Mask));
    option.setWrapMode(flags & Qt::TextWordWrap ? QTextOption::WordWrap : QTextOption::ManualWrap);
    prepared.text.setTextOption(option);
    prepared.text.setTextWidth(box.width());
    prepared.text.prepare(QTransform(), font);

    // Where drawText puts the block in the box, and whether it spills over.
    const QRectF drawn = QFontMetricsF(font).boundingRect(QRectF(QPointF(0, 0), QSizeF(box)), flags, shown);
    prepared.offset = QPointF(0, drawn.top());
    prepared.overflows = !QRectF(QPointF(0, 0), QSizeF(box)).contains(drawn);
    return prepared;
}

}  // namespace

PreparedText PrepareText(const QString& text, const QFont& font, const QSize& box, int flags, bool elided,
                         const std::function<QString()>& shown) {
    static QCache<TextKey, PreparedText> kept(kKeptLayouts);
    TextKey key{text, font, box, flags, elided};
    if (const PreparedText* hit = kept.object(key)) return *hit;
    auto* prepared = new PreparedText(Lay(shown(), font, box, flags));
    const PreparedText result = *prepared;
    kept.insert(std::move(key), prepared);
    return result;
}

void DrawPreparedText(QPainter& painter, const QRect& box, const PreparedText& prepared, const QFont& font,
                      const QColor& color) {
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    if (prepared.overflows) painter.setClipRect(box, Qt::IntersectClip);
    painter.drawStaticText(QPointF(box.topLeft()) + prepared.offset, prepared.text);
    painter.restore();
}

}  // namespace talven::ui
