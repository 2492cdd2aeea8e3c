#pragma once
// Readers for the value formats of layout-file attributes. Each returns
// nothing for a malformed value so the caller can keep its current setting
// and say which attribute was bad.

#include <QColor>
#include <QList>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>
#include <utility>

namespace talven::ui {

using AttributeList = QList<std::pair<QString, QString>>;

// "true"/"false" (also "1"/"0", "yes"/"no"); anything else is false.
bool ParseBool(const QString& value);
std::optional<int> ParseInt(const QString& value);
// "#AARRGGBB", "#RRGGBB" (opaque) or "0xAARRGGBB".
std::optional<QColor> ParseColor(const QString& value);
// "n1,n2,..." with exactly `count` integers.
std::optional<QList<int>> ParseIntList(const QString& value, int count);
// "l,t,r,b" as a rectangle from (l,t) to (r,b), right and bottom exclusive.
std::optional<QRect> ParseRect(const QString& value);
std::optional<QMargins> ParseMargins(const QString& value);
std::optional<QSize> ParseSize(const QString& value);

// `name="value" name2="value2"` (the quote character is `quote`; values
// cannot contain it). Stops at the first malformed pair; `ok` tells whether
// the whole text was read.
AttributeList ParseAttributeList(const QString& text, QChar quote = QLatin1Char('"'),
                                 bool* ok = nullptr);

// Backslashes become slashes, so paths written for any system resolve here.
QString NormalizePath(const QString& path);

// "#AARRGGBB" of a colour, the format the attribute readers accept.
QString ColorToString(const QColor& color);

}  // namespace talven::ui
