#pragma once
// CResourceManager: the skin's resource index (res.xml: resource names to
// layout files) and the language texts of controls in resource-text mode.

#include <QHash>
#include <QSet>
#include <QString>

#include "ui/notify.h"

namespace talven::ui {

class CControlUI;

class CResourceManager {
public:
    static CResourceManager* GetInstance();

    // Reads the index (a file below the skin folder, or absolute). On a
    // missing or broken file the current index stays and false is returned.
    bool LoadResource(const QString& xml, const QString& type = {});
    // The file of a resource name, relative to the skin folder; empty if unknown.
    QString GetXmlPath(const QString& name) const;
    void ResetResourceMap();

    void SetLanguage(const QString& name) { language_ = name; }
    QString GetLanguage() const { return language_; }
    // Replaces all texts with those of the language file. A missing or
    // broken file leaves the current texts in place and returns false.
    bool LoadLanguage(const QString& file);
    // The translation of `key`; else the text-query callback's answer; else
    // the key itself.
    QString GetText(const QString& key, const QString& type = {}) const;
    // Every live control in resource-text mode shows its text anew.
    void ReloadText();
    void SetTextQueryInterface(IQueryControlText* query) { query_ = query; }
    IQueryControlText* GetTextQueryInterface() const { return query_; }
    // Forgets the index, the texts, the language and the callback.
    void Release();

    // Kept by CControlUI::SetResourceText so ReloadText reaches every control.
    void RegisterResourceText(CControlUI* control) { resourceControls_.insert(control); }
    void UnregisterResourceText(CControlUI* control) { resourceControls_.remove(control); }

private:
    CResourceManager() = default;

    QHash<QString, QString> xmls_;
    QHash<QString, QString> texts_;
    QString language_;
    IQueryControlText* query_ = nullptr;
    QSet<CControlUI*> resourceControls_;
};

}  // namespace talven::ui
