#include "ui/control_factory.h"

#include "ui/control.h"

namespace talven::ui {

CControlFactory* CControlFactory::GetInstance() {
    static CControlFactory instance;
    return &instance;
}

void CControlFactory::RegistControl(const QString& tag, const QString& className, CreateClass create) {
    if (tag.isEmpty() || className.isEmpty() || !create) return;
    classes_.insert(className.toLower(), create);
    tags_.insert(tag.toLower(), Entry{className, std::move(create)});
}

void CControlFactory::RegistControl(const ControlClass& row) {
    if (!row.tag || !row.className || !row.create) return;
    RegistControl(QString::fromLatin1(row.tag), QString::fromLatin1(row.className), row.create);
}

CControlUI* CControlFactory::CreateControl(const QString& className) const {
    const auto it = classes_.find(className.toLower());
    return it == classes_.end() ? nullptr : (*it)();
}

CControlUI* CControlFactory::CreateControlForTag(const QString& tag) const {
    const auto it = tags_.find(tag.toLower());
    return it == tags_.end() ? nullptr : it->create();
}

QString CControlFactory::ClassNameForTag(const QString& tag) const {
    const auto it = tags_.find(tag.toLower());
    return it == tags_.end() ? QString() : it->className;
}

bool CControlFactory::IsRegistered(const QString& className) const {
    return classes_.contains(className.toLower());
}

}  // namespace talven::ui
