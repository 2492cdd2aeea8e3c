#include "ui/attribute_parse.h"

namespace talven::ui {

bool ParseBool(const QString& value) {
    const QString v = value.trimmed().toLower();
    return v == QLatin1String("true") || v == QLatin1String("1") || v == QLatin1String("yes");
}

std::optional<int> ParseInt(const QString& value) {
    bool ok = false;
    const int v = value.trimmed().toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return v;
}

std::optional<QColor> ParseColor(const QString& value) {
    QString v = value.trimmed();
    if (v.startsWith(QLatin1Char('#'))) {
        v = v.mid(1);
    } else if (v.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        v = v.mid(2);
        if (v.size() != 8) return std::nullopt;
    } else {
        return std::nullopt;
    }
    if (v.size() != 6 && v.size() != 8) return std::nullopt;
    bool ok = false;
    const quint32 raw = v.toUInt(&ok, 16);
    if (!ok) return std::nullopt;
    if (v.size() == 6) return QColor::fromRgb(raw | 0xFF000000u);
    return QColor::fromRgba(raw);
}

std::optional<QList<int>> ParseIntList(const QString& value, int count) {
    const QStringList parts = value.split(QLatin1Char(','));
    if (parts.size() != count) return std::nullopt;
    QList<int> out;
    out.reserve(count);
    for (const QString& part : parts) {
        const auto v = ParseInt(part);
        if (!v) return std::nullopt;
        out.append(*v);
    }
    return out;
}

std::optional<QRect> ParseRect(const QString& value) {
    const auto v = ParseIntList(value, 4);
    if (!v) return std::nullopt;
    return QRect(QPoint((*v)[0], (*v)[1]), QSize((*v)[2] - (*v)[0], (*v)[3] - (*v)[1]));
}

std::optional<QMargins> ParseMargins(const QString& value) {
    const auto v = ParseIntList(value, 4);
    if (!v) return std::nullopt;
    return QMargins((*v)[0], (*v)[1], (*v)[2], (*v)[3]);
}

std::optional<QSize> ParseSize(const QString& value) {
    const auto v = ParseIntList(value, 2);
    if (!v) return std::nullopt;
    return QSize((*v)[0], (*v)[1]);
}

AttributeList ParseAttributeList(const QString& text, QChar quote, bool* ok) {
    AttributeList out;
    qsizetype i = 0;
    const qsizetype n = text.size();
    bool good = true;
    for (;;) {
        while (i < n && text[i].isSpace()) ++i;
        if (i >= n) break;
        const qsizetype eq = text.indexOf(QLatin1Char('='), i);
        if (eq < 0) {
            good = false;
            break;
        }
        const QString name = text.mid(i, eq - i).trimmed();
        qsizetype open = eq + 1;
        while (open < n && text[open].isSpace()) ++open;
        if (name.isEmpty() || open >= n || text[open] != quote) {
            good = false;
            break;
        }
        const qsizetype close = text.indexOf(quote, open + 1);
        if (close < 0) {
            good = false;
            break;
        }
        out.append({name, text.mid(open + 1, close - open - 1)});
        i = close + 1;
    }
    if (ok) *ok = good;
    return out;
}

QString NormalizePath(const QString& path) {
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return p;
}

QString ColorToString(const QColor& color) {
    return QStringLiteral("#%1").arg(color.rgba(), 8, 16, QLatin1Char('0')).toUpper();
}

}  // namespace talven::ui
