#include "ui/control_factory.h"

#include "ui/control.h"

namespace talven::ui {

CControlFactory* CControlFactory::GetInstance() {
    static CControlFactory instance;
    return &instance;
}

void CControlFactory::RegistControl(const QString& className, CreateClass create) {
    if (className.isEmpty() || !create) return;
    classes_.insert(className.toLower(), std::move(create));
}

CControlUI* CControlFactory::CreateControl(const QString& className) const {
    const auto it = classes_.find(className.toLower());
    return it == classes_.end() ? nullptr : (*it)();
}

bool CControlFactory::IsRegistered(const QString& className) const {
    return classes_.contains(className.toLower());
}

}  // namespace talven::ui
