#include "ui/resource_manager.h"

#include "platform/debug_output.h"
#include "ui/attribute_parse.h"
#include "ui/control.h"
#include "ui/paint_manager.h"
#include "ui/xml_node.h"

namespace talven::ui {

CResourceManager* CResourceManager::GetInstance() {
    static CResourceManager instance;
    return &instance;
}

bool CResourceManager::LoadResource(const QString& xml, const QString&) {
    const QString path = CPaintManagerUI::ResolveResourceFile(xml);
    QString error;
    const auto root = ParseXmlFile(path, &error);
    if (!root) {
        debugOutput(("skin: resource index " + path + ": " + error).toStdString());
        return false;
    }
    QHash<QString, QString> index;
    for (const XmlNode& node : root->children) {
        if (node.tag.compare(QLatin1String("Xml"), Qt::CaseInsensitive) != 0) continue;
        const QString name = node.attribute(QStringLiteral("name"));
        const QString value = node.attribute(QStringLiteral("value"));
        if (name.isEmpty() || value.isEmpty()) {
            debugOutput(("skin: resource index " + path + ": entry without name or value").toStdString());
            continue;
        }
        index.insert(name, NormalizePath(value));
    }
    xmls_ = index;
    return true;
}

QString CResourceManager::GetXmlPath(const QString& name) const { return xmls_.value(name); }

void CResourceManager::ResetResourceMap() { xmls_.clear(); }

bool CResourceManager::LoadLanguage(const QString& file) {
    const QString path = CPaintManagerUI::ResolveResourceFile(file);
    QString error;
    const auto root = ParseXmlFile(path, &error);
    if (!root) {
        debugOutput(("skin: language file " + path + ": " + error).toStdString());
        return false;
    }
    QHash<QString, QString> texts;
    for (const XmlNode& node : root->children) {
        if (node.tag.compare(QLatin1String("Text"), Qt::CaseInsensitive) != 0) continue;
        const QString id = node.attribute(QStringLiteral("id"));
        if (id.isEmpty()) continue;
        texts.insert(id, node.attribute(QStringLiteral("value")));
    }
    texts_ = texts;
    return true;
}

QString CResourceManager::GetText(const QString& key, const QString& type) const {
    if (key.isEmpty()) return key;
    if (auto it = texts_.find(key); it != texts_.end()) return *it;
    if (query_) {
        const QString answer = query_->QueryControlText(key, type);
        if (!answer.isEmpty()) return answer;
    }
    return key;
}

void CResourceManager::ReloadText() {
    const QSet<CControlUI*> controls = resourceControls_;
    for (CControlUI* control : controls) {
        if (resourceControls_.contains(control)) control->ReloadText();
    }
    for (CPaintManagerUI* manager : CPaintManagerUI::GetLiveManagers()) manager->Invalidate();
}

void CResourceManager::Release() {
    xmls_.clear();
    texts_.clear();
    language_.clear();
    query_ = nullptr;
}

}  // namespace talven::ui
