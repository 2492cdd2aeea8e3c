#pragma once
// A small in-memory XML tree: element names, attributes in document order and
// child elements. Layout files, the resource index, language files and menus
// are all read through it, so every one of them reports a broken file the
// same way.

#include <QList>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace talven::ui {

struct XmlNode {
    QString tag;
    QList<std::pair<QString, QString>> attributes;
    std::vector<XmlNode> children;

    // The attribute's value (names compared without case), or `fallback`.
    QString attribute(const QString& name, const QString& fallback = {}) const;
    bool hasAttribute(const QString& name) const;
};

// Reads a whole document. On failure returns nothing and, when `error` is
// given, a one-line reason with the line and column.
std::optional<XmlNode> ParseXmlText(const QByteArray& text, QString* error = nullptr);
std::optional<XmlNode> ParseXmlFile(const QString& path, QString* error = nullptr);

}  // namespace talven::ui
