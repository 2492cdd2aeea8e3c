#include "ui/xml_node.h"

#include <QFile>
#include <QXmlStreamReader>

namespace talven::ui {

QString XmlNode::attribute(const QString& name, const QString& fallback) const {
    for (const auto& [key, value] : attributes) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
    }
    return fallback;
}

bool XmlNode::hasAttribute(const QString& name) const {
    for (const auto& attr : attributes) {
        if (attr.first.compare(name, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

namespace {

// Deep files are a sign of a runaway include or a hostile file; real layouts
// stay far below this.
constexpr int kMaxDepth = 256;

}  // namespace

std::optional<XmlNode> ParseXmlText(const QByteArray& text, QString* error) {
    QXmlStreamReader reader(text);
    std::vector<XmlNode> stack;
    std::optional<XmlNode> root;
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (root || static_cast<int>(stack.size()) >= kMaxDepth) {
                reader.raiseError(root ? QStringLiteral("more than one root element")
                                       : QStringLiteral("elements nested too deeply"));
                break;
            }
            XmlNode node;
            node.tag = reader.name().toString();
            for (const QXmlStreamAttribute& a : reader.attributes()) {
                node.attributes.append({a.name().toString(), a.value().toString()});
            }
            stack.push_back(std::move(node));
        } else if (token == QXmlStreamReader::EndElement) {
            XmlNode done = std::move(stack.back());
            stack.pop_back();
            if (stack.empty()) {
                root = std::move(done);
            } else {
                stack.back().children.push_back(std::move(done));
            }
        }
    }
    if (!reader.hasError() && !root) reader.raiseError(QStringLiteral("no root element"));
    if (reader.hasError()) {
        if (error) {
            *error = QStringLiteral("%1 (line %2, column %3)")
                         .arg(reader.errorString())
                         .arg(reader.lineNumber())
                         .arg(reader.columnNumber());
        }
        return std::nullopt;
    }
    return root;
}

std::optional<XmlNode> ParseXmlFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("cannot open: %1").arg(file.errorString());
        return std::nullopt;
    }
    return ParseXmlText(file.readAll(), error);
}

}  // namespace talven::ui
